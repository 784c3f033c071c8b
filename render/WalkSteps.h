#pragma once
// What the view's placement walks share: the shapes object a room draws with, a frame as the
// column-major matrix GL takes, and a motor's step as the walk's elementary turn or shift.

#include <array>

#include "model/Frame.h"
#include "model/IShapes.h"
#include "model/PlacementVisitor.h"

namespace torvane {

// room's shapes object; a missing-object error naming the room when it has none.
IShapes& ShapesOf(const clsPartRoom& room);

std::array<double, 16> ColumnsOf(const typFrame& frame);

// The motor's step made through visitor's own Rotate (rotational) or Translate (linear).
void MoveByTurnOrShift(IPlacementVisitor& visitor, const typJointMotion& motion);

}  // namespace torvane
