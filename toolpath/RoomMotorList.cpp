#include "toolpath/RoomMotorList.h"

#include <algorithm>

#include "model/JointNotes.h"
#include "model/NumberText.h"
#include "model/clsPartRoom.h"
#include "model/clsSubPart.h"
#include "toolpath/MotorPropertiesText.h"

namespace torvane {
namespace {

constexpr const char* kDefaultLimits = "5,5";

struct Occurrence {
    std::string Path;
    const clsPartRoom* Room;
};

void AppendOccurrences(const clsPartRoom& room, const std::string& path,
                       std::vector<Occurrence>& out) {
    if (room.MotorType() > 0) out.push_back({path, &room});
    for (const auto& sub : room.SubParts) {
        if (!sub->Part) continue;
        AppendOccurrences(*sub->Part, path.empty() ? sub->Name() : path + "/" + sub->Name(), out);
    }
}

std::vector<Occurrence> OccurrencesOf(const clsPartRoom& room) {
    std::vector<Occurrence> out;
    AppendOccurrences(room, {}, out);
    return out;
}

std::string EndField(const std::optional<double>& end) {
    return end ? TrimmedNumberText(*end) : std::string();
}

// The travel the notes of an occurrence's room give its motor, as the last four fields of a motor
// line (no speed or acceleration limit of its own); empty where they give none.
std::string NotedTravelFields(const clsPartRoom& room) {
    const typMotorRange travel =
        NotedTravel(room.BlankXML(), room.MotorType(), room.MotorPosition());
    if (!travel.Lower && !travel.Upper) return {};
    return ",,," + EndField(travel.Lower) + "," + EndField(travel.Upper);
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

typMotorRange NotedTravel(const std::string& blankXml, std::int32_t motorType,
                          double motorPosition) {
    const std::optional<typJointNote> note = ReadJointNotes(blankXml).Joint;
    if (!note) return {};
    const MotorKind kind = MotorKindOf(static_cast<std::int16_t>(motorType));
    const bool fits = (note->Type == "revolute" && kind == MotorKind::Rotational) ||
                      (note->Type == "prismatic" && kind == MotorKind::Linear);
    if (!fits) return {};
    const auto end = [&](const std::optional<double>& urdf) -> std::optional<double> {
        if (!urdf) return std::nullopt;
        return MotorPositionOfUrdf(kind, *note, *urdf) - motorPosition;
    };
    return {end(note->Lower), end(note->Upper)};
}

std::vector<std::string> MotorOccurrencePaths(const clsPartRoom& room) {
    std::vector<std::string> out;
    for (const Occurrence& o : OccurrencesOf(room)) out.push_back(o.Path);
    return out;
}

std::string DefaultMotorsText(const clsPartRoom& room) {
    const typMotorMasks masks = room.MotorMasks();
    const std::vector<Occurrence> occurrences = OccurrencesOf(room);
    std::string text = kDefaultLimits;
    for (int i = 1; i <= masks.TotalMasks && masks.Masks.IsAllocated() && i <= masks.Masks.UBound();
         ++i) {
        const std::string& roomName = masks.Masks(i).Name;
        const std::size_t at = static_cast<std::size_t>(i - 1);
        const bool known = at < occurrences.size();
        const std::string name =
            known && !occurrences[at].Path.empty() ? LastStep(occurrences[at].Path) : roomName;
        text += "\r\n" + Field(name) + "," + Field(roomName) + "," + std::to_string(i) + ",1" +
                (known ? NotedTravelFields(*occurrences[at].Room) : std::string());
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
    return MotorRangesOf(room, MotorsTextOf(room));
}

std::vector<typMotorRange> MotorRangesOf(const clsPartRoom& room, std::string_view motorsText) {
    const ParsedMotorProperties list =
        ParseMotorPropertiesText(IsBlank(motorsText) ? DefaultMotorsText(room) : motorsText);
    const typMotorMasks masks = room.MotorMasks();
    std::vector<typMotorRange> ranges(static_cast<std::size_t>(std::max(masks.TotalMasks, 0)));
    for (std::size_t i = 0; i < ranges.size() && i < list.motors.size(); ++i)
        ranges[i] = typMotorRange{list.motors[i].Lower, list.motors[i].Upper};
    return ranges;
}

}  // namespace torvane
