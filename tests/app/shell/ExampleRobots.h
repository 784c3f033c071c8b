#pragma once
// The sample robots and tool paths shipped in examples/, built with the model's own classes so
// that the files are exactly what the program writes. MakeExamples writes them; the tests
// build them again and compare, so the shipped files never fall behind the file format.

#include <memory>
#include <string>
#include <vector>

namespace torvane {
class clsRooms;
}

namespace mechanon::examples {

struct Example {
    std::string baseName;  // "gripper": saved as gripper.bot and gripper.txt
    std::shared_ptr<torvane::clsRooms> robot;
    std::string toolPath;  // LEG/DRIVE text; its motors follow the first room's mask table
};

// A two-finger gripper: a floor room "Gripper" holding a palm, and one "Finger" room used twice
// by the palm, so the first room's mask table has one mask for each finger (motor positions in
// degrees; positive closes the fingers). It is saved with the fingers half closed.
Example Gripper();
// A three-joint arm on a floor: a turntable (yaw), an upper arm and a forearm (pitch each),
// with a cone as its tool; three masks in that order, degrees. It is saved turned and bent.
Example Arm();
// Every example, in the order they are listed in examples/.
std::vector<Example> AllExamples();

}  // namespace mechanon::examples
