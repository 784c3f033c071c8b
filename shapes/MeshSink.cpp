#include "shapes/MeshSink.h"

#include <utility>

namespace primora {
namespace {

MeshPoint Minus(const MeshPoint& a, const MeshPoint& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

MeshPoint Cross(const MeshPoint& a, const MeshPoint& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Dot(const MeshPoint& a, const MeshPoint& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

}  // namespace

void MeshSink::Begin(PrimitiveMode mode) {
    mode_ = mode;
    pending_.clear();
}

void MeshSink::Normal(double x, double y, double z) {
    normal_ = {x, y, z};
}

void MeshSink::Vertex(double x, double y, double z) {
    pending_.push_back({{x, y, z}, normal_});
}

void MeshSink::End() {
    Assemble();
    pending_.clear();
}

void MeshSink::Assemble() {
    const auto& p = pending_;
    const std::size_t n = p.size();
    switch (mode_) {
        case PrimitiveMode::Triangles:
            for (std::size_t i = 0; i + 2 < n; i += 3) AddTriangle(p[i], p[i + 1], p[i + 2]);
            break;
        case PrimitiveMode::Quads:
            // Split along the diagonal from the second to the fourth corner, as GL does.
            for (std::size_t i = 0; i + 3 < n; i += 4) {
                AddTriangle(p[i], p[i + 1], p[i + 3]);
                AddTriangle(p[i + 1], p[i + 2], p[i + 3]);
            }
            break;
        case PrimitiveMode::QuadStrip:
            // Quad k is corners 2k, 2k+1, 2k+3, 2k+2 in GL's order.
            for (std::size_t i = 0; i + 3 < n; i += 2) {
                AddTriangle(p[i], p[i + 1], p[i + 3]);
                AddTriangle(p[i], p[i + 3], p[i + 2]);
            }
            break;
        case PrimitiveMode::TriangleFan:
            for (std::size_t i = 1; i + 1 < n; ++i) AddTriangle(p[0], p[i], p[i + 1]);
            break;
        case PrimitiveMode::Lines:
            for (std::size_t i = 0; i + 1 < n; i += 2) {
                lines_.push_back(p[i].at);
                lines_.push_back(p[i + 1].at);
            }
            break;
    }
}

void MeshSink::AddTriangle(const Corner& a, const Corner& b, const Corner& c) {
    if (a.at == b.at || b.at == c.at || a.at == c.at) return;
    const MeshPoint facing = Cross(Minus(b.at, a.at), Minus(c.at, a.at));
    const MeshPoint outward{a.normal.x + b.normal.x + c.normal.x,
                            a.normal.y + b.normal.y + c.normal.y,
                            a.normal.z + b.normal.z + c.normal.z};
    MeshTriangle t{{a.at, b.at, c.at}};
    if (Dot(facing, outward) < 0) std::swap(t.corners[1], t.corners[2]);
    triangles_.push_back(t);
}

}  // namespace primora
