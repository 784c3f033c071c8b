#pragma once
// Reads a RobotChain from its room: the placement walk with every motor at 0 gives the frames
// between the joints and the tip's link frame; one more walk per motor that may move the chain
// (each joint's own, and a follower's leader) tells how far one unit of it moves each joint, and
// how far it moves the table entries of its followers.

#include <string>

#include "kinematics/ChainModel.h"

namespace mechanon {

// An invalid-argument error names the tip when the room has no link or occurrence of that name.
RobotChain::Impl BuildChain(torvane::clsPartRoom& room, const std::string& tip);

}  // namespace mechanon
