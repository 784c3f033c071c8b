// The chain from a room to a tip against the placement walk that the view draws with and that
// `mechanon-cli poses` prints: generated robots of every motor axis and attitude, imported URDF
// robots with turned joint axes and mimic joints, and the servo arm of the sample robots. KDL's
// own forward kinematics on the chain's KDL form must agree too.

#include <gtest/gtest.h>

#include <kdl/chainfksolverpos_recursive.hpp>
#include <random>

#include "export/PosedRoom.h"
#include "export/UrdfRobot.h"
#include "kinematics/ChainModel.h"
#include "model/Error.h"
#include "tests/export/RandomRobots.h"
#include "tests/export/RandomUrdf.h"
#include "tests/kinematics/KinematicsTestSupport.h"

namespace mechanon::testing {
namespace {

const std::filesystem::path kServoArm =
    std::filesystem::path(MECHANON_URDF_SAMPLES) / "so101" / "so101_new_calib.urdf";

std::vector<double> RandomTable(std::size_t size, std::mt19937& random) {
    std::uniform_real_distribution<double> value(-170, 170);
    std::vector<double> table;
    for (std::size_t i = 0; i < size; ++i) table.push_back(value(random));
    return table;
}

torvane::typFrame LinkFrame(torvane::clsPartRoom& room, const std::vector<double>& table,
                            const std::string& link) {
    const UrdfRobot robot =
        BuildUrdfRobot(PlaceRoom(room, table), room.Name(), 1, LinkMeshes::Left);
    for (const UrdfLink& l : robot.Links)
        if (l.Name == link) return l.WorldFromLink;
    ADD_FAILURE() << "no link " << link;
    return {};
}

torvane::typFrame KdlTip(const RobotChain& chain, const std::vector<double>& table) {
    const RobotChain::Impl& model = chain.Internals();
    const Eigen::VectorXd motors = model.MotorValues(table);
    KDL::JntArray q(model.Kdl.getNrOfJoints());
    for (std::size_t j = 0; j < model.Joints.size(); ++j)
        q(static_cast<unsigned>(j)) = motors(static_cast<Eigen::Index>(model.Joints[j].Motor));
    KDL::Frame tip;
    KDL::ChainFkSolverPos_recursive(model.Kdl).JntToCart(q, tip);
    torvane::typFrame out;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) out(r, c) = tip.M(r, c);
        out(r, 3) = tip.p(r);
    }
    return out;
}

void ExpectSameFrame(const torvane::typFrame& a, const torvane::typFrame& b, double scale) {
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR(a.M[static_cast<std::size_t>(i)], b.M[static_cast<std::size_t>(i)],
                    1e-9 * std::max(1.0, scale))
            << "element " << i;
}

// A follower's joint turns by its multiplier times its leader's motor; every other joint one
// for one with its own.
bool HoldsFollower(const RobotChain& chain) {
    const RobotChain::Impl& model = chain.Internals();
    for (const ChainJoint& joint : model.Joints)
        if (std::abs(std::abs(joint.Scale / model.NaturalScale[joint.Motor]) - 1) > 1e-9)
            return true;
    return false;
}

// Every tip of room at a few random tables: the chain's frame is the placed link's, and KDL's.
// Returns how many of the chains hold a joint that follows another.
int ExpectChainsFollowThePlacement(torvane::clsPartRoom& room, std::uint32_t seed) {
    int withFollowers = 0;
    std::mt19937 random(seed);
    const auto size = static_cast<std::size_t>(std::max(room.MotorMasks().TotalMasks, 0));
    for (const ChainTip& tip : ChainTips(room)) {
        SCOPED_TRACE("tip " + tip.LinkName + " at " + tip.OccurrencePath);
        const RobotChain byLink(room, tip.LinkName);
        const RobotChain byPath(room, tip.OccurrencePath);
        withFollowers += HoldsFollower(byLink);
        for (int draw = 0; draw < 3; ++draw) {
            const std::vector<double> table = RandomTable(size, random);
            const torvane::typFrame placed = LinkFrame(room, table, tip.LinkName);
            const double scale =
                std::abs(placed(0, 3)) + std::abs(placed(1, 3)) + std::abs(placed(2, 3));
            ExpectSameFrame(byLink.TipFrame(table), placed, scale);
            ExpectSameFrame(byPath.TipFrame(table), placed, scale);
            ExpectSameFrame(KdlTip(byLink, table), placed, scale);
        }
    }
    return withFollowers;
}

TEST(RobotChain, FramesOfGeneratedRobotsFollowThePlacementWalk) {
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        torvane::clsRooms rooms;
        const RobotKind kinds[] = {RobotKind::Mixed, RobotKind::Deep, RobotKind::Wide};
        rooms.ReplaceAllData(RandomRobots(seed).Make(kinds[seed % 3]));
        ASSERT_TRUE(rooms.ActivePartRoom);
        ExpectChainsFollowThePlacement(*rooms.ActivePartRoom, seed);
    }
}

TEST(RobotChain, FramesOfImportedRobotsFollowThePlacementWalk) {
    // Generated URDF robots turn their joint axes any way and let some joints follow others.
    int withFollowers = 0;
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const auto robot = ImportRobotText(RandomUrdf(seed).Make(7), 0.01);
        withFollowers += ExpectChainsFollowThePlacement(*robot->room, seed);
    }
    EXPECT_GT(withFollowers, 0);
    const auto arm = ImportRobot(kServoArm, 0.01);
    ExpectChainsFollowThePlacement(*arm->room, 7);
}

TEST(RobotChain, ServoArmChainHasItsFiveArmMotorsWithTheirTravel) {
    const auto arm = ImportRobot(kServoArm, 0.01);
    const RobotChain chain(*arm->room, "gripper_frame_link");
    // The gripper's jaw is a branch of its own: it does not move the tip.
    ASSERT_EQ(chain.Motors().size(), 5u);
    const auto travel = NotedTravel(*arm->room);
    for (std::size_t m = 0; m < chain.Motors().size(); ++m) {
        const auto entry = static_cast<std::size_t>(chain.Motors()[m] - 1);
        // The motor list holds the travel to 15 digits.
        EXPECT_NEAR(*chain.Ranges()[m].Lower, *travel[entry].Lower, 1e-12);
        EXPECT_NEAR(*chain.Ranges()[m].Upper, *travel[entry].Upper, 1e-12);
    }
}

TEST(RobotChain, UnknownTipIsRefusedNamingIt) {
    const auto arm = ImportRobot(kServoArm, 0.01);
    try {
        const RobotChain chain(*arm->room, "no_such_link");
        FAIL() << "a chain to a missing tip was made";
    } catch (const torvane::Error& e) {
        EXPECT_NE(std::string(e.what()).find("\"no_such_link\""), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace mechanon::testing
