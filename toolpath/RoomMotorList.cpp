#include "toolpath/RoomMotorList.h"

#include <algorithm>

#include "model/clsPartRoom.h"
#include "model/clsSubPart.h"
#include "toolpath/MotorPropertiesText.h"

namespace torvane {
namespace {

constexpr const char* kDefaultLimits = "5,5";

void AppendOccurrences(const clsPartRoom& room, const std::string& path,
                       std::vector<std::string>& out) {
    if (room.MotorType() > 0) out.push_back(path);
    for (const auto& sub : room.SubParts) {
        if (!sub->Part) continue;
        AppendOccurrences(*sub->Part, path.empty() ? sub->Name() : path + "/" + sub->Name(), out);
    }
}

// A name as a field of a motor line: a comma would split the line into other fields.
std::string Field(std::string name) {
    std::replace(name.begin(), name.end(), ',', ' ');
    return name;
}

std::string LastStep(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace

std::vector<std::string> MotorOccurrencePaths(const clsPartRoom& room) {
    std::vector<std::string> out;
    AppendOccurrences(room, {}, out);
    return out;
}

std::string DefaultMotorsText(const clsPartRoom& room) {
    const typMotorMasks masks = room.MotorMasks();
    const std::vector<std::string> paths = MotorOccurrencePaths(room);
    std::string text = kDefaultLimits;
    for (int i = 1; i <= masks.TotalMasks && masks.Masks.IsAllocated() && i <= masks.Masks.UBound();
         ++i) {
        const std::string& roomName = masks.Masks(i).Name;
        const std::size_t at = static_cast<std::size_t>(i - 1);
        const std::string name =
            at < paths.size() && !paths[at].empty() ? LastStep(paths[at]) : roomName;
        text += "\r\n" + Field(name) + "," + Field(roomName) + "," + std::to_string(i) + ",1";
    }
    return text;
}

std::string MotorsTextOf(const clsPartRoom& room) {
    const std::string stored = room.MotorMasks().XMLProperties;
    return IsBlank(stored) ? DefaultMotorsText(room) : stored;
}

std::string MotorsTextToStore(const clsPartRoom& room, const std::string& text) {
    return IsBlank(text) || text == DefaultMotorsText(room) ? std::string() : text;
}

std::vector<typMotorRange> MotorRangesOf(const clsPartRoom& room) {
    const ParsedMotorProperties list = ParseMotorPropertiesText(MotorsTextOf(room));
    const typMotorMasks masks = room.MotorMasks();
    std::vector<typMotorRange> ranges(static_cast<std::size_t>(std::max(masks.TotalMasks, 0)));
    for (std::size_t i = 0; i < ranges.size() && i < list.motors.size(); ++i)
        ranges[i] = typMotorRange{list.motors[i].Lower, list.motors[i].Upper};
    return ranges;
}

}  // namespace torvane
