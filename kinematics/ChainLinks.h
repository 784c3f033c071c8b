#pragma once
// The occurrences of a placed room and the URDF links they make: which link each occurrence
// belongs to (its own, or for a visual of an imported link the link it shows), as the exported
// robot and `mechanon-cli poses` name them.

#include <string>
#include <vector>

#include "export/UrdfRobot.h"

namespace mechanon {

struct PlacedLinks {
    std::vector<torvane::typPlacedOccurrence> Occurrences;
    UrdfRobot Robot;                  // in model units (one metre per model unit)
    std::vector<std::size_t> LinkOf;  // per occurrence, an index into Robot.Links
};

PlacedLinks LinksOf(std::vector<torvane::typPlacedOccurrence> occurrences,
                    const std::string& robotName);

// The subpart names from the room down to occurrence, joined by "/"; empty for the room.
std::string OccurrencePathOf(const torvane::typPlacedOccurrence& occurrence);

}  // namespace mechanon
