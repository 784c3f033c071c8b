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
#include "toolpath/RoomMotorList.h"
#include "toolpath/ToolPathPieces.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {
namespace {

constexpr const char* kWhereToEdit =
    "The motor list is edited on the Properties page of Control Motors, or in Motors > Motors "
    "Properties: a first line \"VMax,AMax\", then one line "
    "\"Name,Part,Port,Scale,MaxV,MaxA,Lower,Upper\" per motor (the fields after the port may be "
    "left out).";

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
    const std::string text = torvane::MotorsTextOf(*room);
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

void RefusePathOutsideTravel(clsBots& bots, std::string_view toolPath) {
    const auto room = bots.PartRooms().ActivePartRoom;
    if (!room) return;
    const std::string list = torvane::MotorsTextOf(*room);
    std::vector<std::string> names;
    for (const torvane::typMotorProperties& motor : torvane::ParseMotorPropertiesText(list).motors)
        names.push_back(motor.Name);
    bots.ToolPathControl().CheckTravel(toolPath, torvane::MotorRangesOf(*room, list), names);
}

}  // namespace mechanon
