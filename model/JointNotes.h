#pragma once
// What a part room remembers of the URDF joint and link it was made from, kept in its part
// record's BlankXML so that robot files stay as they are: one line
//   <joint name="..." type="revolute" lower="" upper="" velocity="" effort="" mimic="LEADER"
//          multiplier="" offset="" axis="x y z" unit=""/>
// in URDF units (radians, metres), attributes absent when the URDF has none, and a line
//   <link name="..."/>
// when the room's name had to differ from the link's, or, for a room that is one of several
// visuals of a link, a line
//   <visual link="..."/> axis is the joint's unit axis in the link
// frame; unit the metres per model unit the robot was imported at. Other text in BlankXML is
// kept as it stands.

#include <optional>
#include <string>

#include "model/Records.h"

namespace torvane {

struct typJointNote {
    std::string Name;
    std::string Type;  // revolute, continuous, prismatic or fixed
    std::optional<double> Lower;
    std::optional<double> Upper;
    std::optional<double> Velocity;
    std::optional<double> Effort;
    std::string Mimic;  // the leading joint's name; empty when the joint follows none
    std::optional<double> Multiplier;
    std::optional<double> Offset;
    std::optional<typ3Point> Axis;
    std::optional<double> Unit;
    friend bool operator==(const typJointNote&, const typJointNote&) = default;
};

struct typJointNotes {
    std::optional<typJointNote> Joint;
    std::string LinkName;  // empty when the room is named after its link
    std::string VisualOf;  // the link this room is a visual of; empty for any other room
    friend bool operator==(const typJointNotes&, const typJointNotes&) = default;
};

// The notes found in a BlankXML text; text that is not a note is passed over, a note that
// cannot be read is treated as absent.
typJointNotes ReadJointNotes(const std::string& blankXml);
// blankXml with its notes replaced by notes (none written for empty notes).
std::string WithJointNotes(const std::string& blankXml, const typJointNotes& notes);

// The link name of a room: the noted one, else the room's own name.
std::string NotedLinkName(const typPartData& part);

// A value of the note's URDF joint (radians, metres) as the position of a motor of kind (degrees,
// model units at the note's unit, 1 metre when it has none), and back. Nothing else lies between
// them: the import turns each room so that its motor moves along or about the joint's own axis,
// and position 0 is the joint's origin.
double MotorPositionOfUrdf(MotorKind kind, const typJointNote& note, double urdfValue);
double UrdfValueOfMotorPosition(MotorKind kind, const typJointNote& note, double position);
// The same at metresPerUnit metres per model unit, as an export writes a robot.
double UrdfValueOfMotorPosition(MotorKind kind, double metresPerUnit, double position);

}  // namespace torvane
