#pragma once
// A room of a loaded robot placed at given motor positions, without drawing: the occurrences of
// its tree with their frames, from the same placement walk the 3D view draws with.

#include <memory>
#include <string>
#include <vector>

#include "model/FramePlacementVisitor.h"
#include "model/JointPoses.h"
#include "model/clsRooms.h"

namespace mechanon {

// The room named name (exactly), or the active room for an empty name. An invalid-argument
// error naming the room when there is none of that name (or no active room).
std::shared_ptr<torvane::clsPartRoom> FindRoom(const torvane::clsRooms& rooms,
                                               const std::string& name);

// The room's occurrences in walk order, with positions[i] added to motor i + 1 of the room's
// motor mask table (its stored mask values are not used; missing positions are 0). More
// positions than the table has motors is an invalid-argument error that says how many it has.
// The rooms are only read; given poses, the joint poses the walk sets are kept there.
std::vector<torvane::typPlacedOccurrence> PlaceRoom(torvane::clsPartRoom& room,
                                                    const std::vector<double>& positions,
                                                    torvane::JointPoses* poses = nullptr);

}  // namespace mechanon
