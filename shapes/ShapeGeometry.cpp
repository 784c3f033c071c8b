#include "shapes/ShapeGeometry.h"

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "shapes/MeshSink.h"

namespace primora {

void EmitSquarePlane(double a, double b, TriangleSink& sink) {
    sink.Begin(PrimitiveMode::Quads);
    sink.Normal(0, 0, 1);
    sink.Vertex(-a, -b, 0);
    sink.Vertex(a, -b, 0);
    sink.Vertex(a, b, 0);
    sink.Vertex(-a, b, 0);
    sink.End();
}

void EmitAirPlane(double a, double b, double c, TriangleSink& sink) {
    // 0.1 and 0.05 are absolute lengths: the lower wing sits just under the upper one.
    sink.Begin(PrimitiveMode::Triangles);
    sink.Normal(0, 0, 1);  // upper wing
    sink.Vertex(-a, b, 0);
    sink.Vertex(-a, -b, 0);
    sink.Vertex(a, 0, 0);
    sink.Normal(0, 0, -1);  // lower wing
    sink.Vertex(-a, b, -0.1);
    sink.Vertex(-a, -b, -0.1);
    sink.Vertex(a, 0, -0.05);
    sink.Normal(0, 1, 0);  // fin, left face
    sink.Vertex(-a, 0, c);
    sink.Vertex(-a, 0.1 * b, 0);
    sink.Vertex(a, 0, 0);
    sink.Normal(0, -1, 0);  // fin, right face
    sink.Vertex(-a, 0, c);
    sink.Vertex(-a, -0.1 * b, 0);
    sink.Vertex(a, 0, 0);
    sink.End();
}

namespace {

void BoxFace(TriangleSink& sink, double nx, double ny, double nz,
             const std::array<std::array<double, 3>, 4>& corners) {
    sink.Normal(nx, ny, nz);
    for (const auto& c : corners) sink.Vertex(c[0], c[1], c[2]);
}

}  // namespace

void EmitBox(double a, double b, double c, TriangleSink& sink) {
    sink.Begin(PrimitiveMode::Quads);
    BoxFace(sink, 0, 0, 1, {{{-a, -b, c}, {a, -b, c}, {a, b, c}, {-a, b, c}}});
    BoxFace(sink, 0, 0, -1, {{{-a, -b, -c}, {a, -b, -c}, {a, b, -c}, {-a, b, -c}}});
    BoxFace(sink, 1, 0, 0, {{{a, b, c}, {a, b, -c}, {a, -b, -c}, {a, -b, c}}});
    BoxFace(sink, -1, 0, 0, {{{-a, b, c}, {-a, b, -c}, {-a, -b, -c}, {-a, -b, c}}});
    BoxFace(sink, 0, 1, 0, {{{a, b, c}, {a, b, -c}, {-a, b, -c}, {-a, b, c}}});
    BoxFace(sink, 0, -1, 0, {{{a, -b, c}, {a, -b, -c}, {-a, -b, -c}, {-a, -b, c}}});
    sink.End();
}

namespace {

// Slice i of a turn: x along the sine, y along the cosine, so that slice 0 points along +Y.
struct SliceAngle {
    double sine, cosine;
};

std::vector<SliceAngle> SliceAngles() {
    std::vector<SliceAngle> angles;
    for (int i = 0; i <= kConeSlices; ++i) {
        const double angle = 2 * std::numbers::pi * (i % kConeSlices) / kConeSlices;
        angles.push_back({std::sin(angle), std::cos(angle)});
    }
    return angles;
}

void EmitDisk(const std::vector<SliceAngle>& angles, double radius, double z, bool facesUp,
              TriangleSink& sink) {
    sink.Begin(PrimitiveMode::TriangleFan);
    sink.Normal(0, 0, facesUp ? 1 : -1);
    sink.Vertex(0, 0, z);
    // Slices run clockwise seen from +Z: walked backwards for a disk that faces up.
    for (int k = 0; k <= kConeSlices; ++k) {
        const SliceAngle& s = angles[facesUp ? kConeSlices - k : k];
        sink.Vertex(radius * s.sine, radius * s.cosine, z);
    }
    sink.End();
}

}  // namespace

void EmitCone(double bottomDiameter, double topDiameter, double height, TriangleSink& sink) {
    const std::vector<SliceAngle> angles = SliceAngles();
    const double bottom = bottomDiameter / 2;
    const double top = topDiameter / 2;
    const double z0 = -height / 2;
    const double z1 = height / 2;
    // The side's smooth normal leans up by the slope of the side.
    const double slope = std::hypot(bottom - top, height);
    const double radial = slope > 0 ? height / slope : 1;
    const double axial = slope > 0 ? (bottom - top) / slope : 0;
    sink.Begin(PrimitiveMode::QuadStrip);
    for (const SliceAngle& s : angles) {
        sink.Normal(radial * s.sine, radial * s.cosine, axial);
        sink.Vertex(bottom * s.sine, bottom * s.cosine, z0);
        sink.Vertex(top * s.sine, top * s.cosine, z1);
    }
    sink.End();
    EmitDisk(angles, bottom, z0, false, sink);
    // The top disk last: its normal is what stays current for whatever is drawn next.
    EmitDisk(angles, top, z1, true, sink);
}

void EmitBall(double radius, int slices, int stacks, TriangleSink& sink) {
    for (int j = 0; j < stacks; ++j) {
        const double phi0 = std::numbers::pi * j / stacks;
        const double phi1 = std::numbers::pi * (j + 1) / stacks;
        sink.Begin(PrimitiveMode::QuadStrip);
        for (int i = 0; i <= slices; ++i) {
            // Counter-clockwise seen from outside: the upper ring's corner first.
            const double theta = 2 * std::numbers::pi * (i % slices) / slices;
            for (const double phi : {phi0, phi1}) {
                const double x = std::sin(phi) * std::cos(theta);
                const double y = std::sin(phi) * std::sin(theta);
                const double z = std::cos(phi);
                sink.Normal(x, y, z);
                sink.Vertex(radius * x, radius * y, radius * z);
            }
        }
        sink.End();
    }
}

namespace {

// Corner j of ring i of the unit sphere: the rings' ends and the poles are exact, so neighbouring
// triangles share their corners bit for bit.
MeshPoint SpherePoint(int i, int j, int slices, int stacks) {
    if (i == 0) return {0, 0, 0.5};
    if (i == stacks) return {0, 0, -0.5};
    const double theta = std::numbers::pi * i / stacks;
    const double phi = 2 * std::numbers::pi * (j % slices) / slices;
    return {0.5 * std::sin(theta) * std::cos(phi), 0.5 * std::sin(theta) * std::sin(phi),
            0.5 * std::cos(theta)};
}

void SphereCorner(const MeshPoint& p, TriangleSink& sink) {
    sink.Normal(2 * p.x, 2 * p.y, 2 * p.z);
    sink.Vertex(p.x, p.y, p.z);
}

}  // namespace

void EmitUnitSphere(int slices, int stacks, TriangleSink& sink) {
    sink.Begin(PrimitiveMode::Triangles);
    for (int i = 0; i < stacks; ++i)
        for (int j = 0; j < slices; ++j) {
            const MeshPoint a = SpherePoint(i, j, slices, stacks);
            const MeshPoint b = SpherePoint(i + 1, j, slices, stacks);
            const MeshPoint c = SpherePoint(i + 1, j + 1, slices, stacks);
            const MeshPoint d = SpherePoint(i, j + 1, slices, stacks);
            if (i + 1 < stacks) {  // at the lower pole b and c are one point
                SphereCorner(a, sink);
                SphereCorner(b, sink);
                SphereCorner(c, sink);
            }
            if (i > 0) {  // at the upper pole a and d are one point
                SphereCorner(a, sink);
                SphereCorner(c, sink);
                SphereCorner(d, sink);
            }
        }
    sink.End();
}

}  // namespace primora
