#pragma once
// The motor list belongs to the robot: each part room keeps it as the properties text of its
// motor mask table, which the robot file saves. A room whose text is empty drives with a list
// made from its mask table (default limits 5,5; one motor per occurrence, on ports 1 to n, one
// position unit per encoder step), so a robot can be graphed, plotted and driven on simulated
// motors without any set-up. Motor i of the list is motor i of the room's mask table.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolpath/typMotorProperties.h"

namespace torvane {

class clsPartRoom;

// Where each motor occurrence of room's tree sits, in the order of its mask table: the names of
// the subparts from the room down, joined by "/" ("Column1/Palm1/LeftFinger"); empty for the
// motor of the room itself. Two uses of one room are told apart by these.
std::vector<std::string> MotorOccurrencePaths(const clsPartRoom& room);

// The list made from room's mask table: "5,5", then one line "Name,Room,Port,1" per occurrence,
// named after the subpart that holds it. An occurrence of a room imported from a revolute or
// prismatic URDF joint with limits gets them as its travel ("Name,Room,Port,1,,,Lower,Upper", in
// degrees or model units), so an imported robot keeps to its joints' limits with no list stored.
std::string DefaultMotorsText(const clsPartRoom& room);
// The room's stored list, or the default one when none is stored.
std::string MotorsTextOf(const clsPartRoom& room);
// What to store for text as the room's list: empty when text is the default list (so the list
// keeps following the mask table as motors are added), the text itself otherwise.
std::string MotorsTextToStore(const clsPartRoom& room, const std::string& text);

// The travel of one motor, in its position units; an end without a limit is open.
struct typMotorRange {
    std::optional<double> Lower;
    std::optional<double> Upper;
    bool Contains(double value) const noexcept {
        return (!Lower || value >= *Lower) && (!Upper || value <= *Upper);
    }
    double Clamped(double value) const noexcept {
        if (Lower && value < *Lower) return *Lower;
        if (Upper && value > *Upper) return *Upper;
        return value;
    }
    friend bool operator==(const typMotorRange&, const typMotorRange&) = default;
};

// The travel in mask values that the joint notes of an imported room (its BlankXML) give its motor
// of motorType at motorPosition (its own position, which a mask value adds to): a revolute or
// prismatic joint's limits converted to degrees or model units. Open where the notes give none,
// for a continuous joint and for a joint that no longer fits the motor.
typMotorRange NotedTravel(const std::string& blankXml, std::int32_t motorType,
                          double motorPosition);

// The travel of each motor of room's mask table, in table order, from its motor list (stored or
// default); open for a motor the list does not reach. A list that cannot be read raises the
// reader's error.
std::vector<typMotorRange> MotorRangesOf(const clsPartRoom& room);
// The same for motorsText as the room's list (the default list when it is blank), such as a list
// typed but not yet stored.
std::vector<typMotorRange> MotorRangesOf(const clsPartRoom& room, std::string_view motorsText);

}  // namespace torvane
