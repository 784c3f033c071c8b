#pragma once
// What the placement walk reports as it goes: the frames it builds, one elementary step at a
// time, the motion and the joint pose of each motor and the shape of each occurrence. The 3D
// view follows it on the GL model-view stack (GlPlacementVisitor in render/); the exporters
// follow it with matrices of their own (FramePlacementVisitor), so a file holds exactly what the
// view draws. The walk only reads the rooms: the poses it sets go to the visitor, and a caller
// that wants them in the robot keeps them with JointPoses.

#include <cstdint>
#include <string>

#include "model/Records.h"
#include "model/VbArray.h"

namespace torvane {

class clsPartRoom;
class clsSubPart;

// The step a motor makes at its joint: a turn of Value degrees about Axis (rotational) or a
// shift of Value model units along Axis (linear). Axis is a unit vector in the joint's frame.
struct typJointMotion {
    std::int16_t MotorType = 0;  // 1 linear, 2 rotational
    typ3Point Axis;
    double Value = 0;
};

// The fields of a part record that a joint's motor sets: the attitude (rotational) or the
// translation (linear) with the motor's component at its position, and for a rotational motor
// the angles turned at the joint, recomputed from that attitude.
struct typJointPose {
    typAttitude JointAttitude;
    typ3Point JointTranslation;
    DoubleArray JointAngles;
};

class IPlacementVisitor {
  public:
    virtual ~IPlacementVisitor() = default;

    // An occurrence of room, used through use, begins; its frame starts as its parent's.
    virtual void Enter(const clsSubPart& use, clsPartRoom& room) = 0;
    // The occurrence entered last ends; the parent's frame is current again.
    virtual void Leave() = 0;
    virtual void Translate(const typ3Point& by) = 0;
    virtual void Rotate(double degrees, const typ3Point& axis) = 0;
    // The motor's own step; the frame before it is the joint's frame.
    virtual void Move(const typJointMotion& motion) = 0;
    // The pose this occurrence's motor gives room's joint, before its pivot; only for a room
    // whose motor sets one (a linear motor along a valid axis, any rotational motor).
    virtual void Pose(clsPartRoom& room, const typJointPose& pose) = 0;
    // The current frame is the joint's pivot, before the joint turns.
    virtual void Pivot(clsPartRoom& room) = 0;
    // The occurrence's shape in the current frame; the arguments are SelectShape's.
    virtual void Shape(clsPartRoom& room, DoubleArray& size, std::string& shapeName,
                       DoubleArray& color, std::string& partName, std::string& subPartName) = 0;
};

}  // namespace torvane
