#pragma once
// Robots for the kinematics tests and the benchmark: URDF robots imported with their joints'
// limits as the motors' travel, and a room's motor list set to given travels.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/clsRooms.h"
#include "toolpath/RoomMotorList.h"

namespace mechanon::testing {

struct ImportedRobot {
    torvane::clsRooms rooms;
    std::shared_ptr<torvane::clsPartRoom> room;
    double unit = 0;
};

// The URDF file imported at unit metres per model unit, each motor's travel set from its joint's
// limits.
std::unique_ptr<ImportedRobot> ImportRobot(const std::filesystem::path& urdf, double unit);
// The same for URDF text.
std::unique_ptr<ImportedRobot> ImportRobotText(const std::string& urdf, double unit);

// The travel the URDF joint notes of room's motors give, in table order (degrees, model units);
// open for a motor without limits (a continuous joint).
std::vector<torvane::typMotorRange> NotedTravel(torvane::clsPartRoom& room);
// One revolute joint of a serial arm: its origin in its parent link, the axis, the limits
// (radians) and the joint it follows, if any.
struct ArmJoint {
    ArmJoint(std::string xyz, std::string rpy, std::string axis, double lower, double upper,
             std::string mimic = {})
        : Xyz(std::move(xyz)),
          Rpy(std::move(rpy)),
          Axis(std::move(axis)),
          Lower(lower),
          Upper(upper),
          Mimic(std::move(mimic)) {}
    std::string Xyz, Rpy, Axis;
    double Lower, Upper;
    std::string Mimic;
};
// A serial arm: links "base", "link1" ... "linkN" and a fixed "tool" link at toolXyz of the last.
std::string ArmUrdf(const std::vector<ArmJoint>& joints, const std::string& toolXyz);
// Arms of six and seven revolute joints with the travel of common industrial and lightweight
// arms (about a metre of reach).
std::string SixJointArmUrdf();
std::string SevenJointArmUrdf();

// Stores room's motor list as its default one with the travels added.
void SetTravel(torvane::clsPartRoom& room, const std::vector<torvane::typMotorRange>& travel);

}  // namespace mechanon::testing
