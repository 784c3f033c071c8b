#pragma once
// The triangles of a placed shape, as the shape library emits them for the 3D view, carried
// into another frame and unit.

#include <array>
#include <string>
#include <vector>

#include "model/Frame.h"
#include "model/VbArray.h"

namespace mechanon {

using MeshTriangle = std::array<torvane::typ3Point, 3>;

// A placement in model units given in metres: the translation scaled by metresPerUnit.
torvane::typFrame ScaledFrame(const torvane::typFrame& frame, double metresPerUnit);

// The shape's surface (shape name and full sizes as the part stores them) with every corner
// mapped by targetFromShape and scaled by metresPerUnit. Empty for shapes without a surface
// (grids, unknown names); sizes that are not finite fail with an overflow error.
std::vector<MeshTriangle> ShapeTriangles(const std::string& shapeName,
                                         const torvane::DoubleArray& fullSize,
                                         const torvane::typFrame& targetFromShape,
                                         double metresPerUnit);

}  // namespace mechanon
