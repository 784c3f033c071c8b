#pragma once
// The kinematic chain of a room's tree from the room itself to one chosen occurrence (the tip),
// built from the same placement walk the 3D view draws with, for inverse kinematics. Lengths are
// in model units, angles of the chain's joints in the motors' own units (degrees for a
// rotational motor, model units for a linear one), as the motor mask table holds them.

#include <memory>
#include <string>
#include <vector>

#include "model/Frame.h"
#include "toolpath/RoomMotorList.h"

namespace torvane {
class clsPartRoom;
}

namespace mechanon {

// An occurrence of a room's tree that can be chosen as a tip.
struct ChainTip {
    std::string LinkName;        // as `mechanon-cli poses` prints the occurrence's link
    std::string OccurrencePath;  // the subpart names from the room down, joined by "/"
};

// Every occurrence of room's tree, in walk order (the room itself first).
std::vector<ChainTip> ChainTips(torvane::clsPartRoom& room);

class RobotChain {
  public:
    // The chain from room to the occurrence whose link name or occurrence path is tip (a visual
    // of an imported link ends the chain at its link). An invalid-argument error names the tip
    // when room's tree has no such occurrence. The room is read once; later edits of the robot
    // need a new chain.
    RobotChain(torvane::clsPartRoom& room, const std::string& tip);
    ~RobotChain();
    RobotChain(RobotChain&&) noexcept;
    RobotChain& operator=(RobotChain&&) noexcept;

    // The motors the chain moves, base first: their numbers in the room's motor mask table
    // (from 1). A motor that follows another (a mimic joint) is not among them; it moves with
    // its leader.
    const std::vector<int>& Motors() const noexcept;
    // The travel of each motor of Motors(), from the room's motor list.
    const std::vector<torvane::typMotorRange>& Ranges() const noexcept;
    // The tip's frame in the room's frame with the room's whole mask table at tablePositions
    // (index 0 is mask 1; missing positions are 0).
    torvane::typFrame TipFrame(const std::vector<double>& tablePositions) const;

    // The chain's joints, frames and KDL form (kinematics/ChainModel.h), for solvers and checks.
    struct Impl;
    const Impl& Internals() const noexcept { return *impl_; }

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace mechanon
