// File > Export URDF..., Export STL... and Export Picture..., a robot file named on the command
// line, and the program's --help and --version, as a user meets them.

#include <sys/wait.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <fstream>

#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/editing/frmEditBot.h"
#include "app/undo/DocumentHistory.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

using Kind = torvane::ScriptedUserInterface::Kind;

QByteArray Bytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs a program with arguments; its standard output goes to outPath. Returns the exit status.
int RunProgram(const std::string& program, const std::string& args, const std::string& outPath) {
    const int raw = std::system((program + " " + args + " > '" + outPath + "' 2>&1").c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

class ExportCommandsTest : public AppTest {
  protected:
    void OpenArm() {
        OpenFile(ExamplePath("arm.bot"));
        Ui().Clear();
    }
    std::vector<std::string> Messages() const {
        return const_cast<ExportCommandsTest*>(this)->Ui().Messages();
    }
};

TEST_F(ExportCommandsTest, ExportUrdfWritesTheActiveRoomAndItsMeshesBesideIt) {
    OpenArm();
    const std::string urdf = temp.Path("arm.urdf");
    Ui().fileAnswers.push_back(urdf);
    Choose("mnuExportUrdf");
    ASSERT_EQ(Ui().shown.size(), 1u);
    EXPECT_EQ(Ui().shown[0].kind, Kind::SaveDialog);
    EXPECT_EQ(
        Ui().shown[0].text,
        (QFileInfo(QString::fromStdString(ExamplePath("arm.bot"))).absolutePath() + "/Arm.urdf")
            .toStdString());
    const QString text = QString::fromUtf8(Bytes(urdf));
    EXPECT_TRUE(text.contains("<robot name=\"Arm\">"));
    // The arm's motors have no travel limits: its joints turn without end.
    EXPECT_EQ(text.count("type=\"continuous\""), 3);
    const QStringList meshes =
        QDir(QString::fromStdString(temp.Path("meshes"))).entryList({"*.stl"});
    EXPECT_EQ(meshes.size(), 4);
    for (const QString& mesh : meshes) EXPECT_TRUE(text.contains("meshes/" + mesh));
}

TEST_F(ExportCommandsTest, ExportStlIsTheRobotAtThePositionsTheViewShows) {
    OpenArm();
    const std::string stl = temp.Path("arm.stl");
    Ui().fileAnswers.push_back(stl);
    Choose("mnuExportStl");
    EXPECT_TRUE(Messages().empty());
    // The command line given the motor grid's values writes the same bytes.
    std::string positions;
    const auto masks = ActiveRoom()->MotorMasks();
    for (std::int32_t k = 1; k <= masks.TotalMasks; ++k)
        positions += (k > 1 ? "," : "") + std::to_string(masks.Masks(k).Value);
    const std::string cli = temp.Path("cli.stl");
    ASSERT_EQ(RunProgram(MECHANON_CLI,
                         "stl '" + ExamplePath("arm.bot") + "' --positions " + positions + " -o '" +
                             cli + "'",
                         temp.Path("log")),
              0);
    EXPECT_FALSE(Bytes(stl).isEmpty());
    EXPECT_EQ(Bytes(stl), Bytes(cli));
}

TEST_F(ExportCommandsTest, ExportPictureSavesTheViewAsPngWithoutTheSelectionInRed) {
    OpenArm();
    // The arm's one subpart selected in the part editor's tree: the whole robot is red.
    QTreeWidget& tree = *Main().EditBot().TreeView1;
    QTreeWidgetItem* base = tree.topLevelItem(0)->child(0);
    ASSERT_NE(base, nullptr);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(base).center());
    ProcessEventsFor(0);
    ASSERT_EQ(ActiveRoom()->ActiveSubIndex, 1);
    const QImage red = GrabView(Bots());

    const std::string png = temp.Path("arm.png");
    Ui().fileAnswers.push_back(png);
    Choose("mnuExportPicture");
    EXPECT_TRUE(Messages().empty());
    const QImage saved(QString::fromStdString(png));
    ASSERT_FALSE(saved.isNull());
    EXPECT_LT(DifferentShare(GrabView(Bots()), red), 0.001) << "the view still shows the selection";
    Main().EditBot().chkReddenSelection->click();
    const QImage view = GrabView(Bots());
    EXPECT_EQ(saved.size(), view.size());
    EXPECT_FALSE(IsUniform(saved));
    EXPECT_LT(DifferentShare(saved.convertToFormat(view.format()), view), 0.01);
    EXPECT_GT(DifferentShare(saved.convertToFormat(red.format()), red), 0.01);
}

TEST_F(ExportCommandsTest, AnExportThatCannotBeWrittenSaysSoAndWritesNothing) {
    OpenArm();
    const std::string blocker = temp.Path("file");
    std::ofstream(blocker) << "a file where a folder should be";
    for (const QString item : {"mnuExportUrdf", "mnuExportStl", "mnuExportPicture"}) {
        SCOPED_TRACE(item.toStdString());
        Ui().Clear();
        const std::string target = blocker + "/out.x";
        Ui().fileAnswers.push_back(target);
        Choose(item);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_NE(Messages()[0].find("cannot be exported to \"" + target + "\""),
                  std::string::npos);
        EXPECT_NE(Messages()[0].find("Nothing was written."), std::string::npos);
        // Cancelling the dialog does nothing at all.
        Ui().Clear();
        Choose(item);
        EXPECT_TRUE(Messages().empty());
    }
    EXPECT_EQ(QDir(QString::fromStdString(temp.Path("")))
                  .entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{"file"});
}

TEST_F(ExportCommandsTest, ARobotTooLargeToPlaceIsNeitherFittedNorExported) {
    OpenArm();
    // A robot file may hold a size the part editor refuses.
    const auto foreArm = Rooms().GetRoomByName("ForeArm");
    torvane::typPartData data = foreArm->PartData();
    data.Size = torvane::DoubleArray(1, {1e308, 1e308, 3});
    foreArm->SetPartData(data);
    const torvane::typCamera camera = ActiveRoom()->PartData().Camera;
    Choose("mnuFitToView");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("too far to fit in the view"), std::string::npos) << Messages()[0];
    EXPECT_EQ(ActiveRoom()->PartData().Camera, camera);
    EXPECT_EQ(Bots().History().Stack().count(), 0) << "a failed fit is no step to undo";
    EXPECT_FALSE(Main().MenuItem("mnuUndo")->isEnabled());

    for (const QString item : {"mnuExportUrdf", "mnuExportStl"}) {
        SCOPED_TRACE(item.toStdString());
        Ui().Clear();
        Ui().fileAnswers.push_back(temp.Path("huge.out"));
        Choose(item);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_NE(Messages()[0].find("not a finite number"), std::string::npos) << Messages()[0];
        EXPECT_NE(Messages()[0].find("Nothing was written."), std::string::npos);
        EXPECT_NE(Main().statusBar()->currentMessage().indexOf("Not exported"), -1)
            << Main().statusBar()->currentMessage().toStdString();
    }
    EXPECT_TRUE(QDir(QString::fromStdString(temp.Path("")))
                    .entryList(QDir::NoDotAndDotDot | QDir::AllEntries)
                    .isEmpty());
}

TEST_F(ExportCommandsTest, ARobotFileNamedAtStartIsOpened) {
    OpenStartFile(TheProgram(), ExamplePath("gripper.bot"));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Main().CurrentPath(), ExamplePath("gripper.bot"));
    EXPECT_GT(Rooms().TotalRooms, 1);
    Ui().Clear();
    const std::string bad = temp.Path("bad.bot");
    std::ofstream(bad) << "not a robot";
    OpenStartFile(TheProgram(), bad);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("cannot be read"), std::string::npos);
    EXPECT_EQ(Main().CurrentPath(), ExamplePath("gripper.bot"));
}

TEST(ProgramCommandLine, HelpAndVersionAnswerWithoutWindows) {
    TempFolder temp;
    ASSERT_EQ(RunProgram(MECHANON_PROGRAM, "--version", temp.Path("v")), 0);
    EXPECT_TRUE(Bytes(temp.Path("v")).startsWith("Mechanon "));
    ASSERT_EQ(RunProgram(MECHANON_PROGRAM, "--help", temp.Path("h")), 0);
    EXPECT_TRUE(Bytes(temp.Path("h")).contains("usage: mechanon [FILE.bot]"));
    EXPECT_EQ(RunProgram("QT_QPA_PLATFORM=offscreen " + std::string(MECHANON_PROGRAM), "--bogus",
                         temp.Path("b")),
              2);
    EXPECT_TRUE(Bytes(temp.Path("b")).contains("mechanon: unknown option --bogus"));
}

}  // namespace
}  // namespace mechanon::testing
