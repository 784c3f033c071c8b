// The document operations rebuild only the motor tables an edit can reach. Random sequences of
// attaches, removals, moves, renames and motor changes, with mask values set between them as the
// motor window sets them, must leave every table as a rebuild of the whole collection from the
// tables before the edit makes it, and return exactly the tables that changed.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "model/clsRooms.h"
#include "platform/ScriptedUserInterface.h"

namespace torvane {
namespace {

using namespace torvane::testing;
using Tables = std::map<const clsPartRoom*, typMotorMasks>;

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

class TablesFollowEdits : public ::testing::Test {
  protected:
    TablesFollowEdits() { rooms.Shapes = std::make_shared<NullShapes>(); }

    Tables Snapshot() const {
        Tables tables;
        for (std::int32_t i = 1; i <= rooms.TotalRooms; ++i)
            tables[rooms.Rooms(i).get()] = rooms.Rooms(i)->MotorMasks();
        return tables;
    }
    void Restore(const Tables& tables) {
        for (std::int32_t i = 1; i <= rooms.TotalRooms; ++i) {
            const auto it = tables.find(rooms.Rooms(i).get());
            if (it != tables.end()) rooms.Rooms(i)->SetMotorMasks(it->second);
        }
    }
    std::shared_ptr<clsPartRoom> Pick() {
        return rooms.Rooms(std::uniform_int_distribution<int>(1, rooms.TotalRooms)(random));
    }
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

    // One random edit; returns the tables it says it rewrote. Refused edits return none.
    clsRooms::MotorTables Edit(std::string& renamedFrom, std::string& renamedTo) {
        const auto room = Pick();
        const int count = room->SubParts.Count();
        try {
            switch (Below(6)) {
                case 0:
                case 1:
                    return rooms.AttachSubPart(*room,
                                               MakeSub("S" + std::to_string(serial++), Pick()));
                case 2:
                    if (count == 0) return {};
                    return rooms.RemoveSubPart(*room, 1 + Below(count)).Tables;
                case 3:
                    if (count < 2) return {};
                    return rooms.MoveSubPart(*room, 2 + Below(count - 1), true);
                case 4: {
                    typPartData data = room->PartData();
                    renamedFrom = data.Name;
                    data.Name = "R" + std::to_string(serial++);
                    renamedTo = data.Name;
                    return rooms.SetPartRecord(*room, data).Tables;
                }
                default: {
                    typPartData data = room->PartData();
                    data.MotorType = static_cast<std::int16_t>(Below(3));
                    return rooms.SetPartRecord(*room, data).Tables;
                }
            }
        } catch (const Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::InvalidArgument) << e.what();  // a cycle refused
            return {};
        }
    }
    // Mask values as the motor window writes them: same names, new values.
    void Drive() {
        const auto room = Pick();
        typMotorMasks masks = room->MotorMasks();
        if (masks.TotalMasks == 0) return;
        masks.Masks(1 + Below(masks.TotalMasks)).Value = 1 + Below(90);
        room->SetMotorMasks(masks);
    }

    ScriptedUserInterface ui;
    ScopedUserInterface scope{ui};
    clsRooms rooms;
    std::mt19937 random{17};
    int serial = 0;
};

TEST_F(TablesFollowEdits, EveryEditLeavesTheTablesAWholeRebuildMakes) {
    for (int i = 0; i < 12; ++i) {
        std::string name = "R" + std::to_string(serial++);
        rooms.CreatePartRoom(name, false);
        typPartData data = rooms.Rooms(i + 1)->PartData();
        data.MotorType = static_cast<std::int16_t>(i % 3);
        rooms.Rooms(i + 1)->SetPartData(data);
    }
    rooms.MapMotorMasks();
    int rewrites = 0;
    for (int step = 0; step < 600; ++step) {
        Drive();
        const Tables before = Snapshot();
        std::string from, to;
        const clsRooms::MotorTables returned = Edit(from, to);
        const Tables after = Snapshot();

        // What the edit returned is exactly the tables that changed, as they were.
        std::map<const clsPartRoom*, typMotorMasks> changed;
        for (const auto& [room, table] : after)
            if (before.at(room) != table) changed[room] = before.at(room);
        std::map<const clsPartRoom*, typMotorMasks> told;
        for (const auto& [room, table] : returned) told[room.get()] = table;
        ASSERT_EQ(told, changed) << "step " << step;
        rewrites += returned.empty() ? 0 : 1;

        // The tables are those a rebuild of every room from the tables before makes (a renamed
        // motor's masks carry their values under the new name).
        Tables reference = before;
        for (auto& [room, table] : reference)
            for (std::int32_t m = 1; !from.empty() && m <= table.TotalMasks; ++m)
                if (table.Masks(m).Name == from) table.Masks(m).Name = to;
        Restore(reference);
        rooms.MapMotorMasks();
        ASSERT_EQ(Snapshot(), after) << "step " << step;
    }
    EXPECT_GT(rewrites, 100);  // the sequence reached many tables

    // The file is the one a whole rebuild before saving would write.
    const auto folder = std::filesystem::temp_directory_path() / "mechanon-tables-test";
    std::filesystem::create_directories(folder);
    const std::string edited = (folder / "edited.bot").string();
    const std::string rebuilt = (folder / "rebuilt.bot").string();
    rooms.Save(edited);
    rooms.MapMotorMasks();
    rooms.Save(rebuilt);
    EXPECT_EQ(FileBytes(edited), FileBytes(rebuilt));
    std::filesystem::remove_all(folder);
}

TEST_F(TablesFollowEdits, AttachingATreeThatCannotBeMappedIsRefusedWithNothingChanged) {
    std::string name = "Base";
    rooms.CreatePartRoom(name, false);
    name = "Arm";
    rooms.CreatePartRoom(name, false);
    const auto base = rooms.Rooms(1);
    const auto arm = rooms.Rooms(2);
    typPartData data = arm->PartData();
    data.MotorType = 2;
    arm->SetPartData(data);
    arm->AttachSubPart(MakeSub("Loose"));  // by hand: a subpart that uses no room
    const typWrapRooms before = rooms.AllData();
    const std::string message = MessageOf([&] { rooms.AttachSubPart(*base, MakeSub("A", arm)); });
    EXPECT_NE(message.find("\"Loose\" of \"Arm\" uses no part room"), std::string::npos) << message;
    EXPECT_EQ(rooms.AllData(), before);
    EXPECT_EQ(base->SubParts.Count(), 0);
}

}  // namespace
}  // namespace torvane
