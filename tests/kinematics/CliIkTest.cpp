// mechanon-cli ik as a user meets it: the joint values it prints, given to poses, put the tip at
// the target; a target out of reach exits 1 saying how far; bad tips and targets are refused
// with a clear message.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "model/NumberText.h"
#include "tests/export/ExportTestSupport.h"
#include "tests/kinematics/KinematicsTestSupport.h"

namespace mechanon::testing {
namespace {

using ::testing::HasSubstr;

const std::filesystem::path kServoArm =
    std::filesystem::path(MECHANON_URDF_SAMPLES) / "so101" / "so101_new_calib.urdf";

std::string Text(double value) {
    return torvane::TrimmedNumberText(value);
}

std::string JointList(const std::map<std::string, double>& joints) {
    std::string list;
    for (const auto& [name, value] : joints)
        list += (list.empty() ? "" : ",") + name + "=" + Text(value);
    return list;
}

// The robot file made by importing urdf in folder.
std::filesystem::path Imported(const ScratchFolder& folder, const std::filesystem::path& urdf,
                               const std::string& unit = "0.01") {
    const auto bot = folder / "robot.bot";
    const CliResult imported =
        RunCli({"import", urdf.string(), "--unit", unit, "-o", bot.string()});
    EXPECT_EQ(imported.status, 0) << imported.err;
    return bot;
}

std::array<double, 16> LinkFrame(const std::filesystem::path& bot, const std::string& joints,
                                 const std::string& link) {
    const CliResult posed = RunCli({"poses", bot.string(), "--joints", joints});
    EXPECT_EQ(posed.status, 0) << posed.err;
    for (const auto& [name, frame] : ParsePoses(posed.out).links)
        if (name == link) return frame;
    ADD_FAILURE() << "no link " << link;
    return {};
}

// Drawn joint values within [-limit, limit], by name.
std::map<std::string, double> Draw(const std::vector<std::string>& names, double limit,
                                   std::mt19937& random) {
    std::map<std::string, double> joints;
    for (const std::string& name : names)
        joints[name] = std::uniform_real_distribution<double>(-limit, limit)(random);
    return joints;
}

void ExpectIkReachesWherePosesSays(const std::filesystem::path& bot,
                                   const std::vector<std::string>& joints, bool orientation) {
    std::mt19937 random(3);
    for (int draw = 0; draw < 3; ++draw) {
        const auto goal = LinkFrame(bot, JointList(Draw(joints, 1.2, random)), "tool");
        std::string target = Text(goal[3]) + "," + Text(goal[7]) + "," + Text(goal[11]);
        if (orientation)
            target += "," + Text(std::atan2(goal[9], goal[10])) + "," + Text(std::asin(-goal[8])) +
                      "," + Text(std::atan2(goal[4], goal[0]));
        const CliResult solved = RunCli({"ik", bot.string(), "--tip", "tool", "--target", target,
                                         "--joints", JointList(Draw(joints, 0.3, random))});
        ASSERT_EQ(solved.status, 0) << solved.err;
        const auto found = LinkFrame(bot, JointList(ParsePoses(solved.out).joints), "tool");
        for (const int i : {3, 7, 11}) EXPECT_NEAR(found[i], goal[i], 2e-6) << "element " << i;
        const std::vector<int> checked =
            orientation ? std::vector<int>{0, 1, 2, 4, 5, 6, 8, 9, 10} : std::vector<int>{};
        for (const int i : checked) EXPECT_NEAR(found[i], goal[i], 2e-6) << "element " << i;
    }
}

TEST(CliIk, SolutionsGivenToPosesPutTheTipAtTheTarget) {
    const ScratchFolder scratch;
    {
        SCOPED_TRACE("six joints, position and orientation");
        std::ofstream(scratch / "six.urdf") << SixJointArmUrdf();
        const auto bot = Imported(scratch, scratch / "six.urdf");
        ExpectIkReachesWherePosesSays(
            bot, {"joint1", "joint2", "joint3", "joint4", "joint5", "joint6"}, true);
    }
    {
        SCOPED_TRACE("servo arm, position only");
        const auto bot = Imported(scratch, kServoArm);
        const std::vector<std::string> joints{"shoulder_pan", "shoulder_lift", "elbow_flex",
                                              "wrist_flex", "wrist_roll"};
        std::mt19937 random(5);
        const auto goal =
            LinkFrame(bot, JointList(Draw(joints, 1.2, random)), "gripper_frame_link");
        const CliResult solved =
            RunCli({"ik", bot.string(), "--tip", "gripper_frame_link", "--target",
                    Text(goal[3]) + "," + Text(goal[7]) + "," + Text(goal[11])});
        ASSERT_EQ(solved.status, 0) << solved.err;
        const auto found =
            LinkFrame(bot, JointList(ParsePoses(solved.out).joints), "gripper_frame_link");
        for (const int i : {3, 7, 11}) EXPECT_NEAR(found[i], goal[i], 2e-6) << "element " << i;
    }
}

TEST(CliIk, TargetOutOfReachExitsOneWithTheDistance) {
    const ScratchFolder scratch;
    // Two links of a metre each, turning about Z.
    std::ofstream(scratch / "planar.urdf") << ArmUrdf(
        {{"0 0 0", "0 0 0", "0 0 1", -3, 3}, {"1 0 0", "0 0 0", "0 0 1", -3, 3}}, "1 0 0");
    const auto bot = Imported(scratch, scratch / "planar.urdf", "1");
    const CliResult far = RunCli({"ik", bot.string(), "--tip", "tool", "--target", "0,3,0.5"});
    EXPECT_EQ(far.status, 1);
    EXPECT_EQ(far.out, "");
    EXPECT_THAT(far.err, HasSubstr("out of reach"));
    EXPECT_THAT(far.err, HasSubstr(" 1.11803 m away"));  // (0, 2, 0) is nearest
    // At another unit the same robot is twice as large.
    const CliResult scaled =
        RunCli({"ik", bot.string(), "--tip", "tool", "--target", "0,5,0", "--unit", "2"});
    EXPECT_EQ(scaled.status, 1);
    EXPECT_THAT(scaled.err, HasSubstr(" 1 m away"));
}

TEST(CliIk, BadTipsAndTargetsAreRefusedClearly) {
    const ScratchFolder scratch;
    const auto bot = Imported(scratch, kServoArm);
    const auto before = scratch.Listing();
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"--tip", "elbow", "--target", "0.1,0,0.1"}, 1, "no link or occurrence named \"elbow\""},
        {{"--tip", "gripper_frame_link", "--target", "0.1,0"}, 2, "--target takes X,Y,Z"},
        {{"--tip", "gripper_frame_link", "--target", "0.1,0,zero"}, 2, "not \"0.1,0,zero\""},
        {{"--tip", "gripper_frame_link", "--target", "0.1,0,0.1,"}, 2, "--target takes"},
        {{"--target", "0.1,0,0.1"}, 2, "ik needs --tip"},
        {{"--tip", "gripper_frame_link"}, 2, "ik needs --target"},
        {{"--tip", "gripper_frame_link", "--target", "0.1,0,0.1,0,0,0"}, 1, "six or more"},
        {{"--tip", "gripper_frame_link", "--target", "0.1,0,0.1", "--joints", "elbow=1"},
         1,
         "no moving joint named \"elbow\""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"ik", bot.string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliResult result = RunCli(args);
        SCOPED_TRACE(result.err);
        EXPECT_EQ(result.status, c.status);
        EXPECT_THAT(result.err, HasSubstr(c.says));
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(scratch.Listing(), before);
}

}  // namespace
}  // namespace mechanon::testing
