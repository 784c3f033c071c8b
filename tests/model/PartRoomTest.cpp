// Part rooms and subparts: defaults, the keyed subpart list, moves, look-ups, the room as
// the file stores it, cycles of uses, and the motor mask table.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "model/ModelLimits.h"
#include "model/clsPartRoom.h"
#include "model/clsSubPart.h"

namespace torvane {
namespace {

using namespace torvane::testing;
using Names = std::vector<std::string>;

TEST(PartRoomDefaults, NewObjectsStartEmpty) {
    const clsPartRoom room;
    EXPECT_EQ(room.SubParts.Count(), 0);
    EXPECT_EQ(room.Shapes, nullptr);
    EXPECT_EQ(room.ActiveSubIndex, 0);
    EXPECT_EQ(room.PartData(), typPartData{});
    EXPECT_FALSE(room.MotorMasks().Masks.IsAllocated());
    EXPECT_EQ(room.MotorMasks().TotalMasks, 0);
    EXPECT_EQ(room.MotorMasks().CountMasks, 0);

    const clsSubPart sub;
    EXPECT_EQ(sub.Part, nullptr);
    EXPECT_FALSE(sub.IsActive || sub.IsRoot || sub.IsActiveChild);
    EXPECT_EQ(sub.ActiveSubPart, 0);
    EXPECT_EQ(sub.SubPartData(), typSubPartData{});
}

TEST(PartRoomDefaults, InitSetsGridOrAirplaneAndKeepsTheRest) {
    clsPartRoom room;
    typPartData d;
    d.MotorType = 2;
    d.MotorPosition = 12;
    d.RelativePosition = {1, 2, 3};
    room.SetPartData(d);
    typMotorMasks masks;
    masks.XMLScript = "<x/>";
    room.SetMotorMasks(masks);
    room.AttachSubPartFromData(typSubPartData{});

    room.Init(true);
    EXPECT_EQ(room.PartData().ShapeName, "Grid");
    EXPECT_EQ(room.PartData().Size, DoubleArray(1, {10, 10, 1}));
    EXPECT_EQ(room.SubParts.Count(), 0);

    room.Init(false);
    const typPartData after = room.PartData();
    EXPECT_EQ(after.ShapeName, "AirPlane");
    EXPECT_EQ(after.Size, DoubleArray(1, {1, 1, 1}));
    EXPECT_EQ(after.Name, "Base");
    EXPECT_EQ(after.ShapeColor, DoubleArray(1, {50, 50, 50}));
    EXPECT_EQ(after.JointAngles, DoubleArray(1, {0, 0, 0}));
    EXPECT_EQ(after.Camera, (typCamera{-12, -10, 8, 0, 0, 0}));
    EXPECT_EQ(after.MotorType, 2);
    EXPECT_EQ(after.MotorPosition, 12);
    EXPECT_EQ(after.RelativePosition, (typ3Point{1, 2, 3}));
    EXPECT_EQ(room.MotorMasks().XMLScript, "<x/>");
}

TEST(PartRoomRecords, PropertiesCopyInBothDirections) {
    clsPartRoom room;
    room.Init(false);
    typPartData d = room.PartData();
    d.Name = "Arm";
    d.MotorType = 1;
    d.MotorDimension = 3;
    room.SetPartData(d);
    d.Name = "changed later";
    EXPECT_EQ(room.Name(), "Arm");
    EXPECT_EQ(room.MotorType(), 1);
    EXPECT_EQ(room.MotorDimension(), 3);
    room.SetName("Leg");
    EXPECT_EQ(room.PartData().Name, "Leg");

    clsSubPart sub;
    typSubPartData s;
    s.Name = "Left";
    s.JointAngles = DoubleArray(1, {1, 2, 3});
    sub.SetSubPartData(s);
    s.Name = "other";
    EXPECT_EQ(sub.Name(), "Left");
    sub.SetSavePartName("Finger");
    EXPECT_EQ(sub.SubPartData().SavePartName, "Finger");
    EXPECT_EQ(sub.SubPartData().JointAngles, DoubleArray(1, {1, 2, 3}));
}

TEST(PartRoomRecords, ZeroMotorClearsJointMotionOnly) {
    clsPartRoom room;
    typPartData d;
    d.JointAttitude = {10, 20, 30};
    d.JointTranslation = {1, 2, 3};
    d.MotorPosition = 45;
    d.JointAngles = DoubleArray(1, {20, 10, 30});
    room.SetPartData(d);
    room.ZeroMotor();
    EXPECT_EQ(room.PartData().JointAttitude, typAttitude{});
    EXPECT_EQ(room.PartData().JointTranslation, typ3Point{});
    EXPECT_EQ(room.PartData().MotorPosition, 45);
    EXPECT_EQ(room.PartData().JointAngles, DoubleArray(1, {20, 10, 30}));
}

TEST(SubPartList, KeysIgnoreLetterCaseAndRefuseDuplicates) {
    auto finger = MakeRoom("Finger");
    clsPartRoom hand;
    Use(hand, "Arm", finger);
    Use(hand, "Thumb", finger);
    EXPECT_EQ(hand.SubParts.Count(), 2);
    EXPECT_EQ(hand.SubParts.Item("ARM")->Name(), "Arm");
    EXPECT_EQ(hand.SubParts.IndexOf("thumb"), 2);
    EXPECT_EQ(hand.SubParts(1).Part, finger);

    for (const char* clash : {"arm", "ARM", "Arm"})
        EXPECT_EQ(CodeOf([&] { Use(hand, clash, finger); }), ErrorCode::DuplicateKey) << clash;
    // Letters beyond ASCII fold too: "Ärm" and "ärm" are one key.
    Use(hand, "\xC3\x84rm", finger);
    EXPECT_EQ(CodeOf([&] { Use(hand, "\xC3\xA4rm", finger); }), ErrorCode::DuplicateKey);
    EXPECT_EQ(SubNames(hand), (Names{"Arm", "Thumb", "\xC3\x84rm"}));

    EXPECT_EQ(CodeOf([&] { hand.AttachSubPart(nullptr); }), ErrorCode::MissingObject);
    typSubPartData thumb;
    thumb.Name = "thumb";
    EXPECT_EQ(CodeOf([&] { hand.AttachSubPartFromData(thumb); }), ErrorCode::DuplicateKey);
    EXPECT_EQ(hand.SubParts.Count(), 3);
}

TEST(SubPartList, AddAllRefusesTheWholeBatchOnADuplicateOrAMissingItem) {
    SubPartList list;
    list.Add(MakeSub("Arm"));
    // Against an entry already present, within the batch, and a missing item: nothing added.
    EXPECT_EQ(CodeOf([&] {
                  list.AddAll({MakeSub("Leg"), MakeSub("ARM")});
              }),
              ErrorCode::DuplicateKey);
    EXPECT_EQ(CodeOf([&] {
                  list.AddAll({MakeSub("Leg"), MakeSub("Eye"), MakeSub("leg")});
              }),
              ErrorCode::DuplicateKey);
    EXPECT_EQ(CodeOf([&] { list.AddAll({MakeSub("Leg"), nullptr}); }), ErrorCode::MissingObject);
    ASSERT_EQ(list.Count(), 1);
    list.AddAll({MakeSub("Leg"), MakeSub("\xC3\x84rm")});
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.IndexOf("\xC3\xA4RM"), 3);
    EXPECT_EQ(CodeOf([&] { list.AddAll({MakeSub("\xC3\xA4rm")}); }), ErrorCode::DuplicateKey);
}

TEST(SubPartList, PositionsCountFromOneAndRemovalClosesTheGap) {
    clsPartRoom room;
    for (const char* n : {"A", "B", "C"}) Use(room, n, nullptr);
    EXPECT_EQ(CodeOf([&] { (void)room.SubParts(0); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(CodeOf([&] { (void)room.SubParts(4); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(CodeOf([&] { (void)room.SubParts.Item("D"); }), ErrorCode::InvalidArgument);
    room.SubParts.Remove(2);
    EXPECT_EQ(SubNames(room), (Names{"A", "C"}));
    EXPECT_EQ(CodeOf([&] { room.SubParts.Remove(3); }), ErrorCode::SubscriptOutOfRange);
    // A removed name can be used again.
    Use(room, "b", nullptr);
    EXPECT_EQ(SubNames(room), (Names{"A", "C", "b"}));
    room.SubParts.Clear();
    EXPECT_EQ(room.SubParts.Count(), 0);
}

TEST(SubPartList, AttachFromDataCopiesTheRecordWithoutARoom) {
    clsPartRoom room;
    typSubPartData d;
    d.Name = "Wheel";
    d.SavePartName = "Tyre";
    d.RelativePosition = {1, 0, 0};
    room.AttachSubPartFromData(d);
    d.Name = "changed";
    ASSERT_EQ(room.SubParts.Count(), 1);
    EXPECT_EQ(room.SubParts(1).Name(), "Wheel");
    EXPECT_EQ(room.SubParts(1).SubPartData().RelativePosition, (typ3Point{1, 0, 0}));
    EXPECT_EQ(room.SubParts(1).Part, nullptr);
}

class MoveSubParts : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* n : {"A", "B", "C"}) Use(room, n, nullptr);
    }
    clsPartRoom room;
};

TEST_F(MoveSubParts, SwapsNeighboursAndKeepsEachFindableByName) {
    room.MoveSubPartUp(2);
    EXPECT_EQ(SubNames(room), (Names{"B", "A", "C"}));
    EXPECT_EQ(room.SubParts.IndexOf("a"), 2);
    EXPECT_EQ(room.SubParts.Item("B")->Name(), "B");
    room.MoveSubPartDown(2);
    EXPECT_EQ(SubNames(room), (Names{"B", "C", "A"}));
    room.MoveSubPartUp(3);
    EXPECT_EQ(SubNames(room), (Names{"B", "A", "C"}));
    room.MoveSubPartDown(1);
    EXPECT_EQ(SubNames(room), (Names{"A", "B", "C"}));
}

TEST_F(MoveSubParts, MovesPastEitherEndFailAndKeepTheOrder) {
    for (const std::int32_t up : {1, 0, -1, 4})
        EXPECT_EQ(CodeOf([&] { room.MoveSubPartUp(up); }), ErrorCode::SubscriptOutOfRange) << up;
    for (const std::int32_t down : {3, 0, 4})
        EXPECT_EQ(CodeOf([&] { room.MoveSubPartDown(down); }), ErrorCode::SubscriptOutOfRange)
            << down;
    EXPECT_EQ(SubNames(room), (Names{"A", "B", "C"}));
    EXPECT_EQ(MessageOf([&] { room.MoveSubPartUp(1); }),
              "Subpart 1 cannot move up in a list of 3.");
    clsPartRoom empty;
    EXPECT_EQ(CodeOf([&] { empty.MoveSubPartDown(1); }), ErrorCode::SubscriptOutOfRange);
}

TEST(SubIndexLookups, ByNameAndByRoomNameExactlyWithZeroForTheRoomItself) {
    auto finger = MakeRoom("Finger");
    auto palm = MakeRoom("Palm");
    auto hand = MakeRoom("Hand");
    Use(*hand, "Hand", palm);  // a subpart may share the room's own name
    Use(*hand, "Index", finger);
    Use(*hand, "Loose", nullptr);
    Use(*hand, "Thumb", finger);

    EXPECT_EQ(hand->GetSubIndexByName("Hand"), 0);
    EXPECT_EQ(hand->GetSubIndexByName("Index"), 2);
    EXPECT_EQ(hand->GetSubIndexByName("index"), -1);
    EXPECT_EQ(hand->GetSubIndexByName("Nothing"), -1);

    EXPECT_EQ(hand->GetSubIndexByPartName("Hand"), 0);
    EXPECT_EQ(hand->GetSubIndexByPartName("Palm"), 1);
    EXPECT_EQ(hand->GetSubIndexByPartName("Finger"), 2);  // the first of two uses
    EXPECT_EQ(hand->GetSubIndexByPartName("finger"), -1);
    EXPECT_EQ(hand->GetSubIndexByPartName(""), -1);  // the loose subpart matches nothing
}

TEST(SavePartNames, WritesTheUsedRoomNameThroughTheWholeTree) {
    auto tip = MakeRoom("Tip");
    auto finger = MakeRoom("Finger");
    Use(*finger, "End", tip);
    auto hand = MakeRoom("Hand");
    Use(*hand, "First", finger);
    Use(*hand, "Second", finger);
    hand->SetSavePartNames();
    EXPECT_EQ(hand->SubParts(1).SavePartName(), "Finger");
    EXPECT_EQ(hand->SubParts(2).SavePartName(), "Finger");
    EXPECT_EQ(finger->SubParts(1).SavePartName(), "Tip");

    Use(*tip, "Dangling", nullptr);
    EXPECT_EQ(CodeOf([&] { hand->SetSavePartNames(); }), ErrorCode::MissingObject);
}

TEST(RoomAllData, RoomWithoutSubpartsStoresOneEmptyRecordAtZero) {
    auto room = MakeRoom("Solo");
    const typWrapRoom data = room->AllData();
    EXPECT_EQ(data.Part, room->PartData());
    EXPECT_EQ(data.SubParts, VbArray<typSubPartData>(0, {typSubPartData{}}));

    clsPartRoom copy;
    Use(copy, "Old", nullptr);
    copy.SetAllData(data);
    EXPECT_EQ(copy.SubParts.Count(), 0);
    EXPECT_EQ(copy.PartData(), room->PartData());
}

TEST(RoomAllData, SubpartsAndMasksRoundTripWithoutLinks) {
    auto finger = MakeRoom("Finger", 2, 2);
    auto hand = MakeRoom("Hand");
    Use(*hand, "One", finger);
    Use(*hand, "Two", finger);
    hand->SetSavePartNames();
    hand->MapMotorMasks();

    const typWrapRoom data = hand->AllData();
    ASSERT_EQ(data.SubParts.LBound(), 1);
    ASSERT_EQ(data.SubParts.UBound(), 2);
    EXPECT_EQ(data.SubParts(2).Name, "Two");
    EXPECT_EQ(data.MotorMasks.TotalMasks, 2);

    clsPartRoom copy;
    copy.SetAllData(data);
    EXPECT_EQ(SubNames(copy), (Names{"One", "Two"}));
    EXPECT_EQ(copy.SubParts(1).Part, nullptr);
    EXPECT_EQ(copy.SubParts(2).SavePartName(), "Finger");
    EXPECT_EQ(copy.MotorMasks(), hand->MotorMasks());
    EXPECT_EQ(copy.AllData(), data);
}

TEST(RoomAllData, ElementZeroIsIgnoredAndBadSubpartListsChangeNothing) {
    typWrapRoom data;
    data.Part.Name = "New";
    typSubPartData ignored, kept;
    ignored.Name = "Ignored";
    kept.Name = "Kept";
    data.SubParts = VbArray<typSubPartData>(0, {ignored, kept});
    clsPartRoom room;
    room.SetAllData(data);
    EXPECT_EQ(SubNames(room), (Names{"Kept"}));

    // Two subparts whose names differ only in case: refused, the room as it was.
    typSubPartData twin = kept;
    twin.Name = "KEPT";
    typWrapRoom clash = data;
    clash.Part.Name = "Clash";
    clash.SubParts = VbArray<typSubPartData>(1, {kept, twin});
    EXPECT_EQ(CodeOf([&] { room.SetAllData(clash); }), ErrorCode::DuplicateKey);
    EXPECT_EQ(room.Name(), "New");
    EXPECT_EQ(SubNames(room), (Names{"Kept"}));

    // An unallocated subpart array holds no subpart.
    typWrapRoom none;
    none.Part.Name = "None";
    room.SetAllData(none);
    EXPECT_EQ(room.SubParts.Count(), 0);
}

class Cycles : public ::testing::Test {
  protected:
    // arm uses hand, hand uses finger (twice).
    void SetUp() override {
        Use(*arm, "Hand", hand);
        Use(*hand, "Index", finger);
        Use(*hand, "Thumb", finger);
    }
    void TearDown() override {
        // Break any cycle a test made by hand, so nothing leaks.
        for (const auto& room : {arm, hand, finger})
            for (const auto& sub : room->SubParts) sub->Part = nullptr;
    }
    std::shared_ptr<clsPartRoom> arm = MakeRoom("Arm", 2);
    std::shared_ptr<clsPartRoom> hand = MakeRoom("Hand", 2);
    std::shared_ptr<clsPartRoom> finger = MakeRoom("Finger", 1);
};

TEST_F(Cycles, CanReachFollowsUsesDownwardOnly) {
    EXPECT_TRUE(arm->CanReach(*arm));
    EXPECT_TRUE(arm->CanReach(*hand));
    EXPECT_TRUE(arm->CanReach(*finger));
    EXPECT_FALSE(finger->CanReach(*arm));
    EXPECT_FALSE(hand->CanReach(*arm));
    EXPECT_FALSE(arm->CanReach(clsPartRoom{}));
}

TEST_F(Cycles, AttachRefusesAUseThatWouldContainItself) {
    const ErrorCode self = CodeOf([&] { Use(*finger, "Me", finger); });
    EXPECT_EQ(self, ErrorCode::InvalidArgument);
    EXPECT_EQ(MessageOf([&] { Use(*finger, "Me", finger); }),
              "The part room \"Finger\" cannot be used as a subpart of itself.");
    EXPECT_EQ(MessageOf([&] { Use(*finger, "Up", arm); }),
              "The part room \"Arm\" cannot be used as a subpart of \"Finger\" because it "
              "already contains \"Finger\".");
    EXPECT_EQ(CodeOf([&] { Use(*hand, "Back", arm); }), ErrorCode::InvalidArgument);
    EXPECT_EQ(finger->SubParts.Count(), 0);
    EXPECT_EQ(SubNames(*hand), (Names{"Index", "Thumb"}));
    // Shared uses without a cycle are fine: arm may use finger directly as well.
    Use(*arm, "Spare", finger);
    EXPECT_EQ(arm->SubParts.Count(), 2);
}

TEST_F(Cycles, RecursiveWalksStopWithAnErrorOnACycleMadeByHand) {
    // The Part field is public, so a cycle can still be made without AttachSubPart.
    hand->SubParts(1).Part = arm;
    typMotorMasks build;
    EXPECT_EQ(CodeOf([&] { arm->SetSavePartNames(); }), ErrorCode::InvalidArgument);
    EXPECT_EQ(CodeOf([&] { arm->BuildMotorMasksMap(build); }), ErrorCode::InvalidArgument);
    const typMotorMasks before = arm->MotorMasks();
    EXPECT_EQ(CodeOf([&] { arm->MapMotorMasks(); }), ErrorCode::InvalidArgument);
    EXPECT_EQ(arm->MotorMasks(), before);
    EXPECT_TRUE(finger->CanReach(*finger));
    EXPECT_TRUE(hand->CanReach(*arm));
    // Once the cycle is gone the walks work again: nothing stayed marked as visited.
    hand->SubParts(1).Part = finger;
    EXPECT_NO_THROW(arm->SetSavePartNames());
    arm->MapMotorMasks();
    EXPECT_EQ(arm->MotorMasks().TotalMasks, 4);
}

// Rooms "L0" .. "L<levels - 1>", each using the next one twice: room k expands to
// 2^(levels - k) - 1 occurrences. The rooms are returned top first.
std::vector<std::shared_ptr<clsPartRoom>> DoublingChain(int levels) {
    std::vector<std::shared_ptr<clsPartRoom>> rooms;
    for (int k = 0; k < levels; ++k) rooms.push_back(MakeRoom("L" + std::to_string(k), 1));
    for (int k = 0; k + 1 < levels; ++k) {
        Use(*rooms[static_cast<std::size_t>(k)], "a", rooms[static_cast<std::size_t>(k + 1)]);
        Use(*rooms[static_cast<std::size_t>(k)], "b", rooms[static_cast<std::size_t>(k + 1)]);
    }
    return rooms;
}

TEST(TreeLimits, TreesTooLargeToExpandAreRefusedBeforeAnyWork) {
    // 20 levels expand to 1,048,575 occurrences, one level fewer to 524,287.
    static_assert(kMaxExpandedPartOccurrences >= (1u << 19) - 1 &&
                  kMaxExpandedPartOccurrences < (1u << 20) - 1);
    const auto rooms = DoublingChain(20);
    clsPartRoom& top = *rooms[0];
    top.SubParts(1).SetSavePartName("untouched");
    const typMotorMasks before = top.MotorMasks();
    const std::string limit = std::to_string(kMaxExpandedPartOccurrences);

    std::string message = MessageOf([&] { top.MapMotorMasks(); });
    EXPECT_EQ(message,
              "The part room \"L0\" cannot have its motors mapped: with every use of "
              "its subparts followed it holds more than " +
                  limit + " part occurrences, too many to go through in reasonable time.");
    EXPECT_EQ(top.MotorMasks(), before);
    typMotorMasks build;
    EXPECT_EQ(CodeOf([&] { top.BuildMotorMasksMap(build); }), ErrorCode::InvalidArgument);
    EXPECT_EQ(build.TotalMasks, 0);
    message = MessageOf([&] { top.SetSavePartNames(); });
    EXPECT_NE(message.find("cannot have its subparts named for saving"), std::string::npos)
        << message;
    EXPECT_EQ(top.SubParts(1).SavePartName(), "untouched");

    // One level down the tree is within the limit and every occurrence is visited.
    clsPartRoom& second = *rooms[1];
    second.MapMotorMasks();
    EXPECT_EQ(second.MotorMasks().TotalMasks, (1 << 19) - 1);
    second.SetSavePartNames();
    EXPECT_EQ(rooms[18]->SubParts(2).SavePartName(), "L19");
}

std::vector<std::string> MaskNames(const typMotorMasks& m) {
    std::vector<std::string> names;
    for (std::int32_t i = 1; i <= m.TotalMasks; ++i) names.push_back(m.Masks(i).Name);
    return names;
}

TEST(MotorMasks, ListEveryMotorOccurrenceDepthFirst) {
    auto elbow = MakeRoom("Elbow", 2);
    auto shoulder = MakeRoom("Shoulder", 2);
    Use(*shoulder, "ToElbow", elbow);
    auto gripper = MakeRoom("Gripper", 1);
    auto robot = MakeRoom("Robot");
    Use(*robot, "S", shoulder);
    Use(*robot, "G", gripper);
    robot->MapMotorMasks();
    const typMotorMasks m = robot->MotorMasks();
    EXPECT_EQ(m.TotalMasks, 3);
    EXPECT_EQ(m.Masks.LBound(), 1);
    EXPECT_EQ(MaskNames(m), (Names{"Shoulder", "Elbow", "Gripper"}));
    for (std::int32_t i = 1; i <= 3; ++i) EXPECT_EQ(m.Masks(i).Value, 0);

    // A room used twice gives two masks of the same name; a room with a motor of an
    // unknown kind above 0 still counts.
    auto hand = MakeRoom("Hand", 7);
    Use(*hand, "L", gripper);
    Use(*hand, "R", gripper);
    hand->MapMotorMasks();
    EXPECT_EQ(MaskNames(hand->MotorMasks()), (Names{"Hand", "Gripper", "Gripper"}));
}

TEST(MotorMasks, NoMotorGivesOneEmptyMask) {
    auto plain = MakeRoom("Plain");
    Use(*plain, "Child", MakeRoom("Child", -1));
    plain->MapMotorMasks();
    const typMotorMasks m = plain->MotorMasks();
    EXPECT_EQ(m.TotalMasks, 0);
    EXPECT_EQ(m.Masks, VbArray<typMotorMask>(1, {typMotorMask{}}));
}

TEST(MotorMasks, BuildAppendsToAGivenTableFromIndexOne) {
    auto motor = MakeRoom("M", 1);
    typMotorMasks build;
    motor->BuildMotorMasksMap(build);
    motor->BuildMotorMasksMap(build);
    EXPECT_EQ(build.TotalMasks, 2);
    EXPECT_EQ(build.Masks.LBound(), 1);
    EXPECT_EQ(MaskNames(build), (Names{"M", "M"}));
}

TEST(MotorMasks, RebuildKeepsValuesOnlyWhereTheOccurrencesLineUp) {
    auto a = MakeRoom("A", 1);
    auto b = MakeRoom("B", 2);
    auto root = MakeRoom("Root");
    Use(*root, "a", a);
    Use(*root, "b", b);
    root->MapMotorMasks();
    typMotorMasks m = root->MotorMasks();
    m.Masks(1).Value = 10;
    m.Masks(2).Value = 20;
    m.CountMasks = 5;
    m.VBScript = "x = 1";
    root->SetMotorMasks(m);

    root->MapMotorMasks();  // nothing changed
    EXPECT_EQ(root->MotorMasks().Masks(1).Value, 10);
    EXPECT_EQ(root->MotorMasks().Masks(2).Value, 20);
    EXPECT_EQ(root->MotorMasks().CountMasks, 5);
    EXPECT_EQ(root->MotorMasks().VBScript, "x = 1");
    EXPECT_EQ(a->PartData().MotorPosition, 0);

    root->MoveSubPartDown(1);  // same count, names swapped: both values go
    root->MapMotorMasks();
    EXPECT_EQ(MaskNames(root->MotorMasks()), (Names{"B", "A"}));
    EXPECT_EQ(root->MotorMasks().Masks(1).Value, 0);
    EXPECT_EQ(root->MotorMasks().Masks(2).Value, 0);

    m = root->MotorMasks();
    m.Masks(1).Value = 5;
    root->SetMotorMasks(m);
    Use(*b, "deep", MakeRoom("C", 1));  // one more occurrence anywhere resets every value
    root->MapMotorMasks();
    EXPECT_EQ(root->MotorMasks().TotalMasks, 3);
    for (std::int32_t i = 1; i <= 3; ++i) EXPECT_EQ(root->MotorMasks().Masks(i).Value, 0);
}

TEST(MotorMasks, ATableShorterThanItsCountIsRebuiltSafely) {
    auto root = MakeRoom("Root", 1);
    typMotorMasks damaged;
    damaged.TotalMasks = 1;  // claims one mask but holds none
    root->SetMotorMasks(damaged);
    root->MapMotorMasks();
    EXPECT_EQ(MaskNames(root->MotorMasks()), (Names{"Root"}));
}

TEST(MotorMasks, ASubpartWithoutRoomFailsAndKeepsTheTable) {
    auto root = MakeRoom("Root", 1);
    root->MapMotorMasks();
    const typMotorMasks before = root->MotorMasks();
    Use(*root, "Loose", nullptr);
    EXPECT_EQ(CodeOf([&] { root->MapMotorMasks(); }), ErrorCode::MissingObject);
    EXPECT_EQ(root->MotorMasks(), before);
}

TEST(Rotations, AttitudeBecomesYawPitchRollAboutTheFixedAxes) {
    const clsPartRoom room;
    EXPECT_EQ(room.AttitudeToRotations({10, 20, 30}), DoubleArray(1, {20, 10, 30}));
    EXPECT_EQ(
        room.RotationNormals(),
        VbArray<typ3Point>(1, {typ3Point{0, 0, -1}, typ3Point{0, -1, 0}, typ3Point{1, 0, 0}}));
}

}  // namespace
}  // namespace torvane
