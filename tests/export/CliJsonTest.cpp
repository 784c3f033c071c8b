// mechanon-cli's --json documents as a script reads them: one document on standard output that
// a JSON parser takes whole, holding the same values the text lines give; names with quotes,
// backslashes, control characters and accents come back as they were written; a failure writes
// nothing on standard output and one line on standard error, with the exit status it has
// without --json.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <numbers>
#include <set>

#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "tests/export/ExportTestSupport.h"

namespace mechanon::testing {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const fs::path kExamples = fs::path(MECHANON_SOURCE_DIR) / "examples";

// The command's standard output as one document; a run that failed, or output that is not
// exactly one document, fails the test.
Json Document(const std::vector<std::string>& args) {
    const CliResult result = RunCli(args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1) << result.out;
    try {
        return Json::parse(result.out);
    } catch (const Json::exception& e) {
        ADD_FAILURE() << e.what() << ": " << result.out;
        return {};
    }
}

void ExpectOneLineFailure(const CliResult& r, int status) {
    EXPECT_EQ(r.status, status) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_THAT(r.err, StartsWith("mechanon-cli: "));
    if (status == 1) {
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

std::array<double, 16> FrameOf(const Json& links, const std::string& name) {
    for (const Json& link : links)
        if (link.at("name") == name) return link.at("frame").get<std::array<double, 16>>();
    ADD_FAILURE() << "no link " << name;
    return {};
}

TEST(CliJson, InfoListsRoomsAndTheMaskTableOfEachExample) {
    const Json arm = Document({"info", (kExamples / "arm.bot").string(), "--json"});
    ASSERT_EQ(arm.at("rooms").size(), 5u);
    EXPECT_EQ(arm["rooms"][3], Json::parse(R"({"index":4,"name":"UpperArm","occurrences":3})"));
    EXPECT_EQ(arm.at("active"), "Arm");
    ASSERT_EQ(arm.at("masks").size(), 3u);
    EXPECT_EQ(arm["masks"][2], Json::parse(R"({"index":3,"name":"ForeArm",
        "path":"Arm/Base/Shoulder/Elbow","value":-50,"joint":null})"));

    const Json gripper = Document({"info", (kExamples / "gripper.bot").string(), "--json"});
    std::vector<std::string> paths;
    for (const Json& mask : gripper.at("masks")) {
        EXPECT_EQ(mask.at("name"), "Finger");
        EXPECT_EQ(mask.at("value"), 20);
        paths.push_back(mask.at("path"));
    }
    EXPECT_THAT(paths, ElementsAre("Gripper/Column1/Palm1/LeftFinger",
                                   "Gripper/Column1/Palm1/RightFinger"));
}

TEST(CliJson, InfoNamesTheUrdfJointOfAnImportedMotor) {
    const ScratchFolder scratch;
    const fs::path bot = scratch / "so101.bot";
    const fs::path urdf = fs::path(MECHANON_URDF_SAMPLES) / "so101" / "so101_new_calib.urdf";
    ASSERT_EQ(RunCli({"import", urdf.string(), "-o", bot.string()}).status, 0);
    const Json info = Document({"info", bot.string(), "--json"});
    std::vector<std::string> joints;
    for (const Json& mask : info.at("masks")) joints.push_back(mask.at("joint"));
    EXPECT_THAT(joints, ::testing::Contains("shoulder_pan"));
    EXPECT_EQ(joints.size(), 6u);
}

// The frames and joint values are the very doubles the text gives (the shortest text that reads
// back as each), row by row, so a script may use either.
TEST(CliJson, PosesHoldTheSameNumbersAsTheText) {
    const std::vector<std::string> args{"poses", (kExamples / "arm.bot").string(), "--positions",
                                        "10,20.5,-30"};
    const Poses text = ParsePoses(RunCli(args).out);
    std::vector<std::string> withJson = args;
    withJson.push_back("--json");
    const Json poses = Document(withJson);
    EXPECT_EQ(poses.at("robot"), "Arm");
    ASSERT_EQ(poses.at("joints").size(), text.joints.size());
    for (const Json& joint : poses["joints"]) {
        EXPECT_EQ(joint.at("value").get<double>(), text.joints.at(joint.at("name")));
        EXPECT_EQ(joint.at("type"), "continuous");
    }
    EXPECT_DOUBLE_EQ(poses["joints"][1]["value"].get<double>(), 20.5 * std::numbers::pi / 180);
    ASSERT_EQ(poses.at("links").size(), text.links.size());
    for (std::size_t i = 0; i < text.links.size(); ++i) {
        EXPECT_EQ(poses["links"][i].at("name"), text.links[i].first);
        EXPECT_EQ(poses["links"][i].at("frame").get<std::vector<double>>(),
                  std::vector<double>(text.links[i].second.begin(), text.links[i].second.end()));
    }
    EXPECT_EQ(poses["links"][0].at("parent"), nullptr);
    EXPECT_EQ(poses["links"][2].at("parent"), poses["links"][1].at("name"));
}

// ik's positions, given back to poses, put the tip where poses put it for the target.
TEST(CliJson, IkPositionsPutTheTipAtTheTarget) {
    const std::string bot = (kExamples / "arm.bot").string();
    const std::string tip = "Arm__Base__Shoulder__Elbow__Tool1";
    const auto goal =
        FrameOf(Document({"poses", bot, "--positions", "25,-15,40", "--json"}).at("links"), tip);
    const std::string target = PositionList({goal[3], goal[7], goal[11]});
    const Json solved = Document({"ik", bot, "--tip", tip, "--target", target, "--json"});
    EXPECT_EQ(solved.at("tip"), tip);
    EXPECT_EQ(solved.at("joints").size(), 3u);
    const auto positions = solved.at("positions").get<std::vector<double>>();
    ASSERT_EQ(positions.size(), 3u);
    const auto found = FrameOf(
        Document({"poses", bot, "--positions", PositionList(positions), "--json"}).at("links"),
        tip);
    for (const int i : {3, 7, 11}) EXPECT_NEAR(found[i], goal[i], 2e-6) << "element " << i;

    ExpectOneLineFailure(RunCli({"ik", bot, "--tip", tip, "--target", "100,0,0", "--json"}), 1);
}

// A name is read back as it was saved, quotes, backslashes, control characters and accents
// included; NaN and infinity have no JSON spelling, so a value that is not finite is null.
TEST(CliJson, OddNamesComeBackWholeAndValuesThatAreNotFiniteAreNull) {
    const ScratchFolder scratch;
    const std::string name =
        "Arm \"one\" \\ C:\\tmp\ttab\x01 caf\xC3\xA9 \xE2\x82\xAC"
        "5";
    torvane::clsRooms rooms;
    rooms.Load((kExamples / "arm.bot").string());
    rooms.Rooms(1)->SetName(name);
    torvane::typMotorMasks masks = rooms.Rooms(1)->MotorMasks();
    masks.Masks(1).Value = std::numeric_limits<double>::quiet_NaN();
    masks.Masks(2).Value = -std::numeric_limits<double>::infinity();
    rooms.Rooms(1)->SetMotorMasks(masks);
    rooms.Save((scratch / "odd.bot").string());
    const Json info = Document({"info", (scratch / "odd.bot").string(), "--json"});
    EXPECT_EQ(info.at("active"), name);
    EXPECT_EQ(info["rooms"][0].at("name"), name);
    EXPECT_EQ(info["masks"][0].at("path"), name + "/Base");
    EXPECT_EQ(info["masks"][0].at("value"), nullptr);
    EXPECT_EQ(info["masks"][1].at("value"), nullptr);
    EXPECT_EQ(info["masks"][2].at("value"), -50);
}

void CollectKeys(const Json& value, std::set<std::string>& keys) {
    if (value.is_object())
        for (const auto& [key, inner] : value.items()) {
            keys.insert(key);
            CollectKeys(inner, keys);
        }
    else if (value.is_array())
        for (const Json& inner : value) CollectKeys(inner, keys);
}

// Every key a script meets is described in the manual page's section (as a bold word).
TEST(CliJson, TheManualDescribesEveryKey) {
    const std::string manual = ReadFile(fs::path(MECHANON_SOURCE_DIR) / "cli" / "json-output.man");
    const std::string bot = (kExamples / "arm.bot").string();
    std::set<std::string> keys;
    CollectKeys(Document({"info", bot, "--json"}), keys);
    CollectKeys(Document({"poses", bot, "--json"}), keys);
    CollectKeys(Document({"ik", bot, "--tip", "Arm__Base__Shoulder__Elbow__Tool1", "--target",
                          "1,0.5,5", "--json"}),
                keys);
    EXPECT_GT(keys.size(), 10u);
    for (const std::string& key : keys)
        EXPECT_TRUE(manual.find("\n.B " + key + "\n") != std::string::npos ||
                    manual.find("\n.BR " + key + " ") != std::string::npos)
            << key;
}

// A robot that cannot be read fails as it does without --json; --json is refused by the
// commands that print no data, and an unknown option stays a wrong command line.
TEST(CliJson, FailuresWriteNothingOnStandardOutput) {
    const ScratchFolder scratch;
    const std::string missing = (scratch / "none.bot").string();
    for (const std::string command : {"info", "poses"})
        ExpectOneLineFailure(RunCli({command, missing, "--json"}), 1);
    ExpectOneLineFailure(RunCli({"ik", missing, "--tip", "t", "--target", "0,0,0", "--json"}), 1);
    ExpectOneLineFailure(RunCli({"drive", missing, "--simulate", "--json"}), 1);
    // A placement that overflows is refused, as the text refuses it, never written as null.
    ExpectOneLineFailure(
        RunCli({"poses", (kExamples / "arm.bot").string(), "--unit", "1e308", "--json"}), 1);
    ExpectOneLineFailure(
        RunCli({"poses", (kExamples / "arm.bot").string(), "--json", "--positions", "1,x"}), 2);
    ExpectOneLineFailure(RunCli({"info", (kExamples / "arm.bot").string(), "--json", "--color"}),
                         2);
    const CliResult stl = RunCli(
        {"stl", (kExamples / "arm.bot").string(), "--json", "-o", (scratch / "a.stl").string()});
    ExpectOneLineFailure(stl, 2);
    EXPECT_THAT(stl.err, HasSubstr("stl has no option --json"));
    EXPECT_FALSE(fs::exists(scratch / "a.stl"));
}

}  // namespace
}  // namespace mechanon::testing
