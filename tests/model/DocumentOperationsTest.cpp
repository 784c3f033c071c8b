// The collection's document operations: name checks, record writes that keep the motor tables in
// step, subpart and room removal with what they return, and the expansion limit that editing,
// saving and loading share.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "model/RobotFile.h"
#include "model/clsRooms.h"
#include "platform/ScriptedUserInterface.h"

namespace torvane {
namespace {

using namespace torvane::testing;
using Names = std::vector<std::string>;

class DocumentOperations : public ::testing::Test {
  protected:
    DocumentOperations() { rooms.Shapes = std::make_shared<NullShapes>(); }

    std::shared_ptr<clsPartRoom> Create(const std::string& name, std::int16_t motor = 0) {
        std::string n = name;
        EXPECT_EQ(rooms.CreatePartRoom(n, false), "");
        const auto room = rooms.GetRoomByName(name);
        typPartData data = room->PartData();
        data.MotorType = motor;
        data.MotorDimension = 1;
        room->SetPartData(data);
        return room;
    }
    void Attach(const std::shared_ptr<clsPartRoom>& parent, const std::string& name,
                const std::shared_ptr<clsPartRoom>& used) {
        rooms.AttachSubPart(*parent, MakeSub(name, used));
    }
    static Names MaskNames(const clsPartRoom& room) {
        Names names;
        const typMotorMasks m = room.MotorMasks();
        for (std::int32_t i = 1; i <= m.TotalMasks; ++i) names.push_back(m.Masks(i).Name);
        return names;
    }
    static void SetMask(clsPartRoom& room, std::int32_t i, double value) {
        typMotorMasks m = room.MotorMasks();
        m.Masks(i).Value = value;
        room.SetMotorMasks(m);
    }

    ScriptedUserInterface ui;
    ScopedUserInterface scope{ui};
    clsRooms rooms;
};

TEST_F(DocumentOperations, NameChecksFollowRenamesMadeAnywhere) {
    const auto arm = Create("Arm");
    const auto hand = Create("Hand");
    EXPECT_TRUE(rooms.PartRoomNameFree(*arm, "Arm"));  // its own name
    EXPECT_FALSE(rooms.PartRoomNameFree(*arm, "Hand"));
    EXPECT_TRUE(rooms.PartRoomNameFree(*arm, "hand"));  // room names keep letter case
    hand->SetName("Palm");                              // by hand, past the collection
    EXPECT_TRUE(rooms.PartRoomNameFree(*arm, "Hand"));
    EXPECT_EQ(rooms.GetRoomByName("Palm"), hand);
    EXPECT_EQ(rooms.GetRoomByName("Hand"), nullptr);

    Attach(arm, "Thumb", hand);
    Attach(arm, "Index", hand);
    EXPECT_FALSE(arm->SubPartNameFree("THUMB"));
    EXPECT_TRUE(arm->SubPartNameFree("thumb", 1));  // the subpart's own name, in other case
    EXPECT_FALSE(arm->SubPartNameFree("thumb", 2));
    arm->SubParts(1).SetName("Pinky");
    EXPECT_TRUE(arm->SubPartNameFree("Thumb"));
    EXPECT_EQ(arm->SubParts.IndexOf("PINKY"), 1);
    typSubPartData data = arm->SubParts(2).SubPartData();
    data.Name = "pinky";
    EXPECT_EQ(CodeOf([&] { rooms.SetSubPartRecord(*arm, 2, data); }), ErrorCode::DuplicateKey);
    EXPECT_EQ(arm->SubParts(2).Name(), "Index");
    data.Name = "Ring";
    EXPECT_EQ(rooms.SetSubPartRecord(*arm, 2, data).Name, "Index");
    EXPECT_EQ(arm->SubParts.IndexOf("ring"), 2);
}

TEST_F(DocumentOperations, PartRecordWritesKeepEveryTableInStep) {
    const auto robot = Create("Robot");
    const auto finger = Create("Finger", 2);
    const auto wrist = Create("Wrist", 1);
    Attach(robot, "Wrist", wrist);
    Attach(robot, "A", finger);
    Attach(robot, "B", finger);
    ASSERT_EQ(MaskNames(*robot), (Names{"Wrist", "Finger", "Finger"}));
    SetMask(*robot, 3, 7.5);

    // A rename carries the values along and says which table it changed.
    typPartData data = finger->PartData();
    data.Name = "Digit";
    const clsRooms::PartRecordChange renamed = rooms.SetPartRecord(*finger, data);
    EXPECT_EQ(renamed.Before.Name, "Finger");
    EXPECT_EQ(MaskNames(*robot), (Names{"Wrist", "Digit", "Digit"}));
    EXPECT_EQ(robot->MotorMasks().Masks(3).Value, 7.5);
    ASSERT_FALSE(renamed.Tables.empty());
    EXPECT_EQ(renamed.Tables.front().first, robot);
    EXPECT_EQ(renamed.Tables.front().second.Masks(2).Name, "Finger");

    // Another room's name is refused with nothing changed.
    const typMotorMasks before = robot->MotorMasks();
    data.Name = "Wrist";
    EXPECT_EQ(CodeOf([&] { rooms.SetPartRecord(*finger, data); }), ErrorCode::DuplicateKey);
    EXPECT_EQ(finger->Name(), "Digit");
    EXPECT_EQ(robot->MotorMasks(), before);

    // A motor taken away leaves the tables, and putting the tables back restores the values.
    data = wrist->PartData();
    data.MotorType = MotorTypeOf(MotorKind::None);
    const clsRooms::PartRecordChange unmotored = rooms.SetPartRecord(*wrist, data);
    EXPECT_EQ(MaskNames(*robot), (Names{"Digit", "Digit"}));
    EXPECT_EQ(robot->MotorMasks().Masks(2).Value, 0);
    clsRooms::RestoreMotorTables(unmotored.Tables);
    wrist->SetPartData(unmotored.Before);
    EXPECT_EQ(robot->MotorMasks(), before);
}

TEST_F(DocumentOperations, AttachRefusesWhatTheRoomCannotHoldAndChangesNothing) {
    const auto arm = Create("Arm");
    const auto hand = Create("Hand", 2);
    Attach(arm, "Hand", hand);
    const typWrapRooms before = rooms.AllData();
    EXPECT_EQ(CodeOf([&] { Attach(arm, "HAND", hand); }), ErrorCode::DuplicateKey);
    EXPECT_EQ(CodeOf([&] { Attach(hand, "Back", arm); }), ErrorCode::InvalidArgument);
    EXPECT_EQ(CodeOf([&] { Attach(arm, "Nothing", nullptr); }), ErrorCode::MissingObject);
    clsPartRoom stranger;
    EXPECT_EQ(CodeOf([&] { rooms.AttachSubPart(stranger, MakeSub("X", hand)); }),
              ErrorCode::MissingObject);
    EXPECT_EQ(rooms.AllData(), before);
    EXPECT_EQ(MaskNames(*arm), (Names{"Hand"}));
}

TEST_F(DocumentOperations, RemovingReturnsWhatWentAndTheTablesFollow) {
    const auto base = Create("Base");
    const auto arm = Create("Arm", 2);
    const auto hand = Create("Hand", 1);
    Attach(arm, "Hand", hand);
    Attach(base, "Left", arm);
    Attach(base, "Grip", hand);
    Attach(base, "Right", arm);
    ASSERT_EQ(MaskNames(*base), (Names{"Arm", "Hand", "Hand", "Arm", "Hand"}));

    const clsRooms::RemovedSubPart sub = rooms.RemoveSubPart(*base, 2);
    EXPECT_EQ(sub.SubPart->Name(), "Grip");
    EXPECT_EQ(sub.Position, 2);
    EXPECT_EQ(MaskNames(*base), (Names{"Arm", "Hand", "Arm", "Hand"}));
    ASSERT_EQ(sub.Tables.size(), 1u);
    EXPECT_EQ(sub.Tables.front().second.TotalMasks, 5);

    rooms.SetPartRoomIndex(rooms.TotalRooms);  // Hand
    const clsRooms::RemovedRoom removed = rooms.RemovePartRoom(3);
    EXPECT_EQ(removed.Room, hand);
    EXPECT_EQ(removed.Position, 3);
    ASSERT_EQ(removed.Uses.size(), 1u);
    EXPECT_EQ(removed.Uses.front().Holder, arm);
    EXPECT_EQ(removed.Uses.front().SubPart->Name(), "Hand");
    EXPECT_EQ(rooms.CountUses(*arm), 2);
    EXPECT_EQ(MaskNames(*base), (Names{"Arm", "Arm"}));
    EXPECT_EQ(rooms.ActivePartRoom, base);

    EXPECT_EQ(rooms.MoveSubPart(*base, 1, false).size(), 0u);  // the same names stand in line
    EXPECT_EQ(base->SubParts(1).Name(), "Right");
    rooms.RemovePartRoom(2);
    EXPECT_EQ(CodeOf([&] { rooms.RemovePartRoom(1); }), ErrorCode::MissingObject);
    EXPECT_EQ(rooms.TotalRooms, 1);
}

// Leaf uses Spoke's count: Hub -> Spoke (used `spokes` times) -> Leaf (used `leaves` times).
TEST_F(DocumentOperations, EditsStopAtTheLimitTheFileIsReadWith) {
    const auto hub = Create("Hub");
    const auto spoke = Create("Spoke");
    const auto leaf = Create("Leaf");
    for (int i = 0; i < 999; ++i) Attach(spoke, "L" + std::to_string(i), leaf);
    // Hub 1, Spoke 1000, Leaf 1: each use of Spoke adds 1000 occurrences.
    for (int i = 0; i < 998; ++i) Attach(hub, "S" + std::to_string(i), spoke);
    const std::uint64_t total = 1 + 998 * 1000 + 1000 + 1;
    for (std::uint64_t i = total; i < kMaxExpandedPartOccurrences; ++i)
        Attach(hub, "P" + std::to_string(i), leaf);  // one each
    const typWrapRooms atLimit = rooms.AllData();

    const std::string message = MessageOf([&] { Attach(hub, "One more", leaf); });
    EXPECT_NE(
        message.find("would expand to more than " + std::to_string(kMaxExpandedPartOccurrences)),
        std::string::npos)
        << message;
    std::string name = "Extra";
    EXPECT_EQ(CodeOf([&] { rooms.CreatePartRoom(name, false); }), ErrorCode::InvalidArgument);
    EXPECT_EQ(rooms.AllData(), atLimit);

    // What editing allows, saving writes and loading reads back.
    const auto folder = std::filesystem::temp_directory_path() / "mechanon-limit-test";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "limit.bot").string();
    rooms.Save(path);
    clsRooms loaded;
    loaded.Load(path);
    EXPECT_EQ(loaded.TotalRooms, 3);

    // Taking one use away makes room for exactly one occurrence again.
    rooms.RemoveSubPart(*hub, hub->SubParts.Count());
    Attach(hub, "Again", leaf);
    EXPECT_EQ(CodeOf([&] { Attach(hub, "Over", leaf); }), ErrorCode::InvalidArgument);
    std::filesystem::remove_all(folder);
}

TEST_F(DocumentOperations, AChainEditingAllowsIsSavedAndOpensAgain) {
    // Each room using the next: the chain grows until one more link would pass the limit.
    std::vector<std::shared_ptr<clsPartRoom>> chain{Create("Room 0")};
    for (int i = 1;; ++i) {
        chain.push_back(Create("Room " + std::to_string(i)));
        try {
            Attach(chain[chain.size() - 2], "Next", chain.back());
        } catch (const Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::InvalidArgument);
            break;
        }
    }
    EXPECT_GT(chain.size(), 1000u);
    const auto folder = std::filesystem::temp_directory_path() / "mechanon-chain-test";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "chain.bot").string();
    rooms.Save(path);
    clsRooms loaded;
    EXPECT_NO_THROW(loaded.Load(path));
    EXPECT_EQ(loaded.TotalRooms, rooms.TotalRooms);

    // Links made by hand past the operations are refused at saving, the file untouched.
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    rooms.RelinkSubPartPointers();  // forgets what the operations counted
    rooms.Rooms(1)->AttachSubPart(MakeSub("Twice", chain[1]));
    EXPECT_NE(MessageOf([&] { rooms.Save(path); }).find("cannot be saved"), std::string::npos);
    std::ifstream again(path, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), {}), bytes);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace torvane
