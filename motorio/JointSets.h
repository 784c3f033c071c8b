#pragma once
// The sets of joints a drive's motors are served by, one per kind of motor (and per device for a
// kind whose set serves one device), kept between drives so that every set stays open with its
// positions. MakeDrivenJoints groups a motor list by the set that serves each motor.
//
// A new kind of motor is a further DrivenJoints implementation, a DriveKind and a case in
// JointSets::For.

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "motorio/DrivenJoints.h"

namespace torvane {

class BusServoJoints;
class LineDrivenJoints;
class SimulatedJoints;

class JointSets {
  public:
    // Lines: the port host's line-driven motors, which the program's own windows also use.
    explicit JointSets(std::shared_ptr<LineDrivenJoints> Lines);

    // The set that serves Line's motor; made on first use and kept. Servos on a bus: one set per
    // kind and device.
    std::shared_ptr<DrivenJoints> For(const JointLine& Line);
    LineDrivenJoints& Lines() noexcept { return *lines_; }
    // Every servo on a bus limp and every bus device closed, free for a scan or another program.
    // False when a servo could not be switched off.
    bool ReleaseServoBuses() noexcept;

  private:
    std::shared_ptr<LineDrivenJoints> lines_;
    std::shared_ptr<SimulatedJoints> simulated_;
    // The servo buses: one set per kind and device path.
    std::map<std::pair<DriveKind, std::string>, std::shared_ptr<BusServoJoints>> buses_;
};

// The joints of Motors (unopened): one group per set, each read and commanded once per round.
// When a single set serves every motor in order (and for no motors: the line-driven set), that
// set itself.
std::shared_ptr<DrivenJoints> MakeDrivenJoints(const std::vector<JointLine>& Motors,
                                               JointSets& Sets);

}  // namespace torvane
