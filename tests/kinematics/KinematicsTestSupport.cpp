#include "tests/kinematics/KinematicsTestSupport.h"

#include <unistd.h>

#include <fstream>
#include <numbers>

#include "export/PosedRoom.h"
#include "export/UrdfImport.h"
#include "model/Error.h"
#include "model/JointNotes.h"
#include "model/NumberText.h"
#include "toolpath/MotorPropertiesText.h"

namespace mechanon::testing {

std::vector<torvane::typMotorRange> NotedTravel(torvane::clsPartRoom& room) {
    std::vector<torvane::typMotorRange> travel;
    for (const torvane::typPlacedOccurrence& o : PlaceRoom(room, {})) {
        if (o.MotorType <= 0) continue;
        travel.emplace_back();
        const auto note = torvane::ReadJointNotes(o.RoomNotes).Joint;
        if (!note || note->Type == "continuous") continue;
        const double toModel =
            o.MotorType == 2 ? 180 / std::numbers::pi : 1 / note->Unit.value_or(1);
        if (note->Lower) travel.back().Lower = *note->Lower * toModel;
        if (note->Upper) travel.back().Upper = *note->Upper * toModel;
    }
    return travel;
}

void SetTravel(torvane::clsPartRoom& room, const std::vector<torvane::typMotorRange>& travel) {
    torvane::ParsedMotorProperties list =
        torvane::ParseMotorPropertiesText(torvane::DefaultMotorsText(room));
    std::string text =
        torvane::TrimmedNumberText(list.vMax) + "," + torvane::TrimmedNumberText(list.aMax);
    for (std::size_t i = 0; i < list.motors.size(); ++i) {
        if (i < travel.size()) {
            list.motors[i].Lower = travel[i].Lower;
            list.motors[i].Upper = travel[i].Upper;
        }
        text += "\r\n" + torvane::MotorLineText(list.motors[i]);
    }
    torvane::typMotorMasks masks = room.MotorMasks();
    masks.XMLProperties = text;
    room.SetMotorMasks(masks);
}

std::string ArmUrdf(const std::vector<ArmJoint>& joints, const std::string& toolXyz) {
    std::string out = "<?xml version=\"1.0\"?>\n<robot name=\"arm\">\n  <link name=\"base\"/>\n";
    std::string parent = "base";
    for (std::size_t i = 0; i < joints.size(); ++i) {
        const ArmJoint& j = joints[i];
        const std::string link = "link" + std::to_string(i + 1);
        out += "  <link name=\"" + link + "\"/>\n";
        out += "  <joint name=\"joint" + std::to_string(i + 1) + "\" type=\"revolute\">\n";
        out += "    <parent link=\"" + parent + "\"/><child link=\"" + link + "\"/>\n";
        out += "    <origin xyz=\"" + j.Xyz + "\" rpy=\"" + j.Rpy + "\"/>\n";
        out += "    <axis xyz=\"" + j.Axis + "\"/>\n";
        out += "    <limit lower=\"" + torvane::TrimmedNumberText(j.Lower) + "\" upper=\"" +
               torvane::TrimmedNumberText(j.Upper) + "\" effort=\"10\" velocity=\"1\"/>\n";
        if (!j.Mimic.empty()) out += "    <mimic joint=\"" + j.Mimic + "\"/>\n";
        out += "  </joint>\n";
        parent = link;
    }
    out += "  <link name=\"tool\"/>\n  <joint name=\"tool_joint\" type=\"fixed\">\n";
    out += "    <parent link=\"" + parent + "\"/><child link=\"tool\"/>\n";
    out += "    <origin xyz=\"" + toolXyz + "\" rpy=\"0 0 0\"/>\n  </joint>\n</robot>\n";
    return out;
}

std::string SixJointArmUrdf() {
    return ArmUrdf({{"0 0 0.15", "0 0 0", "0 0 1", -2.96, 2.96},
                    {"0.05 0 0.2", "0 0 0", "0 1 0", -1.9, 2.3},
                    {"0 0 0.45", "0 0 0", "0 1 0", -2.6, 2.6},
                    {"0.1 0 0.05", "0 1.5708 0", "0 0 1", -3.05, 3.05},
                    {"0 0 0.35", "0 0 0", "0 1 0", -2.1, 2.1},
                    {"0 0 0.08", "0 0 0", "0 0 1", -3.05, 3.05}},
                   "0 0 0.1");
}

std::string SevenJointArmUrdf() {
    // Shoulder, elbow and wrist each turn about crossing axes; the elbow bends one way only.
    return ArmUrdf({{"0 0 0.3", "0 0 0", "0 0 1", -2.9, 2.9},
                    {"0 0 0", "-1.5708 0 0", "0 0 1", -1.8, 1.8},
                    {"0 -0.3 0", "1.5708 0 0", "0 0 1", -2.9, 2.9},
                    {"0.08 0 0", "1.5708 0 0", "0 0 1", -3.0, -0.1},
                    {"-0.08 0.35 0", "-1.5708 0 0", "0 0 1", -2.9, 2.9},
                    {"0 0 0", "1.5708 0 0", "0 0 1", -0.1, 3.6},
                    {"0.09 0 0", "1.5708 0 0", "0 0 1", -2.9, 2.9}},
                   "0 0 0.1");
}

std::unique_ptr<ImportedRobot> ImportRobot(const std::filesystem::path& urdf, double unit) {
    auto robot = std::make_unique<ImportedRobot>();
    UrdfImportOptions options;
    options.MetresPerUnit = unit;
    const UrdfImportResult result = ImportUrdf(urdf, options);
    robot->rooms.ReplaceAllData(result.Rooms);
    robot->room = robot->rooms.GetRoomByName(result.RobotRoom);
    robot->unit = unit;
    SetTravel(*robot->room, NotedTravel(*robot->room));
    return robot;
}

std::unique_ptr<ImportedRobot> ImportRobotText(const std::string& urdf, double unit) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("mechanon-kin-" + std::to_string(getpid()) + ".urdf");
    {
        std::ofstream out(file, std::ios::binary);
        out << urdf;
        if (!out) torvane::Raise(torvane::ErrorCode::FileError, "cannot write " + file.string());
    }
    try {
        auto robot = ImportRobot(file, unit);
        std::filesystem::remove(file);
        return robot;
    } catch (...) {
        std::filesystem::remove(file);
        throw;
    }
}

}  // namespace mechanon::testing
