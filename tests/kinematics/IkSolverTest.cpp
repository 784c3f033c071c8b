// Inverse kinematics: targets made by forward kinematics of random motor values within the
// travel are reached, within the travel; of several solutions the one near the start is taken;
// a target out of reach reports how far the nearest point the tip reaches lies; followers move
// with their leaders in the table that comes back.

#include <gtest/gtest.h>

#include <limits>
#include <numbers>
#include <random>

#include "export/JointAxisFrame.h"
#include "export/PosedRoom.h"
#include "kinematics/IkSolver.h"
#include "model/Error.h"
#include "tests/export/RandomRobots.h"
#include "tests/kinematics/KinematicsTestSupport.h"

namespace mechanon::testing {
namespace {

const std::filesystem::path kServoArm =
    std::filesystem::path(MECHANON_URDF_SAMPLES) / "so101" / "so101_new_calib.urdf";

// Motor values drawn within each motor's travel, in a whole table.
std::vector<double> RandomWithin(const RobotChain& chain, std::size_t tableSize,
                                 std::mt19937& random) {
    std::vector<double> table(tableSize, 0);
    for (std::size_t m = 0; m < chain.Motors().size(); ++m) {
        const auto& range = chain.Ranges()[m];
        table[static_cast<std::size_t>(chain.Motors()[m] - 1)] =
            std::uniform_real_distribution<double>(range.Lower.value_or(-180),
                                                   range.Upper.value_or(180))(random);
    }
    return table;
}

std::vector<double> MiddleOfTravel(const RobotChain& chain, std::size_t tableSize) {
    std::vector<double> table(tableSize, 0);
    for (std::size_t m = 0; m < chain.Motors().size(); ++m) {
        const auto& range = chain.Ranges()[m];
        table[static_cast<std::size_t>(chain.Motors()[m] - 1)] =
            (range.Lower.value_or(0) + range.Upper.value_or(0)) / 2;
    }
    return table;
}

torvane::typ3Point PositionOf(const torvane::typFrame& frame) {
    return {frame(0, 3), frame(1, 3), frame(2, 3)};
}

double Apart(const torvane::typ3Point& a, const torvane::typ3Point& b) {
    return std::hypot(a.X - b.X, a.Y - b.Y, a.Z - b.Z);
}

// The angle of the turn between two frames' rotations.
double TurnBetween(const torvane::typFrame& a, const torvane::typFrame& b) {
    double trace = 0;
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k) trace += a(k, i) * b(k, i);
    return std::acos(std::clamp((trace - 1) / 2, -1.0, 1.0));
}

void ExpectWithinTravel(const RobotChain& chain, const std::vector<double>& table) {
    for (std::size_t m = 0; m < chain.Motors().size(); ++m) {
        const double value = table[static_cast<std::size_t>(chain.Motors()[m] - 1)];
        EXPECT_TRUE(chain.Ranges()[m].Contains(value))
            << "motor " << chain.Motors()[m] << " at " << value;
    }
}

// Options for a search expected to succeed: the default 5 ms is for a drag, and a loaded or
// sanitized run can lose that much to the scheduler alone. A search ends as soon as it reaches.
IkOptions Patient() {
    IkOptions options;
    options.TimeLimit = 2;
    return options;
}

// Targets of random motor values within the travel are reached within the tolerance, and the
// values found stay within the travel.
void ExpectReachesRandomTargets(ImportedRobot& robot, const std::string& tip, bool orientation,
                                int targets) {
    const RobotChain chain(*robot.room, tip);
    const auto tableSize = static_cast<std::size_t>(robot.room->MotorMasks().TotalMasks);
    std::mt19937 random(7);
    IkOptions options;
    options.Tolerance = 1e-5 / robot.unit;
    options.AngleTolerance = 1e-5;
    options.TimeLimit = 0.1;
    int reached = 0;
    for (int t = 0; t < targets; ++t) {
        const torvane::typFrame goal = chain.TipFrame(RandomWithin(chain, tableSize, random));
        IkTarget target{PositionOf(goal), std::nullopt};
        if (orientation) target.RollPitchYaw = RollPitchYawOf(goal);
        const IkResult result = SolveIk(chain, target, MiddleOfTravel(chain, tableSize), options);
        if (!result.Reached) continue;
        ++reached;
        ExpectWithinTravel(chain, result.TablePositions);
        const torvane::typFrame found = chain.TipFrame(result.TablePositions);
        EXPECT_LE(Apart(PositionOf(found), target.Position), options.Tolerance);
        if (orientation) {
            EXPECT_LE(TurnBetween(found, goal), 1e-5);
        }
    }
    EXPECT_GE(reached, targets * 95 / 100);
}

TEST(IkSolver, ReachesTargetsOfRandomMotorValuesWithinTravel) {
    {
        SCOPED_TRACE("servo arm, position only");
        const auto arm = ImportRobot(kServoArm, 0.01);
        ExpectReachesRandomTargets(*arm, "gripper_frame_link", false, 40);
    }
    {
        SCOPED_TRACE("six joints, position and orientation");
        const auto arm = ImportRobotText(SixJointArmUrdf(), 0.01);
        ExpectReachesRandomTargets(*arm, "tool", true, 40);
    }
    {
        // Rotational and linear motors about and along every axis.
        SCOPED_TRACE("generated robot, position only");
        auto robot = std::make_unique<ImportedRobot>();
        robot->rooms.ReplaceAllData(RandomRobots(4).Make(RobotKind::Deep));
        robot->room = robot->rooms.ActivePartRoom;
        robot->unit = 1;
        std::vector<torvane::typMotorRange> travel;
        for (const auto& o : PlaceRoom(*robot->room, {}))
            if (o.MotorType > 0)
                travel.push_back(o.MotorType == 2 ? torvane::typMotorRange{-170, 170}
                                                  : torvane::typMotorRange{-2, 2});
        SetTravel(*robot->room, travel);
        ExpectReachesRandomTargets(*robot, ChainTips(*robot->room).back().LinkName, false, 40);
    }
    {
        SCOPED_TRACE("seven joints, position and orientation");
        const auto arm = ImportRobotText(SevenJointArmUrdf(), 0.01);
        ExpectReachesRandomTargets(*arm, "tool", true, 40);
    }
}

// A planar arm of two links one metre long, turning about Z; the first joint's travel is given.
std::unique_ptr<ImportedRobot> PlanarArm(double lower, double upper) {
    return ImportRobotText(
        ArmUrdf({{"0 0 0", "0 0 0", "0 0 1", lower, upper}, {"1 0 0", "0 0 0", "0 0 1", -3, 3}},
                "1 0 0"),
        1);
}

TEST(IkSolver, RollPitchYawOfAFrameGivesItsAttitudeBack) {
    // Quarter turns of pitch, where roll and yaw turn about one axis, among random attitudes.
    std::mt19937 random(11);
    std::uniform_real_distribution<double> angle(-3.1, 3.1);
    const double quarter = std::numbers::pi / 2;
    std::vector<std::array<double, 3>> attitudes{{0.3, quarter, -1.1}, {-2, -quarter, 0.5}};
    for (int i = 0; i < 20; ++i)
        attitudes.push_back({angle(random), angle(random) / 2, angle(random)});
    for (const auto& [roll, pitch, yaw] : attitudes) {
        const torvane::typFrame frame = FrameOfRpy({0, 0, 0}, roll, pitch, yaw);
        const auto back = RollPitchYawOf(frame);
        const torvane::typFrame again = FrameOfRpy({0, 0, 0}, back[0], back[1], back[2]);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(again(r, c), frame(r, c), 1e-12) << roll << " " << pitch << " " << yaw;
    }
}

TEST(IkSolver, TakesTheSolutionNearTheStart) {
    // (1, 1) is reached elbow one way (0, 90 degrees) or the other (90, -90).
    const auto arm = PlanarArm(-3, 3);
    const RobotChain chain(*arm->room, "tool");
    const IkTarget target{{1, 1, 0}, std::nullopt};
    IkOptions options = Patient();
    options.Tolerance = 1e-9;
    for (const auto& [start, expected] :
         std::vector<std::pair<std::vector<double>, std::vector<double>>>{
             {{10, 80}, {0, 90}}, {{80, -70}, {90, -90}}, {{-100, 170}, {0, 90}}}) {
        const IkResult result = SolveIk(chain, target, start, options);
        ASSERT_TRUE(result.Reached);
        EXPECT_NEAR(result.TablePositions[0], expected[0], 1e-5);
        EXPECT_NEAR(result.TablePositions[1], expected[1], 1e-5);
    }
}

TEST(IkSolver, TargetOutOfReachGivesTheDistanceAndKeepsTheStart) {
    const auto arm = PlanarArm(-3, 3);
    const RobotChain chain(*arm->room, "tool");
    const std::vector<double> start{20, 30};
    IkOptions options;
    options.TimeLimit = 0.01;
    const IkResult far = SolveIk(chain, {{0, 3, 0.5}, std::nullopt}, start, options);
    EXPECT_FALSE(far.Reached);
    // Stretched towards (0, 3), the tip is 2 from the base; the target lies 0.5 above that plane.
    EXPECT_NEAR(far.Distance, std::hypot(1.0, 0.5), 1e-6);
    EXPECT_EQ(far.TablePositions, start);

    // With the first joint kept to the first quadrant, (-1.5, 0) lies beyond its travel.
    const auto kept = PlanarArm(0, std::numbers::pi / 2);
    const RobotChain keptChain(*kept->room, "tool");
    const IkResult beyond = SolveIk(keptChain, {{-1.5, 0, 0}, std::nullopt}, {45, 0}, options);
    EXPECT_FALSE(beyond.Reached);
    // The nearest the tip comes: the first link up the Y axis, the second swung down towards it.
    EXPECT_NEAR(beyond.Distance, std::hypot(1.5, 1.0) - 1, 1e-6);
}

TEST(IkSolver, FollowersMoveWithTheirLeader) {
    // The third joint turns as the second, half as far: the chain has two motors, not three.
    const auto arm = ImportRobotText(ArmUrdf({{"0 0 0", "0 0 0", "0 0 1", -3, 3},
                                              {"1 0 0", "0 0 0", "0 0 1", -3, 3},
                                              {"1 0 0", "0 0 0", "0 0 1", -3, 3, "joint2"}},
                                             "0.5 0 0"),
                                     1);
    const RobotChain chain(*arm->room, "tool");
    ASSERT_EQ(chain.Motors(), (std::vector<int>{1, 2}));
    const IkResult result = SolveIk(chain, {{1.2, 1.1, 0}, std::nullopt}, {10, 10, 10}, Patient());
    ASSERT_TRUE(result.Reached);
    // The table's follower entry is the one the motor table shows for the leader's value.
    torvane::typMotorMasks masks = arm->room->MotorMasks();
    for (int k = 1; k <= 3; ++k)
        masks.Masks(k).Value = result.TablePositions[static_cast<std::size_t>(k - 1)];
    const auto followers = arm->room->FollowerMaskValues(masks);
    ASSERT_EQ(followers.size(), 3u);
    ASSERT_TRUE(followers[2].has_value());
    EXPECT_NEAR(result.TablePositions[2], *followers[2], 1e-9);
    // And the placement walk puts the tip where the solver says.
    const auto placed = PlaceRoom(*arm->room, result.TablePositions);
    EXPECT_NEAR(placed.back().WorldFromShape(0, 3), 1.2, 1e-3);
}

TEST(IkSolver, RefusesWhatIsNotANumberAndStartsWithinTravelFromOutsideIt) {
    const auto arm = PlanarArm(0, std::numbers::pi / 2);
    const RobotChain chain(*arm->room, "tool");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    IkOptions zero;
    zero.Tolerance = 0;
    IkOptions never;
    never.TimeLimit = nan;
    const struct {
        IkTarget target;
        std::vector<double> start;
        IkOptions options;
        const char* says;
    } cases[] = {
        {{{nan, 1, 0}, std::nullopt}, {0, 0}, {}, "position"},
        {{{1, 1, 0}, std::array<double, 3>{0, inf, 0}}, {0, 0}, {}, "roll, pitch and yaw"},
        {{{1, 1, 0}, std::nullopt}, {nan, 0}, {}, "start"},
        {{{1, 1, 0}, std::nullopt}, {0, 0}, zero, "tolerance"},
        {{{1, 1, 0}, std::nullopt}, {0, 0}, never, "time limit"},
    };
    for (const auto& c : cases) {
        try {
            SolveIk(chain, c.target, c.start, c.options);
            ADD_FAILURE() << "solved for " << c.says;
        } catch (const torvane::Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
    // A start beyond the travel (first joint at 120 degrees) still ends within it.
    const IkResult result = SolveIk(chain, {{0.5, 1.5, 0}, std::nullopt}, {120, -30}, Patient());
    ASSERT_TRUE(result.Reached);
    ExpectWithinTravel(chain, result.TablePositions);
}

}  // namespace
}  // namespace mechanon::testing
