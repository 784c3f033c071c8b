#pragma once
// A room's expanded tree as a URDF robot: one link per occurrence under a fixed "world" link,
// joined to its parent by a revolute (rotational motor), prismatic (linear motor) or fixed
// joint. A moving link's frame is its joint's frame after the motor's step; a fixed link's is
// its part's frame. Lengths are in metres (model units times the unit), angles in radians.
// A robot that was imported from URDF comes out with the link and joint names, joint types,
// limits, mimics and link frames it came in with: its root link is the robot's root (no
// "world"), and the rooms that hold a link's further visuals join that link's mesh.

#include <cstdint>
#include <string>
#include <vector>

#include "export/ShapeMesh.h"
#include "model/FramePlacementVisitor.h"
#include "model/JointNotes.h"

namespace mechanon {

struct UrdfLink {
    std::string Name;          // unique in the robot, built from the occurrence's path
    std::string JointName;     // the joint to the parent: Name + "_joint"
    std::string JointType;     // "fixed", "revolute" or "prismatic"
    std::int32_t Parent = -1;  // index into Links; -1 for the world link
    torvane::typFrame ParentFromJoint;
    torvane::typ3Point Axis;  // unit, in the joint's frame
    double JointValue = 0;    // radians or metres at the positions placed
    torvane::typFrame WorldFromLink;
    torvane::typFrame LinkFromShape;
    std::string ShapeName;
    torvane::DoubleArray Size;
    torvane::DoubleArray Color;
    std::vector<MeshTriangle> Mesh;  // in the link's frame, metres; empty without a surface
    // What an imported room remembers of its URDF joint: type, limits, mimic.
    std::optional<torvane::typJointNote> Note;
    // The travel of the joint's motor from the room's motor list, in radians or metres; open
    // where the motor has none. A rotational motor with travel is a revolute joint, one without
    // a continuous joint.
    std::optional<double> Lower;
    std::optional<double> Upper;
    double MaxVelocity = 0;  // the motor's own speed limit in radians or metres per second; 0 none
    bool JoinedVisuals = false;  // Mesh holds the shapes of several rooms
};

struct UrdfRobot {
    std::string Name;
    double MetresPerUnit = 1;
    std::vector<UrdfLink> Links;  // parents before children
    // A robot made by import keeps its own root link; any other hangs from a "world" link.
    bool WorldLink = true;
};

inline constexpr const char* kWorldLink = "world";

// Fails with an invalid-argument error for a unit that is not a positive finite number, and with
// the reader's error for a stored motor list that cannot be read. Each joint's travel and speed
// limit come from the motor list of the room the occurrences were placed from (its stored one,
// else the default one, which takes an imported room's from its joint notes). Without meshes only
// the links' frames and joints are made (what poses need).
enum class LinkMeshes { Built, Left };
UrdfRobot BuildUrdfRobot(const std::vector<torvane::typPlacedOccurrence>& occurrences,
                         const std::string& robotName, double metresPerUnit,
                         LinkMeshes meshes = LinkMeshes::Built);

// The file name a link's mesh has under the meshes folder.
std::string MeshFileName(const UrdfLink& link);
// A name made of letters, digits, '_' and '-' only, never empty.
std::string SafeName(const std::string& text);

std::string UrdfText(const UrdfRobot& robot);
// "joint NAME VALUE" per moving joint, then "link NAME" and the 16 numbers of its world frame,
// row by row, per link (the world link first).
std::string PosesText(const UrdfRobot& robot);

}  // namespace mechanon
