#include "app/motion/TipPose.h"

#include <cmath>
#include <numbers>

namespace mechanon {
namespace {

constexpr double kDegreesPerRadian = 180 / std::numbers::pi;

torvane::typ3Point UnitAxis(Axis axis) {
    torvane::typ3Point unit;
    (axis == Axis::X ? unit.X : axis == Axis::Y ? unit.Y : unit.Z) = 1;
    return unit;
}

}  // namespace

TipPose PoseOf(const torvane::typFrame& frame) {
    TipPose pose;
    pose.Position = {frame(0, 3), frame(1, 3), frame(2, 3)};
    const double cosPitch = std::hypot(frame(0, 0), frame(1, 0));
    const double pitch = std::atan2(-frame(2, 0), cosPitch);
    // Below this the roll and yaw axes coincide to the precision of the matrix.
    constexpr double kGimbalLock = 1e-9;
    if (cosPitch > kGimbalLock)
        pose.RollPitchYaw = {std::atan2(frame(2, 1), frame(2, 2)), pitch,
                             std::atan2(frame(1, 0), frame(0, 0))};
    else
        pose.RollPitchYaw = {0, pitch, std::atan2(-frame(0, 1), frame(1, 1))};
    return pose;
}

torvane::typFrame FrameOf(const TipPose& pose) {
    const auto& [roll, pitch, yaw] = pose.RollPitchYaw;
    return torvane::typFrame::Translation(pose.Position) *
           torvane::typFrame::Rotation(yaw * kDegreesPerRadian, UnitAxis(Axis::Z)) *
           torvane::typFrame::Rotation(pitch * kDegreesPerRadian, UnitAxis(Axis::Y)) *
           torvane::typFrame::Rotation(roll * kDegreesPerRadian, UnitAxis(Axis::X));
}

TipPose Moved(const TipPose& pose, Axis axis, double distance) {
    TipPose moved = pose;
    const torvane::typ3Point unit = UnitAxis(axis);
    moved.Position.X += unit.X * distance;
    moved.Position.Y += unit.Y * distance;
    moved.Position.Z += unit.Z * distance;
    return moved;
}

TipPose Turned(const TipPose& pose, Axis axis, double radians) {
    TipPose rotationOnly = pose;
    rotationOnly.Position = {};
    TipPose turned =
        PoseOf(torvane::typFrame::Rotation(radians * kDegreesPerRadian, UnitAxis(axis)) *
               FrameOf(rotationOnly));
    turned.Position = pose.Position;
    return turned;
}

}  // namespace mechanon
