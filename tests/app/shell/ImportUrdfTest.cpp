// File > Import URDF...: the dialog, its package search path and unit, and an imported robot
// that is driven, saved, moved to another folder with its meshes, reopened and exported.

#include <QApplication>
#include <QFile>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "app/frmImportUrdf.h"
#include "model/RobotFile.h"
#include "tests/app/motion/MotionWindowTest.h"

namespace mechanon::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = MECHANON_URDF_SAMPLES;

std::string Text(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names of the elements of one kind ("joint", "link") a URDF text declares.
std::set<std::string> Declared(const std::string& urdf, const std::string& element) {
    const std::regex declared("<" + element + "\\s+name=\"([^\"]+)\"");
    std::set<std::string> names;
    for (std::sregex_iterator i(urdf.begin(), urdf.end(), declared), end; i != end; ++i)
        names.insert((*i)[1]);
    return names;
}

// ROS_PACKAGE_PATH as a test sets it, restored afterwards.
class ScopedEnvironment {
  public:
    explicit ScopedEnvironment(const QByteArray& value)
        : had_(qEnvironmentVariableIsSet(kName)), old_(qgetenv(kName)) {
        qputenv(kName, value);
    }
    ~ScopedEnvironment() { had_ ? qputenv(kName, old_) : qunsetenv(kName); }

  private:
    static constexpr const char* kName = "ROS_PACKAGE_PATH";
    bool had_;
    QByteArray old_;
};

class ImportUrdfTest : public MotionWindowTest {
  protected:
    void SetUp() override {
        MotionWindowTest::SetUp();
        frmImportUrdf::SavePackagePath({});
    }
    // Runs File > Import URDF...; work fills the dialog once it is up and closes it.
    void WithDialog(std::function<void(frmImportUrdf&)> work) {
        QTimer::singleShot(0, [work = std::move(work)] {
            auto* dialog = qobject_cast<frmImportUrdf*>(QApplication::activeModalWidget());
            if (dialog) work(*dialog);
        });
        Choose("mnuImportUrdf");
    }
    // Imports file through the dialog: chosen with Browse, the unit typed when given.
    void Import(const fs::path& file, const QString& unit = {}) {
        WithDialog([this, file, unit](frmImportUrdf& dialog) {
            Ui().fileAnswers.push_back(file.string());
            QTest::mouseClick(dialog.cmdBrowse, Qt::LeftButton);
            if (!unit.isEmpty()) dialog.txtUnit->setText(unit);
            QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
            if (dialog.isVisible()) dialog.reject();
        });
        ProcessEventsFor(20);
    }
    std::string Document() const { return torvane::EncodeRobot(Rooms().AllData()); }
    fs::path Folder(const std::string& name) const {
        const fs::path folder = temp.Path(name);
        fs::create_directories(folder);
        return folder;
    }
};

TEST_F(ImportUrdfTest, TheArmIsImportedDrivenSavedMovedWithItsMeshesReopenedAndExported) {
    const fs::path urdf = kSamples / "so101" / "so101_new_calib.urdf";
    Import(urdf);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
    EXPECT_EQ(Main().windowTitle(), "*Mechanon") << "imported, not saved";
    const std::set<std::string> links = Declared(Text(urdf), "link");
    ASSERT_GE(Rooms().TotalRooms, static_cast<int>(links.size()));
    EXPECT_EQ(ActiveRoom()->Name(), "base_link");
    EXPECT_FALSE(IsUniform(GrabView(Bots())));

    // One row per moving joint; a joint moved from the table moves the arm.
    ShowWindow();
    EXPECT_EQ(Window().MSFlexGrid1->rowCount(), 1 + 6);
    const QImage still = GrabView(Bots());
    EnterCell(2, "30");
    EXPECT_EQ(MaskValue(2), 30);
    const QImage moved = GrabView(Bots());
    EXPECT_GT(DifferentShare(still, moved), 0.005);

    // Save asks for a name, as for a new robot; the meshes go into a folder beside the file.
    const fs::path saved = Folder("first") / "so101.bot";
    Ui().Clear();
    Ui().fileAnswers.push_back(saved.string());
    Choose("mnuSave");
    ASSERT_EQ(Ui().shown.size(), 1u);
    EXPECT_EQ(Ui().shown[0].kind, torvane::ScriptedUserInterface::Kind::SaveDialog);
    EXPECT_EQ(Main().windowTitle().toStdString(), "Mechanon     " + saved.string());
    EXPECT_EQ(Text(saved).find(kSamples.string()), std::string::npos) << "no path to the samples";

    // The robot and its mesh folder, on another machine as far as it can tell.
    const fs::path elsewhere = Folder("elsewhere");
    fs::copy(saved.parent_path(), elsewhere, fs::copy_options::recursive);
    fs::remove_all(saved.parent_path());
    OpenFile((elsewhere / "so101.bot").string());
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
    EXPECT_EQ(MaskValue(2), 30);
    EXPECT_LT(DifferentShare(GrabView(Bots()), moved), 0.01) << "the meshes were all found";

    // The export gives back the URDF's own names.
    const fs::path exported = Folder("out") / "so101.urdf";
    Ui().fileAnswers.push_back(exported.string());
    Choose("mnuExportUrdf");
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
    const std::string text = Text(exported);
    EXPECT_EQ(Declared(text, "joint"), Declared(Text(urdf), "joint"));
    EXPECT_EQ(Declared(text, "link"), links);
}

TEST_F(ImportUrdfTest, AFileThatCannotBeImportedIsNamedAndTheRobotStaysAsItWas) {
    OpenFile(ExamplePath("arm.bot"));
    MakeAChange();
    const std::string before = Document();
    const QString caption = Main().windowTitle();
    const fs::path xacro = temp.Path("arm.urdf.xacro");
    std::ofstream(xacro) << "<robot name=\"arm\" xmlns:xacro=\"http://www.ros.org/wiki/xacro\">"
                            "<xacro:property name=\"l\" value=\"1\"/><link name=\"a\"/></robot>";
    const fs::path malformed = temp.Path("malformed.urdf");
    std::ofstream(malformed) << "<robot name=\"arm\">\n<link name=\"a\">\n</robot>\n";
    for (const auto& [file, says] : {std::pair{xacro, std::string("xacro")},
                                     {malformed, std::string("line")},
                                     {fs::path(temp.Path("missing.urdf")), std::string()}}) {
        SCOPED_TRACE(file.string());
        Ui().Clear();
        Ui().messageAnswers.push_back(torvane::MsgAnswer::No);  // keep the changes unsaved
        Import(file);
        const auto messages = Ui().Messages();
        ASSERT_EQ(messages.size(), 2u) << "the question about the changes, then the refusal";
        EXPECT_NE(messages[1].find(file.string()), std::string::npos) << messages[1];
        EXPECT_NE(messages[1].find(says), std::string::npos) << messages[1];
        EXPECT_EQ(Document(), before);
        EXPECT_EQ(Main().windowTitle(), caption);
        EXPECT_EQ(Main().CurrentPath(), ExamplePath("arm.bot"));
    }
}

TEST_F(ImportUrdfTest, TheSearchPathIsTheUsersFoldersInOrderThenTheEnvironmentsGreyed) {
    const ScopedEnvironment environment("/env/one:/env/two");
    const QString tutorial = QString::fromStdString((kSamples / "r2d2").string());
    QStringList listed;
    bool environmentLocked = false;
    WithDialog([&](frmImportUrdf& dialog) {
        for (const QString& folder : {QString("/a"), QString("/b"), QString("/a/")}) {
            dialog.ChooseFolder = [folder](const QString&) { return folder; };
            QTest::mouseClick(dialog.cmdAddFolder, Qt::LeftButton);
        }
        dialog.lstPackagePath->setCurrentRow(1);
        QTest::mouseClick(dialog.cmdFolderUp, Qt::LeftButton);
        for (int row = 0; row < dialog.lstPackagePath->count(); ++row)
            listed << dialog.lstPackagePath->item(row)->text();
        dialog.lstPackagePath->setCurrentRow(2);
        environmentLocked = !dialog.cmdRemoveFolder->isEnabled();
        dialog.reject();
    });
    ASSERT_EQ(listed.size(), 4);
    EXPECT_EQ(listed.mid(0, 2), (QStringList{"/b", "/a"}));
    EXPECT_TRUE(listed[2].startsWith("/env/one") && listed[3].startsWith("/env/two"))
        << listed[2].toStdString();
    EXPECT_TRUE(environmentLocked);
    EXPECT_TRUE(frmImportUrdf::SavedPackagePath().isEmpty()) << "Cancel keeps nothing";

    // Without the tutorial's folder its package:// meshes are missing: one warning names them.
    const fs::path visual = kSamples / "r2d2" / "05-visual.urdf";
    Import(visual);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("l_finger.dae"), std::string::npos);
    EXPECT_NE(Ui().Messages()[0].find("l_finger_tip.dae"), std::string::npos);

    // Added, kept in the settings, and searched.
    Ui().Clear();
    Ui().messageAnswers.push_back(torvane::MsgAnswer::No);
    WithDialog([&](frmImportUrdf& dialog) {
        EXPECT_EQ(dialog.UserFolders(), QStringList());
        dialog.ChooseFolder = [&](const QString&) { return tutorial; };
        QTest::mouseClick(dialog.cmdAddFolder, Qt::LeftButton);
        dialog.txtFile->setText(QString::fromStdString(visual.string()));
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(frmImportUrdf::SavedPackagePath(), QStringList{tutorial});
    for (const std::string& message : Ui().Messages())
        EXPECT_EQ(message.find("l_finger"), std::string::npos) << message;
}

TEST_F(ImportUrdfTest, TheUnitScalesTheRobotAndMustBeAPositiveNumber) {
    const fs::path urdf = temp.Path("box.urdf");
    std::ofstream(urdf) << "<robot name=\"b\"><link name=\"box\"><visual><geometry>"
                           "<box size=\"0.2 0.1 0.4\"/></geometry></visual></link></robot>";
    const std::string before = Document();
    for (const char* bad : {"0", "-1", "abc", "inf"}) {
        Ui().Clear();
        bool stayedOpen = false;
        WithDialog([&](frmImportUrdf& dialog) {
            dialog.txtFile->setText(QString::fromStdString(urdf.string()));
            dialog.txtUnit->setText(bad);
            QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
            stayedOpen = dialog.isVisible();
            dialog.reject();
        });
        EXPECT_TRUE(stayedOpen) << bad;
        ASSERT_EQ(Ui().Messages().size(), 1u) << bad;
        EXPECT_NE(Ui().Messages()[0].find(std::string("\"") + bad + "\""), std::string::npos);
        EXPECT_EQ(Document(), before);
    }
    Import(urdf);
    const double atDefault = ActiveRoom()->PartData().Size(1);
    Ui().messageAnswers.push_back(torvane::MsgAnswer::No);
    Import(urdf, "0.02");
    EXPECT_DOUBLE_EQ(ActiveRoom()->PartData().Size(1) * 2, atDefault);
    EXPECT_NEAR(atDefault, 0.2 / kDefaultImportUnit, 1e-9);
}

}  // namespace
}  // namespace mechanon::testing
