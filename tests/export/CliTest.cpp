// mechanon-cli as a user meets it: admesh finds every exported box and cone closed with
// consistent normals; bad input exits 1 with one line saying what went wrong and writes nothing;
// a wrong command line exits 2.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "tests/export/ExportTestSupport.h"
#include "tests/support/Tetrahedron.h"

namespace mechanon::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

const std::filesystem::path kArm =
    std::filesystem::path(MECHANON_SOURCE_DIR) / "examples" / "arm.bot";

torvane::typWrapRooms OneShape(const std::string& shape, double x, double y, double z) {
    torvane::typWrapRoom room;
    room.Part.Name = "Solid";
    room.Part.ShapeName = shape;
    room.Part.Size = torvane::DoubleArray(1, {x, y, z});
    room.Part.ShapeColor = torvane::DoubleArray(1, {50, 50, 50});
    room.Part.JointAngles = torvane::DoubleArray(1, {0, 0, 0});
    room.SubParts = torvane::VbArray<torvane::typSubPartData>(0, {torvane::typSubPartData{}});
    torvane::typWrapRooms robot;
    robot.Rooms = torvane::VbArray<torvane::typWrapRoom>(1, {room});
    return robot;
}

int AdmeshCount(const std::string& report, const std::string& label) {
    std::smatch found;
    if (!std::regex_search(report, found, std::regex(label + "\\s*:\\s*(\\d+)"))) return -1;
    return std::stoi(found[1]);
}

TEST(Cli, AdmeshFindsBoxesAndConesClosedWithConsistentNormals) {
    const struct {
        const char* shape;
        double x, y, z;
    } solids[] = {{"box", 1, 2, 3},       {"cone", 2, 2, 1},     {"cone", 2, 0, 3},
                  {"cone", 1, 3, 2},      {"Box ", 0.5, 0.5, 4}, {"cylinder", 2, 2, 3},
                  {"cylinder", 1, 3, -2}, {"sphere", 2, 2, 2},   {"sphere", 1, 2, 3}};
    for (const auto& s : solids) {
        SCOPED_TRACE(std::string(s.shape) + " " + std::to_string(s.y));
        const ScratchFolder scratch;
        SaveRobot(OneShape(s.shape, s.x, s.y, s.z), scratch / "solid.bot");
        for (const bool link : {false, true}) {
            std::filesystem::path stl = scratch / "solid.stl";
            if (link) {
                ASSERT_EQ(RunCli({"urdf", (scratch / "solid.bot").string(), "-o",
                                  (scratch / "u").string()})
                              .status,
                          0);
                stl = scratch / "u" / "meshes" / "Solid.stl";
            } else {
                ASSERT_EQ(
                    RunCli({"stl", (scratch / "solid.bot").string(), "-o", stl.string()}).status,
                    0);
            }
            const std::string report = scratch / "report.txt";
            ASSERT_EQ(
                std::system(("admesh '" + stl.string() + "' > '" + report + "' 2>&1").c_str()), 0);
            const std::string text = ReadFile(report);
            EXPECT_EQ(AdmeshCount(text, "Total disconnected facets"), 0) << text;
            EXPECT_EQ(AdmeshCount(text, "Backwards edges"), 0) << text;
            EXPECT_EQ(AdmeshCount(text, "Normals fixed"), 0) << text;
            EXPECT_EQ(AdmeshCount(text, "Facets reversed"), 0) << text;
            EXPECT_EQ(AdmeshCount(text, "Degenerate facets"), 0) << text;
            EXPECT_EQ(AdmeshCount(text, "Number of parts"), 1) << text;
        }
    }
}

void ExpectOneLineFailure(const CliResult& r, const std::string& why) {
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, StartsWith("mechanon-cli: "));
    EXPECT_THAT(r.err, HasSubstr(why));
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.out, "");
}

// A mesh part names its file relative to the robot file: every export finds it from any working
// folder, the URDF gives the link the mesh's triangles and cylinders and spheres their
// primitives; a mesh that cannot be read stops the exports (not poses) and names the file.
TEST(Cli, MeshPartsExportFromTheRobotsFolderAndAMissingMeshIsNamed) {
    const ScratchFolder scratch;
    std::filesystem::create_directories(scratch / "robot" / "parts");
    std::ofstream(scratch / "robot" / "parts" / "tet.stl") << kTetrahedronStl;
    const std::string bot = (scratch / "robot" / "tet.bot").string();
    SaveRobot(OneShape("mesh:parts/tet.stl", 2, 2, 2), bot);
    const CliResult stl = RunCli({"stl", bot, "-o", (scratch / "tet.stl").string()});
    ASSERT_EQ(stl.status, 0) << stl.err;
    EXPECT_THAT(stl.out, HasSubstr(": 4 triangles"));
    ASSERT_EQ(RunCli({"urdf", bot, "-o", (scratch / "u").string()}).status, 0);
    EXPECT_THAT(ReadFile(scratch / "u" / "Solid.urdf"), HasSubstr("meshes/Solid.stl"));
    const std::string linkStl = ReadFile(scratch / "u" / "meshes" / "Solid.stl");
    EXPECT_EQ(linkStl.size(), 84u + 4 * 50);

    for (const auto& [shape, primitive] : {std::pair{"cylinder", "<cylinder radius=\"0.01\""},
                                           std::pair{"sphere", "<sphere radius=\"0.01\""}}) {
        SaveRobot(OneShape(shape, 2, 2, 2), bot);
        ASSERT_EQ(RunCli({"urdf", bot, "--unit", "0.01", "-o", (scratch / shape).string()}).status,
                  0);
        EXPECT_THAT(ReadFile(scratch / shape / "Solid.urdf"), HasSubstr(primitive));
    }

    SaveRobot(OneShape("mesh:parts/lost.stl", 1, 1, 1), bot);
    ExpectOneLineFailure(RunCli({"stl", bot, "-o", (scratch / "lost.stl").string()}),
                         "lost.stl: the file does not exist");
    ExpectOneLineFailure(RunCli({"urdf", bot, "-o", (scratch / "lost").string()}), "lost.stl");
    EXPECT_FALSE(std::filesystem::exists(scratch / "lost.stl"));
    EXPECT_EQ(RunCli({"poses", bot}).status, 0);
}

TEST(Cli, BadInputExitsOneWithOneLineAndWritesNothing) {
    const ScratchFolder scratch;
    const std::string notRobot = (scratch / "notes.bot").string();
    std::ofstream(notRobot) << "just some text, not a robot\n";
    const std::string blocker = (scratch / "file").string();
    std::ofstream(blocker) << "a file where a folder should be";
    const std::string arm = kArm.string();
    const std::string out = (scratch / "out").string();
    const auto before = scratch.Listing();
    for (const std::string command : {"urdf", "stl"}) {
        SCOPED_TRACE(command);
        const std::string target = command == "urdf" ? out : out + ".stl";
        ExpectOneLineFailure(RunCli({command, notRobot, "-o", target}), "damaged");
        ExpectOneLineFailure(RunCli({command, (scratch / "missing.bot").string(), "-o", target}),
                             "missing.bot");
        ExpectOneLineFailure(RunCli({command, arm, "--room", "Nowhere", "-o", target}),
                             "no room named \"Nowhere\"");
        const std::string inFile = command == "urdf" ? blocker + "/out" : blocker + "/arm.stl";
        ExpectOneLineFailure(RunCli({command, arm, "-o", inFile}), "cannot write");
        EXPECT_EQ(scratch.Listing(), before);
    }
    ExpectOneLineFailure(RunCli({"stl", arm, "--positions", "1,2,3,4", "-o", out + ".stl"}),
                         "4 positions given, but the room \"Arm\" has 3 motors");
    ExpectOneLineFailure(RunCli({"poses", arm, "--positions", "1,2,3,4"}), "has 3 motors");
    ExpectOneLineFailure(RunCli({"info", notRobot}), "damaged");
    ExpectOneLineFailure(RunCli({"expand", (scratch / "none.txt").string()}), "none.txt");
    EXPECT_EQ(scratch.Listing(), before);
}

TEST(Cli, ARobotTooLargeToPlaceIsRefusedByEveryExportAndWritesNothing) {
    const ScratchFolder scratch;
    const std::string huge = (scratch / "huge.bot").string();
    SaveRobot(OneShape("box", 1e308, 1e308, 1), huge);
    const std::string out = (scratch / "out").string();
    const auto before = scratch.Listing();
    ExpectOneLineFailure(RunCli({"stl", huge, "-o", out + ".stl"}), "not a finite number");
    ExpectOneLineFailure(RunCli({"urdf", huge, "-o", out}), "not a finite number");
    EXPECT_EQ(scratch.Listing(), before);
    EXPECT_EQ(RunCli({"poses", huge}).status, 0) << "a size is no part of a pose";
}

TEST(Cli, UrdfIntoAFolderWhoseMeshesCannotBeWrittenLeavesNothingBehind) {
    const ScratchFolder scratch;
    std::filesystem::create_directories(scratch / "out");
    std::ofstream((scratch / "out" / "meshes").string()) << "a file named like the mesh folder";
    const auto before = scratch.Listing();
    ExpectOneLineFailure(RunCli({"urdf", kArm.string(), "-o", (scratch / "out").string()}),
                         "cannot write");
    EXPECT_EQ(scratch.Listing(), before);
}

TEST(Cli, WrongCommandLinesExitTwoWithUsage) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {},
             {"bogus", "x"},
             {"urdf", kArm.string()},
             {"stl", kArm.string(), "--speed", "2", "-o", "x.stl"},
             {"poses", kArm.string(), "--positions", "1,x"},
             {"poses", kArm.string(), "--unit", "-1"},
             {"info"}}) {
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_THAT(r.err, HasSubstr("usage: mechanon-cli"));
    }
    const CliResult version = RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_THAT(version.out, StartsWith("mechanon-cli "));
}

TEST(Cli, InfoListsRoomsAndTheMotorMaskTable) {
    const CliResult r = RunCli({"info", kArm.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("rooms 5\nroom 1 \"Arm\" occurrences 5\n"));
    EXPECT_THAT(r.out, HasSubstr("active \"Arm\"\nmasks 3\nmask 1 \"Turntable\" Arm/Base -30\n"));
}

TEST(Cli, RoomChoosesWhichRoomIsExported) {
    const ScratchFolder scratch;
    const CliResult r =
        RunCli({"urdf", kArm.string(), "--room", "ForeArm", "-o", (scratch / "out").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string urdf = ReadFile(scratch / "out" / "ForeArm.urdf");
    EXPECT_THAT(urdf, HasSubstr("<robot name=\"ForeArm\">"));
    EXPECT_THAT(urdf, HasSubstr("<link name=\"ForeArm\">"));
    EXPECT_THAT(urdf, Not(HasSubstr("Turntable")));
}

TEST(Cli, ExpandAndRetimeWriteTheToolPath) {
    const auto path = std::filesystem::path(MECHANON_SOURCE_DIR) / "examples" / "arm.txt";
    const CliResult expanded = RunCli({"expand", path.string()});
    ASSERT_EQ(expanded.status, 0) << expanded.err;
    EXPECT_THAT(expanded.out, HasSubstr("<LEG>"));
    const CliResult slow = RunCli({"retime", path.string(), "--vmax", "1", "--amax", "1"});
    const CliResult fast = RunCli({"retime", path.string(), "--vmax", "10", "--amax", "10"});
    ASSERT_EQ(slow.status, 0) << slow.err;
    EXPECT_THAT(slow.out, HasSubstr("<DRIVE>"));
    EXPECT_NE(slow.out, fast.out);
}

// Every example path saved with bare line feeds, with CR LF and with a mix of the two: the
// commands that read tool-path files give the same output for all three.
TEST(Cli, ExpandAndRetimeReadAnyLineEnds) {
    const ScratchFolder scratch;
    int examples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(MECHANON_SOURCE_DIR) / "examples")) {
        if (entry.path().extension() != ".txt") continue;
        ++examples;
        std::string lf;
        for (const char c : ReadFile(entry.path()))
            if (c != '\r') lf += c;
        std::string crlf, mixed;
        bool odd = false;
        for (const char c : lf) {
            if (c == '\n') {
                crlf += '\r';
                if ((odd = !odd)) mixed += '\r';
            }
            crlf += c;
            mixed += c;
        }
        const std::string name = entry.path().stem().string();
        std::vector<std::string> copies;
        for (const auto& [suffix, text] : {std::pair{"lf", lf}, {"crlf", crlf}, {"mixed", mixed}}) {
            copies.push_back((scratch / (name + "-" + suffix + ".txt")).string());
            std::ofstream(copies.back(), std::ios::binary) << text;
        }
        for (const char* command : {"expand", "retime"}) {
            const CliResult first = RunCli({command, copies[0]});
            ASSERT_EQ(first.status, 0) << command << " " << copies[0] << ": " << first.err;
            EXPECT_THAT(first.out, HasSubstr("<DRIVE>"));
            for (std::size_t k = 1; k < copies.size(); ++k) {
                const CliResult other = RunCli({command, copies[k]});
                EXPECT_EQ(other.status, 0) << command << " " << copies[k] << ": " << other.err;
                EXPECT_EQ(other.out, first.out) << command << " " << copies[k];
            }
        }
    }
    EXPECT_GE(examples, 2);
}

TEST(Cli, UnitScalesLengthsButNotAngles) {
    const CliResult metres = RunCli({"poses", kArm.string(), "--positions", "30,10,5"});
    const CliResult centi =
        RunCli({"poses", kArm.string(), "--positions", "30,10,5", "--unit", "0.01"});
    ASSERT_EQ(metres.status, 0);
    ASSERT_EQ(centi.status, 0);
    const Poses a = ParsePoses(metres.out), b = ParsePoses(centi.out);
    ASSERT_EQ(a.links.size(), b.links.size());
    for (std::size_t i = 0; i < a.links.size(); ++i)
        for (std::size_t k = 0; k < 16; ++k)
            EXPECT_NEAR(b.links[i].second[k],
                        (k % 4 == 3 && k < 12) ? a.links[i].second[k] * 0.01 : a.links[i].second[k],
                        1e-12);
    EXPECT_EQ(a.joints, b.joints);  // the arm's motors all turn
}

}  // namespace
}  // namespace mechanon::testing
