#pragma once
// The program's side of a room's motor list (toolpath/RoomMotorList.h): everything that graphs,
// re-times, plots or drives loads the active room's list into the tool-path object first.

#include <string_view>

#include "toolpath/RoomMotorList.h"

namespace torvane {
class clsToolPath;
}  // namespace torvane

namespace mechanon {

class clsBots;

// Shows why text cannot be used as a motor list (the reader's own message, and where the list
// is edited) and ends the command quietly; nothing when text is empty or can be read.
void RefuseUnreadableMotorsText(std::string_view text);

// Loads the active room's list into the tool-path object (motors and default limits). A stored
// list that cannot be read is reported, naming the room and where to correct it, and ends the
// command quietly with the tool-path object unchanged.
void UseActiveRoomMotors(clsBots& bots);
// UseActiveRoomMotors, then refuses in words (and ends the command quietly) a path that drives
// more motors than the list names, before any port is opened.
void UseActiveRoomMotorsFor(clsBots& bots, std::string_view toolPath);
// Raises, at the line of its piece, the error of a path that takes a motor of the active room
// outside the travel the room's motor list gives it (the motor's name, the S where it leaves and
// its position there); nothing when every motor stays within its travel. The tool path's stop is
// polled while the path is evaluated.
void RefusePathOutsideTravel(clsBots& bots, std::string_view toolPath);

}  // namespace mechanon
