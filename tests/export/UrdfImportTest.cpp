// URDF import: the parser cases get the verdict the field's own checker gives them, bad robots
// are refused with a message naming the file and the element and nothing is made, and what the
// rooms of an accepted robot hold (shapes, sizes, colours, mesh files found on the search path,
// joint notes, warnings).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <limits>

#include "export/MeshFolder.h"
#include "export/UrdfImport.h"
#include "model/Error.h"
#include "model/JointNotes.h"
#include "tests/export/ExportTestSupport.h"

namespace mechanon::testing {
namespace {

namespace fs = std::filesystem;
const fs::path kCases = fs::path(MECHANON_URDF_SAMPLES) / "urdfdom-tests";

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// The message of the refusal, or "accepted".
std::string Verdict(const fs::path& file, const UrdfImportOptions& options = {}) {
    try {
        ImportUrdf(file, options);
        return "accepted";
    } catch (const torvane::Error& e) {
        return e.what();
    }
}

TEST(UrdfImport, ParserCasesGetTheCheckersVerdictAndRefusalsNameTheElement) {
    // The file, and for a refusal what the message must name; empty for a file to accept.
    const std::vector<std::pair<std::string, std::string>> cases{
        {"urdfdom/parse_color_doubles.urdf", ""},
        {"urdfdom/parse_joint_doubles.urdf", ""},
        {"urdfdom/parse_link_doubles.urdf", ""},
        {"urdfdom/test_version_not_specified.urdf", ""},
        {"urdfdom/test_version_one_float.urdf", ""},
        {"urdfdom/test_version_one_int.urdf", "<robot> version \"1\""},
        {"urdfdom/test_version_unsupported_version.urdf", "<robot> version \"2\""},
        {"urdfdom/test_version_wrong_type.urdf", "<robot> version \"foo\""},
        {"ros-urdf/fail_pr2_desc_bracket.urdf", "line 9: <origin> rpy=\"0 0 1 }\""},
        {"ros-urdf/fail_pr2_desc_double.urdf", "link \"fl_caster_rotation_link\" is defined twice"},
        {"ros-urdf/fail_pr2_desc_double_joint.urdf",
         "joint \"fl_caster_rotation_joint\" is defined twice"},
        {"ros-urdf/fail_pr2_desc_loop.urdf", "cycle through link \"base_link\""},
        {"ros-urdf/fail_pr2_desc_no_filename_in_mesh.urdf",
         "line 99: a <mesh> of link \"base_link\" has no filename"},
        {"ros-urdf/fail_pr2_desc_no_joint2.urdf", "line 10: not well-formed XML"},
        {"ros-urdf/fail_pr2_desc_parent_itself.urdf",
         "joint \"fl_caster_rotation_joint\" makes link \"base_link\" its own parent"},
        {"ros-urdf/fail_pr2_desc_two_trees.urdf",
         "names the parent link \"base_link\", but the robot has no such link"},
        {"ros-urdf/fail_three_links_one_joint.urdf", "line 21: not well-formed XML"},
        {"ros-urdf/no_visual.urdf", ""},
        {"ros-urdf/one_link.urdf", ""},
        {"ros-urdf/pr2_desc.urdf", ""},
        {"ros-urdf/pr2_desc_no_joint.urdf", ""},
        {"ros-urdf/singularity.urdf", ""},
        {"ros-urdf/test_robot.urdf", ""},
        {"ros-urdf/two_links_one_joint.urdf", ""},
    };
    for (const auto& [name, names] : cases) {
        const std::string verdict = Verdict(kCases / name);
        if (names.empty()) {
            EXPECT_EQ(verdict, "accepted") << name;
        } else {
            EXPECT_NE(verdict.find(names), std::string::npos) << name << ": " << verdict;
            EXPECT_NE(verdict.find(name), std::string::npos) << "names no file: " << verdict;
        }
    }
}

TEST(UrdfImport, BadRobotsAreRefusedWithTheirFault) {
    const ScratchFolder folder;
    const std::string links = "<link name=\"a\"/><link name=\"b\"/><link name=\"c\"/>";
    const auto joint = [](const std::string& name, const std::string& type, const std::string& p,
                          const std::string& c, const std::string& extra = "") {
        return "<joint name=\"" + name + "\" type=\"" + type + "\"><parent link=\"" + p +
               "\"/><child link=\"" + c + "\"/>" + extra + "</joint>";
    };
    const std::vector<std::pair<std::string, std::string>> cases{
        {"<robot name=\"r\">" + links + joint("j", "hinge", "a", "b") + "</robot>",
         "joint \"j\" has the unknown type \"hinge\""},
        {"<robot name=\"r\">" + links + joint("j1", "fixed", "a", "c") +
             joint("j2", "fixed", "b", "c") + "</robot>",
         "link \"c\" has two parents: \"a\" (joint \"j1\") and \"b\" (joint \"j2\")"},
        {"<robot name=\"r\"><link name=\"r\"/>" + links + joint("j0", "fixed", "r", "a") +
             joint("j1", "fixed", "b", "c") + joint("j2", "fixed", "c", "b") + "</robot>",
         "cycle"},
        {"<robot name=\"r\">" + links + joint("j", "fixed", "a", "b") + "</robot>",
         "more than one root link"},
        {"<robot name=\"r\">" + links + joint("j1", "fixed", "a", "b") +
             joint("j2", "revolute", "b", "c",
                   "<axis xyz=\"0 0 0\"/><limit effort=\"1\" velocity=\"1\"/>") +
             "</robot>",
         "joint \"j2\" has no usable axis"},
        {"<robot name=\"r\">" + links + joint("j", "fixed", "a", "z") + "</robot>",
         "names the child link \"z\""},
        {"<robot name=\"r\">" + links + "<joint name=\"j\" type=\"fixed\"><parent link=\"a\"/>" +
             "</joint></robot>",
         "joint \"j\" has no <child"},
        {"<robot name=\"r\"><link/></robot>", "a <link> element has no name"},
        {"<robot name=\"r\"></robot>", "the robot has no <link>"},
        {"<model name=\"r\"/>", "no <robot> element"},
        {"", "not well-formed XML"},
        {"<robot name=\"r\">\n<link name=\"a\">\n<visual><geometry><box size=\"1 1", "line 3"},
        {"<robot name=\"r\">" + links + joint("j1", "fixed", "a", "b") +
             joint("j2", "prismatic", "b", "c") + "</robot>",
         "joint \"j2\" is prismatic but has no <limit"},
        {"<robot xmlns:xacro=\"x\"><xacro:macro name=\"m\"/><link name=\"a\"/></robot>",
         "expand it first with xacro"},
        {"<robot name=\"r\"><link name=\"" + std::string(40000, 'n') + "\"/></robot>",
         "cannot be held in a robot file"},
    };
    int n = 0;
    for (const auto& [text, fault] : cases) {
        const fs::path file = folder / ("bad" + std::to_string(++n) + ".urdf");
        Write(file, text);
        const std::string verdict = Verdict(file);
        EXPECT_NE(verdict.find(fault), std::string::npos) << text << "\n -> " << verdict;
        EXPECT_NE(verdict.find(file.string()), std::string::npos) << verdict;
    }
    const fs::path xacro = folder / "arm.urdf.xacro";
    Write(xacro, "<robot name=\"r\"><link name=\"a\"/></robot>");
    EXPECT_NE(Verdict(xacro).find("expand it first with xacro"), std::string::npos);
    EXPECT_NE(Verdict(folder / "none.urdf").find("cannot be opened"), std::string::npos);
    const fs::path good = folder / "good.urdf";
    Write(good, "<robot name=\"r\"><link name=\"a\"/></robot>");
    for (const double unit : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        UrdfImportOptions options;
        options.MetresPerUnit = unit;
        EXPECT_NE(Verdict(good, options).find("positive number"), std::string::npos) << unit;
    }
    EXPECT_EQ(folder.Listing().size(), static_cast<std::size_t>(n + 2)) << "import wrote a file";
}

const torvane::typWrapRoom& RoomNamed(const UrdfImportResult& result, const std::string& name) {
    for (std::int32_t i = 1; i <= result.Rooms.Rooms.UBound(); ++i)
        if (result.Rooms.Rooms(i).Part.Name == name) return result.Rooms.Rooms(i);
    throw std::runtime_error("no room " + name);
}

TEST(UrdfImport, RoomsHoldShapesColoursMeshFilesAndJointNotes) {
    const ScratchFolder folder;
    Write(folder / "pkgs/kit/meshes/hand.stl", "solid hand\nendsolid hand\n");
    Write(folder / "robot/parts/arm.stl", "solid arm\nendsolid arm\n");
    Write(folder / "abs.obj", "v 0 0 0\n");
    const std::string absolute = (folder / "abs.obj").string();
    const fs::path urdf = folder / "robot/robot.urdf";
    Write(urdf, R"(<robot name="kit">
  <material name="blue"><color rgba="0 0 1 1"/></material>
  <link name="base">
    <visual><geometry><box size="0.1 0.2 0.3"/></geometry><material name="blue"/></visual>
    <visual><origin xyz="0 0 0.1"/><geometry><cylinder radius="0.05" length="0.2"/></geometry>
      <material name="red"><color rgba="1 0 0 1"/></material></visual>
  </link>
  <link name="arm">
    <visual><geometry><mesh filename="parts/arm.stl" scale="2 2 2"/></geometry></visual>
    <visual><geometry><mesh filename="package://kit/meshes/hand.stl"/></geometry></visual>
    <visual><geometry><mesh filename="file://)" +
                    absolute + R"("/></geometry></visual>
    <visual><geometry><mesh filename="gone.stl"/></geometry></visual>
    <visual><geometry><mesh filename="gone.stl"/></geometry></visual>
    <visual><geometry><sphere radius="0.5"/></geometry></visual>
  </link>
  <link name="Zürich 東"/>
  <link name="slider"/>
  <joint name="shoulder" type="revolute"><parent link="base"/><child link="arm"/>
    <axis xyz="0 0 2"/><limit lower="-1" upper="1.5" effort="3" velocity="4"/></joint>
  <joint name="wrist" type="continuous"><parent link="arm"/><child link="Zürich 東"/>
    <axis xyz="1 0 0"/><mimic joint="shoulder" multiplier="-2" offset="0.5"/></joint>
  <joint name="rail" type="planar"><parent link="base"/><child link="slider"/></joint>
</robot>)");
    UrdfImportOptions options;
    options.PackagePath = {folder / "nowhere", folder / "pkgs"};
    options.MetresPerUnit = 0.01;
    const UrdfImportResult result = ImportUrdf(urdf, options);
    EXPECT_EQ(result.RobotRoom, "base");
    EXPECT_EQ(result.Rooms.Rooms(1).Part.Name, "base");

    const auto& base = RoomNamed(result, "base").Part;
    EXPECT_EQ(base.ShapeName, "box");
    EXPECT_NEAR(base.Size(2), 20, 1e-12);
    EXPECT_EQ(base.ShapeColor, torvane::DoubleArray(1, {0.0, 0.0, 100.0}));
    const auto& cylinder = RoomNamed(result, "base_visual_2").Part;
    EXPECT_EQ(cylinder.ShapeName, "cylinder");
    EXPECT_EQ(cylinder.ShapeColor, torvane::DoubleArray(1, {100.0, 0.0, 0.0}));
    EXPECT_EQ(torvane::ReadJointNotes(cylinder.BlankXML).VisualOf, "base");

    const auto& arm = RoomNamed(result, "arm").Part;
    EXPECT_EQ(arm.MotorType, torvane::MotorTypeOf(torvane::MotorKind::Rotational));
    const torvane::typJointNote shoulder = *torvane::ReadJointNotes(arm.BlankXML).Joint;
    EXPECT_EQ(shoulder.Name, "shoulder");
    EXPECT_EQ(shoulder.Type, "revolute");
    EXPECT_EQ(shoulder.Lower, -1);
    EXPECT_EQ(shoulder.Upper, 1.5);
    EXPECT_EQ(shoulder.Effort, 3);
    EXPECT_EQ(shoulder.Velocity, 4);
    ASSERT_TRUE(shoulder.Axis);
    EXPECT_EQ(shoulder.Axis->Z, 1) << "the axis is kept normalised";

    // Mesh files: relative to the URDF, on the package path, file://, and missing.
    // The joint turns about Z, which no motor of the model does: the room is turned to lay a
    // motor's axis on it, so even the visual at the link's frame is a room of its own.
    EXPECT_EQ(arm.ShapeName, "");
    std::vector<std::string> meshes;
    for (int v = 1; v <= 6; ++v)
        meshes.push_back(RoomNamed(result, "arm_visual_" + std::to_string(v)).Part.ShapeName);
    EXPECT_EQ(MeshFileOf(meshes[0], {}), (folder / "robot/parts/arm.stl").lexically_normal());
    EXPECT_NEAR(RoomNamed(result, "arm_visual_1").Part.Size(1), 200, 1e-9);
    EXPECT_EQ(MeshFileOf(meshes[1], {}), (folder / "pkgs/kit/meshes/hand.stl").lexically_normal());
    EXPECT_EQ(MeshFileOf(meshes[2], {}), fs::path(absolute));
    EXPECT_EQ(MeshFileOf(meshes[3], {}), (folder / "robot/gone.stl").lexically_normal());
    EXPECT_EQ(meshes[5], "sphere");

    // A name the robot file's code page cannot hold is kept in the notes.
    const auto& wrist = RoomNamed(result, "Zürich ?").Part;
    const torvane::typJointNotes wristNotes = torvane::ReadJointNotes(wrist.BlankXML);
    EXPECT_EQ(wristNotes.LinkName, "Zürich 東");
    EXPECT_EQ(wristNotes.Joint->Mimic, "shoulder");
    EXPECT_EQ(wristNotes.Joint->Multiplier, -2);
    EXPECT_FALSE(wristNotes.Joint->Lower);

    const auto& slider = RoomNamed(result, "slider").Part;
    EXPECT_EQ(slider.MotorType, 0);
    ASSERT_EQ(result.Warnings.size(), 2u);
    EXPECT_NE(result.Warnings[0].find("gone.stl"), std::string::npos);
    EXPECT_NE(result.Warnings[1].find("\"rail\" is planar"), std::string::npos);
}

TEST(UrdfImport, PackagesAreFoundThroughRosPackagePathAfterTheOptions) {
    const ScratchFolder folder;
    Write(folder / "first/kit/m.stl", "solid a\nendsolid a\n");
    Write(folder / "second/kit/m.stl", "solid b\nendsolid b\n");
    Write(folder / "second/other/n.stl", "solid c\nendsolid c\n");
    const fs::path urdf = folder / "r.urdf";
    Write(urdf, R"(<robot name="r"><link name="a">
      <visual><geometry><mesh filename="package://kit/m.stl"/></geometry></visual>
      <visual><geometry><mesh filename="package://other/n.stl"/></geometry></visual>
      <visual><geometry><mesh filename="package://absent/x.stl"/></geometry></visual>
    </link></robot>)");
    const std::string path =
        "::" + (folder / "second").string() + ":" + (folder / "first").string() + ":";
    ASSERT_EQ(setenv("ROS_PACKAGE_PATH", path.c_str(), 1), 0);
    EXPECT_EQ(RosPackagePath(), (std::vector<fs::path>{folder / "second", folder / "first"}));
    UrdfImportOptions options;
    options.PackagePath = {folder / "first"};
    const UrdfImportResult result = ImportUrdf(urdf, options);
    unsetenv("ROS_PACKAGE_PATH");
    EXPECT_TRUE(RosPackagePath().empty());
    EXPECT_EQ(MeshFileOf(RoomNamed(result, "a").Part.ShapeName, {}), folder / "first/kit/m.stl");
    EXPECT_EQ(MeshFileOf(RoomNamed(result, "a_visual_2").Part.ShapeName, {}),
              folder / "second/other/n.stl");
    ASSERT_EQ(result.Warnings.size(), 1u);
    EXPECT_NE(result.Warnings[0].find("package://absent/x.stl"), std::string::npos);
}

}  // namespace
}  // namespace mechanon::testing
