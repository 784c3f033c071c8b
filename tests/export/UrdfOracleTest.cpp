// The exported URDF against the field's own libraries: urdfdom must parse it, Orocos KDL (through
// kdl_parser) must compute from it the link frames that `poses` reports, and the link meshes
// placed by KDL's frames must be the triangles `stl` writes, for the examples and for generated
// robots at random motor positions.

#include <gtest/gtest.h>
#include <urdf_parser/urdf_parser.h>

#include <kdl/tree.hpp>
#include <kdl/treefksolverpos_recursive.hpp>
#include <kdl_parser/kdl_parser.hpp>
#include <random>
#include <regex>

#include "export/StlFile.h"
#include "tests/export/ExportTestSupport.h"
#include "tests/export/RandomRobots.h"

namespace mechanon::testing {
namespace {

struct Exported {
    std::string urdf;
    std::filesystem::path folder;
    int motors = 0;
};

Exported ExportUrdf(const std::filesystem::path& bot, const ScratchFolder& scratch,
                    const std::string& unit) {
    const CliResult info = RunCli({"info", bot.string()});
    EXPECT_EQ(info.status, 0) << info.err;
    std::smatch found;
    Exported out;
    if (std::regex_search(info.out, found, std::regex("\nmasks (\\d+)\n")))
        out.motors = std::stoi(found[1]);
    const CliResult made =
        RunCli({"urdf", bot.string(), "--unit", unit, "-o", (scratch / "out").string()});
    EXPECT_EQ(made.status, 0) << made.err;
    const std::string urdfPath = made.out.substr(0, made.out.find('\n'));
    out.urdf = ReadFile(urdfPath);
    out.folder = std::filesystem::path(urdfPath).parent_path();
    return out;
}

KDL::JntArray JointValues(const KDL::Tree& tree, const Poses& poses) {
    KDL::JntArray q(tree.getNrOfJoints());
    for (const auto& [name, element] : tree.getSegments()) {
        const KDL::Segment& segment = GetTreeElementSegment(element);
        if (segment.getJoint().getType() == KDL::Joint::None) continue;
        const auto value = poses.joints.find(segment.getJoint().getName());
        EXPECT_NE(value, poses.joints.end())
            << "poses has no value for joint " << segment.getJoint().getName();
        if (value != poses.joints.end()) q(GetTreeElementQNr(element)) = value->second;
    }
    return q;
}

std::vector<MeshTriangle> PlacedMeshes(const Exported& exported, KDL::TreeFkSolverPos_recursive& fk,
                                       const KDL::JntArray& q, const Poses& poses) {
    std::vector<MeshTriangle> placed;
    for (const auto& [link, ignored] : poses.links) {
        const auto mesh = exported.folder / "meshes" / (link + ".stl");
        if (!std::filesystem::exists(mesh)) continue;
        KDL::Frame frame;
        EXPECT_GE(fk.JntToCart(q, frame, link), 0);
        for (const MeshTriangle& t : ReadBinaryStl(ReadFile(mesh))) {
            MeshTriangle world;
            for (std::size_t i = 0; i < 3; ++i) {
                const KDL::Vector p = frame * KDL::Vector(t[i].X, t[i].Y, t[i].Z);
                world[i] = {p.x(), p.y(), p.z()};
            }
            placed.push_back(world);
        }
    }
    return placed;
}

void ExpectFramesMatch(KDL::TreeFkSolverPos_recursive& fk, const KDL::JntArray& q,
                       const Poses& poses) {
    for (const auto& [link, m] : poses.links) {
        KDL::Frame frame;
        if (link != "world") {
            ASSERT_GE(fk.JntToCart(q, frame, link), 0) << link;
        }
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(frame.M(r, c), m[static_cast<std::size_t>(r * 4 + c)], 1e-9) << link;
            EXPECT_NEAR(frame.p(r), m[static_cast<std::size_t>(r * 4 + 3)], 1e-9) << link;
        }
    }
}

// Every oracle for one robot file at a few random motor positions.
void CheckAgainstOracles(const std::filesystem::path& bot, std::uint32_t seed,
                         const std::string& unit) {
    const ScratchFolder scratch;
    const Exported exported = ExportUrdf(bot, scratch, unit);
    const urdf::ModelInterfaceSharedPtr model = urdf::parseURDF(exported.urdf);
    ASSERT_TRUE(model) << "urdfdom refuses the URDF of " << bot;
    KDL::Tree tree;
    ASSERT_TRUE(kdl_parser::treeFromString(exported.urdf, tree));
    KDL::TreeFkSolverPos_recursive fk(tree);
    std::mt19937 random(seed);
    for (int round = 0; round < 3; ++round) {
        std::vector<double> positions;
        for (int k = 0; k < exported.motors; ++k)
            positions.push_back(std::uniform_real_distribution<double>(-90, 90)(random));
        if (round == 2 && !positions.empty()) positions.pop_back();  // missing values are 0
        const std::string list = PositionList(positions);
        const CliResult posed =
            RunCli({"poses", bot.string(), "--unit", unit, "--positions", list});
        ASSERT_EQ(posed.status, 0) << posed.err;
        const Poses poses = ParsePoses(posed.out);
        EXPECT_EQ(poses.links.size(), model->links_.size());
        EXPECT_EQ(poses.joints.size(), tree.getNrOfJoints());
        const KDL::JntArray q = JointValues(tree, poses);
        ExpectFramesMatch(fk, q, poses);

        const auto stlPath = scratch / "posed.stl";
        const CliResult stl = RunCli(
            {"stl", bot.string(), "--unit", unit, "--positions", list, "-o", stlPath.string()});
        ASSERT_EQ(stl.status, 0) << stl.err;
        const auto written = ReadBinaryStl(ReadFile(stlPath));
        const auto placed = PlacedMeshes(exported, fk, q, poses);
        ASSERT_EQ(written.size(), placed.size());
        for (std::size_t i = 0; i < written.size(); ++i)
            ASSERT_TRUE(SameTriangle(written[i], placed[i], 1e-6))
                << "triangle " << i << " of " << bot;
    }
}

TEST(UrdfOracle, ExampleRobotsMatchKdlAndTheirStl) {
    for (const char* name : {"arm.bot", "gripper.bot"}) {
        SCOPED_TRACE(name);
        CheckAgainstOracles(std::filesystem::path(MECHANON_SOURCE_DIR) / "examples" / name, 7, "1");
    }
}

TEST(UrdfOracle, GeneratedRobotsMatchKdlAndTheirStl) {
    const ScratchFolder robots;
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        const RobotKind kind =
            seed % 4 == 0 ? RobotKind::Deep : (seed % 4 == 1 ? RobotKind::Wide : RobotKind::Mixed);
        SCOPED_TRACE("seed " + std::to_string(seed));
        const auto bot = robots / ("robot" + std::to_string(seed) + ".bot");
        SaveRobot(RandomRobots(seed).Make(kind), bot);
        CheckAgainstOracles(bot, seed, seed % 3 == 0 ? "0.01" : "1");
    }
}

}  // namespace
}  // namespace mechanon::testing
