// Putting back what the removing operations took: a removed subpart or room returns to its
// place with its uses and the mask values of the tables that listed it, so the robot reads as
// it did before; a document that no longer allows it is refused unchanged.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ModelTestSupport.h"
#include "model/RobotFile.h"
#include "model/clsRooms.h"
#include "platform/ScriptedUserInterface.h"

namespace torvane {
namespace {

using namespace torvane::testing;

// Base uses Arm twice and a Grip; Arm holds a motor and uses Finger, which holds one too. The
// mask values of Base are all different, so a value put back in the wrong place shows.
class RestoreOperations : public ::testing::Test {
  protected:
    RestoreOperations() {
        rooms.Shapes = std::make_shared<NullShapes>();
        base = Create("Base", 0);
        arm = Create("Arm", 2);
        finger = Create("Finger", 1);
        grip = Create("Grip", 0);
        rooms.AttachSubPart(*arm, MakeSub("Tip", finger));
        rooms.AttachSubPart(*base, MakeSub("Left", arm));
        rooms.AttachSubPart(*base, MakeSub("Grip", grip));
        rooms.AttachSubPart(*base, MakeSub("Right", arm));
        typMotorMasks masks = base->MotorMasks();
        for (std::int32_t i = 1; i <= masks.TotalMasks; ++i) masks.Masks(i).Value = 10.0 * i;
        base->SetMotorMasks(masks);
        rooms.SetPartRoomIndex(1);
    }
    std::shared_ptr<clsPartRoom> Create(const std::string& name, std::int16_t motor) {
        std::string n = name;
        EXPECT_EQ(rooms.CreatePartRoom(n, false), "");
        const auto room = rooms.GetRoomByName(name);
        typPartData data = room->PartData();
        data.MotorType = motor;
        data.MotorDimension = 1;
        room->SetPartData(data);
        return room;
    }
    std::string Bytes() const {
        clsRooms& all = const_cast<clsRooms&>(rooms);
        all.SetSavePartNames();
        return EncodeRobot(all.AllData());
    }

    ScriptedUserInterface ui;
    ScopedUserInterface scope{ui};
    clsRooms rooms;
    std::shared_ptr<clsPartRoom> base, arm, finger, grip;
};

TEST_F(RestoreOperations, ARemovedRoomReturnsWithItsPlaceUsesAndMaskValues) {
    const std::string before = Bytes();
    ASSERT_EQ(base->MotorMasks().TotalMasks, 4);
    const clsRooms::RemovedRoom removed = rooms.RemovePartRoom(2);  // Arm
    EXPECT_EQ(SubNames(*base), (std::vector<std::string>{"Grip"}));
    EXPECT_EQ(base->MotorMasks().TotalMasks, 0);

    rooms.RestorePartRoom(removed);
    EXPECT_EQ(rooms.PositionOf(*arm), 2);
    EXPECT_EQ(SubNames(*base), (std::vector<std::string>{"Left", "Grip", "Right"}));
    EXPECT_EQ(base->SubParts(1).Part, arm);
    EXPECT_EQ(arm->SubParts(1).Part, finger) << "the room's own links are kept";
    EXPECT_EQ(base->MotorMasks().Masks(4).Value, 40);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(rooms.GetRoomByName("Arm"), arm);
    // The uses it counts again limit what can be attached: the walk is measured afresh.
    EXPECT_EQ(CodeOf([&] { rooms.AttachSubPart(*finger, MakeSub("Loop", base)); }),
              ErrorCode::InvalidArgument);

    // Removed again after the restore, the same room leaves the same robot.
    const clsRooms::RemovedRoom again = rooms.RemovePartRoom(2);
    EXPECT_EQ(again.Uses.size(), 2u);
    rooms.RestorePartRoom(again);
    EXPECT_EQ(Bytes(), before);
}

TEST_F(RestoreOperations, ARemovedSubPartReturnsToItsPosition) {
    const std::string before = Bytes();
    const clsRooms::RemovedSubPart removed = rooms.RemoveSubPart(*base, 1);
    EXPECT_EQ(base->MotorMasks().TotalMasks, 2);
    rooms.RestoreSubPart(*base, removed);
    EXPECT_EQ(SubNames(*base), (std::vector<std::string>{"Left", "Grip", "Right"}));
    EXPECT_EQ(base->MotorMasks().Masks(1).Value, 10);
    EXPECT_EQ(Bytes(), before);
}

TEST_F(RestoreOperations, ARestoreTheDocumentNoLongerAllowsChangesNothing) {
    const clsRooms::RemovedRoom removed = rooms.RemovePartRoom(2);
    rooms.AttachSubPart(*base, MakeSub("left", grip));  // the old use's name, other case
    const std::string changed = Bytes();
    EXPECT_EQ(CodeOf([&] { rooms.RestorePartRoom(removed); }), ErrorCode::DuplicateKey);
    EXPECT_EQ(Bytes(), changed);
    EXPECT_EQ(rooms.PositionOf(*arm), 0);

    clsRooms::RemovedSubPart sub = rooms.RemoveSubPart(*base, 1);
    sub.Position = 5;
    EXPECT_EQ(CodeOf([&] { rooms.RestoreSubPart(*base, sub); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(CodeOf([&] { rooms.RestoreSubPart(*arm, sub); }), ErrorCode::MissingObject)
        << "a room no longer in the robot";
    EXPECT_EQ(SubNames(*base), (std::vector<std::string>{"left"}));
}

}  // namespace
}  // namespace torvane
