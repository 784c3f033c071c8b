// The mesh shape: a file's surface reached through the catalogue like every shape (surface,
// bounds, drawing), its path resolved against the mesh folder, one shared list however many
// parts show it, and a file that cannot be read drawn as a marker without a fault.

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>

#include "shapes/MeshShape.h"
#include "shapes/ShapeLists.h"
#include "tests/shapes/ShapesFixture.h"
#include "tests/support/Tetrahedron.h"

namespace mechanon::testing {
namespace {

namespace fs = std::filesystem;
using primora::DoubleArray;

class MeshShapeTest : public ShapesFixture {
  protected:
    void SetUp() override {
        ShapesFixture::SetUp();
        folder_ = fs::temp_directory_path() /
                  ("meshshape-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_ / "sub");
        Write("sub/tet.stl", kTetrahedronStl);
        primora::SetMeshFolder(folder_);
    }
    void TearDown() override {
        primora::StopMeshLists();  // its names die with this test's context
        primora::SetMeshFolder({});
        fs::remove_all(folder_);
    }
    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(folder_ / name, std::ios::binary) << text;
    }
    std::vector<FeedbackItem> Draw(const std::string& shape, DoubleArray size, DoubleArray colour) {
        std::string name = shape, part = "p", sub = "";
        return CaptureFeedback([&] { shapes.SelectShape(size, name, colour, part, sub); });
    }

    fs::path folder_;
};

TEST_F(MeshShapeTest, SurfaceAndBoundsAreTheFilesStretchedByTheSizesAndFaceOutward) {
    const primora::ShapeEntry* shape = primora::ShapeCatalogue().Find("  MESH: sub/tet.stl ");
    ASSERT_NE(shape, nullptr);
    for (const primora::ShapeSize size : {primora::ShapeSize{1, 1, 1}, {2, -1, 0.5}}) {
        primora::MeshSink sink;
        ASSERT_TRUE(primora::EmitSurface(*shape, size, sink));
        ASSERT_EQ(sink.Triangles().size(), 4u);
        // Every facet faces away from the tetrahedron's inside, mirrored or not.
        const primora::MeshPoint inside{0.25 * size.X, 0.5 * size.Y, 0.75 * size.Z};
        for (const auto& t : sink.Triangles()) {
            const auto& [a, b, c] = t.corners;
            const primora::MeshPoint u{b.x - a.x, b.y - a.y, b.z - a.z};
            const primora::MeshPoint v{c.x - a.x, c.y - a.y, c.z - a.z};
            const primora::MeshPoint n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z,
                                       u.x * v.y - u.y * v.x};
            EXPECT_GT(n.x * (a.x - inside.x) + n.y * (a.y - inside.y) + n.z * (a.z - inside.z), 0);
        }
        const auto box = primora::SurfaceBounds(*shape, size);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->Min, (primora::MeshPoint{0, std::min(0.0, 2 * size.Y), 0}));
        EXPECT_EQ(box->Max, (primora::MeshPoint{size.X, std::max(0.0, 2 * size.Y), 3 * size.Z}));
    }
    EXPECT_FALSE(primora::CollisionPrimitiveOf(*shape, {1, 1, 1}));
}

TEST_F(MeshShapeTest, RelativePathsFollowTheMeshFolderAndEachFileIsOneEntry) {
    const auto& catalogue = primora::ShapeCatalogue();
    const primora::ShapeEntry* relative = catalogue.Find("mesh:sub/tet.stl");
    EXPECT_EQ(relative, catalogue.Find("mesh:" + (folder_ / "sub/tet.stl").string()));
    EXPECT_EQ(primora::MeshFileOfShape("Mesh:sub/../sub/tet.stl"), folder_ / "sub/tet.stl");
    EXPECT_FALSE(primora::MeshShapeProblem("mesh:sub/tet.stl"));
    EXPECT_FALSE(primora::IsMeshShapeName("box"));

    primora::SetMeshFolder(folder_ / "sub");
    EXPECT_NE(catalogue.Find("mesh:sub/tet.stl"), relative);
    EXPECT_EQ(catalogue.Find("mesh:tet.stl"), relative);

    // A chosen file is named relative to the folder, absolute while there is none.
    EXPECT_EQ(primora::MeshShapeNameFor(folder_ / "sub/tet.stl"), "mesh:tet.stl");
    EXPECT_EQ(primora::MeshShapeNameFor(folder_ / "x/../a b.dae"), "mesh:../a b.dae");
    primora::SetMeshFolder({});
    EXPECT_EQ(primora::MeshShapeNameFor(folder_ / "sub/tet.stl"),
              "mesh:" + (folder_ / "sub/tet.stl").generic_string());
}

TEST_F(MeshShapeTest, AMissingMeshIsNamedDrawsAMarkerAndIsReadOnceItArrives) {
    const std::string name = "mesh:later.stl";
    EXPECT_THAT(primora::MeshShapeProblem(name).value_or(""),
                ::testing::HasSubstr("later.stl: the file does not exist"));
    const primora::ShapeEntry* shape = primora::ShapeCatalogue().Find(name);
    primora::MeshSink sink;
    EmitSurface(*shape, {1, 1, 1}, sink);
    EXPECT_TRUE(sink.Triangles().empty());  // nothing to export or pick

    ObjectSpaceView view(2);
    const auto marker = Draw(name, DoubleArray(1, {100, 100, 100}), DoubleArray(1, {0, 0, 100}));
    ASSERT_EQ(CountKind(marker, FeedbackItem::Kind::Polygon), 12u);  // a box's faces in halves
    EXPECT_NEAR(view.ToModel(marker[0].vertices[0]).z, primora::kMissingMeshMarker / 2, 1e-3);

    Write("later.stl", kTetrahedronStl);
    EXPECT_TRUE(primora::MeshShapeProblem(name));  // failures are kept until the folder is set
    primora::SetMeshFolder(folder_);
    EXPECT_FALSE(primora::MeshShapeProblem(name));
}

TEST_F(MeshShapeTest, OccurrencesShareOneListFilledAfterTheListThatCallsIt) {
    ObjectSpaceView view(8);
    std::string name = "mesh:sub/tet.stl", part = "p", sub = "";
    DoubleArray unit(1, {1, 1, 1}), green(1, {0, 100, 0});
    // Without shared lists a mesh is drawn into the list that shows it: there at once.
    const GLuint inPlace = glGenLists(1);
    glNewList(inPlace, GL_COMPILE);
    shapes.SelectShape(unit, name, green, part, sub);
    glEndList();
    EXPECT_EQ(CountKind(CaptureFeedback([&] { glCallList(inPlace); }), FeedbackItem::Kind::Polygon),
              4u);
    glDeleteLists(inPlace, 1);

    primora::StartMeshLists();
    const GLuint world = glGenLists(1);
    glNewList(world, GL_COMPILE);
    for (const double x : {1.0, 2.0, -1.0}) {
        DoubleArray size(1, {x, 1, 1});
        shapes.SelectShape(size, name, green, part, sub);
    }
    glEndList();
    EXPECT_EQ(glGenLists(1), world + 2);  // one list for the mesh, whatever the occurrences
    EXPECT_TRUE(CaptureFeedback([&] { glCallList(world); }).empty());  // not filled yet

    primora::CompilePendingMeshLists();
    const auto drawn = CaptureFeedback([&] { glCallList(world); });
    ASSERT_EQ(CountKind(drawn, FeedbackItem::Kind::Polygon), 12u);
    double maxX = 0;
    for (const auto& item : drawn)
        for (const auto& v : item.vertices) maxX = std::max(maxX, view.ToModel(v).x);
    EXPECT_NEAR(maxX, 2, 1e-2);  // the second occurrence stretched twice along X
    glDeleteLists(world, 1);
}

TEST_F(MeshShapeTest, TheFilesOwnColoursWinAndTheCurrentColourIsKept) {
    Write("red.mtl", "newmtl red\nKd 1 0 0\n");
    Write("red.obj", "mtllib red.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl red\nf 1 2 3\n");
    ObjectSpaceView view(2);
    const auto drawn = Draw("mesh:red.obj", DoubleArray(1, {1, 1, 1}), DoubleArray(1, {0, 100, 0}));
    ASSERT_EQ(CountKind(drawn, FeedbackItem::Kind::Polygon), 1u);
    EXPECT_DOUBLE_EQ(drawn[0].vertices[0].r, 1.0);
    EXPECT_DOUBLE_EQ(drawn[0].vertices[0].g, 0.0);
    EXPECT_FLOAT_EQ(CurrentColor()[1], 1.0f);  // the part's green, as the mesh found it

    const auto grey =
        Draw("mesh:sub/tet.stl", DoubleArray(1, {1, 1, 1}), DoubleArray(1, {0, 100, 0}));
    ASSERT_FALSE(grey.empty());
    EXPECT_DOUBLE_EQ(grey[0].vertices[0].g, 1.0);  // no colours of its own: the part's
}

}  // namespace
}  // namespace mechanon::testing
