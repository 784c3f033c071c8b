#include "render/WalkSteps.h"

#include "model/Error.h"
#include "model/clsPartRoom.h"

namespace torvane {

IShapes& ShapesOf(const clsPartRoom& room) {
    if (!room.Shapes)
        Raise(ErrorCode::MissingObject,
              "The part room \"" + room.Name() + "\" has no shapes object to draw with.");
    return *room.Shapes;
}

std::array<double, 16> ColumnsOf(const typFrame& frame) {
    std::array<double, 16> columns{};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) columns[static_cast<std::size_t>(c * 4 + r)] = frame(r, c);
    return columns;
}

void MoveByTurnOrShift(IPlacementVisitor& visitor, const typJointMotion& motion) {
    const typ3Point& a = motion.Axis;
    if (motion.MotorType == 2)
        visitor.Rotate(motion.Value, a);
    else
        visitor.Translate(typ3Point{a.X * motion.Value, a.Y * motion.Value, a.Z * motion.Value});
}

}  // namespace torvane
