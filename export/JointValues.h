#pragma once
// URDF joint values by name (radians, metres) as the motor positions of an imported robot's
// motor mask table (degrees, model units), for posing it the way a URDF tool would.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/clsPartRoom.h"

namespace mechanon {

// The table's positions, in table order, with every joint not named at 0 (a mask value adds to
// the room's own motor position, which an imported room leaves at 0). A name that no motor
// of the room's tree carries, a name given twice, or a joint that follows another (it moves with
// its leader) fails with an invalid-argument error naming the joint.
std::vector<double> PositionsForJoints(torvane::clsPartRoom& room,
                                       const std::vector<std::pair<std::string, double>>& joints);

// The metres per model unit the room's tree was imported at; none for a robot not imported.
std::optional<double> ImportedUnit(torvane::clsPartRoom& room);

}  // namespace mechanon
