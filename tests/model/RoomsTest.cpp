// The room collection: creating with and without a name, inserting, deleting, moving,
// choosing the active room, look-ups, relinking, and rebuilding from stored data.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "model/clsRooms.h"
#include "platform/ScriptedUserInterface.h"

namespace torvane {
namespace {

using namespace torvane::testing;
using Names = std::vector<std::string>;

const char kNameInUse[] = "The name you have entered is in use.  Operation has been aborted.";
const char kNoFurtherRight[] = "You Can't move the active room any further to the right.";
const char kNoFurtherLeft[] = "You Can't move the active room any further to the left.";

class RoomsTest : public ::testing::Test {
  protected:
    RoomsTest() { rooms.Shapes = shapes; }

    void Create(const std::string& name, bool asGrid = false) {
        std::string n = name;
        ASSERT_EQ(rooms.CreatePartRoom(n, asGrid), "");
        ASSERT_EQ(n, name);
    }
    Names RoomNames() const {
        Names names;
        for (std::int32_t i = 1; i <= rooms.TotalRooms; ++i)
            names.push_back(rooms.Rooms(i)->Name());
        return names;
    }
    std::string ActiveName() const {
        return rooms.ActivePartRoom ? rooms.ActivePartRoom->Name() : "<none>";
    }

    ScriptedUserInterface ui;
    ScopedUserInterface scope{ui};
    std::shared_ptr<IShapes> shapes = std::make_shared<NullShapes>();
    clsRooms rooms;
};

TEST_F(RoomsTest, NewCollectionIsEmpty) {
    const clsRooms fresh;
    EXPECT_EQ(fresh.TotalRooms, 0);
    EXPECT_EQ(fresh.PartRoomIndex(), 0);
    EXPECT_EQ(fresh.ActivePartRoom, nullptr);
    EXPECT_EQ(fresh.Shapes, nullptr);
    EXPECT_EQ(CodeOf([&] { (void)fresh.Rooms(1); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_FALSE(fresh.AllData().Rooms.IsAllocated());
    EXPECT_EQ(fresh.GetRoomByName(""), nullptr);
}

TEST_F(RoomsTest, CreateWithANameAppendsAnInitialisedActiveRoom) {
    Create("Part 1", true);
    Create("Arm");
    EXPECT_EQ(RoomNames(), (Names{"Part 1", "Arm"}));
    EXPECT_EQ(rooms.PartRoomIndex(), 2);
    EXPECT_EQ(rooms.ActivePartRoom, rooms.Rooms(2));
    EXPECT_EQ(rooms.Rooms(1)->PartData().ShapeName, "Grid");
    EXPECT_EQ(rooms.Rooms(2)->PartData().ShapeName, "AirPlane");
    EXPECT_EQ(rooms.Rooms(2)->Shapes, shapes);
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(RoomsTest, CreateWithoutANameAsksAndProposesTheNextNumber) {
    Create("A");
    Create("B");
    Create("C");
    ui.inputAnswers.push_back("Part 4");
    std::string name;
    EXPECT_EQ(rooms.CreatePartRoom(name, false), "");
    EXPECT_EQ(name, "Part 4");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].kind, ScriptedUserInterface::Kind::Input);
    EXPECT_EQ(ui.shown[0].text, "Enter a name for the new PartRoom.");
    EXPECT_EQ(ui.shown[0].extra, "Part 4");
    EXPECT_EQ(rooms.TotalRooms, 4);
    EXPECT_EQ(rooms.PartRoomIndex(), 4);
    EXPECT_EQ(ActiveName(), "Part 4");
}

TEST_F(RoomsTest, CancellingTheNameCreatesNothingAndSaysNothing) {
    Create("A");
    std::string name;
    EXPECT_EQ(rooms.CreatePartRoom(name, true), "");  // no queued answer: cancel
    EXPECT_EQ(name, "");
    EXPECT_EQ(rooms.TotalRooms, 1);
    EXPECT_EQ(ActiveName(), "A");
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(RoomsTest, DuplicateNameIsRefusedButLetterCaseCounts) {
    Create("Part 1");
    std::string name = "Part 1";
    EXPECT_EQ(rooms.CreatePartRoom(name, false), "Error");
    EXPECT_EQ(ui.CountMessage(kNameInUse), 1);
    EXPECT_EQ(ui.shown.back().buttons, MsgButtons::OK);
    EXPECT_EQ(rooms.TotalRooms, 1);

    // The answer from the input box is checked the same way.
    ui.inputAnswers.push_back("Part 1");
    name.clear();
    EXPECT_EQ(rooms.CreatePartRoom(name, false), "Error");
    EXPECT_EQ(ui.CountMessage(kNameInUse), 2);
    EXPECT_EQ(rooms.TotalRooms, 1);

    Create("part 1");
    EXPECT_EQ(RoomNames(), (Names{"Part 1", "part 1"}));
    EXPECT_EQ(rooms.GetRoomByName("part 1"), rooms.Rooms(2));
    EXPECT_EQ(rooms.GetRoomByName("Part 1"), rooms.Rooms(1));
    EXPECT_EQ(rooms.GetRoomByName("PART 1"), nullptr);
}

TEST_F(RoomsTest, NewRoomTakesTheCameraOfTheActiveRoom) {
    Create("First");
    EXPECT_EQ(rooms.Rooms(1)->PartData().Camera, (typCamera{-12, -10, 8, 0, 0, 0}));
    typPartData d = rooms.ActivePartRoom->PartData();
    d.Camera = {1, 2, 3, 4, 5, 6};
    rooms.ActivePartRoom->SetPartData(d);
    Create("Second");
    EXPECT_EQ(rooms.Rooms(2)->PartData().Camera, (typCamera{1, 2, 3, 4, 5, 6}));
}

TEST_F(RoomsTest, InsertPlacesTheRoomAndLeavesTheActivePosition) {
    Create("A");
    Create("C");
    rooms.SetPartRoomIndex(1);
    rooms.InsertPartRoom(MakeRoom("B"), 2);
    EXPECT_EQ(RoomNames(), (Names{"A", "B", "C"}));
    EXPECT_EQ(rooms.PartRoomIndex(), 1);
    rooms.InsertPartRoom(MakeRoom("Z"), 1);
    rooms.InsertPartRoom(MakeRoom("End"), 5);
    EXPECT_EQ(RoomNames(), (Names{"Z", "A", "B", "C", "End"}));
}

TEST_F(RoomsTest, InsertRefusesBadPositionsMissingRoomsAndUsedNames) {
    Create("A");
    EXPECT_EQ(CodeOf([&] { rooms.InsertPartRoom(MakeRoom("B"), 0); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(CodeOf([&] { rooms.InsertPartRoom(MakeRoom("B"), 3); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(CodeOf([&] { rooms.InsertPartRoom(nullptr, 1); }), ErrorCode::MissingObject);
    EXPECT_EQ(CodeOf([&] { rooms.InsertPartRoom(MakeRoom("A"), 2); }), ErrorCode::DuplicateKey);
    EXPECT_EQ(RoomNames(), (Names{"A"}));
    EXPECT_EQ(rooms.TotalRooms, 1);
}

TEST_F(RoomsTest, DeleteClosesTheGapAndActivatesTheFirstRoom) {
    Create("A");
    Create("B");
    Create("C");
    rooms.DeletePartRoom(2);
    EXPECT_EQ(RoomNames(), (Names{"A", "C"}));
    EXPECT_EQ(rooms.PartRoomIndex(), 1);
    EXPECT_EQ(ActiveName(), "A");
    EXPECT_EQ(CodeOf([&] { (void)rooms.Rooms(3); }), ErrorCode::SubscriptOutOfRange);
    for (const std::int32_t bad : {0, 3, -1})
        EXPECT_EQ(CodeOf([&] { rooms.DeletePartRoom(bad); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(RoomNames(), (Names{"A", "C"}));
}

TEST_F(RoomsTest, DeletingTheOnlyRoomLeavesNoActiveRoomAndCanBeRefilled) {
    Create("Only");
    rooms.DeletePartRoom(1);
    EXPECT_EQ(rooms.TotalRooms, 0);
    EXPECT_EQ(rooms.ActivePartRoom, nullptr);
    EXPECT_EQ(rooms.PartRoomIndex(), 1);
    EXPECT_EQ(rooms.Rooms(1), nullptr);  // the one empty slot
    EXPECT_EQ(CodeOf([&] { rooms.DeletePartRoom(1); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_FALSE(rooms.AllData().Rooms.IsAllocated());
    EXPECT_EQ(CodeOf([&] { rooms.SetSavePartNames(); }), ErrorCode::MissingObject);
    rooms.MoveRoomLeft();
    rooms.MoveRoomRight();
    EXPECT_EQ(ui.Messages(), (Names{kNoFurtherLeft, kNoFurtherRight}));

    Create("Again");
    EXPECT_EQ(RoomNames(), (Names{"Again"}));
    EXPECT_EQ(ActiveName(), "Again");
    EXPECT_EQ(rooms.Rooms(1)->PartData().Camera, (typCamera{-12, -10, 8, 0, 0, 0}));
}

TEST_F(RoomsTest, MovesSwapNeighboursAndStopAtTheEnds) {
    Create("A");
    Create("B");
    rooms.MoveRoomRight();  // B is last
    EXPECT_EQ(ui.Messages(), (Names{kNoFurtherRight}));
    EXPECT_EQ(ui.shown[0].buttons, MsgButtons::OK);
    EXPECT_EQ(RoomNames(), (Names{"A", "B"}));
    EXPECT_EQ(rooms.PartRoomIndex(), 2);

    rooms.SetPartRoomIndex(1);
    rooms.MoveRoomRight();
    EXPECT_EQ(RoomNames(), (Names{"B", "A"}));
    EXPECT_EQ(rooms.PartRoomIndex(), 2);
    EXPECT_EQ(ActiveName(), "A");

    rooms.MoveRoomLeft();
    EXPECT_EQ(RoomNames(), (Names{"A", "B"}));
    EXPECT_EQ(rooms.PartRoomIndex(), 1);
    EXPECT_EQ(ActiveName(), "A");
    rooms.MoveRoomLeft();
    EXPECT_EQ(ui.Messages(), (Names{kNoFurtherRight, kNoFurtherLeft}));
    EXPECT_EQ(RoomNames(), (Names{"A", "B"}));
}

TEST_F(RoomsTest, MovingWithoutAnActiveRoomFails) {
    rooms.InsertPartRoom(MakeRoom("A"), 1);
    rooms.InsertPartRoom(MakeRoom("B"), 2);
    EXPECT_EQ(CodeOf([&] { rooms.MoveRoomRight(); }), ErrorCode::MissingObject);
    EXPECT_EQ(CodeOf([&] { rooms.MoveRoomLeft(); }), ErrorCode::MissingObject);
    EXPECT_EQ(RoomNames(), (Names{"A", "B"}));
}

TEST_F(RoomsTest, ActiveIndexOutsideTheRoomsFailsAndChangesNothing) {
    Create("A");
    Create("B");
    for (const std::int32_t bad : {0, 3, -5})
        EXPECT_EQ(CodeOf([&] { rooms.SetPartRoomIndex(bad); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(rooms.PartRoomIndex(), 2);
    EXPECT_EQ(ActiveName(), "B");
    rooms.SetPartRoomIndex(1);
    EXPECT_EQ(rooms.ActivePartRoom, rooms.Rooms(1));
}

// Robot: Hand uses Finger twice; Finger uses Tip. Motors on Finger (rotational) and Tip.
class RobotRooms : public RoomsTest {
  protected:
    void SetUp() override {
        Create("Hand");
        Create("Finger");
        Create("Tip");
        auto hand = rooms.Rooms(1), finger = rooms.Rooms(2), tip = rooms.Rooms(3);
        for (auto& [room, type] : {std::pair{finger, 2}, std::pair{tip, 1}}) {
            typPartData d = room->PartData();
            d.MotorType = static_cast<std::int16_t>(type);
            d.MotorDimension = 1;
            room->SetPartData(d);
        }
        Use(*hand, "Index", finger);
        Use(*hand, "Thumb", finger);
        Use(*finger, "End", tip);
    }
};

TEST_F(RobotRooms, SavePartNamesAndRelinkRoundTripTheLinks) {
    rooms.SetSavePartNames();
    for (const auto& sub : rooms.Rooms(1)->SubParts) sub->Part = nullptr;
    rooms.Rooms(2)->SubParts(1).Part = nullptr;
    rooms.RelinkSubPartPointers();
    EXPECT_EQ(rooms.Rooms(1)->SubParts(1).Part, rooms.Rooms(2));
    EXPECT_EQ(rooms.Rooms(1)->SubParts(2).Part, rooms.Rooms(2));
    EXPECT_EQ(rooms.Rooms(2)->SubParts(1).Part, rooms.Rooms(3));
}

TEST_F(RobotRooms, RelinkLeavesUnknownNamesUnlinkedWithoutAMessage) {
    rooms.SetSavePartNames();
    rooms.Rooms(1)->SubParts(2).SetSavePartName("Gone");
    rooms.RelinkSubPartPointers();
    EXPECT_EQ(rooms.Rooms(1)->SubParts(2).Part, nullptr);
    EXPECT_EQ(rooms.Rooms(1)->SubParts(1).Part, rooms.Rooms(2));
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(RobotRooms, RelinkRefusesNamesThatFormACycle) {
    rooms.SetSavePartNames();
    rooms.Rooms(2)->SubParts(1).SetSavePartName("Hand");  // Finger would use Hand
    EXPECT_EQ(CodeOf([&] { rooms.RelinkSubPartPointers(); }), ErrorCode::InvalidArgument);
    EXPECT_EQ(rooms.Rooms(2)->SubParts(1).Part, rooms.Rooms(3));
    EXPECT_EQ(rooms.Rooms(1)->SubParts(1).Part, rooms.Rooms(2));
    EXPECT_FALSE(rooms.Rooms(2)->CanReach(*rooms.Rooms(1)));
}

TEST_F(RobotRooms, MapMotorMasksRebuildsEveryRoomOrNone) {
    rooms.MapMotorMasks();
    EXPECT_EQ(rooms.Rooms(1)->MotorMasks().TotalMasks, 4);  // Finger, Tip, Finger, Tip
    EXPECT_EQ(rooms.Rooms(2)->MotorMasks().TotalMasks, 2);
    EXPECT_EQ(rooms.Rooms(3)->MotorMasks().TotalMasks, 1);

    Create("Loose");
    Use(*rooms.Rooms(4), "Nowhere", nullptr);
    typMotorMasks marked = rooms.Rooms(1)->MotorMasks();
    marked.Masks(1).Value = 9;
    rooms.Rooms(1)->SetMotorMasks(marked);
    Use(*rooms.Rooms(3), "More", MakeRoom("Extra", 1));  // would reset Hand's values
    EXPECT_EQ(CodeOf([&] { rooms.MapMotorMasks(); }), ErrorCode::MissingObject);
    EXPECT_EQ(rooms.Rooms(1)->MotorMasks(), marked);
}

TEST_F(RobotRooms, AllDataRebuildsAnEqualUnlinkedCollection) {
    rooms.SetSavePartNames();
    rooms.MapMotorMasks();
    const typWrapRooms data = rooms.AllData();
    ASSERT_EQ(data.Rooms.LBound(), 1);
    ASSERT_EQ(data.Rooms.UBound(), 3);

    clsRooms copy;
    copy.Shapes = shapes;
    copy.SetAllData(data);
    EXPECT_EQ(copy.TotalRooms, 3);
    EXPECT_EQ(copy.PartRoomIndex(), 1);
    EXPECT_EQ(copy.ActivePartRoom, copy.Rooms(1));
    EXPECT_EQ(copy.Rooms(3)->Shapes, shapes);
    EXPECT_EQ(copy.Rooms(1)->SubParts(1).Part, nullptr);
    EXPECT_EQ(copy.AllData(), data);
    EXPECT_NE(copy.Rooms(1), rooms.Rooms(1));
}

TEST_F(RobotRooms, AllDataWriteRefusesEmptyOrDuplicateRoomsAndKeepsTheCollection) {
    rooms.SetSavePartNames();
    const typWrapRooms before = rooms.AllData();
    typWrapRooms dup = before;
    dup.Rooms(3).Part.Name = "Hand";
    EXPECT_EQ(CodeOf([&] { rooms.SetAllData(dup); }), ErrorCode::DuplicateKey);
    EXPECT_EQ(CodeOf([&] { rooms.SetAllData(typWrapRooms{}); }), ErrorCode::SubscriptOutOfRange);
    typWrapRooms onlyZero;
    onlyZero.Rooms = VbArray<typWrapRoom>(0, {before.Rooms(1)});
    EXPECT_EQ(CodeOf([&] { rooms.SetAllData(onlyZero); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(rooms.AllData(), before);
    EXPECT_EQ(rooms.PartRoomIndex(), 3);

    // Element 0 of a zero-based array is skipped like the file's spare records.
    typWrapRooms zeroBased;
    zeroBased.Rooms = VbArray<typWrapRoom>(0, {before.Rooms(1), before.Rooms(3)});
    rooms.SetAllData(zeroBased);
    EXPECT_EQ(RoomNames(), (Names{"Tip"}));
}

TEST_F(RobotRooms, ReplaceAllDataLinksAndMapsTheNewRobot) {
    rooms.SetSavePartNames();
    rooms.MapMotorMasks();
    typWrapRooms data = rooms.AllData();
    data.Rooms(1).MotorMasks.Masks(3).Value = 30;  // the second Finger occurrence

    clsRooms loaded;
    loaded.Shapes = shapes;
    loaded.ReplaceAllData(data);
    EXPECT_EQ(loaded.TotalRooms, 3);
    EXPECT_EQ(loaded.ActivePartRoom, loaded.Rooms(1));
    EXPECT_EQ(loaded.Rooms(1)->SubParts(2).Part, loaded.Rooms(2));
    EXPECT_EQ(loaded.Rooms(2)->SubParts(1).Part, loaded.Rooms(3));
    EXPECT_EQ(loaded.Rooms(1)->MotorMasks().Masks(3).Value, 30);
    EXPECT_EQ(loaded.Shapes, shapes);
}

TEST_F(RobotRooms, ReplaceAllDataThatCannotBeLinkedChangesNothing) {
    rooms.SetSavePartNames();
    const typWrapRooms before = rooms.AllData();

    typWrapRooms dangling = before;
    dangling.Rooms(2).SubParts(1).SavePartName = "Nobody";
    EXPECT_EQ(CodeOf([&] { rooms.ReplaceAllData(dangling); }), ErrorCode::MissingObject);

    typWrapRooms cyclic = before;
    cyclic.Rooms(2).SubParts(1).SavePartName = "Hand";
    EXPECT_EQ(CodeOf([&] { rooms.ReplaceAllData(cyclic); }), ErrorCode::InvalidArgument);

    EXPECT_EQ(CodeOf([&] { rooms.ReplaceAllData(typWrapRooms{}); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(rooms.AllData(), before);
    EXPECT_EQ(rooms.TotalRooms, 3);
    EXPECT_EQ(ActiveName(), "Tip");
    EXPECT_EQ(rooms.Rooms(1)->SubParts(1).Part, rooms.Rooms(2));
}

}  // namespace
}  // namespace torvane
