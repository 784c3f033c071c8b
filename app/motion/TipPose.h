#pragma once
// The pose of a chain's tip as the inverse kinematics window shows and moves it: a position in
// the room's frame and, where orientation is solved, roll, pitch and yaw in radians about the
// room's fixed axes X, Y and Z (the rotation is Rz(yaw) Ry(pitch) Rx(roll), as URDF writes it).

#include <array>

#include "model/Frame.h"
#include "model/Records.h"

namespace mechanon {

struct TipPose {
    torvane::typ3Point Position;
    std::array<double, 3> RollPitchYaw{0, 0, 0};  // radians
};

// The pose of a frame. At pitch +-90 degrees, where roll and yaw turn about the same axis, the
// whole turn is given as yaw and roll is 0.
TipPose PoseOf(const torvane::typFrame& frame);
// The frame of a pose.
torvane::typFrame FrameOf(const TipPose& pose);

// The room's axes as the jog buttons name them.
enum class Axis { X = 0, Y = 1, Z = 2 };

// pose moved by distance along the room's axis.
TipPose Moved(const TipPose& pose, Axis axis, double distance);
// pose turned by radians about the room's axis through the tip (the position stays).
TipPose Turned(const TipPose& pose, Axis axis, double radians);

}  // namespace mechanon
