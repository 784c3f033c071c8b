#include "export/MeshCheck.h"

#include "model/Error.h"
#include "shapes/MeshShape.h"

namespace mechanon {

void RequireReadableMeshes(const std::vector<torvane::typPlacedOccurrence>& occurrences) {
    for (const auto& occurrence : occurrences)
        if (const auto problem = primora::MeshShapeProblem(occurrence.ShapeName))
            torvane::Raise(torvane::ErrorCode::FileError, "The mesh of \"" + occurrence.RoomName +
                                                              "\" cannot be read: " + *problem);
}

}  // namespace mechanon
