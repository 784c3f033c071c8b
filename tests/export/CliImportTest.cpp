// mechanon-cli import and --joints as a user meets them: the servo arm comes in with its meshes
// copied beside the robot file and poses by its URDF joint names; bad input exits 1 with the
// message and writes nothing; a wrong command line exits 2.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "tests/export/ExportTestSupport.h"

namespace mechanon::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;

const fs::path kSamples = MECHANON_URDF_SAMPLES;
const fs::path kArm = kSamples / "so101/so101_new_calib.urdf";

TEST(CliImport, ServoArmComesInWithItsMeshesAndPosesByJointName) {
    const ScratchFolder folder;
    const fs::path bot = folder / "arm/so101.bot";  // a folder import makes, as urdf and stl do
    const CliResult made = RunCli({"import", kArm.string(), "-o", bot.string()});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_THAT(made.out, HasSubstr("robot \"base_link\""));
    EXPECT_THAT(made.out, Not(HasSubstr("warning")));
    std::size_t meshes = 0;
    for (const auto& entry : fs::directory_iterator(folder / "arm/meshes"))
        meshes += entry.path().extension() == ".stl";
    EXPECT_EQ(meshes, 13u);

    const CliResult info = RunCli({"info", bot.string()});
    EXPECT_THAT(
        info.out,
        HasSubstr("\nmask 1 \"shoulder_link\" base_link/shoulder_link 0 joint \"shoulder_pan\"\n"));
    const CliResult posed =
        RunCli({"poses", bot.string(), "--joints", "shoulder_pan=0.5,gripper=-0.1"});
    ASSERT_EQ(posed.status, 0) << posed.err;
    const Poses poses = ParsePoses(posed.out);
    ASSERT_EQ(poses.joints.size(), 6u);
    EXPECT_NEAR(poses.joints.at("shoulder_pan"), 0.5, 1e-12);
    EXPECT_NEAR(poses.joints.at("gripper"), -0.1, 1e-12);
    EXPECT_NEAR(poses.joints.at("elbow_flex"), 0, 1e-12);
    ASSERT_EQ(poses.links.size(), 8u);
    EXPECT_EQ(poses.links.front().first, "base_link");

    const CliResult stl = RunCli(
        {"stl", bot.string(), "--joints", "elbow_flex=1", "-o", (folder / "posed.stl").string()});
    EXPECT_EQ(stl.status, 0) << stl.err;
    EXPECT_TRUE(fs::exists(folder / "posed.stl"));
}

TEST(CliImport, PackagePathsAndUnitAreHonoured) {
    const ScratchFolder folder;
    const fs::path bot = folder / "r2d2.bot";
    const fs::path urdf = kSamples / "r2d2/06-flexible.urdf";
    const CliResult lost = RunCli({"import", urdf.string(), "-o", bot.string()});
    ASSERT_EQ(lost.status, 0) << lost.err;
    EXPECT_THAT(lost.out,
                HasSubstr("warning: The mesh \"package://urdf_tutorial/meshes/l_finger.dae\""));
    const CliResult found = RunCli(
        {"import", urdf.string(), "--package-path", (folder / "none").string(), "--package-path",
         (kSamples / "r2d2").string(), "--unit", "0.001", "-o", bot.string()});
    ASSERT_EQ(found.status, 0) << found.err;
    EXPECT_THAT(found.out, Not(HasSubstr("warning")));
    EXPECT_TRUE(fs::exists(folder / "meshes/l_finger.dae"));
    // Lengths come back in metres whatever unit the robot was imported at.
    const CliResult posed = RunCli({"poses", bot.string(), "--joints", "gripper_extension=-0.2"});
    ASSERT_EQ(posed.status, 0) << posed.err;
    const Poses poses = ParsePoses(posed.out);
    EXPECT_NEAR(poses.joints.at("gripper_extension"), -0.2, 1e-12);
    const fs::path centimetres = folder / "cm/r2d2.bot";
    fs::create_directories(centimetres.parent_path());
    ASSERT_EQ(RunCli({"import", urdf.string(), "-o", centimetres.string()}).status, 0);
    const Poses same = ParsePoses(
        RunCli({"poses", centimetres.string(), "--joints", "gripper_extension=-0.2"}).out);
    ASSERT_EQ(same.links.size(), poses.links.size());
    for (std::size_t i = 0; i < same.links.size(); ++i)
        for (std::size_t k = 0; k < 16; ++k)
            EXPECT_NEAR(same.links[i].second[k], poses.links[i].second[k], 1e-12)
                << same.links[i].first;
}

TEST(CliImport, BadInputExitsOneAndWritesNothing) {
    const ScratchFolder folder;
    const fs::path bad = folder / "bad.urdf";
    std::ofstream(bad) << "<robot name=\"r\"><link name=\"a\"></robot>";
    const fs::path bot = folder / "out/robot.bot";
    fs::create_directories(bot.parent_path());
    const CliResult refused = RunCli({"import", bad.string(), "-o", bot.string()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_THAT(refused.err, HasSubstr("cannot import the URDF"));
    EXPECT_THAT(refused.err, HasSubstr("not well-formed XML"));
    EXPECT_TRUE(fs::is_empty(folder / "out"));

    const fs::path arm = folder / "arm.bot";
    ASSERT_EQ(RunCli({"import", kArm.string(), "-o", arm.string()}).status, 0);
    const CliResult unknown = RunCli({"poses", arm.string(), "--joints", "elbow=1"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_THAT(unknown.err, HasSubstr("no moving joint named \"elbow\""));
    const CliResult twice = RunCli({"poses", arm.string(), "--joints", "gripper=1,gripper=2"});
    EXPECT_EQ(twice.status, 1);
    EXPECT_THAT(twice.err, HasSubstr("\"gripper\" is given twice"));

    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"poses", arm.string(), "--joints", "gripper"},
          {"poses", arm.string(), "--joints", "gripper=x"},
          {"poses", arm.string(), "--joints", "gripper=1", "--positions", "1"},
          {"import", kArm.string(), "--unit", "0", "-o", bot.string()},
          {"import", kArm.string()}}) {
        const CliResult result = RunCli(wrong);
        EXPECT_EQ(result.status, 2) << wrong[2] << ": " << result.err;
    }
    EXPECT_TRUE(fs::is_empty(folder / "out"));

    // A robot file that cannot be written (a folder stands at its name) leaves no folder made
    // for it and no mesh copied.
    const fs::path blocked = folder / "new/deeper/arm.bot";
    fs::create_directories(blocked);  // new/deeper/arm.bot is a folder
    const CliResult unwritable = RunCli({"import", kArm.string(), "-o", blocked.string()});
    EXPECT_EQ(unwritable.status, 1) << unwritable.out;
    EXPECT_FALSE(fs::exists(blocked.parent_path() / "meshes"));
}

}  // namespace
}  // namespace mechanon::testing
