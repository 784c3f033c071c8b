#pragma once
// Inverse kinematics on a RobotChain: the motor positions, within each motor's travel, that put
// the chain's tip at a target, found nearest to where the motors stand (random restarts within
// the travel when the nearest start does not converge).

#include <array>
#include <optional>
#include <vector>

#include "kinematics/RobotChain.h"
#include "model/Frame.h"
#include "model/Records.h"

namespace mechanon {

struct IkTarget {
    torvane::typ3Point Position;  // model units, in the room's frame
    // Roll, pitch and yaw in radians as URDF writes them (fixed axes X, Y, Z); position only
    // without. Orientation is solved only for chains of six motors or more.
    std::optional<std::array<double, 3>> RollPitchYaw;
};

struct IkOptions {
    double Tolerance = 1e-3;   // model units; radians for the orientation
    double TimeLimit = 0.005;  // seconds for the whole search
    unsigned Seed = 1;         // of the random restarts
    // Radians; Tolerance when not given.
    std::optional<double> AngleTolerance;
    // Take the first solution a restart finds instead of searching on for one nearer the start
    // (a solution found from the start itself is always taken at once).
    bool FirstFound = false;
};

struct IkResult {
    bool Reached = false;
    // The whole mask table: the start with the chain's motors set (and their followers moved).
    std::vector<double> TablePositions;
    // When not reached: the distance from the target to the nearest point the tip reached, in
    // model units; 0 when reached.
    double Distance = 0;
    // For an orientation target not reached: the turn (radians) between the target's attitude
    // and the tip's where the search came nearest; 0 when reached.
    double AngleError = 0;
};

// The roll, pitch and yaw (radians, as URDF writes them) of a frame's attitude; where pitch is a
// quarter turn and roll and yaw turn about one axis, all the turn is given to roll.
std::array<double, 3> RollPitchYawOf(const torvane::typFrame& frame);

// Solves for target from startTable (the room's mask table, index 0 is mask 1). A target, start
// or tolerance that is not a finite number (a tolerance not above 0) is an invalid-argument
// error; a start outside the travel is searched from its nearest point within it.
IkResult SolveIk(const RobotChain& chain, const IkTarget& target,
                 const std::vector<double>& startTable, const IkOptions& options = {});

}  // namespace mechanon
