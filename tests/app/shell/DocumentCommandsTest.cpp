// New, Open, Save and Save As from the File menu and the toolbar: their questions, the file
// dialogs they open, the captions, and what is left when a file cannot be read or written.

#include <QFile>
#include <QSignalSpy>

#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "model/ModelLimits.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "model/clsSubPart.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

using Kind = torvane::ScriptedUserInterface::Kind;
using torvane::MsgAnswer;

constexpr const char* kNewQuestion =
    "Do you want to save your changes to the new robot before starting a new robot?\n\nYes saves "
    "them, No discards them, Cancel keeps the robot open.";
constexpr const char* kOpenQuestion =
    "Do you want to save your changes to the new robot before opening another robot?\n\nYes saves "
    "them, No discards them, Cancel keeps the robot open.";
constexpr const char* kRobotFilter = "Bots files (*.Bots)|*.bot|";

class DocumentCommandsTest : public AppTest {
  protected:
    // Adds a second room "Extra" through the Create command.
    void AddRoom(const std::string& name) {
        Ui().inputAnswers.push_back(name);
        Choose("mnuCreatePartRoom");
    }
    int Dialogs(Kind kind) const {
        int n = 0;
        for (const auto& s : const_cast<DocumentCommandsTest*>(this)->Ui().shown)
            n += s.kind == kind ? 1 : 0;
        return n;
    }
    QByteArray Bytes(const std::string& path) const {
        QFile f(QString::fromStdString(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(DocumentCommandsTest, NewAsksAndKeepsTheRobotOnCancel) {
    AddRoom("Extra");
    Ui().Clear();
    Ui().messageAnswers.push_back(MsgAnswer::Cancel);
    Choose("mnuNew");
    EXPECT_EQ(Ui().CountMessage(kNewQuestion), 1);
    EXPECT_EQ(Ui().shown.front().buttons, torvane::MsgButtons::YesNoCancel);
    EXPECT_EQ(Rooms().TotalRooms, 2);
    EXPECT_EQ(ActiveRoom()->Name(), "Extra");
}

TEST_F(DocumentCommandsTest, NewOnNoStartsOverWithOneGridRoomAndNoPath) {
    const std::string path = temp.Path("robot.bot");
    AddRoom("Extra");
    Ui().fileAnswers.push_back(path);
    Choose("mnuSave");
    ASSERT_EQ(Main().windowTitle().toStdString(), "Mechanon     " + path);
    AddRoom("Unsaved");  // only a change not yet saved is asked about

    Ui().Clear();
    Ui().messageAnswers.push_back(MsgAnswer::No);
    ClickToolbar("New");
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_EQ(
        Ui().Messages()[0].rfind(
            "Do you want to save your changes to \"robot.bot\" before starting a new robot?", 0),
        0u)
        << Ui().Messages()[0];
    ASSERT_EQ(Rooms().TotalRooms, 1);
    EXPECT_EQ(ActiveRoom()->Name(), "Part 1");
    EXPECT_EQ(ActiveRoom()->PartData().ShapeName, "Grid");
    EXPECT_EQ(Main().CurrentPath(), "");
    EXPECT_EQ(Main().windowTitle(), "Mechanon");
    EXPECT_FALSE(IsUniform(GrabView(Bots())));
    // The next Save has no file to write to and asks again.
    Ui().Clear();
    Choose("mnuSave");
    EXPECT_EQ(Dialogs(Kind::SaveDialog), 1);
}

TEST_F(DocumentCommandsTest, SaveAsksOnceThenWritesWithoutAsking) {
    const std::string path = temp.Path("first.bot");
    Ui().fileAnswers.push_back(path);
    ClickToolbar("Save");
    ASSERT_EQ(Dialogs(Kind::SaveDialog), 1);
    EXPECT_EQ(Ui().shown.front().text, "");
    EXPECT_EQ(Ui().shown.front().extra, kRobotFilter);
    EXPECT_EQ(Main().CurrentPath(), path);
    EXPECT_EQ(Main().windowTitle().toStdString(), "Mechanon     " + path);
    const QByteArray first = Bytes(path);
    ASSERT_FALSE(first.isEmpty());

    AddRoom("Second");
    Ui().Clear();
    Choose("mnuSave");
    EXPECT_EQ(Dialogs(Kind::SaveDialog), 0);
    EXPECT_NE(Bytes(path), first);  // the second room was written to the same file
    EXPECT_TRUE(Ui().Messages().empty());
}

TEST_F(DocumentCommandsTest, SaveAsAlwaysAsksAndCancelChangesNothing) {
    const std::string first = temp.Path("a.bot");
    const std::string second = temp.Path("b.bot");
    Ui().fileAnswers.push_back(first);
    Choose("mnuSaveAs");
    Ui().fileAnswers.push_back(second);
    Choose("mnuSaveAs");
    EXPECT_EQ(Dialogs(Kind::SaveDialog), 2);
    EXPECT_EQ(Ui().shown.back().text, "");  // Save As starts from an empty path
    EXPECT_EQ(Main().CurrentPath(), second);
    EXPECT_EQ(Bytes(first), Bytes(second));

    Ui().Clear();  // the dialog is cancelled
    Choose("mnuSaveAs");
    EXPECT_EQ(Dialogs(Kind::SaveDialog), 1);
    EXPECT_EQ(Main().CurrentPath(), second);
    EXPECT_EQ(Main().windowTitle().toStdString(), "Mechanon     " + second);
}

TEST_F(DocumentCommandsTest, SaveThatCannotWriteSaysSoAndKeepsPathAndCaption) {
    const std::string good = temp.Path("good.bot");
    Ui().fileAnswers.push_back(good);
    Choose("mnuSave");
    Ui().Clear();
    Ui().fileAnswers.push_back(temp.Path("no-such-folder/robot.bot"));
    Choose("mnuSaveAs");
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages().front().find("could not be completed"), std::string::npos);
    EXPECT_EQ(Main().CurrentPath(), good);
    EXPECT_EQ(Main().windowTitle().toStdString(), "Mechanon     " + good);
    EXPECT_TRUE(Main().isVisible());
}

TEST_F(DocumentCommandsTest, SaveOverAWriteProtectedFileRefusesNamingItAndLeavesIt) {
    const std::string path = temp.Path("protected.bot");
    Ui().fileAnswers.push_back(path);
    Choose("mnuSave");
    const QByteArray saved = Bytes(path);
    ASSERT_FALSE(saved.isEmpty());
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(path),
                                      QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    AddRoom("Unsaved");
    Ui().Clear();
    ClickToolbar("Save");
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("\"" + path + "\": the file is write-protected"),
              std::string::npos)
        << Ui().Messages()[0];
    EXPECT_EQ(Bytes(path), saved);
    EXPECT_EQ(Main().CurrentPath(), path);
    EXPECT_EQ(Rooms().TotalRooms, 2);  // the robot is kept to be saved elsewhere
    QFile::setPermissions(QString::fromStdString(path),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(DocumentCommandsTest, OpenCancelledAtTheQuestionOrTheDialogChangesNothing) {
    AddRoom("Extra");
    Ui().Clear();
    Ui().messageAnswers.push_back(MsgAnswer::Cancel);
    Choose("mnuOpen");
    EXPECT_EQ(Ui().CountMessage(kOpenQuestion), 1);
    EXPECT_EQ(Dialogs(Kind::OpenDialog), 0);

    Ui().Clear();
    Ui().messageAnswers.push_back(MsgAnswer::No);
    ClickToolbar("Open");  // the dialog answers "" (cancel)
    EXPECT_EQ(Dialogs(Kind::OpenDialog), 1);
    EXPECT_EQ(Ui().shown.back().extra, kRobotFilter);
    EXPECT_EQ(Rooms().TotalRooms, 2);
    EXPECT_EQ(Main().windowTitle(), "*Mechanon") << "still the unsaved robot";
}

TEST_F(DocumentCommandsTest, OpenShowsTheFirstRoomAndPutsThePathInTheCaption) {
    const std::string path = ExamplePath("arm.bot");
    OpenFile(path);
    EXPECT_TRUE(Ui().Messages().empty()) << "nothing was changed, so nothing is asked";
    ASSERT_GT(Rooms().TotalRooms, 1);
    EXPECT_EQ(Rooms().PartRoomIndex(), 1);  // although every room was drawn for its picture
    EXPECT_EQ(ActiveRoom()->ActiveSubIndex, 0);
    EXPECT_EQ(ActiveRoom()->Name(), "Arm");
    EXPECT_EQ(Main().CurrentPath(), path);
    EXPECT_EQ(Main().windowTitle().toStdString(), "Mechanon     " + path);
    // Open starts its dialog from the file last opened or saved.
    Ui().Clear();
    Ui().messageAnswers.push_back(MsgAnswer::No);
    Choose("mnuOpen");
    EXPECT_EQ(Ui().shown.back().text, path);
}

TEST_F(DocumentCommandsTest, OpenOfADamagedFileNamesItAndLeavesEverything) {
    const std::string good = temp.Path("good.bot");
    AddRoom("Kept");
    Ui().fileAnswers.push_back(good);
    Choose("mnuSave");
    const QImage before = GrabView(Bots());

    QByteArray damaged = Bytes(ExamplePath("gripper.bot"));
    ASSERT_GT(damaged.size(), 100);
    damaged.truncate(damaged.size() / 2);
    const std::string bad = temp.Path("damaged.bot");
    {
        QFile f(QString::fromStdString(bad));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    }
    for (const std::string& path : {bad, temp.Path("missing.bot")}) {
        Ui().Clear();
        OpenFile(path);
        const auto messages = Ui().Messages();
        ASSERT_EQ(messages.size(), 1u) << path;
        EXPECT_NE(messages[0].find("\"" + path + "\" cannot be read"), std::string::npos)
            << messages[0];
        EXPECT_EQ(Rooms().TotalRooms, 2);
        EXPECT_EQ(ActiveRoom()->Name(), "Kept");
        EXPECT_EQ(Main().CurrentPath(), good);
        EXPECT_EQ(Main().windowTitle().toStdString(), "Mechanon     " + good);
    }
    EXPECT_LT(DifferentShare(before, GrabView(Bots())), 0.001);
}

// A robot file can hold a tree that loads but cannot be drawn (nested deeper than the view can
// place). Opening it says why the picture failed, and the document is the file's robot: its
// path is the one Save writes to, so the robot that was open before is never overwritten.
TEST_F(DocumentCommandsTest, OpenOfARobotThatCannotBeDrawnStillBelongsToItsFile) {
    const std::string before = temp.Path("before.bot");
    Ui().fileAnswers.push_back(before);
    Choose("mnuSave");
    const QByteArray beforeBytes = Bytes(before);

    torvane::clsRooms deep;
    const int rooms = torvane::kMaxPlacementDepth + 3;
    for (int i = 1; i <= rooms; ++i) {
        std::string name = "Level " + std::to_string(i);
        deep.CreatePartRoom(name, i == 1);
    }
    for (int i = 1; i < rooms; ++i) {
        torvane::typSubPartData data;
        data.Name = "Next";
        auto sub = std::make_shared<torvane::clsSubPart>(data);
        sub->Part = deep.Rooms(i + 1);
        deep.Rooms(i)->AttachSubPart(sub);
    }
    deep.SetSavePartNames();
    const std::string path = temp.Path("deep.bot");
    deep.Save(path);

    Ui().Clear();
    OpenFile(path);
    // Reported once, by the view: the background snapshots of the rooms that cannot be drawn
    // either add no message of their own.
    WaitForSnapShots();
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("could not be completed"), std::string::npos);
    EXPECT_EQ(Rooms().TotalRooms, rooms);
    EXPECT_EQ(Rooms().PartRoomIndex(), 1);
    EXPECT_EQ(Main().CurrentPath(), path);
    EXPECT_EQ(Main().windowTitle().toStdString(), "Mechanon     " + path);

    Ui().Clear();
    Choose("mnuSave");
    EXPECT_EQ(Bytes(before), beforeBytes);
}

TEST_F(DocumentCommandsTest, RegeneratingSnapshotsGivesEveryRoomItsPicture) {
    QSignalSpy captions(&Main(), &QWidget::windowTitleChanged);
    OpenFile(ExamplePath("gripper.bot"));
    QStringList shown;
    for (const auto& args : captions) shown << args.at(0).toString();
    EXPECT_TRUE(shown.contains("Regenerating Snapshots, please wait..."))
        << shown.join("|").toStdString();
    WaitForSnapShots();
    for (int i = 1; i <= Rooms().TotalRooms; ++i)
        EXPECT_TRUE(Rooms().Rooms(i)->SnapShot) << Rooms().Rooms(i)->Name();
    EXPECT_EQ(Main().windowTitle().toStdString(), "Mechanon     " + ExamplePath("gripper.bot"));
}

}  // namespace
}  // namespace mechanon::testing
