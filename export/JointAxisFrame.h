#pragma once
// How a URDF joint of any axis becomes a motor of the model, whose motors turn only about
// +X (Roll), -Y (Pitch) and -Z (Yaw) and shift only along +X, +Y and +Z. The joint's room is
// placed turned by an alignment A that lays the chosen motor axis m onto the URDF axis a
// (A m = a), so the room's frame is the URDF link frame times A; everything placed in the room
// is placed by A's inverse first. Importer and exporter share this, so an imported robot exports
// with its own link frames.

#include <cstdint>

#include "model/Frame.h"
#include "model/Records.h"

namespace mechanon {

struct MotorChoice {
    std::int16_t Dimension = 0;  // the model's MotorDimension
    torvane::typ3Point Axis;     // the model's axis of that motor
};

// The model's motor (rotational or linear) whose axis is nearest the unit axis a.
MotorChoice NearestMotor(torvane::MotorKind kind, const torvane::typ3Point& a);

// The shortest turn that lays the unit vector m onto the unit vector a (the identity when they
// agree, a half turn about a fixed perpendicular when they are opposite).
torvane::typFrame Alignment(const torvane::typ3Point& m, const torvane::typ3Point& a);

// A rigid frame as the model's position and attitude (degrees; Yaw about -Z, then Pitch about
// -Y, then Roll about +X).
struct Placement {
    torvane::typ3Point Position;
    torvane::typAttitude Attitude;
};
Placement PlacementOf(const torvane::typFrame& frame);
// A frame from a translation and URDF roll, pitch and yaw in radians (Rz(yaw) Ry(pitch) Rx(roll)).
torvane::typFrame FrameOfRpy(const torvane::typ3Point& xyz, double roll, double pitch, double yaw);

}  // namespace mechanon
