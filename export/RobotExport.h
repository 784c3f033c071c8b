#pragma once
// The exports of a placed room, shared by the command line and the program.

#include <filesystem>
#include <vector>

#include "export/UrdfRobot.h"

namespace mechanon {

// Every shape of the room in world coordinates (metres), floor grids left out.
std::vector<MeshTriangle> WorldTriangles(
    const std::vector<torvane::typPlacedOccurrence>& occurrences, double metresPerUnit);

// urdfPath and the mesh of every link with a surface under meshes/ beside it, all or nothing.
void WriteUrdf(const UrdfRobot& robot, const std::filesystem::path& urdfPath);
// One binary STL of the triangles, all or nothing.
void WriteStl(const std::vector<MeshTriangle>& triangles, const std::filesystem::path& stlPath);

}  // namespace mechanon
