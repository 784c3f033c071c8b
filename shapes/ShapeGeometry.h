#pragma once
// The surfaces of the catalogue shapes, sent to any triangle sink: the 3D view draws them
// through GlSink, the exporters collect them through MeshSink, so a file holds exactly what the
// view shows. Every shape is centred on its frame's origin. Which name draws which surface, and
// from which sizes, is the catalogue's (ShapeRegistry.h).

#include "shapes/PrimoraApi.h"
#include "shapes/TriangleSink.h"

namespace primora {

// Slices around a cone's axis (and around the grid's rods and the axis marker's ball).
inline constexpr int kConeSlices = 16;

// The sphere shape's tessellation: slices around Z, stacks from pole to pole.
inline constexpr int kSphereSlices = 24;
inline constexpr int kSphereStacks = 16;

// The axis marker's ball: its radius in model units and its tessellation (slices around Z,
// stacks from pole to pole) at its finest, fine enough that its outline stays round at the
// largest sizes it is seen.
inline constexpr double kAxisBallRadius = 0.2;
inline constexpr int kAxisBallSlices = 16;
inline constexpr int kAxisBallStacks = 12;

// Half sizes: a flat quad of 2a by 2b in the XY plane, facing +Z.
PRIMORA_API void EmitSquarePlane(double a, double b, TriangleSink& sink);
// Half sizes: wings 2a long and 2b wide, a fin c high.
PRIMORA_API void EmitAirPlane(double a, double b, double c, TriangleSink& sink);
// Half sizes: a box of 2a by 2b by 2c.
PRIMORA_API void EmitBox(double a, double b, double c, TriangleSink& sink);
// Full sizes: a closed cone along Z from -height/2 (bottom diameter) to height/2 (top
// diameter), normals outward; equal diameters make a cylinder.
PRIMORA_API void EmitCone(double bottomDiameter, double topDiameter, double height,
                          TriangleSink& sink);

// A closed ball of diameter 1 at the origin as separate triangles, wound counter-clockwise seen
// from outside, normals outward: slices around Z, stacks from +Z to -Z, the poles single points
// so the surface has no seams.
PRIMORA_API void EmitUnitSphere(int slices, int stacks, TriangleSink& sink);

// A sphere of the given radius at the origin, normals outward: stacks quad strips from +Z down
// to -Z, each around Z in slices steps.
PRIMORA_API void EmitBall(double radius, int slices, int stacks, TriangleSink& sink);

}  // namespace primora
