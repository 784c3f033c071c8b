// Mesh parts in the program: the part editor's "Mesh..." entry takes a file through its dialog as
// one step of the history, Save As into another folder takes the file along so the robot opens
// from anywhere, and a robot whose meshes are missing opens with one message naming them all.

#include <QFile>
#include <filesystem>
#include <fstream>

#include "shapes/MeshShape.h"
#include "tests/app/editing/EditingTestSupport.h"
#include "tests/support/Tetrahedron.h"

namespace mechanon::testing {
namespace {

namespace fs = std::filesystem;
using torvane::MsgAnswer;

class MeshPartTest : public EditingTest {
  protected:
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const fs::path file = temp.Path(name);
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }
    // Chooses "Mesh..." in the shape list as a user does (the entry after "sphere"), the dialog
    // answering file ("" cancels).
    void ChooseMesh(const std::string& file) {
        frmEditBot& e = Editor();
        ClickTab(*e.TabStrip1, "Camera / Shape");
        Ui().fileAnswers.push_back(file);
        e.cmbShape->setCurrentIndex(e.cmbShape->findText("sphere"));
        QTest::keyClick(e.cmbShape, Qt::Key_Down);
        ProcessEventsFor(0);
    }
    std::string Shape() const { return ActiveRoom()->PartData().ShapeName; }
};

TEST_F(MeshPartTest, AChosenMeshIsOneUndoableStepAndTravelsWithTheRobotToAnotherFolder) {
    const std::string mesh = WriteFile("parts/tet.stl", kTetrahedronStl);
    Type(Editor().txtSize, "3,3,3");
    const QImage grid = GrabView(Bots());
    ChooseMesh(mesh);
    // Unsaved: the file by its absolute path.
    EXPECT_EQ(Shape(), "mesh:" + fs::path(mesh).generic_string());
    EXPECT_EQ(Ui().shown.back().extra, frmEditBot::kMeshFilter);
    EXPECT_TRUE(Ui().Messages().empty());
    EXPECT_GT(DifferentShare(grid, GrabView(Bots())), 0.01);
    Choose("mnuUndo");
    EXPECT_EQ(Shape(), "Grid");
    Choose("mnuRedo");
    ASSERT_EQ(Shape(), "mesh:" + fs::path(mesh).generic_string());

    const std::string saved = temp.Path("robot/arm.bot");
    fs::create_directories(fs::path(saved).parent_path());
    Ui().fileAnswers.push_back(saved);
    Choose("mnuSaveAs");
    EXPECT_EQ(Shape(), "mesh:meshes/tet.stl");
    ASSERT_TRUE(fs::exists(temp.Path("robot/meshes/tet.stl")));

    // The robot's folder moved elsewhere, its mesh folder with it, and opened from there.
    const fs::path moved = temp.Path("elsewhere");
    fs::copy(temp.Path("robot"), moved, fs::copy_options::recursive);
    fs::remove_all(temp.Path("robot"));
    fs::remove_all(temp.Path("parts"));
    Ui().Clear();
    OpenFile((moved / "arm.bot").string());
    EXPECT_TRUE(Ui().Messages().empty());
    EXPECT_EQ(Shape(), "mesh:meshes/tet.stl");
    EXPECT_EQ(primora::MeshFileOfShape(Shape()), moved / "meshes" / "tet.stl");
    EXPECT_FALSE(primora::MeshShapeProblem(Shape()));
}

// A Save As that cannot write the robot leaves its mesh names and the target folder as they were.
TEST_F(MeshPartTest, ASaveAsThatFailsKeepsTheMeshNamesAndCopiesNothing) {
    const std::string mesh = WriteFile("parts/tet.stl", kTetrahedronStl);
    ChooseMesh(mesh);
    const std::string name = Shape();
    const std::string target = WriteFile("elsewhere/robot.bot", "");
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(target), QFileDevice::ReadOwner));
    Ui().Clear();
    Ui().fileAnswers.push_back(target);
    Choose("mnuSaveAs");
    EXPECT_EQ(Ui().Messages().size(), 1u);
    EXPECT_EQ(Shape(), name);
    EXPECT_EQ(Main().CurrentPath(), "");
    EXPECT_FALSE(fs::exists(temp.Path("elsewhere/meshes")));
    QFile::setPermissions(QString::fromStdString(target),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(MeshPartTest, ACancelledUnreadableOrUnstorableChoiceChangesNothing) {
    ChooseMesh("");
    EXPECT_EQ(Shape(), "Grid");
    EXPECT_EQ(Editor().cmbShape->currentText(), "Grid");
    EXPECT_FALSE(Main().MenuItem("mnuUndo")->isEnabled());

    std::string lying(80, ' ');
    lying += std::string("\x10\x27\0\0", 4) + std::string(50, '\0');  // says 10000 triangles
    const std::string bad = WriteFile("lies.stl", lying);
    ChooseMesh(bad);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("lies.stl: says it holds 10000 triangles"), std::string::npos)
        << Ui().Messages()[0];
    EXPECT_EQ(Shape(), "Grid");

    Ui().Clear();
    const std::string foreign =
        WriteFile("\xe7\xbd\x91.stl", kTetrahedronStl);  // not in the code page
    ChooseMesh(foreign);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("characters a robot file cannot hold"), std::string::npos);
    EXPECT_EQ(Shape(), "Grid");
    EXPECT_FALSE(Main().MenuItem("mnuUndo")->isEnabled());
}

TEST_F(MeshPartTest, ARobotWithMissingMeshesOpensWithOneMessageNamingEach) {
    torvane::clsRooms robot;
    for (const auto& [room, shape] : {std::pair{"A", "mesh:gone/a.stl"},
                                      {"B", "MESH:gone/b.dae"},
                                      {"C", "mesh:gone/a.stl"},
                                      {"D", "box"}}) {
        std::string name = room;
        robot.CreatePartRoom(name, robot.TotalRooms == 0);
        auto data = robot.Rooms(robot.TotalRooms)->PartData();
        data.ShapeName = shape;
        robot.Rooms(robot.TotalRooms)->SetPartData(data);
    }
    const std::string path = temp.Path("lost/robot.bot");
    fs::create_directories(fs::path(path).parent_path());
    robot.Save(path);

    Ui().Clear();
    OpenFile(path);
    WaitForSnapShots();  // drawing every room adds no message of its own
    ASSERT_EQ(Ui().Messages().size(), 1u);
    const std::string text = Ui().Messages()[0];
    EXPECT_NE(text.find("gone/a.stl: the file does not exist"), std::string::npos) << text;
    EXPECT_NE(text.find("gone/b.dae: the file does not exist"), std::string::npos) << text;
    EXPECT_EQ(text.find("a.stl"), text.rfind("a.stl")) << "each file once";
    EXPECT_EQ(Rooms().TotalRooms, 4);
    EXPECT_EQ(Main().CurrentPath(), path);

    // An export needs the mesh: refused, naming it, nothing written.
    Ui().Clear();
    const std::string stl = temp.Path("lost/robot.stl");
    Ui().fileAnswers.push_back(stl);
    Choose("mnuExportStl");
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("The mesh of \"A\" cannot be read"), std::string::npos)
        << Ui().Messages()[0];
    EXPECT_FALSE(fs::exists(stl));
}

}  // namespace
}  // namespace mechanon::testing
