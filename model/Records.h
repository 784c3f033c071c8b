#pragma once
// The plain value records of the robot model. Assigning one copies every field. Field order is
// the order in which the robot file stores them.

#include <cstdint>
#include <string>

#include "model/VbArray.h"

namespace torvane {

// A position, size or translation in model units (GL units, Z up).
struct typ3Point {
    double X = 0;
    double Y = 0;
    double Z = 0;
    friend bool operator==(const typ3Point&, const typ3Point&) = default;
};

// An orientation in degrees; how the three angles turn a frame is fixed by the placement walk.
struct typAttitude {
    double Pitch = 0;
    double Yaw = 0;
    double Roll = 0;
    friend bool operator==(const typAttitude&, const typAttitude&) = default;
};

// Eye position and the point it looks at, model units.
struct typCamera {
    double CameraX = 0;
    double CameraY = 0;
    double CameraZ = 0;
    double LookAtX = 0;
    double LookAtY = 0;
    double LookAtZ = 0;
    friend bool operator==(const typCamera&, const typCamera&) = default;
};

// The motor a part room can have, with the numbers the robot file stores in MotorType.
enum class MotorKind : std::int16_t { None = 0, Linear = 1, Rotational = 2 };
// The stored number of a kind, and the kind of a stored number (none for numbers no kind has).
constexpr std::int16_t MotorTypeOf(MotorKind kind) noexcept {
    return static_cast<std::int16_t>(kind);
}
constexpr MotorKind MotorKindOf(std::int16_t motorType) noexcept {
    return motorType == MotorTypeOf(MotorKind::Linear)       ? MotorKind::Linear
           : motorType == MotorTypeOf(MotorKind::Rotational) ? MotorKind::Rotational
                                                             : MotorKind::None;
}

// The definition of one part room.
struct typPartData {
    std::string Name;
    std::string ParentName;
    std::string ShapeName;
    DoubleArray Size;        // full extents x, y, z, indices 1..3
    DoubleArray ShapeColor;  // red, green, blue in percent, indices 1..3
    typ3Point RelativePosition;
    typAttitude RelativeAttitude;
    typ3Point JointPosition;
    typAttitude JointAttitude;
    typ3Point JointTranslation;
    double MotorPosition = 0;
    DoubleArray JointAngles;          // (Yaw, Pitch, Roll) actually turned at the joint, degrees
    std::int16_t MotorType = 0;       // a MotorKind: 0 none, 1 linear, 2 rotational
    std::int16_t MotorDimension = 0;  // 1, 2, 3: X/Y/Z or Pitch/Yaw/Roll
    std::string Description;
    std::string BlankXML;
    typCamera Camera;
    std::string Picture;
    friend bool operator==(const typPartData&, const typPartData&) = default;
};

// One use of a part room inside another.
struct typSubPartData {
    typ3Point RelativePosition;
    typAttitude RelativeAttitude;
    std::string Name;
    std::string SavePartName;
    std::string Description;
    std::string BlankXML;
    typCamera Unused;
    typAttitude JointAttitude;
    typ3Point JointTranslation;
    DoubleArray JointAngles;
    std::string Picture;
    friend bool operator==(const typSubPartData&, const typSubPartData&) = default;
};

// One motor occurrence of a room's tree.
struct typMotorMask {
    std::string Name;  // name of the part room whose motor this is
    double Value = 0;  // added to that room's MotorPosition for this occurrence
    friend bool operator==(const typMotorMask&, const typMotorMask&) = default;
};

// The motor mask table of a part room.
struct typMotorMasks {
    VbArray<typMotorMask> Masks;  // lower bound 1, walk order
    std::int32_t CountMasks = 0;  // placement cursor: the next mask to consume
    std::int32_t TotalMasks = 0;  // number of occurrences
    std::string XMLScript;
    std::string VBScript;
    std::string XMLProperties;
    friend bool operator==(const typMotorMasks&, const typMotorMasks&) = default;
};

// A part room as the robot file stores it.
struct typWrapRoom {
    typPartData Part;
    VbArray<typSubPartData> SubParts;
    typMotorMasks MotorMasks;
    friend bool operator==(const typWrapRoom&, const typWrapRoom&) = default;
};

// The whole robot as the robot file stores it.
struct typWrapRooms {
    VbArray<typWrapRoom> Rooms;
    friend bool operator==(const typWrapRooms&, const typWrapRooms&) = default;
};

}  // namespace torvane
