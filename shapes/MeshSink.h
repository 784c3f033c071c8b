#pragma once
// Collects a shape's surface as separate triangles, the way GL assembles the primitives. Each
// triangle is wound counter-clockwise seen from the side its normals point to (the shapes give
// their normals outward, some older faces with the opposite winding), so the facets of a closed
// shape face outward whatever order its vertices came in. Triangles with two equal corners (the
// apex of a pointed cone) carry no surface and are left out. Line primitives are kept apart.

#include <array>
#include <vector>

#include "shapes/TriangleSink.h"

namespace primora {

struct MeshPoint {
    double x = 0, y = 0, z = 0;
    friend bool operator==(const MeshPoint&, const MeshPoint&) = default;
};

struct MeshTriangle {
    std::array<MeshPoint, 3> corners;
};

class PRIMORA_API MeshSink final : public TriangleSink {
  public:
    void Begin(PrimitiveMode mode) override;
    void Normal(double x, double y, double z) override;
    void Vertex(double x, double y, double z) override;
    void End() override;

    const std::vector<MeshTriangle>& Triangles() const noexcept { return triangles_; }
    // Pairs of end points of every line drawn.
    const std::vector<MeshPoint>& LinePoints() const noexcept { return lines_; }

  private:
    struct Corner {
        MeshPoint at;
        MeshPoint normal;
    };
    void AddTriangle(const Corner& a, const Corner& b, const Corner& c);
    void Assemble();

    PrimitiveMode mode_ = PrimitiveMode::Triangles;
    MeshPoint normal_{0, 0, 1};
    std::vector<Corner> pending_;
    std::vector<MeshTriangle> triangles_;
    std::vector<MeshPoint> lines_;
};

}  // namespace primora
