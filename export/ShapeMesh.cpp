#include "export/ShapeMesh.h"

#include "model/Error.h"
#include "shapes/MeshSink.h"
#include "shapes/ShapeRegistry.h"

namespace mechanon {

torvane::typFrame ScaledFrame(const torvane::typFrame& frame, double metresPerUnit) {
    torvane::typFrame scaled = frame;
    for (int r = 0; r < 3; ++r) scaled(r, 3) *= metresPerUnit;
    return scaled;
}

std::vector<MeshTriangle> ShapeTriangles(const std::string& shapeName,
                                         const torvane::DoubleArray& fullSize,
                                         const torvane::typFrame& targetFromShape,
                                         double metresPerUnit) {
    if (!fullSize.IsAllocated() || fullSize.LBound() > 1 || fullSize.UBound() < 3) return {};
    const primora::DoubleArray size(1, {fullSize(1), fullSize(2), fullSize(3)});
    primora::MeshSink sink;
    try {
        if (!primora::EmitShapeSurface(shapeName, size, sink)) return {};
    } catch (const primora::ShapeError& e) {
        torvane::Raise(torvane::ErrorCode::Overflow, e.what());
    }
    const torvane::typFrame target = ScaledFrame(targetFromShape, metresPerUnit);
    std::vector<MeshTriangle> out;
    out.reserve(sink.Triangles().size());
    for (const primora::MeshTriangle& t : sink.Triangles()) {
        MeshTriangle placed;
        for (std::size_t i = 0; i < 3; ++i) {
            const primora::MeshPoint& p = t.corners[i];
            placed[i] = target.Apply(p.x * metresPerUnit, p.y * metresPerUnit, p.z * metresPerUnit);
        }
        out.push_back(placed);
    }
    return out;
}

}  // namespace mechanon
