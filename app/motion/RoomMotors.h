#pragma once
// The motor list belongs to the robot: each part room keeps it as the properties text of its
// motor mask table, which the robot file saves. A room whose text is empty drives with a list
// made from its mask table (default limits 5,5; one motor per occurrence, on ports 1 to n, one
// position unit per encoder step), so a robot can be graphed, plotted and driven on simulated
// motors without any set-up. Everything that graphs, re-times, plots or drives loads the
// active room's list into the tool-path object first.

#include <string>
#include <string_view>
#include <vector>

namespace torvane {
class clsPartRoom;
class clsToolPath;
}  // namespace torvane

namespace mechanon {

class clsBots;

// Where each motor occurrence of room's tree sits, in the order of its mask table: the names of
// the subparts from the room down, joined by "/" ("Column1/Palm1/LeftFinger"); empty for the
// motor of the room itself. Two uses of one room are told apart by these.
std::vector<std::string> MotorOccurrencePaths(const torvane::clsPartRoom& room);

// The list made from room's mask table: "5,5", then one line "Name,Room,Port,1" per occurrence,
// named after the subpart that holds it.
std::string DefaultMotorsText(const torvane::clsPartRoom& room);
// The room's stored list, or the default one when none is stored.
std::string MotorsTextOf(const torvane::clsPartRoom& room);
// What to store for text as the room's list: empty when text is the default list (so the list
// keeps following the mask table as motors are added), the text itself otherwise.
std::string MotorsTextToStore(const torvane::clsPartRoom& room, const std::string& text);

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

}  // namespace mechanon
