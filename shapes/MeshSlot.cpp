#include "shapes/MeshSlot.h"

#include "meshio/MeshReader.h"
#include "shapes/MeshDrawing.h"
#include "shapes/MeshShape.h"

namespace primora {
namespace {

ShapeBox MarkerBox() {
    const double h = kMissingMeshMarker / 2;
    return {{-h, -h, -h}, {h, h, h}};
}

// The file's box stretched by the sizes; a mirroring size swaps the ends.
ShapeBox ScaledBounds(const meshio::Box& box, const ShapeSize& s) {
    const auto axis = [](double lo, double hi, double k) {
        return k >= 0 ? std::pair{lo * k, hi * k} : std::pair{hi * k, lo * k};
    };
    const auto [x0, x1] = axis(box.Min.x, box.Max.x, s.X);
    const auto [y0, y1] = axis(box.Min.y, box.Max.y, s.Y);
    const auto [z0, z1] = axis(box.Min.z, box.Max.z, s.Z);
    return {{x0, y0, z0}, {x1, y1, z1}};
}

}  // namespace

MeshSlot::MeshSlot(std::filesystem::path file) : file_(std::move(file)) {
    entry_.Name = kMeshShapePrefix + file_.generic_string();
    entry_.Surface = [this](const ShapeSize& size, TriangleSink& sink) {
        if (const auto mesh = Mesh()) EmitMeshSurface(*mesh, size, sink);
    };
    entry_.Bounds = [this](const ShapeSize& size) {
        const auto mesh = Mesh();
        return mesh ? ScaledBounds(mesh->Bounds, size) : MarkerBox();
    };
    entry_.DrawInPlace = [this](const clsShapes&, const ShapeSize& size) {
        DrawMeshInPlace(*this, size);
    };
}

void MeshSlot::ReadOnce() {
    if (tried_) return;
    tried_ = true;
    try {
        if (file_.empty()) throw meshio::MeshError("a mesh part names no file");
        mesh_ = std::make_shared<const meshio::Mesh>(meshio::ReadMeshFile(file_));
        problem_.clear();
    } catch (const meshio::MeshError& e) {
        problem_ = e.what();
    } catch (const std::bad_alloc&) {
        problem_ = file_.string() + ": too large to hold in memory";
    }
}

std::shared_ptr<const meshio::Mesh> MeshSlot::Mesh() {
    const std::lock_guard lock(mutex_);
    ReadOnce();
    return mesh_;
}

std::optional<std::string> MeshSlot::Problem() {
    const std::lock_guard lock(mutex_);
    ReadOnce();
    if (mesh_) return std::nullopt;
    return problem_;
}

void MeshSlot::RetryIfFailed() {
    const std::lock_guard lock(mutex_);
    if (!mesh_) tried_ = false;
}

}  // namespace primora
