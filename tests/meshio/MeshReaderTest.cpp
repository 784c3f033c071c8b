// Reading mesh files: the sample robots' meshes come in whole, in the right units and the right
// way up, and every kind of bad file is refused with a message naming it.

#include <gmock/gmock.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "meshio/MeshReader.h"
#include "meshio/StlCheck.h"

namespace mechanon::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const fs::path kSamples = MECHANON_URDF_SAMPLES;

class MeshFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("meshio-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path Write(const std::string& name, const std::string& bytes) const {
        const fs::path file = folder_ / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
    // The message ReadMeshFile fails with; empty when it reads the file.
    static std::string Refusal(const fs::path& file) {
        try {
            meshio::ReadMeshFile(file);
        } catch (const meshio::MeshError& e) {
            return e.what();
        }
        return {};
    }

    fs::path folder_;
};

// A binary STL of the given triangles, its header saying count of them.
std::string BinaryStl(const std::vector<std::array<float, 9>>& triangles, std::uint32_t count) {
    std::string bytes(80, 'x');
    bytes.append(reinterpret_cast<const char*>(&count), 4);
    for (const auto& t : triangles) {
        const float normal[3] = {0, 0, 0};
        bytes.append(reinterpret_cast<const char*>(normal), sizeof normal);
        bytes.append(reinterpret_cast<const char*>(t.data()), sizeof(float) * 9);
        bytes.append(2, '\0');
    }
    return bytes;
}

// The box of a binary STL's corners read straight from its records.
meshio::Box RawStlBox(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    meshio::Box box{{1e9f, 1e9f, 1e9f}, {-1e9f, -1e9f, -1e9f}};
    for (std::size_t at = 84; at + 50 <= bytes.size(); at += 50)
        for (int corner = 0; corner < 3; ++corner) {
            float p[3];
            std::memcpy(p, bytes.data() + at + 12 + 12 * corner, sizeof p);
            box.Min = {std::min(box.Min.x, p[0]), std::min(box.Min.y, p[1]),
                       std::min(box.Min.z, p[2])};
            box.Max = {std::max(box.Max.x, p[0]), std::max(box.Max.y, p[1]),
                       std::max(box.Max.z, p[2])};
        }
    return box;
}

TEST(SampleMeshesTest, ServoArmStlsComeInWholeInTheirOwnCoordinates) {
    std::size_t triangles = 0;
    for (const auto& entry : fs::directory_iterator(kSamples / "so101" / "assets")) {
        const meshio::Mesh mesh = meshio::ReadMeshFile(entry.path());
        triangles += mesh.Triangles.size();
        EXPECT_TRUE(mesh.Colours.empty()) << entry.path();  // grey STL: the part's colour
        const meshio::Box raw = RawStlBox(entry.path());
        EXPECT_EQ(mesh.Bounds.Min, raw.Min) << entry.path();
        EXPECT_EQ(mesh.Bounds.Max, raw.Max) << entry.path();
        EXPECT_LT(mesh.Bounds.Max.x - mesh.Bounds.Min.x, 0.2f);  // metres, as the file says
    }
    EXPECT_EQ(triangles, 322564u);
}

TEST(SampleMeshesTest, ColladaFingerIsTurnedFromYUpToZUpAndUsesThePartsColour) {
    const fs::path file = kSamples / "r2d2" / "urdf_tutorial" / "meshes" / "l_finger.dae";
    const meshio::Mesh mesh = meshio::ReadMeshFile(file);
    EXPECT_EQ(mesh.Triangles.size(), 2000u);
    // Its diffuse colour is a texture that was never shipped: no colour of its own.
    EXPECT_TRUE(mesh.Colours.empty());
    // Its positions run over X -0.0917..0.954, Y -0.0898..0.458, Z -0.278..0.278, under a node
    // scaled by 0.1, 0.1, 0.10125, in a Y-up file: the file's Y becomes Z, its Z becomes -Y.
    const meshio::Box& b = mesh.Bounds;
    EXPECT_NEAR(b.Min.x, -0.009173892, 1e-6);
    EXPECT_NEAR(b.Max.x, 0.09539831, 1e-6);
    EXPECT_NEAR(b.Min.y, -0.10125 * 0.2775228, 1e-6);
    EXPECT_NEAR(b.Max.y, 0.10125 * 0.2775011, 1e-6);
    EXPECT_NEAR(b.Min.z, -0.008981812, 1e-6);
    EXPECT_NEAR(b.Max.z, 0.04577317, 1e-6);
}

// One triangle at (1,2,3) (4,5,6) (7,8,10) in a Collada file of the given unit and up axis.
std::string ColladaTriangle(const std::string& metres, const std::string& up) {
    return R"(<?xml version="1.0"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
 <asset><unit meter=")" +
           metres + R"("/><up_axis>)" + up + R"(</up_axis></asset>
 <library_effects><effect id="red-fx"><profile_COMMON><technique sid="t"><lambert>
  <diffuse><color>1 0 0 1</color></diffuse></lambert></technique></profile_COMMON></effect>
 </library_effects>
 <library_materials><material id="red"><instance_effect url="#red-fx"/></material>
 </library_materials>
 <library_geometries><geometry id="g"><mesh>
  <source id="p"><float_array id="pa" count="9">1 2 3 4 5 6 7 8 10</float_array>
   <technique_common><accessor source="#pa" count="3" stride="3">
    <param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/>
   </accessor></technique_common></source>
  <vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
  <triangles count="1" material="m"><input semantic="VERTEX" source="#v" offset="0"/><p>0 1 2</p>
  </triangles></mesh></geometry></library_geometries>
 <library_visual_scenes><visual_scene id="s"><node id="n">
  <instance_geometry url="#g"><bind_material><technique_common>
   <instance_material symbol="m" target="#red"/></technique_common></bind_material>
  </instance_geometry></node></visual_scene></library_visual_scenes>
 <scene><instance_visual_scene url="#s"/></scene>
</COLLADA>
)";
}

TEST_F(MeshFiles, ColladaUnitAndUpAxisGiveZUpMetresAndMaterialColours) {
    struct Case {
        std::string metres, up;
        meshio::Point3 first;
    };
    // Y up: the file's Y is Z and its Z points to -Y. X up: the file's X is Z, its -Y is X.
    for (const Case& c :
         {Case{"1", "Z_UP", {1, 2, 3}}, Case{"0.001", "Z_UP", {1e-3f, 2e-3f, 3e-3f}},
          Case{"1", "Y_UP", {1, -3, 2}}, Case{"1", "X_UP", {-2, -3, 1}}}) {
        const fs::path file = Write("t.dae", ColladaTriangle(c.metres, c.up));
        const meshio::Mesh mesh = meshio::ReadMeshFile(file);
        ASSERT_EQ(mesh.Triangles.size(), 1u) << c.up;
        const meshio::Point3 p = mesh.Triangles[0].Corners[0];
        EXPECT_NEAR(p.x, c.first.x, 1e-6) << c.metres << " " << c.up;
        EXPECT_NEAR(p.y, c.first.y, 1e-6) << c.metres << " " << c.up;
        EXPECT_NEAR(p.z, c.first.z, 1e-6) << c.metres << " " << c.up;
        ASSERT_EQ(mesh.Colours.size(), 1u);
        EXPECT_EQ(mesh.Colours[0][0], (meshio::Colour{1, 0, 0}));
    }
}

TEST_F(MeshFiles, AsciiStlAndObjWithItsMaterialsRead) {
    const fs::path stl = Write("a.STL", R"(solid two
facet normal 0 0 1
 outer loop
  vertex 0 0 0
  vertex 1 0 0
  vertex 0 1 0
 endloop
endfacet
facet normal 0 0 1
 outer loop
  vertex 1 0 0
  vertex 1 1 0.5
  vertex 0 1 0
 endloop
endfacet
endsolid two
)");
    const meshio::Mesh ascii = meshio::ReadMeshFile(stl);
    ASSERT_EQ(ascii.Triangles.size(), 2u);
    EXPECT_EQ(ascii.Bounds.Max, (meshio::Point3{1, 1, 0.5f}));

    Write("q.mtl", "newmtl green\nKd 0 1 0\n");
    const fs::path obj = Write("q.obj",
                               "mtllib q.mtl\nv 0 0 0\nv 2 0 0\nv 2 3 0\nv 0 3 1\n"
                               "usemtl green\nf 1 2 3 4\n");
    const meshio::Mesh quad = meshio::ReadMeshFile(obj);
    ASSERT_EQ(quad.Triangles.size(), 2u);  // the quad cut in two
    EXPECT_EQ(quad.Bounds.Max, (meshio::Point3{2, 3, 1}));
    ASSERT_EQ(quad.Colours.size(), 2u);
    EXPECT_EQ(quad.Colours[1][2], (meshio::Colour{0, 1, 0}));
}

TEST_F(MeshFiles, BinaryStlWhoseCountLiesOrIsCutShortIsRefusedByName) {
    const std::array<float, 9> t{0, 0, 0, 1, 0, 0, 0, 1, 0};
    const std::string good = BinaryStl({t, t}, 2);
    EXPECT_EQ(meshio::ReadMeshFile(Write("good.stl", good)).Triangles.size(), 2u);

    EXPECT_THAT(Refusal(Write("lies.stl", BinaryStl({t, t}, 1000))),
                HasSubstr("lies.stl: says it holds 1000 triangles"));
    EXPECT_THAT(Refusal(Write("billions.stl", BinaryStl({t}, 0xFFFFFFFFu))),
                HasSubstr("4294967295 triangles"));
    EXPECT_THAT(Refusal(Write("cut.stl", good.substr(0, good.size() - 7))),
                HasSubstr("cut.stl: says it holds 2 triangles (184 bytes) but is 177"));
    EXPECT_THAT(Refusal(Write("short.stl", std::string(40, '\1'))), HasSubstr("too short"));
    // A binary header may start with "solid": its size decides.
    std::string solid = good;
    solid.replace(0, 5, "solid");
    EXPECT_EQ(meshio::ReadMeshFile(Write("solid.stl", solid)).Triangles.size(), 2u);
}

TEST_F(MeshFiles, FilesThatCannotBeReadAreRefusedByName) {
    EXPECT_THAT(Refusal(folder_ / "none.stl"), HasSubstr("none.stl: the file does not exist"));
    EXPECT_THAT(Refusal(Write("empty.obj", "")), HasSubstr("empty.obj: the file is empty"));
    EXPECT_THAT(Refusal(Write("part.ply", "ply\n")), HasSubstr("part.ply: not a mesh file"));
    fs::create_directories(folder_ / "dir.stl");
    EXPECT_THAT(Refusal(folder_ / "dir.stl"), HasSubstr("dir.stl: is not a file"));
    EXPECT_THAT(Refusal(Write("lines.obj", "v 0 0 0\nv 1 0 0\nl 1 2\n")),
                HasSubstr("lines.obj: cannot be read"));
    EXPECT_THAT(Refusal(Write("bad.dae", "<COLLADA><library_geometries>")),
                HasSubstr("bad.dae: not a well-formed Collada file"));
    // Accessors that would read past their arrays (the importer itself would crash on them).
    const auto damaged = [](std::string text, const std::string& from, const std::string& to) {
        return text.replace(text.find(from), from.size(), to);
    };
    const std::string dae = ColladaTriangle("1", "Z_UP");
    EXPECT_THAT(Refusal(Write("empty.dae", damaged(dae, "count=\"9\"", "count=\"0\""))),
                HasSubstr("empty.dae: the <accessor> at line 11 cannot be read: it reads past the "
                          "end of the array \"pa\""));
    EXPECT_THAT(Refusal(Write("stride.dae", damaged(dae, "stride=\"3\"", "stride=\"1\""))),
                HasSubstr("more parameters than its stride"));
    // Counts that would make the importer reserve gigabytes, and an index that is no number.
    EXPECT_THAT(Refusal(Write("many.dae", damaged(dae, "count=\"1\"", "count=\"2000000000\""))),
                HasSubstr("<triangles> at line 15 cannot be read: it counts more primitives"));
    EXPECT_THAT(Refusal(Write("huge.dae", damaged(dae, "count=\"9\"", "count=\"900000000\""))),
                HasSubstr("holds fewer values than its count"));
    EXPECT_THAT(Refusal(Write("word.dae", damaged(dae, "<p>0 1 2", "<p>0 x 2"))),
                HasSubstr("<p> at line 15 cannot be read: it holds a word that is not an index"));
    EXPECT_THAT(Refusal(Write("far.obj", "v 0 0 0\nv 1e999 0 0\nv 0 1 0\nf 1 2 3\n")),
                HasSubstr("far.obj: a coordinate is not a finite number"));
    EXPECT_THAT(Refusal(Write("ctl.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf \v1 2 3\n")),
                HasSubstr("ctl.obj: not an OBJ text file (a control character on line 4)"));
    EXPECT_THAT(Refusal(Write("index.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n")),
                HasSubstr("index.obj"));
}

}  // namespace
}  // namespace mechanon::testing
