#include "app/motion/RoomMotors.h"

#include <algorithm>

#include "app/clsBots.h"
#include "app/editing/ReportErrors.h"
#include "model/Error.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "model/clsSubPart.h"
#include "platform/UserInterface.h"
#include "toolpath/MotorPropertiesText.h"
#include "toolpath/ToolPathPieces.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {
namespace {

constexpr const char* kDefaultLimits = "5,5";
constexpr const char* kWhereToEdit =
    "The motor list is edited on the Properties page of Control Motors, or in Motors > Motors "
    "Properties: a first line \"VMax,AMax\", then one line \"Name,Part,Port,Scale\" per motor.";

void AppendOccurrences(const torvane::clsPartRoom& room, const std::string& path,
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

[[noreturn]] void Refuse(const std::string& message) {
    torvane::Host().MsgBox(message, torvane::MsgButtons::OK);
    throw CommandStopped();
}

// The most motors a block of the path drives, its legs included.
int MotorsDrivenBy(torvane::clsToolPath& toolPath, std::string_view text) {
    return torvane::MotorCountOf(torvane::ReadToolPathPieces(toolPath.XMLClass(), text));
}

}  // namespace

std::vector<std::string> MotorOccurrencePaths(const torvane::clsPartRoom& room) {
    std::vector<std::string> out;
    AppendOccurrences(room, {}, out);
    return out;
}

std::string DefaultMotorsText(const torvane::clsPartRoom& room) {
    const torvane::typMotorMasks masks = room.MotorMasks();
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

std::string MotorsTextOf(const torvane::clsPartRoom& room) {
    const std::string stored = room.MotorMasks().XMLProperties;
    return IsBlank(stored) ? DefaultMotorsText(room) : stored;
}

std::string MotorsTextToStore(const torvane::clsPartRoom& room, const std::string& text) {
    return IsBlank(text) || text == DefaultMotorsText(room) ? std::string() : text;
}

void RefuseUnreadableMotorsText(std::string_view text) {
    if (IsBlank(text)) return;
    try {
        torvane::ParseMotorPropertiesText(text);
    } catch (const torvane::Error& e) {
        Refuse(std::string("The motor list cannot be used, so nothing was applied.\n\n") +
               e.what() + ".\n\n" + kWhereToEdit);
    }
}

void UseActiveRoomMotors(clsBots& bots) {
    const auto room = bots.PartRooms().ActivePartRoom;
    if (!room) return;
    const std::string text = MotorsTextOf(*room);
    try {
        torvane::ParseMotorPropertiesText(text);
    } catch (const torvane::Error& e) {
        Refuse("The motor list of the part room \"" + room->Name() + "\" cannot be used.\n\n" +
               e.what() + ".\n\n" + kWhereToEdit);
    }
    torvane::clsToolPath& toolPath = bots.ToolPathControl();
    toolPath.MotorsPropertiesString(text);
    toolPath.ParseMotorsProperties(toolPath.MotorsPropertiesString());
}

void UseActiveRoomMotorsFor(clsBots& bots, std::string_view toolPath) {
    UseActiveRoomMotors(bots);
    torvane::clsToolPath& control = bots.ToolPathControl();
    const int driven = MotorsDrivenBy(control, toolPath);
    const int listed = control.TotalMotors();
    if (driven <= listed) return;
    const auto room = bots.PartRooms().ActivePartRoom;
    const std::string roomName = room ? room->Name() : std::string();
    Refuse("The tool path drives " + std::to_string(driven) +
           " motors, but the motor list of the " + "part room \"" + roomName + "\" names " +
           (listed == 0 ? std::string("none") : "only " + std::to_string(listed)) +
           ", so nothing was driven.\n\nAdd a line for each further motor to the list, or "
           "leave the list empty to use one motor per joint of the room.  " +
           kWhereToEdit);
}

}  // namespace mechanon
