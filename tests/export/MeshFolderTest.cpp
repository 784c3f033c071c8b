// Mesh files travel with the robot file: Save As keeps a mesh that lies in the robot's folder,
// copies any other into meshes/ beside it (each file once, a different file of the same name
// numbered), rewrites every mesh name relative to the robot, lists missing files once, and
// changes nothing when it cannot make the mesh folder.

#include <gtest/gtest.h>

#include <fstream>

#include "export/MeshFolder.h"
#include "model/Error.h"
#include "tests/export/ExportTestSupport.h"

namespace mechanon::testing {
namespace {

namespace fs = std::filesystem;

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

torvane::typWrapRooms Rooms(const std::vector<std::string>& shapes) {
    std::vector<torvane::typWrapRoom> rooms;
    for (const std::string& shape : shapes) {
        torvane::typWrapRoom room;
        room.Part.Name = "room" + std::to_string(rooms.size() + 1);
        room.Part.ShapeName = shape;
        rooms.push_back(room);
    }
    torvane::typWrapRooms out;
    out.Rooms = torvane::VbArray<torvane::typWrapRoom>(1, rooms);
    return out;
}

std::string Shape(const torvane::typWrapRooms& rooms, int i) {
    return rooms.Rooms(i).Part.ShapeName;
}

TEST(MeshFolder, MeshShapeNamesAndTheirFiles) {
    EXPECT_TRUE(IsMeshShapeName("mesh:a.stl"));
    EXPECT_TRUE(IsMeshShapeName("  MESH:parts/A.STL "));
    EXPECT_FALSE(IsMeshShapeName("box"));
    EXPECT_FALSE(IsMeshShapeName("mesh"));
    EXPECT_EQ(MeshFileOf("Mesh:parts/../A.STL", "/robots"), fs::path("/robots/A.STL"));
    EXPECT_EQ(MeshFileOf("mesh:/abs/b.obj", "/robots"), fs::path("/abs/b.obj"));
}

TEST(MeshFolder, SaveAsCopiesOutsideMeshesOnceAndKeepsThoseInside) {
    const ScratchFolder folder;
    Write(folder / "robot/parts/inside.stl", "inside");
    Write(folder / "a/arm.stl", "arm a");
    Write(folder / "b/arm.stl", "arm b");
    torvane::typWrapRooms rooms = Rooms({
        "mesh:" + (folder / "robot/parts/inside.stl").string(),
        "mesh:" + (folder / "a/arm.stl").string(),
        "mesh:" + (folder / "b/arm.stl").string(),
        "mesh:" + (folder / "a/arm.stl").string(),
        "mesh:" + (folder / "gone.stl").string(),
        "mesh:" + (folder / "gone.stl").string(),
        "box",
    });
    const torvane::typWrapRooms before = rooms;
    const MeshMove moved = TakeMeshesAlong(rooms, {}, folder / "robot/r.bot");
    EXPECT_EQ(Shape(rooms, 1), "mesh:parts/inside.stl");
    EXPECT_EQ(Shape(rooms, 2), "mesh:meshes/arm.stl");
    EXPECT_EQ(Shape(rooms, 3), "mesh:meshes/arm_2.stl");
    EXPECT_EQ(Shape(rooms, 4), "mesh:meshes/arm.stl");
    EXPECT_EQ(Shape(rooms, 5), Shape(before, 5));
    EXPECT_EQ(Shape(rooms, 7), "box");
    EXPECT_EQ(moved.MissingFiles, std::vector<std::string>{(folder / "gone.stl").string()});
    EXPECT_EQ(ReadFile(folder / "robot/meshes/arm.stl"), "arm a");
    EXPECT_EQ(ReadFile(folder / "robot/meshes/arm_2.stl"), "arm b");

    // Saved again elsewhere: the names are relative to the old robot file's folder; a file
    // already there with the same bytes is taken as it stands.
    Write(folder / "copy/meshes/arm.stl", "arm a");
    torvane::typWrapRooms again = rooms;
    TakeMeshesAlong(again, folder / "robot", folder / "copy/r.bot");
    EXPECT_EQ(Shape(again, 1), "mesh:meshes/inside.stl");
    EXPECT_EQ(Shape(again, 2), "mesh:meshes/arm.stl");
    EXPECT_EQ(Shape(again, 3), "mesh:meshes/arm_2.stl");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "copy/meshes"), {}), 3);
}

TEST(MeshFolder, AMeshFolderThatCannotBeMadeChangesNothing) {
    const ScratchFolder folder;
    Write(folder / "a/arm.stl", "arm");
    Write(folder / "robot/meshes", "a file where the folder should be");
    torvane::typWrapRooms rooms = Rooms({"mesh:" + (folder / "a/arm.stl").string()});
    const torvane::typWrapRooms before = rooms;
    try {
        TakeMeshesAlong(rooms, {}, folder / "robot/r.bot");
        ADD_FAILURE() << "no error";
    } catch (const torvane::Error& e) {
        EXPECT_EQ(e.Code(), torvane::ErrorCode::FileError);
        EXPECT_NE(std::string(e.what()).find((folder / "robot/meshes").string()),
                  std::string::npos);
    }
    EXPECT_EQ(rooms, before);
    EXPECT_EQ(folder.Listing(),
              (std::vector<std::string>{"a", "a/arm.stl", "robot", "robot/meshes"}));
}

}  // namespace
}  // namespace mechanon::testing
