// Joint limits between URDF and the motor list: an imported robot's default list takes its joints'
// travel, an export writes the travel of the list (read back by the URDF parser), and a robot goes
// through import and export and back with the same travel.

#include <gtest/gtest.h>
#include <urdf_parser/urdf_parser.h>

#include <fstream>
#include <numbers>

#include "export/JointValues.h"
#include "export/PosedRoom.h"
#include "export/UrdfImport.h"
#include "export/UrdfRobot.h"
#include "model/Error.h"
#include "model/clsRooms.h"
#include "tests/export/ExportTestSupport.h"
#include "toolpath/RoomMotorList.h"

namespace mechanon::testing {
namespace {

namespace fs = std::filesystem;
constexpr double kDegrees = 180 / std::numbers::pi;
constexpr double kUnit = 0.01;

// Six moving joints in a chain: limited both ways, a slide, continuous, open above, a slide with
// no travel given, and a follower with its own travel.
constexpr const char* kRobot = R"(<robot name="limits">
  <link name="base"/><link name="a"/><link name="b"/><link name="c"/><link name="d"/>
  <link name="e"/><link name="f"/>
  <joint name="turn" type="revolute"><parent link="base"/><child link="a"/><axis xyz="0 0 1"/>
    <limit lower="-1.2" upper="2" effort="3" velocity="4"/></joint>
  <joint name="slide" type="prismatic"><parent link="a"/><child link="b"/><axis xyz="1 0 0"/>
    <limit lower="-0.05" upper="0.1" effort="5" velocity="0.2"/></joint>
  <joint name="spin" type="continuous"><parent link="b"/><child link="c"/><axis xyz="0 1 0"/>
  </joint>
  <joint name="half" type="revolute"><parent link="c"/><child link="d"/><axis xyz="0 1 0"/>
    <limit lower="-0.5" effort="1" velocity="1"/></joint>
  <joint name="free" type="prismatic"><parent link="d"/><child link="e"/><axis xyz="0 0 1"/>
    <limit effort="1" velocity="1"/></joint>
  <joint name="follow" type="revolute"><parent link="e"/><child link="f"/><axis xyz="1 0 0"/>
    <limit lower="-0.3" upper="0.3" effort="1" velocity="1"/>
    <mimic joint="turn" multiplier="0.25"/></joint>
</robot>)";

class UrdfLimits : public ::testing::Test {
  protected:
    void Import(const std::string& text) {
        const fs::path file = scratch / "robot.urdf";
        std::ofstream(file, std::ios::binary) << text;
        UrdfImportOptions options;
        options.MetresPerUnit = kUnit;
        const UrdfImportResult result = ImportUrdf(file, options);
        rooms.ReplaceAllData(result.Rooms);
        room = rooms.GetRoomByName(result.RobotRoom);
        ASSERT_TRUE(room);
    }
    std::string Exported() {
        return UrdfText(
            BuildUrdfRobot(PlaceRoom(*room, {}), room->Name(), kUnit, LinkMeshes::Left));
    }
    void StoreList(const std::string& text) {
        torvane::typMotorMasks masks = room->MotorMasks();
        masks.XMLProperties = text;
        room->SetMotorMasks(masks);
    }
    ScratchFolder scratch;
    torvane::clsRooms rooms;
    std::shared_ptr<torvane::clsPartRoom> room;
};

void ExpectRanges(const std::vector<torvane::typMotorRange>& got,
                  const std::vector<torvane::typMotorRange>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].Lower.has_value(), want[i].Lower.has_value()) << "motor " << i + 1;
        EXPECT_EQ(got[i].Upper.has_value(), want[i].Upper.has_value()) << "motor " << i + 1;
        if (got[i].Lower && want[i].Lower) {
            EXPECT_NEAR(*got[i].Lower, *want[i].Lower, 1e-9);
        }
        if (got[i].Upper && want[i].Upper) {
            EXPECT_NEAR(*got[i].Upper, *want[i].Upper, 1e-9);
        }
    }
}

TEST_F(UrdfLimits, AnImportedRobotKeepsItsJointsTravelThroughExportAndImportAgain) {
    Import(kRobot);
    const std::vector<torvane::typMotorRange> imported{
        {-1.2 * kDegrees, 2 * kDegrees}, {-5, 10}, {},
        {-0.5 * kDegrees, std::nullopt}, {},       {-0.3 * kDegrees, 0.3 * kDegrees}};
    ExpectRanges(torvane::MotorRangesOf(*room), imported);
    EXPECT_NE(torvane::DefaultMotorsText(*room).find("\r\nb,b,2,1,,,-5,10"), std::string::npos)
        << torvane::DefaultMotorsText(*room);

    const std::string urdf = Exported();
    const urdf::ModelInterfaceSharedPtr model = urdf::parseURDF(urdf);
    ASSERT_TRUE(model) << urdf;
    const auto joint = [&](const char* name) { return model->getJoint(name); };
    EXPECT_EQ(joint("turn")->type, urdf::Joint::REVOLUTE);
    EXPECT_NEAR(joint("turn")->limits->lower, -1.2, 1e-12);
    EXPECT_NEAR(joint("turn")->limits->upper, 2, 1e-12);
    EXPECT_EQ(joint("turn")->limits->velocity, 4);
    EXPECT_EQ(joint("turn")->limits->effort, 3);
    EXPECT_EQ(joint("slide")->type, urdf::Joint::PRISMATIC);
    EXPECT_NEAR(joint("slide")->limits->lower, -0.05, 1e-12);
    EXPECT_NEAR(joint("slide")->limits->upper, 0.1, 1e-12);
    EXPECT_EQ(joint("spin")->type, urdf::Joint::CONTINUOUS);
    EXPECT_NEAR(joint("half")->limits->lower, -0.5, 1e-12);
    EXPECT_NEAR(joint("follow")->limits->upper, 0.3, 1e-12);
    ASSERT_TRUE(joint("follow")->mimic);
    EXPECT_EQ(urdf.find("=\"-1e+06\""), std::string::npos) << "no placeholder travel";
    EXPECT_NE(urdf.find("<!-- travel not limited above -->"), std::string::npos);
    EXPECT_NE(urdf.find("<!-- travel not limited -->"), std::string::npos) << "the free slide";

    Import(urdf);
    ExpectRanges(torvane::MotorRangesOf(*room), imported);
}

TEST_F(UrdfLimits, ARoomsOwnMotorPositionShiftsTheTableButNotTheJoint) {
    // The table's values add to the room's own motor position: with the turn's room at 10
    // degrees, its travel in the table lies 10 lower, and a URDF value still means that value.
    Import(kRobot);
    const auto turn = rooms.GetRoomByName("a");
    ASSERT_TRUE(turn);
    torvane::typPartData data = turn->PartData();
    data.MotorPosition = 10;
    turn->SetPartData(data);
    const torvane::typMotorRange range = torvane::MotorRangesOf(*room)[0];
    EXPECT_NEAR(*range.Lower, -1.2 * kDegrees - 10, 1e-9);
    EXPECT_NEAR(*range.Upper, 2 * kDegrees - 10, 1e-9);
    const std::vector<double> positions = PositionsForJoints(*room, {{"turn", 0.5}});
    EXPECT_NEAR(positions[0], 0.5 * kDegrees - 10, 1e-9);
    const UrdfRobot robot =
        BuildUrdfRobot(PlaceRoom(*room, positions), room->Name(), kUnit, LinkMeshes::Left);
    for (const UrdfLink& link : robot.Links)
        if (link.JointName == "turn") {
            EXPECT_NEAR(link.JointValue, 0.5, 1e-12);
            EXPECT_NEAR(*link.Lower, -1.2, 1e-12) << "the joint's own limits";
            EXPECT_NEAR(*link.Upper, 2, 1e-12);
        }
}

TEST_F(UrdfLimits, TheStoredMotorListDecidesWhatTheExportWrites) {
    Import(kRobot);
    // Turn limited to 30 degrees each way at 90 degrees per second; slide unlimited; spin limited;
    // the motors the list does not reach are unlimited.
    StoreList("5,5\r\nturn,a,1,1,90,,-30,30\r\nslide,b,2\r\nspin,c,3,1,,,-10,10");
    const urdf::ModelInterfaceSharedPtr model = urdf::parseURDF(Exported());
    ASSERT_TRUE(model);
    const auto joint = [&](const char* name) { return model->getJoint(name); };
    EXPECT_NEAR(joint("turn")->limits->lower, -std::numbers::pi / 6, 1e-12);
    EXPECT_NEAR(joint("turn")->limits->upper, std::numbers::pi / 6, 1e-12);
    EXPECT_NEAR(joint("turn")->limits->velocity, std::numbers::pi / 2, 1e-12);
    EXPECT_EQ(joint("spin")->type, urdf::Joint::REVOLUTE);
    EXPECT_NEAR(joint("spin")->limits->upper, 10 / kDegrees, 1e-12);
    EXPECT_EQ(joint("half")->type, urdf::Joint::CONTINUOUS);
    EXPECT_EQ(joint("follow")->type, urdf::Joint::CONTINUOUS);
    EXPECT_EQ(joint("free")->type, urdf::Joint::PRISMATIC);

    StoreList("5,5\r\nturn,a,1,1,,,5,1");
    std::string message;
    try {
        Exported();
    } catch (const torvane::Error& e) {
        message = e.what();
    }
    EXPECT_NE(message.find("cannot be read"), std::string::npos) << message;
    EXPECT_NE(message.find("lower limit 5 is above its upper limit 1"), std::string::npos)
        << message;
}

}  // namespace
}  // namespace mechanon::testing
