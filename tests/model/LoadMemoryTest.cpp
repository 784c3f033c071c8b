// Hostile robot files cost no more memory to open than four times their size plus 64 MB, counted
// by a replaced operator new from the start of the load to its end, whether they load or not.

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "RobotFileTestSupport.h"
#include "model/Error.h"
#include "model/RobotFile.h"
#include "model/clsRooms.h"
#include "tests/support/HeapCount.h"

namespace torvane {
namespace {

using mechanon::testing::HeapInUse;
using mechanon::testing::HeapPeak;
using mechanon::testing::ResetHeapPeak;
using testing::ScratchFolder;

constexpr std::size_t kAllowance = 64u << 20;

// Writes the robot to a file and returns its size; the record is given back first.
std::size_t WriteHostile(typWrapRooms robot, const std::string& path) {
    const std::string bytes = EncodeRobot(robot);
    robot = typWrapRooms{};
    testing::WriteBytes(path, bytes);
    return bytes.size();
}

// The peak the load of path adds to what was held before it; whether it loaded goes to loaded.
std::size_t LoadPeak(clsRooms& rooms, const std::string& path, bool& loaded) {
    const std::size_t before = HeapInUse();
    ResetHeapPeak();
    loaded = true;
    try {
        rooms.Load(path);
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), ErrorCode::FileFormat) << e.what();
        loaded = false;
    }
    return HeapPeak() - before;
}

std::vector<std::string> Names(int n, const std::string& prefix) {
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) names.push_back(prefix + std::to_string(i));
    return names;
}

TEST(LoadMemory, HostileFilesLoadWithinFourTimesTheirSize) {
    ScratchFolder folder;
    struct Case {
        const char* what;
        typWrapRooms robot;
        bool loads;
    };
    std::vector<Case> cases;
    {
        // One room whose table lists every mask a file may hold, of which its tree uses none.
        typWrapRooms robot = testing::RobotOfUses({"Greedy"}, {{}});
        typMotorMasks& table = robot.Rooms(1).MotorMasks;
        table.Masks = VbArray<typMotorMask>(
            1, std::vector<typMotorMask>(static_cast<std::size_t>(kMaxRobotMotorMasks)));
        table.TotalMasks = 1;
        cases.push_back({"many masks", std::move(robot), true});
    }
    {
        // Rooms whose every text is as long as the file allows, in characters that take three
        // bytes each once read.
        const int rooms = 120;
        typWrapRooms robot =
            testing::RobotOfUses(Names(rooms, "T"), std::vector<std::vector<std::string>>(rooms));
        const std::string longest(kMaxRobotTextBytes, '\x80');
        for (typWrapRoom& room : robot.Rooms.Items()) {
            room.Part.ParentName = room.Part.ShapeName = room.Part.Description = longest;
            room.Part.BlankXML = room.Part.Picture = longest;
            room.MotorMasks.XMLScript = room.MotorMasks.VBScript = longest;
            room.MotorMasks.XMLProperties = longest;
        }
        cases.push_back({"long texts", std::move(robot), true});
    }
    {
        // Many small rooms, each using the next in chains of ten.
        const int rooms = 100000;
        std::vector<std::vector<std::string>> uses(rooms);
        for (int i = 0; i < rooms; ++i)
            if (i % 10 != 9) uses[static_cast<std::size_t>(i)] = {"R" + std::to_string(i + 1)};
        cases.push_back({"many rooms", testing::RobotOfUses(Names(rooms, "R"), uses), true});
        // The same refused at its last subpart, which names no room.
        uses.back() = {"Nowhere"};
        cases.push_back(
            {"many rooms, refused", testing::RobotOfUses(Names(rooms, "R"), uses), false});
    }
    for (Case& c : cases) {
        const std::string path = folder.File("hostile.bot");
        const std::size_t size = WriteHostile(std::move(c.robot), path);
        clsRooms rooms;
        bool loaded = false;
        const std::size_t peak = LoadPeak(rooms, path, loaded);
        EXPECT_EQ(loaded, c.loads) << c.what;
        EXPECT_LE(peak, 4 * size + kAllowance)
            << c.what << ": " << peak / 1e6 << " MB for a file of " << size / 1e6 << " MB";
    }
}

}  // namespace
}  // namespace torvane
