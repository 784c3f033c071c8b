// The shape catalogue: what every registered shape declares (its box, its collision primitive)
// agrees with the surface it emits, names and sizes are checked the same way for every shape,
// and names outside the catalogue emit nothing, as before.

#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <variant>
#include <vector>

#include "shapes/ShapeGeometry.h"
#include "shapes/ShapeRegistry.h"

namespace mechanon::testing {
namespace {

using primora::ShapeBox;
using primora::ShapeSize;

// Every vertex sent, whatever primitive it belongs to.
class VertexSink final : public primora::TriangleSink {
  public:
    void Begin(primora::PrimitiveMode) override {}
    void Normal(double, double, double) override {}
    void Vertex(double x, double y, double z) override { vertices.push_back({x, y, z}); }
    void End() override {}
    std::vector<primora::MeshPoint> vertices;
};

ShapeBox BoxOf(const std::vector<primora::MeshPoint>& points) {
    ShapeBox box{points.at(0), points.at(0)};
    for (const auto& p : points) {
        box.Min = {std::min(box.Min.x, p.x), std::min(box.Min.y, p.y), std::min(box.Min.z, p.z)};
        box.Max = {std::max(box.Max.x, p.x), std::max(box.Max.y, p.y), std::max(box.Max.z, p.z)};
    }
    return box;
}

// Sizes a part can have: unit, flat, negative (a mirrored shape), uneven, pointed.
const std::vector<ShapeSize> kSizes = {{1, 1, 1},   {2, 3, 4},   {0, 0, 0},    {-2, 1, 3},
                                       {1, -3, -5}, {4, 0, 0.5}, {0.01, 7, 2}, {3, 3, -1}};

void ExpectBoxNear(const ShapeBox& a, const ShapeBox& b, const std::string& what) {
    constexpr double kTol = 1e-12;
    EXPECT_NEAR(a.Min.x, b.Min.x, kTol) << what;
    EXPECT_NEAR(a.Min.y, b.Min.y, kTol) << what;
    EXPECT_NEAR(a.Min.z, b.Min.z, kTol) << what;
    EXPECT_NEAR(a.Max.x, b.Max.x, kTol) << what;
    EXPECT_NEAR(a.Max.y, b.Max.y, kTol) << what;
    EXPECT_NEAR(a.Max.z, b.Max.z, kTol) << what;
}

std::string Describe(const primora::ShapeEntry& shape, const ShapeSize& s) {
    return shape.Name + " " + std::to_string(s.X) + " " + std::to_string(s.Y) + " " +
           std::to_string(s.Z);
}

// The declared box is the box of what the shape emits: it holds every vertex (fitting and
// picking may rely on it) and is no looser than the surface (a half size taken for a full one).
TEST(ShapeCatalogueTest, EveryShapesBoxIsTheBoxOfItsSurface) {
    int surfaces = 0;
    for (const auto& shape : primora::ShapeCatalogue().Entries()) {
        if (!shape.Surface) continue;
        ++surfaces;
        for (const ShapeSize& size : kSizes) {
            VertexSink sink;
            ASSERT_TRUE(primora::EmitSurface(shape, size, sink));
            const auto box = primora::SurfaceBounds(shape, size);
            ASSERT_TRUE(box.has_value());
            ExpectBoxNear(*box, BoxOf(sink.vertices), Describe(shape, size));
        }
    }
    EXPECT_EQ(surfaces, 6);
}

// The URDF collision primitive stands for the visual mesh: same extent on every axis.
TEST(ShapeCatalogueTest, CollisionPrimitivesFillTheSurfacesBox) {
    for (const auto& shape : primora::ShapeCatalogue().Entries())
        for (const ShapeSize& size : kSizes) {
            const auto primitive = primora::CollisionPrimitiveOf(shape, size);
            if (!primitive) continue;
            const primora::MeshPoint extent = std::visit(
                [](const auto& p) -> primora::MeshPoint {
                    using P = std::decay_t<decltype(p)>;
                    if constexpr (std::is_same_v<P, primora::BoxPrimitive>)
                        return {p.X, p.Y, p.Z};
                    else if constexpr (std::is_same_v<P, primora::CylinderPrimitive>)
                        return {p.Diameter, p.Diameter, p.Length};
                    else
                        return {p.Diameter, p.Diameter, p.Diameter};
                },
                *primitive);
            const ShapeBox centred{{-extent.x / 2, -extent.y / 2, -extent.z / 2},
                                   {extent.x / 2, extent.y / 2, extent.z / 2}};
            ExpectBoxNear(centred, *primora::SurfaceBounds(shape, size), Describe(shape, size));
        }
}

TEST(ShapeCatalogueTest, BoxesRoundCylindersSpheresAndEvenConesAreCollisionPrimitives) {
    const auto& catalogue = primora::ShapeCatalogue();
    const auto primitive = [&](const char* name, ShapeSize size) {
        return primora::CollisionPrimitiveOf(*catalogue.Find(name), size);
    };
    EXPECT_TRUE(std::holds_alternative<primora::BoxPrimitive>(*primitive("box", {1, -2, 3})));
    EXPECT_TRUE(std::holds_alternative<primora::CylinderPrimitive>(*primitive("cone", {2, 2, 1})));
    EXPECT_FALSE(primitive("cone", {2, 1, 1}));  // a frustum is only its mesh
    EXPECT_FALSE(primitive("cone", {0, 0, 1}));  // a line has no volume
    EXPECT_FALSE(primitive("airplane", {1, 1, 1}));
    EXPECT_FALSE(primitive("squareplane", {1, 1, 1}));
    EXPECT_FALSE(primitive("grid", {10, 10, 1}));
    const auto cylinder = primitive("cylinder", {-2, 2, 5});
    ASSERT_TRUE(cylinder && std::holds_alternative<primora::CylinderPrimitive>(*cylinder));
    EXPECT_EQ(std::get<primora::CylinderPrimitive>(*cylinder).Diameter, 2);
    EXPECT_EQ(std::get<primora::CylinderPrimitive>(*cylinder).Length, 5);
    EXPECT_FALSE(primitive("cylinder", {2, 3, 5}));  // elliptic
    EXPECT_FALSE(primitive("cylinder", {0, 0, 5}));
    const auto sphere = primitive("sphere", {3, 3, -3});
    ASSERT_TRUE(sphere && std::holds_alternative<primora::SpherePrimitive>(*sphere));
    EXPECT_EQ(std::get<primora::SpherePrimitive>(*sphere).Diameter, 3);
    EXPECT_FALSE(primitive("sphere", {3, 3, 2}));  // an ellipsoid
}

TEST(ShapeCatalogueTest, NamesOutsideTheCatalogueAndTheGridEmitNoSurface) {
    const primora::DoubleArray size(1, {1, 1, 1});
    for (const char* name : {"torus", "", "b ox", "grid", " Grid ", "meshes:a.stl"}) {
        VertexSink sink;
        EXPECT_FALSE(primora::EmitShapeSurface(name, size, sink)) << name;
        EXPECT_TRUE(sink.vertices.empty()) << name;
    }
    EXPECT_EQ(primora::ShapeCatalogue().Find("torus"), nullptr);
    EXPECT_EQ(primora::ShapeCatalogue().Find("  CONE "), primora::ShapeCatalogue().Find("cone"));
    EXPECT_EQ(primora::ShapeCatalogue().Names(),
              "airplane,squareplane,grid,cone,box,cylinder,sphere");
}

TEST(ShapeCatalogueTest, SizesAreReadBeforeTheNameAndCheckedBeforeEmitting) {
    VertexSink sink;
    // Index 1 missing: a subscript error whatever the name, as before.
    for (const char* name : {"box", "sphere", "grid"}) {
        try {
            primora::EmitShapeSurface(name, primora::DoubleArray(2, {1, 1, 1}), sink);
            ADD_FAILURE() << name;
        } catch (const primora::ShapeError& e) {
            EXPECT_EQ(e.Code(), primora::ShapeErrorCode::SubscriptOutOfRange) << name;
        }
    }
    // A size that is not a number fails every surface before a vertex is sent.
    for (const auto& shape : primora::ShapeCatalogue().Entries()) {
        if (!shape.Surface) continue;
        for (const ShapeSize& bad :
             {ShapeSize{NAN, 1, 1}, ShapeSize{1, HUGE_VAL, 1}, ShapeSize{1, 1, -HUGE_VAL}}) {
            try {
                primora::EmitSurface(shape, bad, sink);
                ADD_FAILURE() << shape.Name;
            } catch (const primora::ShapeError& e) {
                EXPECT_EQ(e.Code(), primora::ShapeErrorCode::Overflow) << shape.Name;
            }
            EXPECT_THROW(primora::SurfaceBounds(shape, bad), primora::ShapeError);
        }
    }
    EXPECT_TRUE(sink.vertices.empty());
}

TEST(ShapeRegistryTest, ANewShapeIsOneRegistrationAndNamesStayUnique) {
    primora::ShapeRegistry registry;
    primora::RegisterBuiltInShapes(registry);
    // A shape that declares no box gets the box of its surface.
    registry.Register(
        {.Name = "wedge", .Surface = [](const ShapeSize& s, primora::TriangleSink& sink) {
             sink.Begin(primora::PrimitiveMode::Triangles);
             sink.Vertex(0, 0, 0);
             sink.Vertex(s.X, 0, 0);
             sink.Vertex(0, s.Y, s.Z);
             sink.End();
         }});
    const auto* wedge = registry.Find(" Wedge");
    ASSERT_NE(wedge, nullptr);
    ExpectBoxNear(*primora::SurfaceBounds(*wedge, {2, -3, 4}), ShapeBox{{0, -3, 0}, {2, 0, 4}},
                  "wedge");
    EXPECT_EQ(registry.Names(), "airplane,squareplane,grid,cone,box,cylinder,sphere,wedge");
    EXPECT_FALSE(primora::CollisionPrimitiveOf(*wedge, {1, 1, 1}));

    const auto draws = [](const ShapeSize&, primora::TriangleSink&) {};
    EXPECT_THROW(registry.Register({.Name = "box", .Surface = draws}), std::invalid_argument);
    EXPECT_THROW(registry.Register({.Name = "Ring", .Surface = draws}), std::invalid_argument);
    EXPECT_THROW(registry.Register({.Name = "", .Surface = draws}), std::invalid_argument);
    EXPECT_THROW(registry.Register({.Name = "nothing"}), std::invalid_argument);
    EXPECT_EQ(registry.Entries().size(), 8u);
    // The catalogue the program uses is not the one a caller builds.
    EXPECT_EQ(primora::ShapeCatalogue().Find("wedge"), nullptr);
}

}  // namespace
}  // namespace mechanon::testing
