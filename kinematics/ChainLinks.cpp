#include "kinematics/ChainLinks.h"

#include "model/JointNotes.h"

namespace mechanon {

PlacedLinks LinksOf(std::vector<torvane::typPlacedOccurrence> occurrences,
                    const std::string& robotName) {
    PlacedLinks placed;
    placed.Robot = BuildUrdfRobot(occurrences, robotName, 1, LinkMeshes::Left);
    // The same rule BuildUrdfRobot joins a visual to its parent's link by.
    std::size_t next = 0;
    for (const torvane::typPlacedOccurrence& o : occurrences) {
        const bool visual = !placed.Robot.WorldLink && o.Parent >= 0 && !o.Moves &&
                            !torvane::ReadJointNotes(o.RoomNotes).VisualOf.empty();
        placed.LinkOf.push_back(visual ? placed.LinkOf[static_cast<std::size_t>(o.Parent)]
                                       : next++);
    }
    placed.Occurrences = std::move(occurrences);
    return placed;
}

std::string OccurrencePathOf(const torvane::typPlacedOccurrence& occurrence) {
    std::string joined;
    for (std::size_t i = 1; i < occurrence.Path.size(); ++i)
        joined += (joined.empty() ? "" : "/") + occurrence.Path[i];
    return joined;
}

}  // namespace mechanon
