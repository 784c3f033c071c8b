#include "shapes/ShapeRegistry.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "shapes/MeshShape.h"
#include "shapes/ScaledSink.h"
#include "shapes/ShapeError.h"
#include "shapes/ShapeGeometry.h"
#include "shapes/clsShapes.h"

namespace primora {
namespace {

// A box from -h to h on each axis, for half extents that may be negative.
ShapeBox CentredBox(double hx, double hy, double hz) {
    const double x = std::fabs(hx), y = std::fabs(hy), z = std::fabs(hz);
    return {{-x, -y, -z}, {x, y, z}};
}

// The wings lie at Z = 0 and just below (0.1, an absolute length, under the upper one); the fin
// reaches Z = c, which may be negative.
ShapeBox AirPlaneBounds(const ShapeSize& s) {
    ShapeBox box = CentredBox(s.X / 2, s.Y / 2, 0);
    box.Min.z = std::min(-0.1, s.Z / 2);
    box.Max.z = std::max(0.0, s.Z / 2);
    return box;
}

// Equal diameters make a cylinder; a pointed or flaring cone is only its mesh.
std::optional<CollisionPrimitive> ConePrimitive(const ShapeSize& s) {
    if (s.X != s.Y || s.X == 0) return std::nullopt;
    return CylinderPrimitive{std::fabs(s.X), std::fabs(s.Z)};
}

// Equal diameters make a round cylinder; an elliptic one, or a line, is only its mesh.
std::optional<CollisionPrimitive> CylinderPrimitiveOf(const ShapeSize& s) {
    if (std::fabs(s.X) != std::fabs(s.Y) || s.X == 0) return std::nullopt;
    return CylinderPrimitive{std::fabs(s.X), std::fabs(s.Z)};
}

std::optional<CollisionPrimitive> SpherePrimitiveOf(const ShapeSize& s) {
    if (std::fabs(s.X) != std::fabs(s.Y) || std::fabs(s.X) != std::fabs(s.Z) || s.X == 0)
        return std::nullopt;
    return SpherePrimitive{std::fabs(s.X)};
}

// A unit cylinder (diameter 1, length 1) stretched to the sizes.
void EmitCylinder(const ShapeSize& s, TriangleSink& sink) {
    ScaledSink scaled(sink, s.X, s.Y, s.Z);
    EmitCone(1, 1, 1, scaled);
}

// A unit ball (diameter 1) stretched to the sizes.
void EmitSphere(const ShapeSize& s, TriangleSink& sink) {
    ScaledSink scaled(sink, s.X, s.Y, s.Z);
    EmitUnitSphere(kSphereSlices, kSphereStacks, scaled);
}

ShapeBox FullBox(const ShapeSize& s) {
    return CentredBox(s.X / 2, s.Y / 2, s.Z / 2);
}

void DrawGridInPlace(const clsShapes& shapes, const ShapeSize& s) {
    // The grid's third size is its spacing, not an extent.
    shapes.DrawGrid(DoubleArray(1, {s.X / 2, s.Y / 2, s.Z}));
}

}  // namespace

void RegisterBuiltInShapes(ShapeRegistry& registry) {
    // Wings X long and Y wide, a fin Z/2 high, nose towards +X.
    registry.Register(
        {.Name = "airplane",
         .Surface = [](const ShapeSize& s,
                       TriangleSink& sink) { EmitAirPlane(s.X / 2, s.Y / 2, s.Z / 2, sink); },
         .Bounds = AirPlaneBounds});
    // A flat rectangle X by Y in the plane Z = 0; Z is not used.
    registry.Register(
        {.Name = "squareplane",
         .Surface = [](const ShapeSize& s,
                       TriangleSink& sink) { EmitSquarePlane(s.X / 2, s.Y / 2, sink); },
         .Bounds = [](const ShapeSize& s) { return CentredBox(s.X / 2, s.Y / 2, 0); }});
    // A labelled floor of rods over X by Y, Z apart: drawn, but no part's surface.
    registry.Register({.Name = "grid", .DrawInPlace = DrawGridInPlace});
    // Bottom diameter X, top diameter Y, height Z.
    registry.Register(
        {.Name = "cone",
         .Surface = [](const ShapeSize& s, TriangleSink& sink) { EmitCone(s.X, s.Y, s.Z, sink); },
         .Bounds =
             [](const ShapeSize& s) {
                 const double r = std::max(std::fabs(s.X), std::fabs(s.Y)) / 2;
                 return CentredBox(r, r, s.Z / 2);
             },
         .Primitive = ConePrimitive});
    // X by Y by Z.
    registry.Register(
        {.Name = "box",
         .Surface = [](const ShapeSize& s,
                       TriangleSink& sink) { EmitBox(s.X / 2, s.Y / 2, s.Z / 2, sink); },
         .Bounds = FullBox,
         .Primitive = [](const ShapeSize& s) -> std::optional<CollisionPrimitive> {
             return BoxPrimitive{std::fabs(s.X), std::fabs(s.Y), std::fabs(s.Z)};
         }});
    // Along Z: diameters X and Y (elliptic when they differ), length Z.
    registry.Register({.Name = "cylinder",
                       .Surface = EmitCylinder,
                       .Bounds = FullBox,
                       .Primitive = CylinderPrimitiveOf});
    // Full extents X, Y and Z (an ellipsoid when they differ).
    registry.Register({.Name = "sphere",
                       .Surface = EmitSphere,
                       .Bounds = FullBox,
                       .Primitive = SpherePrimitiveOf});
    RegisterMeshShapes(registry);
}

const ShapeRegistry& ShapeCatalogue() {
    static const ShapeRegistry catalogue = [] {
        ShapeRegistry registry;
        RegisterBuiltInShapes(registry);
        return registry;
    }();
    return catalogue;
}

std::string NormalisedShapeName(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char ch) {
        return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
    });
    const auto first = lower.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = lower.find_last_not_of(' ');
    return lower.substr(first, last - first + 1);
}

void ShapeRegistry::Register(ShapeEntry entry) {
    if (entry.Name.empty() || entry.Name != NormalisedShapeName(entry.Name))
        throw std::invalid_argument("shape name \"" + entry.Name +
                                    "\" is not lower case and trimmed");
    if (Find(entry.Name))
        throw std::invalid_argument("shape \"" + entry.Name + "\" registered twice");
    if (!entry.Surface && !entry.DrawInPlace)
        throw std::invalid_argument("shape \"" + entry.Name + "\" has nothing to draw");
    entries_.push_back(std::move(entry));
}

void ShapeRegistry::RegisterFamily(std::string prefix, ShapeFamily family) {
    if (prefix.empty() || prefix != NormalisedShapeName(prefix) || !family)
        throw std::invalid_argument("shape family \"" + prefix +
                                    "\" is not lower case and trimmed");
    families_.push_back({std::move(prefix), std::move(family)});
}

const ShapeEntry* ShapeRegistry::Find(const std::string& name) const {
    if (!families_.empty()) {
        const auto first = name.find_first_not_of(' ');
        const std::string lead = first == std::string::npos ? "" : name.substr(first);
        for (const Family& family : families_) {
            if (NormalisedShapeName(lead.substr(0, family.Prefix.size())) != family.Prefix)
                continue;
            const std::string rest = lead.substr(family.Prefix.size());
            const auto from = rest.find_first_not_of(' ');
            const auto to = rest.find_last_not_of(' ');
            return family.Resolve(from == std::string::npos ? ""
                                                            : rest.substr(from, to - from + 1));
        }
    }
    const std::string wanted = NormalisedShapeName(name);
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const ShapeEntry& e) { return e.Name == wanted; });
    return it == entries_.end() ? nullptr : &*it;
}

std::string ShapeRegistry::Names() const {
    std::string names;
    for (const ShapeEntry& e : entries_) names += (names.empty() ? "" : ",") + e.Name;
    return names;
}

ShapeSize ReadShapeSize(const DoubleArray& fullSize) {
    return {fullSize(1), fullSize(2), fullSize(3)};
}

namespace {

// A size that is not a finite number would poison every vertex made from it.
void RequireFinite(const ShapeSize& s) {
    if (!std::isfinite(s.X) || !std::isfinite(s.Y) || !std::isfinite(s.Z))
        throw ShapeError(ShapeErrorCode::Overflow, "Overflow: shape size is not a finite number");
}

// The box around every vertex sent to it.
class BoundsSink final : public TriangleSink {
  public:
    void Begin(PrimitiveMode) override {}
    void Normal(double, double, double) override {}
    void Vertex(double x, double y, double z) override {
        if (!box_) {
            box_ = ShapeBox{{x, y, z}, {x, y, z}};
            return;
        }
        box_->Min = {std::min(box_->Min.x, x), std::min(box_->Min.y, y), std::min(box_->Min.z, z)};
        box_->Max = {std::max(box_->Max.x, x), std::max(box_->Max.y, y), std::max(box_->Max.z, z)};
    }
    void End() override {}
    const std::optional<ShapeBox>& Box() const { return box_; }

  private:
    std::optional<ShapeBox> box_;
};

}  // namespace

bool EmitSurface(const ShapeEntry& shape, const ShapeSize& size, TriangleSink& sink) {
    if (!shape.Surface) return false;
    RequireFinite(size);
    shape.Surface(size, sink);
    return true;
}

std::optional<ShapeBox> SurfaceBounds(const ShapeEntry& shape, const ShapeSize& size) {
    if (!shape.Surface) return std::nullopt;
    RequireFinite(size);
    if (shape.Bounds) return shape.Bounds(size);
    BoundsSink sink;
    shape.Surface(size, sink);
    return sink.Box();
}

std::optional<CollisionPrimitive> CollisionPrimitiveOf(const ShapeEntry& shape,
                                                       const ShapeSize& size) {
    if (!shape.Primitive) return std::nullopt;
    RequireFinite(size);
    return shape.Primitive(size);
}

bool EmitShapeSurface(const std::string& name, const DoubleArray& fullSize, TriangleSink& sink) {
    const ShapeSize size = ReadShapeSize(fullSize);
    const ShapeEntry* shape = ShapeCatalogue().Find(name);
    return shape && EmitSurface(*shape, size, sink);
}

}  // namespace primora
