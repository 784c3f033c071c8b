// The part room and subpart commands of the Design menu and the toolbar, and the axis and grid
// toggles: questions, end messages, what changes in the robot, and what the view shows.

#include <QAction>

#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/frmBot.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "model/clsSubPart.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

using torvane::MsgAnswer;

constexpr const char* kContainedPrefix =
    "This part is contained by other parts.  Deleting it will destroy such references.  You may "
    "continue, or cancel and edit this part instead to preserve the references to it.  ";

class RoomCommandsTest : public AppTest {
  protected:
    void CreateRoom(const std::string& name) {
        Ui().inputAnswers.push_back(name);
        Choose("mnuCreatePartRoom");
    }
    // Room user gets a subpart named subName that uses room used.
    void Use(const std::string& user, const std::string& subName, const std::string& used) {
        torvane::typSubPartData data;
        data.Name = subName;
        data.RelativePosition = {2, 0, 0};
        auto sub = std::make_shared<torvane::clsSubPart>(data);
        sub->Part = Rooms().GetRoomByName(used);
        Rooms().GetRoomByName(user)->AttachSubPart(sub);
    }
    std::vector<std::string> RoomNames() const {
        std::vector<std::string> names;
        for (int i = 1; i <= Rooms().TotalRooms; ++i) names.push_back(Rooms().Rooms(i)->Name());
        return names;
    }
    std::vector<std::string> SubNames(const std::string& room) const {
        std::vector<std::string> names;
        for (const auto& sub : Rooms().GetRoomByName(room)->SubParts) names.push_back(sub->Name());
        return names;
    }
    void Activate(const std::string& name) {
        for (int i = 1; i <= Rooms().TotalRooms; ++i)
            if (Rooms().Rooms(i)->Name() == name) Rooms().SetPartRoomIndex(i);
    }
};

TEST_F(RoomCommandsTest, CreateProposesTheNextNameAndAppendsTheRoomActive) {
    CreateRoom("Part 2");
    ASSERT_EQ(Ui().shown.size(), 1u);
    EXPECT_EQ(Ui().shown[0].text, "Enter a name for the new PartRoom.");
    EXPECT_EQ(Ui().shown[0].extra, "Part 2");
    EXPECT_EQ(RoomNames(), (std::vector<std::string>{"Part 1", "Part 2"}));
    EXPECT_EQ(Rooms().PartRoomIndex(), 2);
    EXPECT_EQ(ActiveRoom()->PartData().ShapeName, "Grid");
    EXPECT_EQ(Main().BotView().CaptionLines(), QStringList{"Room=Part 2"});

    Ui().Clear();
    ClickToolbar("CreateRoom");  // cancelled: nothing made, no message
    EXPECT_EQ(Rooms().TotalRooms, 2);
    EXPECT_TRUE(Ui().Messages().empty());

    Ui().inputAnswers.push_back("Part 1");
    Choose("mnuCreatePartRoom");
    EXPECT_EQ(
        Ui().CountMessage("The name you have entered is in use.  Operation has been aborted."), 1);
    EXPECT_EQ(Rooms().TotalRooms, 2);
}

TEST_F(RoomCommandsTest, DeleteAsksAndRemovesTheRoomOnOk) {
    CreateRoom("B");
    Ui().Clear();
    Ui().messageAnswers.push_back(MsgAnswer::Cancel);
    Choose("mnuDeletePartRoom");
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_EQ(Ui().Messages()[0],
              "Are you sure you want to delete part B.  To delete a different part room, select "
              "that part room with the parts bar form.");
    EXPECT_EQ(Ui().shown[0].buttons, torvane::MsgButtons::OKCancel);
    EXPECT_EQ(Rooms().TotalRooms, 2);

    Ui().Clear();
    ClickToolbar("DeleteRoom");  // OK
    EXPECT_EQ(RoomNames(), std::vector<std::string>{"Part 1"});
    EXPECT_EQ(Rooms().PartRoomIndex(), 1);
    EXPECT_EQ(ActiveRoom()->Name(), "Part 1");
}

TEST_F(RoomCommandsTest, DeletingAUsedRoomWarnsAndRemovesEveryUseOnOk) {
    CreateRoom("A");
    CreateRoom("B");
    CreateRoom("Finger");
    Use("A", "F1", "Finger");
    Use("B", "F2", "Finger");
    Use("B", "Other", "A");
    Rooms().MapMotorMasks();
    Activate("Finger");

    Ui().Clear();
    Ui().messageAnswers.push_back(MsgAnswer::Cancel);
    Choose("mnuDeletePartRoom");
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_EQ(Ui().Messages()[0].rfind(kContainedPrefix, 0), 0u) << Ui().Messages()[0];
    EXPECT_NE(Ui().Messages()[0].find("delete part Finger."), std::string::npos);
    EXPECT_EQ(SubNames("A"), std::vector<std::string>{"F1"});
    EXPECT_EQ(SubNames("B"), (std::vector<std::string>{"F2", "Other"}));

    Ui().Clear();
    Activate("Finger");
    Choose("mnuDeletePartRoom");  // OK
    EXPECT_EQ(RoomNames(), (std::vector<std::string>{"Part 1", "A", "B"}));
    EXPECT_TRUE(SubNames("A").empty());
    EXPECT_EQ(SubNames("B"), std::vector<std::string>{"Other"});
    EXPECT_EQ(ActiveRoom()->Name(), "Part 1");
    EXPECT_EQ(Ui().Messages().size(), 1u);
    // The view can still draw every room: no use points at the deleted room any more.
    Ui().Clear();
    for (const std::string& name : RoomNames()) {
        Activate(name);
        Bots().UpdatePicture(false, false);
    }
    EXPECT_TRUE(Ui().Messages().empty());
}

TEST_F(RoomCommandsTest, TheLastRoomCannotBeDeleted) {
    Choose("mnuDeletePartRoom");
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("last part room"), std::string::npos);
    EXPECT_EQ(Ui().shown[0].buttons, torvane::MsgButtons::OK);
    EXPECT_EQ(Rooms().TotalRooms, 1);
    EXPECT_EQ(ActiveRoom()->Name(), "Part 1");
}

TEST_F(RoomCommandsTest, MovingRoomsSwapsThemAndStopsAtBothEnds) {
    CreateRoom("B");
    CreateRoom("C");
    Ui().Clear();
    ClickToolbar("Right");
    EXPECT_EQ(Ui().CountMessage("You Can't move the active room any further to the right."), 1);
    EXPECT_EQ(RoomNames(), (std::vector<std::string>{"Part 1", "B", "C"}));

    ClickToolbar("Left");
    EXPECT_EQ(RoomNames(), (std::vector<std::string>{"Part 1", "C", "B"}));
    EXPECT_EQ(Rooms().PartRoomIndex(), 2);
    Choose("mnuMoveLeft");
    EXPECT_EQ(RoomNames(), (std::vector<std::string>{"C", "Part 1", "B"}));
    EXPECT_EQ(ActiveRoom()->Name(), "C");

    Ui().Clear();
    Choose("mnuMoveLeft");
    EXPECT_EQ(Ui().CountMessage("You Can't move the active room any further to the left."), 1);
    EXPECT_EQ(RoomNames(), (std::vector<std::string>{"C", "Part 1", "B"}));

    Choose("mnuMoveRoomRight");
    EXPECT_EQ(RoomNames(), (std::vector<std::string>{"Part 1", "C", "B"}));
    EXPECT_EQ(Rooms().PartRoomIndex(), 2);
}

TEST_F(RoomCommandsTest, MovingSubpartsFollowsTheSelectionAndIgnoresTheEnds) {
    CreateRoom("Leaf");
    CreateRoom("Tree");
    Use("Tree", "One", "Leaf");
    Use("Tree", "Two", "Leaf");
    Use("Tree", "Three", "Leaf");
    Activate("Tree");
    auto tree = ActiveRoom();

    tree->ActiveSubIndex = 2;
    ClickToolbar("Up");
    EXPECT_EQ(SubNames("Tree"), (std::vector<std::string>{"Two", "One", "Three"}));
    EXPECT_EQ(tree->ActiveSubIndex, 1);
    EXPECT_EQ(Main().BotView().CaptionLines(), (QStringList{"Room=Tree", "SubPart=Two"}));

    Choose("mnuMoveSubUp");  // already first
    EXPECT_EQ(SubNames("Tree"), (std::vector<std::string>{"Two", "One", "Three"}));

    ClickToolbar("Down");
    ClickToolbar("Down");
    EXPECT_EQ(SubNames("Tree"), (std::vector<std::string>{"One", "Three", "Two"}));
    EXPECT_EQ(tree->ActiveSubIndex, 3);
    Choose("mnuMoveSubDown");  // already last
    EXPECT_EQ(SubNames("Tree"), (std::vector<std::string>{"One", "Three", "Two"}));

    tree->ActiveSubIndex = 0;  // the room itself is selected: nothing moves either way
    Choose("mnuMoveSubDown");
    Choose("mnuMoveSubUp");
    EXPECT_EQ(SubNames("Tree"), (std::vector<std::string>{"One", "Three", "Two"}));
    EXPECT_EQ(tree->ActiveSubIndex, 0);
    EXPECT_TRUE(Ui().Messages().empty());
}

// Both toggles: the picture, the check mark and the button change together, and a second
// toggle restores all three.
TEST_F(RoomCommandsTest, AxisAndGridTogglesChangeImageCheckMarkAndButton) {
    struct Toggle {
        const char* menu;
        const char* key;
    };
    OpenFile(ExamplePath("arm.bot"));  // an axis marker at every joint
    for (const Toggle t :
         {Toggle{"mnuShowAxis", "ShowAxisOnGraph"}, Toggle{"mnuShowGrids", "ShowGridsOnGraph"}}) {
        SCOPED_TRACE(t.menu);
        QAction* check = Main().MenuItem(t.menu);
        QAction* button = Main().ToolbarButton(t.key);
        const QImage first = GrabView(Bots());
        ASSERT_TRUE(check->isChecked());
        ASSERT_TRUE(button->isChecked());

        ClickToolbar(t.key);
        EXPECT_FALSE(check->isChecked());
        EXPECT_FALSE(button->isChecked());
        // Axis markers are small: a few dozen pixels of the view.
        EXPECT_GT(DifferentShare(first, GrabView(Bots())), 0.00002);

        Choose(t.menu);
        EXPECT_TRUE(check->isChecked());
        EXPECT_TRUE(button->isChecked());
        EXPECT_EQ(DifferentShare(first, GrabView(Bots())), 0);
    }
}

TEST_F(RoomCommandsTest, ACommandThatFailsIsReportedAndTheProgramGoesOn) {
    CreateRoom("Leaf");
    CreateRoom("Tree");
    Use("Tree", "One", "Leaf");
    Use("Tree", "Two", "Leaf");
    Activate("Tree");
    // A use whose room is gone makes drawing fail: the command says so instead of ending.
    ActiveRoom()->SubParts(2).Part.reset();
    ActiveRoom()->ActiveSubIndex = 2;
    Choose("mnuMoveSubUp");
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("could not be completed"), std::string::npos);
    EXPECT_TRUE(Main().isVisible());
    Ui().Clear();
    ClickToolbar("ShowAxisOnGraph");  // also fails to draw; the button follows the check mark
    EXPECT_EQ(Ui().Messages().size(), 1u);
    EXPECT_EQ(Main().ToolbarButton("ShowAxisOnGraph")->isChecked(),
              Main().MenuItem("mnuShowAxis")->isChecked());
}

}  // namespace
}  // namespace mechanon::testing
