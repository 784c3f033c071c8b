// The big robot the 3D view's benchmarks measure: the occurrences their rows are named after,
// kept through the saved file the program's rows open, and the arm's motor, which moves one
// arm and its fingers per value, so that a motor-value frame changes what the rows say it does.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "bench/BigRobot.h"
#include "model/FramePlacementVisitor.h"
#include "model/clsPartRoom.h"
#include "model/clsSubPart.h"
#include "tests/support/PrimoraShapes.h"

namespace mechanon::bench {
namespace {

std::vector<torvane::typPlacedOccurrence> Placed(torvane::clsPartRoom& room) {
    torvane::FramePlacementVisitor walk;
    torvane::clsSubPart root;
    torvane::typMotorMasks masks = room.MotorMasks();
    masks.CountMasks = 1;
    room.CalculateForwardKinematics(root, masks, walk);
    return walk.Occurrences();
}

bool SamePlace(const torvane::typFrame& a, const torvane::typFrame& b) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::abs(a(r, c) - b(r, c)) > 1e-9) return false;
    return true;
}

TEST(BigRobot, HoldsTheNamedOccurrencesAndAMotorPerArmThroughItsFile) {
    const auto shapes = std::make_shared<testing::PrimoraShapes>();
    const auto file = std::filesystem::temp_directory_path() / "BigRobotTest.bot";
    for (const int fingers : {kFingers, kManyFingers}) {
        SCOPED_TRACE(fingers);
        torvane::clsRooms made;
        MakeRobot(made, shapes, fingers);
        made.Save(file.string());
        torvane::clsRooms read;
        read.Shapes = shapes;
        read.Load(file.string());
        for (torvane::clsRooms* rooms : {&made, &read}) {
            ASSERT_EQ(rooms->TotalRooms, kRooms);
            EXPECT_EQ(Placed(*rooms->Rooms(1)).size(),
                      static_cast<std::size_t>(Occurrences(fingers)));
            const torvane::typMotorMasks masks = rooms->Rooms(1)->MotorMasks();
            ASSERT_EQ(masks.Masks.Count(), kArms);
            for (int i = 1; i <= kArms; ++i) EXPECT_EQ(masks.Masks(i).Name, kArmRoom);
        }
    }
    EXPECT_EQ(Occurrences(kFingers), 5001);
    EXPECT_EQ(Occurrences(kManyFingers), 20001);
    std::filesystem::remove(file);
}

TEST(BigRobot, OneMotorValueTurnsOneArmWithItsFingersAndNothingElse) {
    torvane::clsRooms rooms;
    MakeRobot(rooms, std::make_shared<testing::PrimoraShapes>());
    torvane::clsPartRoom& base = *rooms.Rooms(1);
    const auto before = Placed(base);
    for (const int change : {1, 2}) {
        torvane::typMotorMasks masks = base.MotorMasks();
        masks.Masks(1).Value = ArmTurn(change);
        base.SetMotorMasks(masks);
        const auto after = Placed(base);
        ASSERT_EQ(after.size(), before.size());
        int moved = 0;
        for (std::size_t i = 0; i < after.size(); ++i)
            if (!SamePlace(before[i].WorldFromShape, after[i].WorldFromShape)) ++moved;
        EXPECT_EQ(moved, 1 + kFingers) << "change " << change;
    }
    EXPECT_NE(ArmTurn(1), ArmTurn(2)) << "a swing back and forth, not one value set twice";
}

}  // namespace
}  // namespace mechanon::bench
