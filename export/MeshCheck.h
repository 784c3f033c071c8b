#pragma once
// Exports of a robot need every mesh its parts show: a file written without one would be a robot
// with a hole in it.

#include <vector>

#include "model/FramePlacementVisitor.h"

namespace mechanon {

// Fails with a file error naming the first occurrence whose mesh file cannot be read (and the
// file, and why); mesh files are resolved against the mesh folder (shapes/MeshShape.h).
void RequireReadableMeshes(const std::vector<torvane::typPlacedOccurrence>& occurrences);

}  // namespace mechanon
