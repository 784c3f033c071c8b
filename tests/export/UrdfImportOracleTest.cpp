// Imported URDF robots against Orocos KDL on the original file: at random joint values within
// the limits, every link frame the imported robot is placed at, and every link frame of the URDF
// it exports, is the frame KDL computes; the posed shapes are the original visuals placed by
// KDL's frames.

#include <gtest/gtest.h>
#include <urdf_parser/urdf_parser.h>

#include <algorithm>
#include <fstream>
#include <kdl/tree.hpp>
#include <kdl_parser/kdl_parser.hpp>
#include <map>
#include <numbers>
#include <random>

#include "export/JointValues.h"
#include "export/MeshFolder.h"
#include "export/PosedRoom.h"
#include "export/RobotExport.h"
#include "export/StlFile.h"
#include "export/UrdfImport.h"
#include "export/UrdfRobot.h"
#include "model/clsRooms.h"
#include "shapes/MeshSink.h"
#include "shapes/ShapeRegistry.h"
#include "tests/export/ExportTestSupport.h"
#include "tests/export/RandomUrdf.h"

namespace mechanon::testing {
namespace {

namespace fs = std::filesystem;
using JointMap = std::map<std::string, double>;

const fs::path kSamples = MECHANON_URDF_SAMPLES;

struct Imported {
    torvane::clsRooms rooms;
    std::shared_ptr<torvane::clsPartRoom> room;
    double unit = kDefaultImportUnit;
};

std::unique_ptr<Imported> Import(const fs::path& file, double unit = kDefaultImportUnit) {
    auto robot = std::make_unique<Imported>();
    UrdfImportOptions options;
    options.MetresPerUnit = unit;
    options.PackagePath = {kSamples / "r2d2"};
    const UrdfImportResult result = ImportUrdf(file, options);
    robot->rooms.ReplaceAllData(result.Rooms);
    robot->room = robot->rooms.GetRoomByName(result.RobotRoom);
    robot->unit = unit;
    return robot;
}

// The joints a caller sets: every moving joint that follows none.
JointMap RandomJoints(const urdf::ModelInterface& model, std::mt19937& random) {
    JointMap q;
    for (const auto& [name, joint] : model.joints_) {
        const bool moves = joint->type == urdf::Joint::REVOLUTE ||
                           joint->type == urdf::Joint::CONTINUOUS ||
                           joint->type == urdf::Joint::PRISMATIC;
        if (!moves || joint->mimic) continue;
        double low = -std::numbers::pi, high = std::numbers::pi;
        if (joint->type != urdf::Joint::CONTINUOUS && joint->limits &&
            joint->limits->lower < joint->limits->upper) {
            low = joint->limits->lower;
            high = joint->limits->upper;
        }
        q[name] = std::uniform_real_distribution<double>(low, high)(random);
    }
    return q;
}

// KDL knows no mimic joints: the followers get their leaders' values here.
JointMap WithFollowers(const urdf::ModelInterface& model, JointMap q) {
    for (std::size_t pass = 0; pass < model.joints_.size(); ++pass)
        for (const auto& [name, joint] : model.joints_)
            if (joint->mimic && q.count(joint->mimic->joint_name))
                q[name] =
                    joint->mimic->multiplier * q[joint->mimic->joint_name] + joint->mimic->offset;
    return q;
}

// Link frames by KDL's own joint and segment arithmetic, each segment's pose at its joint's value
// composed from the root down (KDL's solver refuses trees without joints).
class KdlRobot {
  public:
    explicit KdlRobot(const std::string& urdfText) {
        EXPECT_TRUE(kdl_parser::treeFromString(urdfText, tree_));
    }
    std::map<std::string, KDL::Frame> Frames(const JointMap& values) const {
        std::map<std::string, KDL::Frame> frames;
        Place(tree_.getRootSegment(), KDL::Frame::Identity(), values, frames);
        return frames;
    }

  private:
    void Place(KDL::SegmentMap::const_iterator at, const KDL::Frame& parent, const JointMap& values,
               std::map<std::string, KDL::Frame>& frames) const {
        const KDL::Segment& segment = GetTreeElementSegment(at->second);
        const auto value = values.find(segment.getJoint().getName());
        const bool moves = segment.getJoint().getType() != KDL::Joint::None;
        const KDL::Frame here =
            at == tree_.getRootSegment()
                ? KDL::Frame::Identity()
                : parent * segment.pose(moves && value != values.end() ? value->second : 0.0);
        frames[at->first] = here;
        for (const auto& child : GetTreeElementChildren(at->second))
            Place(child, here, values, frames);
    }

    KDL::Tree tree_;
};

UrdfRobot Posed(Imported& robot, const JointMap& q, LinkMeshes meshes) {
    const std::vector<std::pair<std::string, double>> joints(q.begin(), q.end());
    const auto occurrences = PlaceRoom(*robot.room, PositionsForJoints(*robot.room, joints));
    return BuildUrdfRobot(occurrences, robot.room->Name(), robot.unit, meshes);
}

double RobotSize(const std::map<std::string, KDL::Frame>& frames) {
    double size = 0.01;
    for (const auto& [name, f] : frames) size = std::max(size, f.p.Norm());
    return size;
}

void ExpectSameFrame(const KDL::Frame& expected, const torvane::typFrame& actual, double size,
                     const std::string& link) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) ASSERT_NEAR(actual(r, c), expected.M(r, c), 1e-9) << link;
        ASSERT_NEAR(actual(r, 3), expected.p(r), 1e-9 * size) << link;
    }
}

void ExpectSameFrames(const std::map<std::string, KDL::Frame>& expected,
                      const std::map<std::string, KDL::Frame>& actual, double size) {
    for (const auto& [name, f] : expected) {
        ASSERT_TRUE(actual.count(name)) << "no link " << name;
        torvane::typFrame m;
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) m(r, c) = actual.at(name).M(r, c);
            m(r, 3) = actual.at(name).p(r);
        }
        ExpectSameFrame(f, m, size, name);
    }
}

// Link frames of the imported robot and of the URDF it exports, against KDL on the original.
void CheckFrames(const fs::path& file, const std::string& text, int vectors, std::uint32_t seed) {
    SCOPED_TRACE(file.string());
    const auto model = urdf::parseURDF(text);
    ASSERT_TRUE(model);
    KdlRobot original(text);
    auto robot = Import(file);
    KdlRobot exported(UrdfText(Posed(*robot, {}, LinkMeshes::Left)));
    std::mt19937 random(seed);
    for (int round = 0; round < vectors; ++round) {
        const JointMap q = RandomJoints(*model, random);
        const auto expected = original.Frames(WithFollowers(*model, q));
        const double size = RobotSize(expected);
        const UrdfRobot posed = Posed(*robot, q, LinkMeshes::Left);
        ASSERT_EQ(posed.Links.size(), model->links_.size());
        for (const UrdfLink& link : posed.Links) {
            ASSERT_TRUE(expected.count(link.Name)) << "unknown link " << link.Name;
            ExpectSameFrame(expected.at(link.Name), link.WorldFromLink, size, link.Name);
        }
        ExpectSameFrames(expected, exported.Frames(WithFollowers(*model, q)), size);
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(UrdfImportOracle, SampleRobotsStandWhereKdlPutsThem) {
    std::vector<fs::path> files{kSamples / "so101/so101_new_calib.urdf",
                                kSamples / "so101/so101_old_calib.urdf"};
    for (const char* name : {"01-myfirst", "02-multipleshapes", "03-origins", "04-materials",
                             "05-visual", "06-flexible", "07-physics"})
        files.push_back(kSamples / "r2d2" / (std::string(name) + ".urdf"));
    for (const char* name : {"pr2_desc", "test_robot", "singularity", "two_links_one_joint"})
        files.push_back(kSamples / "urdfdom-tests/ros-urdf" / (std::string(name) + ".urdf"));
    std::uint32_t seed = 1;
    for (const fs::path& file : files) CheckFrames(file, ReadFile(file), 100, seed++);
}

TEST(UrdfImportOracle, GeneratedRobotsStandWhereKdlPutsThem) {
    const ScratchFolder folder;
    for (std::uint32_t seed = 1; seed <= 16; ++seed) {
        const std::string text = RandomUrdf(seed).Make(3 + static_cast<int>(seed % 6));
        const fs::path file = folder / ("robot" + std::to_string(seed) + ".urdf");
        std::ofstream(file) << text;
        CheckFrames(file, text, 100, seed);
    }
}

// A triangle's corners, rounded and in order, as a sortable key, so that two lists can be
// compared whatever order their triangles and corners come in.
std::array<std::array<double, 3>, 3> Key(const MeshTriangle& t) {
    std::array<std::array<double, 3>, 3> key{};
    for (std::size_t i = 0; i < 3; ++i)
        key[i] = {std::round(t[i].X * 1e5), std::round(t[i].Y * 1e5), std::round(t[i].Z * 1e5)};
    std::sort(key.begin(), key.end());
    return key;
}

void ExpectSameTriangles(std::vector<MeshTriangle> expected, std::vector<MeshTriangle> actual) {
    ASSERT_EQ(actual.size(), expected.size());
    const auto byKey = [](const MeshTriangle& a, const MeshTriangle& b) { return Key(a) < Key(b); };
    std::sort(expected.begin(), expected.end(), byKey);
    std::sort(actual.begin(), actual.end(), byKey);
    for (std::size_t i = 0; i < actual.size(); ++i)
        ASSERT_TRUE(SameTriangle(actual[i], expected[i], 1e-6)) << "triangle " << i;
}

torvane::typFrame FrameOf(const KDL::Frame& f) {
    torvane::typFrame m;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) m(r, c) = f.M(r, c);
        m(r, 3) = f.p(r);
    }
    return m;
}

torvane::typFrame FrameOf(const urdf::Pose& pose) {
    double x, y, z, w;
    pose.rotation.getQuaternion(x, y, z, w);
    const KDL::Frame f(KDL::Rotation::Quaternion(x, y, z, w),
                       KDL::Vector(pose.position.x, pose.position.y, pose.position.z));
    return FrameOf(f);
}

// The surface of one URDF visual at world frame, in metres: primitives from the shape
// catalogue at the URDF's sizes, meshes from their files.
std::vector<MeshTriangle> VisualTriangles(const urdf::Visual& visual,
                                          const torvane::typFrame& world, const fs::path& folder) {
    const urdf::Geometry& g = *visual.geometry;
    const auto size = [](double x, double y, double z) {
        return torvane::DoubleArray(1, {x, y, z});
    };
    switch (g.type) {
        case urdf::Geometry::BOX: {
            const auto& d = static_cast<const urdf::Box&>(g).dim;
            return ShapeTriangles("box", size(d.x, d.y, d.z), world, 1);
        }
        case urdf::Geometry::CYLINDER: {
            const auto& c = static_cast<const urdf::Cylinder&>(g);
            return ShapeTriangles("cylinder", size(2 * c.radius, 2 * c.radius, c.length), world, 1);
        }
        case urdf::Geometry::SPHERE: {
            const double d = 2 * static_cast<const urdf::Sphere&>(g).radius;
            return ShapeTriangles("sphere", size(d, d, d), world, 1);
        }
        case urdf::Geometry::MESH: {
            const auto& mesh = static_cast<const urdf::Mesh&>(g);
            std::vector<MeshTriangle> out;
            for (MeshTriangle t : ReadBinaryStl(ReadFile(folder / mesh.filename))) {
                for (auto& p : t)
                    p = world.Apply(p.X * mesh.scale.x, p.Y * mesh.scale.y, p.Z * mesh.scale.z);
                out.push_back(t);
            }
            return out;
        }
    }
    return {};
}

void CheckSurfaces(const fs::path& file, int vectors, std::uint32_t seed) {
    SCOPED_TRACE(file.string());
    const std::string text = ReadFile(file);
    const auto model = urdf::parseURDF(text);
    ASSERT_TRUE(model);
    KdlRobot original(text);
    auto robot = Import(file);
    std::mt19937 random(seed);
    for (int round = 0; round < vectors; ++round) {
        const JointMap q = RandomJoints(*model, random);
        const auto frames = original.Frames(WithFollowers(*model, q));
        std::vector<MeshTriangle> expected;
        for (const auto& [name, link] : model->links_)
            for (const auto& visual : link->visual_array) {
                const auto t =
                    VisualTriangles(*visual, FrameOf(frames.at(name)) * FrameOf(visual->origin),
                                    file.parent_path());
                expected.insert(expected.end(), t.begin(), t.end());
            }
        const std::vector<std::pair<std::string, double>> joints(q.begin(), q.end());
        const auto placed = PlaceRoom(*robot->room, PositionsForJoints(*robot->room, joints));
        ExpectSameTriangles(expected, WorldTriangles(placed, robot->unit));
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(UrdfImportOracle, GeneratedRobotsShowTheirVisualsWhereKdlPutsThem) {
    const ScratchFolder folder;
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        const fs::path file = folder / ("robot" + std::to_string(seed) + ".urdf");
        std::ofstream(file) << RandomUrdf(seed + 100).Make(4 + static_cast<int>(seed % 4));
        CheckSurfaces(file, 100, seed);
    }
}

TEST(UrdfImportOracle, TutorialRobotsShowTheirShapesWhereKdlPutsThem) {
    std::uint32_t seed = 40;
    for (const char* name : {"02-multipleshapes", "03-origins", "04-materials"})
        CheckSurfaces(kSamples / "r2d2" / (std::string(name) + ".urdf"), 100, seed++);
}

TEST(UrdfImportOracle, ServoArmMeshesStandWhereKdlPutsThem) {
    const fs::path stl = kSamples / "so101/assets/base_so101_v2.stl";
    primora::MeshSink probe;
    if (!primora::EmitShapeSurface(std::string(kMeshShapePrefix) + stl.string(),
                                   primora::DoubleArray(1, {1.0, 1.0, 1.0}), probe))
        GTEST_SKIP() << "the shape catalogue draws no mesh files yet";
    CheckSurfaces(kSamples / "so101/so101_new_calib.urdf", 3, 5);
}

}  // namespace
}  // namespace mechanon::testing
