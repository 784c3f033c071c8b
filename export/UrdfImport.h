#pragma once
// A URDF robot read into part rooms: one room per link, named after the link, joined to its
// parent room as a subpart at the joint's origin. The joint's name, type, limits, velocity,
// effort and mimic go into the link room's BlankXML (see model/JointNotes.h), in URDF units.
// Every visual of a link becomes a shape: the first one is the link room's own when its origin
// is the link frame, the others rooms of their own used as subparts. Lengths are converted to
// model units by MetresPerUnit, angles to degrees.

#include <filesystem>
#include <string>
#include <vector>

#include "model/Records.h"

namespace mechanon {

// Metres per model unit when nothing else is said: a 0.3 m arm then fills the default view.
inline constexpr double kDefaultImportUnit = 0.01;

struct UrdfImportOptions {
    // Folders searched in order for package://PKG/...: PKG is a subfolder of one of them.
    std::vector<std::filesystem::path> PackagePath;
    double MetresPerUnit = kDefaultImportUnit;
};

struct UrdfImportResult {
    torvane::typWrapRooms
        Rooms;              // the room of the root link first, each parent before its children
    std::string RobotRoom;  // the room that holds the whole robot (the root link's)
    // Things the user should know that did not stop the import: meshes that could not be found or
    // read (each named once), joint types imported as fixed.
    std::vector<std::string> Warnings;
};

// The folders of ROS_PACKAGE_PATH (colon-separated), in order; empty when it is not set.
std::vector<std::filesystem::path> RosPackagePath();

// Reads the URDF file. Mesh shapes name their files by absolute path ("mesh:/abs/file.stl");
// TakeMeshesAlong (export/MeshFolder.h) makes them relative when the robot is saved.
// Bad input (malformed XML, a .xacro file, a link with two parents, a joint naming a missing
// link, a cycle, an unknown joint type, a unit that is not a positive finite number) fails with
// torvane::Error naming the file and the element (and the line where it is known); nothing is
// written anywhere.
UrdfImportResult ImportUrdf(const std::filesystem::path& urdfFile,
                            const UrdfImportOptions& options);

}  // namespace mechanon
