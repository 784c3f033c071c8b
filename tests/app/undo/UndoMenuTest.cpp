// Edit > Undo and Redo as the user meets them: texts that name the change, greyed when there is
// nothing to do, the keys and toolbar buttons, the windows and the caption following each step,
// the history cleared by New and Open and bounded by its setting, and its memory.

#include <malloc.h>

#include <QMdiSubWindow>
#include <QSettings>
#include <QTableWidget>
#include <QTest>
#include <QUndoStack>
#include <fstream>

#include "RandomEdits.h"
#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/editing/frmEditBot.h"
#include "app/editing/frmPartsBar.h"
#include "app/motion/frmControlMotors.h"
#include "app/undo/DocumentHistory.h"
#include "app/undo/HistoryBytes.h"
#include "model/clsRooms.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

class UndoMenu : public AppTest {
  protected:
    void TearDown() override {
        QSettings().remove(DocumentHistory::kLimitKey);
        AppTest::TearDown();
    }
    QAction& Item(const char* name) { return *Main().MenuItem(name); }
    void PressKeys(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        ASSERT_TRUE(MakeActive(Main()));
        Main().setFocus();
        QTest::keyClick(&Main(), key, modifiers);
        ProcessEventsFor(0);
    }
    void CreateRoom(const std::string& name) {
        Ui().inputAnswers.push_back(name);
        Choose("mnuCreatePartRoom");
    }
    std::vector<std::string> RoomNames() {
        std::vector<std::string> names;
        for (int i = 1; i <= Rooms().TotalRooms; ++i) names.push_back(Rooms().Rooms(i)->Name());
        return names;
    }
    static std::string FileBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

TEST_F(UndoMenu, TextsNameTheChangeAndAreGreyedWithNothingToDo) {
    EXPECT_EQ(Item("mnuUndo").text(), "&Undo");
    EXPECT_FALSE(Item("mnuUndo").isEnabled());
    EXPECT_FALSE(Item("mnuRedo").isEnabled());
    EXPECT_FALSE(Main().ToolbarButton("Undo")->isEnabled());
    EXPECT_EQ(Item("mnuUndo").shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_EQ(Item("mnuRedo").shortcuts(),
              (QList<QKeySequence>{QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}));

    CreateRoom("Finger");
    Ui().messageAnswers.push_back(torvane::MsgAnswer::OK);
    Choose("mnuDeletePartRoom");
    EXPECT_EQ(Item("mnuUndo").text(), "&Undo Delete Part Room 'Finger'");
    EXPECT_TRUE(Item("mnuUndo").isEnabled());
    EXPECT_EQ(Main().ToolbarButton("Undo")->toolTip(), "Undo Delete Part Room 'Finger'");
    EXPECT_FALSE(Item("mnuRedo").isEnabled());

    PressKeys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(RoomNames(), (std::vector<std::string>{"Part 1", "Finger"}));
    EXPECT_EQ(ActiveRoom()->Name(), "Finger") << "the undone room is shown";
    EXPECT_EQ(Main().EditBot().windowTitle(), "Edit Finger");
    EXPECT_EQ(Main().PartsBar().ThumbnailCount(), 2);
    EXPECT_EQ(Item("mnuUndo").text(), "&Undo Create Part Room 'Finger'");
    EXPECT_EQ(Item("mnuRedo").text(), "&Redo Delete Part Room 'Finger'");

    PressKeys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(RoomNames(), (std::vector<std::string>{"Part 1"}));
    EXPECT_FALSE(Item("mnuUndo").isEnabled());
    PressKeys(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(RoomNames(), (std::vector<std::string>{"Part 1", "Finger"}));
    PressKeys(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(RoomNames(), (std::vector<std::string>{"Part 1"}));
    ClickToolbar("Undo");
    EXPECT_EQ(RoomNames(), (std::vector<std::string>{"Part 1", "Finger"}));
    ClickToolbar("Redo");
    EXPECT_EQ(RoomNames(), (std::vector<std::string>{"Part 1"}));
    EXPECT_TRUE(Ui().Messages().size() == 1) << "only the delete's question was asked";
}

TEST_F(UndoMenu, UndoingADeleteRestoresPlaceUsesAndMaskValues) {
    OpenFile(ExamplePath("gripper.bot"));
    const std::string saved = temp.Path("gripper.bot");
    Ui().fileAnswers.push_back(saved);
    Choose("mnuSaveAs");
    const std::string before = FileBytes(saved);
    // The first room's table: every value set, so each must come back to its own row.
    Main().PartsBar().ActivateRoom(1);
    const auto root = ActiveRoom();
    frmControlMotors& motors = Main().ControlMotors();
    const int rows = root->MotorMasks().TotalMasks;
    ASSERT_GE(rows, 2);
    for (int row = 1; row <= rows; ++row)
        motors.MSFlexGrid1->item(row, 1)->setText(QString::number(row * 3));
    motors.ApplyPositions();
    const torvane::typMotorMasks valued = root->MotorMasks();
    // A used room with a motor of its own.
    int used = 0;
    for (int i = 2; i <= Rooms().TotalRooms && used == 0; ++i)
        if (Rooms().CountUses(*Rooms().Rooms(i)) > 0 && Rooms().Rooms(i)->MotorType() != 0)
            used = i;
    ASSERT_GT(used, 0);
    const auto room = Rooms().Rooms(used);
    const int uses = Rooms().CountUses(*room);
    Main().PartsBar().ActivateRoom(used);
    Ui().messageAnswers.push_back(torvane::MsgAnswer::OK);
    Choose("mnuDeletePartRoom");
    ASSERT_EQ(Rooms().PositionOf(*room), 0);
    ASSERT_NE(root->MotorMasks(), valued);

    Choose("mnuUndo");
    EXPECT_EQ(Rooms().PositionOf(*room), used);
    EXPECT_EQ(Rooms().CountUses(*room), uses);
    EXPECT_EQ(root->MotorMasks(), valued) << "every mask value of the table that listed it";
    Choose("mnuUndo");
    EXPECT_EQ(SavedBytes(Main(), Bots(), saved), before);
    EXPECT_EQ(Main().windowTitle().toStdString(), "Mechanon     " + saved)
        << "back at the saved state: no marker";
}

TEST_F(UndoMenu, TheCaptionFollowsAndNewAndOpenClearTheHistory) {
    const std::string path = temp.Path("caption.bot");
    Ui().fileAnswers.push_back(path);
    Choose("mnuSaveAs");
    MakeAChange();
    EXPECT_EQ(Main().windowTitle().toStdString(), "*Mechanon     " + path);
    Choose("mnuUndo");
    EXPECT_EQ(Main().windowTitle().toStdString(), "Mechanon     " + path);
    Ui().Clear();
    Main().close();
    EXPECT_TRUE(Ui().Messages().empty()) << "undone to the saved robot: closing asks nothing";
    Main().show();
    Choose("mnuRedo");
    EXPECT_TRUE(Main().DocumentModified());

    Ui().messageAnswers.push_back(torvane::MsgAnswer::No);
    Choose("mnuNew");
    EXPECT_FALSE(Item("mnuUndo").isEnabled());
    EXPECT_FALSE(Item("mnuRedo").isEnabled());
    MakeAChange();
    OpenFile(path);
    EXPECT_FALSE(Item("mnuUndo").isEnabled()) << "Open starts a history of its own";
}

TEST_F(UndoMenu, AStepTheRobotNoLongerAllowsIsReportedAndClearsTheHistory) {
    CreateRoom("Finger");
    CreateRoom("Palm");
    // A change made around the history: Palm no longer stands where it was made.
    Rooms().RemovePartRoom(1);
    Ui().Clear();
    Choose("mnuUndo");
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("Undo Create Part Room 'Palm' could not be done"),
              std::string::npos)
        << Ui().Messages()[0];
    EXPECT_EQ(RoomNames(), (std::vector<std::string>{"Finger", "Palm"}))
        << "the robot stays as it was";
    EXPECT_FALSE(Item("mnuUndo").isEnabled());
    EXPECT_FALSE(Item("mnuRedo").isEnabled()) << "nothing is left to put back wrongly";
}

TEST_F(UndoMenu, TheHistoryKeepsAsManyStepsAsItsSettingSays) {
    EXPECT_EQ(Bots().History().Stack().undoLimit(), DocumentHistory::kDefaultLimit);
    QSettings().setValue(DocumentHistory::kLimitKey, 3);
    Ui().messageAnswers.push_back(torvane::MsgAnswer::No);
    Choose("mnuNew");
    for (const char* name : {"A", "B", "C", "D", "E"}) CreateRoom(name);
    int undone = 0;
    while (Item("mnuUndo").isEnabled()) {
        Choose("mnuUndo");
        ++undone;
    }
    EXPECT_EQ(undone, 3);
    EXPECT_EQ(RoomNames(), (std::vector<std::string>{"Part 1", "A", "B"}));
    QSettings().setValue(DocumentHistory::kLimitKey, "many");
    EXPECT_EQ(DocumentHistory::LimitSetting(), DocumentHistory::kDefaultLimit);
}

// 500 rooms with a motor each, the first using fifty of them, every tenth using the next.
void WriteLargeRobot(const std::string& path) {
    torvane::clsRooms rooms;
    rooms.Shapes = nullptr;
    for (int i = 1; i <= 500; ++i) {
        std::string name = "Link " + std::to_string(i);
        rooms.CreatePartRoom(name, false);
        const auto room = rooms.Rooms(i);
        torvane::typPartData data = room->PartData();
        data.MotorType = i == 1 ? 0 : 2;
        data.MotorDimension = 1;
        data.Description = "Link " + std::to_string(i) + " of the long arm.";
        room->SetPartData(data);
    }
    for (int i = 2; i <= 51; ++i) {
        auto sub = std::make_shared<torvane::clsSubPart>();
        sub->SetName("Joint " + std::to_string(i));
        sub->Part = rooms.Rooms(i);
        rooms.AttachSubPart(*rooms.Rooms(1), sub);
    }
    for (int i = 60; i < 500; i += 10) {
        auto sub = std::make_shared<torvane::clsSubPart>();
        sub->SetName("Next");
        sub->Part = rooms.Rooms(i + 1);
        rooms.AttachSubPart(*rooms.Rooms(i), sub);
    }
    rooms.Save(path);
}

// The heap in use, bytes.
std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// The robot's memory is what the program's heap grows by when it opens the robot (its model and
// the pictures it keeps of each room); the history's is what the heap gives back when the
// history is cleared (the commands and what only they still hold, such as deleted rooms).
TEST_F(UndoMenu, TwoHundredStepsOnAFiveHundredRoomRobotCostLittle) {
    const std::string path = temp.Path("large.bot");
    {
        torvane::ScriptedUserInterface quiet;
        torvane::ScopedUserInterface scope(quiet);
        WriteLargeRobot(path);
    }
    const std::size_t before = HeapInUse();
    OpenFile(path);
    ASSERT_EQ(Rooms().TotalRooms, 500);
    const std::size_t robot = HeapInUse() - before;
    RandomEdits edits(Main(), Bots(), Ui(), 5);
    while (Bots().History().Stack().count() < DocumentHistory::kDefaultLimit) edits.Next()();
    const double counted = static_cast<double>(Bots().History().Bytes());
    const double model = static_cast<double>(HistoryBytes(Rooms()));
    const std::size_t withHistory = HeapInUse();
    Bots().History().Clear();
    const std::size_t history = withHistory - HeapInUse();
    EXPECT_LT(history * 10, robot) << history << " bytes of history for a robot of " << robot;
    // The commands' own count against the model's records and tables counted alike, for the
    // report: it grows with the tables the steps rewrote, not with the robot.
    RecordProperty("HistoryPerRobotHeapPercent", std::to_string(100.0 * history / robot));
    RecordProperty("HistoryPerModelCountedPercent", std::to_string(100.0 * counted / model));
}

}  // namespace
}  // namespace mechanon::testing
