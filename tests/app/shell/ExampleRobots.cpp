#include "tests/app/shell/ExampleRobots.h"

#include <stdexcept>

#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "model/clsSubPart.h"
#include "toolpath/clsXML.h"

namespace mechanon::examples {
namespace {

using torvane::DoubleArray;
using torvane::StringArray;

constexpr int kNoMotor = 0;
constexpr int kRotational = 2;
constexpr int kPitch = 1;
constexpr int kYaw = 2;

DoubleArray Triple(double a, double b, double c) {
    return DoubleArray(1, {a, b, c});
}

struct RoomSpec {
    std::string name;
    std::string shape;
    DoubleArray size;   // full extents, model units
    DoubleArray color;  // percent
    torvane::typ3Point relativePosition;
    int motorType = kNoMotor;
    int motorDimension = 0;
    torvane::typ3Point jointPosition;  // the pivot, in the part's own frame
};

// Appends a room to the robot; it becomes the active room, as CreatePartRoom makes it.
std::shared_ptr<torvane::clsPartRoom> AddRoom(torvane::clsRooms& robot, const RoomSpec& spec) {
    std::string name = spec.name;
    robot.CreatePartRoom(name, false);
    auto room = robot.ActivePartRoom;
    torvane::typPartData data = room->PartData();
    data.ShapeName = spec.shape;
    data.Size = spec.size;
    data.ShapeColor = spec.color;
    data.RelativePosition = spec.relativePosition;
    data.MotorType = static_cast<std::int16_t>(spec.motorType);
    data.MotorDimension = static_cast<std::int16_t>(spec.motorDimension);
    data.JointPosition = spec.jointPosition;
    room->SetPartData(data);
    return room;
}

void Use(torvane::clsPartRoom& parent, const std::string& subName,
         const std::shared_ptr<torvane::clsPartRoom>& used, torvane::typ3Point at,
         torvane::typAttitude attitude = {}) {
    torvane::typSubPartData data;
    data.Name = subName;
    data.RelativePosition = at;
    data.RelativeAttitude = attitude;
    auto sub = std::make_shared<torvane::clsSubPart>(data);
    sub->Part = used;
    parent.AttachSubPart(sub);
}

std::shared_ptr<torvane::clsRooms> NewRobot(const std::string& floorName,
                                            const torvane::typCamera& camera) {
    auto robot = std::make_shared<torvane::clsRooms>();
    std::string name = floorName;
    robot->CreatePartRoom(name, true);
    torvane::typPartData floor = robot->ActivePartRoom->PartData();
    floor.Camera = camera;  // the rooms made after it start from the same view
    robot->ActivePartRoom->SetPartData(floor);
    return robot;
}

// Tables built, names written, and the floor room (the whole robot) active, as Open leaves it.
// The floor room stands in pose (one value per mask, degrees) and carries the tool path and the
// motor list, so the motor control window shows them and the path drives with no set-up.
void Finish(torvane::clsRooms& robot, const std::vector<double>& pose, const std::string& toolPath,
            const std::string& motors) {
    robot.MapMotorMasks();
    robot.SetSavePartNames();
    robot.SetPartRoomIndex(1);
    torvane::typMotorMasks masks = robot.ActivePartRoom->MotorMasks();
    if (masks.TotalMasks != static_cast<int>(pose.size()))
        throw std::logic_error("the pose does not match the motor table");
    for (int i = 1; i <= masks.TotalMasks; ++i)
        masks.Masks(i).Value = pose[static_cast<std::size_t>(i - 1)];
    masks.XMLScript = toolPath;
    masks.XMLProperties = motors;
    robot.ActivePartRoom->SetMotorMasks(masks);
}

std::string Leg(const std::vector<std::string>& drives) {
    std::string leg = "<LEG>\r\n";
    for (const std::string& d : drives) leg += d;
    return leg + "</LEG>\r\n";
}

std::string Drive(double endS, const DoubleArray& start, const std::vector<std::string>& eqs) {
    return torvane::clsXML().WriteDrive(0, endS, start, StringArray(1, eqs));
}

}  // namespace

Example Gripper() {
    auto robot = NewRobot("Gripper", {-9, -11, 8, 0, 0, 2.5});
    auto& rooms = *robot;
    // A finger stands on its base: the box is lifted by half its height and turns about the
    // bottom edge, so a pitch closes it towards the palm's middle.
    auto finger = AddRoom(rooms, {"Finger",
                                  "Box",
                                  Triple(0.4, 0.8, 3),
                                  Triple(85, 60, 20),
                                  {0, 0, 1.5},
                                  kRotational,
                                  kPitch,
                                  {0, 0, -1.5}});
    auto palm = AddRoom(
        rooms, {"Palm", "Box", Triple(4, 1.6, 1), Triple(30, 45, 80), {0, 0, 2}, kNoMotor, 0, {}});
    // A positive pitch tips a finger towards -x, which closes the right finger; the left one
    // is turned half way about z, so the same motor position closes it too.
    Use(*palm, "LeftFinger", finger, {-1.6, 0, 0.5}, {0, 180, 0});
    Use(*palm, "RightFinger", finger, {1.6, 0, 0.5});
    auto column = AddRoom(
        rooms,
        {"Column", "Cone", Triple(2.5, 1, 1.5), Triple(45, 45, 45), {0, 0, 0}, kNoMotor, 0, {}});
    Use(*column, "Palm1", palm, {0, 0, 0});
    Use(*rooms.Rooms(1), "Column1", column, {0, 0, 0});

    // Close both fingers by 35 degrees, then open them again, the right one a little later.
    const std::string path = Leg({Drive(1, DoubleArray(1, {0, 0}), {" 35*S", " 35*S"})}) +
                             Leg({Drive(1, DoubleArray(1, {35, 35}), {"-35*S", "-35*S*S"})});
    // One port per finger, a degree per encoder step.
    Finish(rooms, {20, 20}, path, "5,5\r\nLeftFinger,Finger,1,1\r\nRightFinger,Finger,2,1");
    return {"gripper", robot, path};
}

Example Arm() {
    auto robot = NewRobot("Arm", {-14, -16, 11, 0, 0, 4});
    auto& rooms = *robot;
    auto tool = AddRoom(
        rooms,
        {"Tool", "Cone", Triple(0.8, 0.1, 1.2), Triple(80, 20, 20), {0, 0, 0}, kNoMotor, 0, {}});
    auto foreArm = AddRoom(rooms, {"ForeArm",
                                   "Box",
                                   Triple(0.6, 0.6, 3),
                                   Triple(85, 65, 15),
                                   {0, 0, 1.5},
                                   kRotational,
                                   kPitch,
                                   {0, 0, -1.5}});
    Use(*foreArm, "Tool1", tool, {0, 0, 1.5});
    auto upperArm = AddRoom(rooms, {"UpperArm",
                                    "Box",
                                    Triple(0.8, 0.8, 4),
                                    Triple(30, 45, 80),
                                    {0, 0, 2},
                                    kRotational,
                                    kPitch,
                                    {0, 0, -2}});
    Use(*upperArm, "Elbow", foreArm, {0, 0, 2});
    auto base = AddRoom(rooms, {"Turntable",
                                "Box",
                                Triple(3, 3, 1),
                                Triple(40, 40, 40),
                                {0, 0, 0.5},
                                kRotational,
                                kYaw,
                                {0, 0, 0}});
    Use(*base, "Shoulder", upperArm, {0, 0, 0.5});
    Use(*rooms.Rooms(1), "Base", base, {0, 0, 0});

    // Turn, lift the arm and bend the elbow; then swing back with the elbow waving once. The
    // parameter is written into the equation for every capital S (and small t), so function
    // names are written without them.
    const std::string path =
        Leg({Drive(1, DoubleArray(1, {0, 0, 0}), {" 90*S", " 35*S", " 60*S"})}) +
        Leg({Drive(1, DoubleArray(1, {90, 35, 60}), {"-90*S", "-35*S", " 30*sin(6.2832*S)-60*S"})});
    // Each motor with its own speed and acceleration limits (degrees per second, and per second
    // squared), which re-timing keeps and the simulated motors follow closely.
    Finish(rooms, {-30, -35, -50}, path,
           "5,5\r\nBase,Turntable,1,1,90,180\r\nShoulder,UpperArm,2,1,60,120\r\n"
           "Elbow,ForeArm,3,1,90,180");
    return {"arm", robot, path};
}

std::vector<Example> AllExamples() {
    return {Gripper(), Arm()};
}

}  // namespace mechanon::examples
