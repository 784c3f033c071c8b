#include "tests/export/RandomRobots.h"

#include <vector>

namespace mechanon::testing {
namespace {

using torvane::DoubleArray;

const char* const kShapes[] = {"box",  "Cone", "cone",     "airplane", "squareplane",
                               "grid", "box ", "cylinder", " Sphere"};

}  // namespace

double RandomRobots::Angle() {
    // A quarter of the angles sit on quarter turns, where roll and yaw share an axis.
    return Pick(0, 3) == 0 ? 90.0 * Pick(-2, 2) : Uniform(-180, 180);
}

torvane::typ3Point RandomRobots::Point(double extent) {
    return {Uniform(-extent, extent), Uniform(-extent, extent), Uniform(-extent, extent)};
}

torvane::typAttitude RandomRobots::Attitude() {
    return {Angle(), Angle(), Angle()};
}

torvane::typWrapRoom RandomRobots::Room(const std::string& name) {
    torvane::typWrapRoom room;
    torvane::typPartData& p = room.Part;
    p.Name = name;
    p.ShapeName = kShapes[Pick(0, 6)];
    const double d = Uniform(0.2, 1.5);
    p.Size = DoubleArray(1, {d, Pick(0, 2) == 0 ? d : Uniform(0, 1.5), Uniform(0.2, 1.5)});
    if (p.ShapeName == "grid") p.Size = DoubleArray(1, {4, 4, 1});
    p.ShapeColor = DoubleArray(1, {Uniform(0, 100), Uniform(0, 100), Uniform(0, 100)});
    p.RelativePosition = Point(0.8);
    p.RelativeAttitude = Attitude();
    p.JointPosition = Point(0.5);
    p.JointAttitude = Attitude();
    p.JointTranslation = Point(0.3);
    p.JointAngles = DoubleArray(1, {Angle(), Angle(), Angle()});
    p.MotorType = static_cast<std::int16_t>(Pick(0, 2));
    p.MotorDimension = static_cast<std::int16_t>(Pick(1, 3));
    p.MotorPosition = Uniform(-20, 20);
    room.SubParts = torvane::VbArray<torvane::typSubPartData>(0, {torvane::typSubPartData{}});
    return room;
}

torvane::typSubPartData RandomRobots::Use(const std::string& name, const std::string& room) {
    torvane::typSubPartData use;
    use.Name = name;
    use.SavePartName = room;
    use.RelativePosition = Point(0.8);
    use.RelativeAttitude = Attitude();
    use.JointTranslation = Point(0.2);
    return use;
}

torvane::typWrapRooms RandomRobots::Make(RobotKind kind) {
    const int count = kind == RobotKind::Deep ? 14 : Pick(3, 6);
    std::vector<torvane::typWrapRoom> rooms;
    for (int i = 0; i < count; ++i) rooms.push_back(Room("Room " + std::to_string(i)));
    for (int i = 0; i + 1 < count; ++i) {
        std::vector<torvane::typSubPartData> uses{torvane::typSubPartData{}};
        const int wanted =
            kind == RobotKind::Deep ? 1 : (kind == RobotKind::Wide && i == 0 ? 9 : Pick(0, 3));
        for (int k = 0; k < wanted; ++k) {
            // Deep robots chain each room to the next; the others share later rooms at random.
            const int used = kind == RobotKind::Deep ? i + 1 : Pick(i + 1, count - 1);
            uses.push_back(Use("use " + std::to_string(k) + "/" + std::to_string(used),
                               rooms[static_cast<std::size_t>(used)].Part.Name));
        }
        rooms[static_cast<std::size_t>(i)].SubParts =
            torvane::VbArray<torvane::typSubPartData>(0, uses);
    }
    torvane::typWrapRooms robot;
    robot.Rooms = torvane::VbArray<torvane::typWrapRoom>(1, rooms);
    return robot;
}

}  // namespace mechanon::testing
