// The inverses of the removing document operations: what RemoveSubPart and RemovePartRoom
// returned, put back at its place.

#include "model/Error.h"
#include "model/clsRooms.h"

namespace torvane {

std::int32_t clsRooms::PositionOf(const clsPartRoom& InRoom) const {
    for (std::int32_t i = 1; i <= TotalRooms; ++i)
        if (rooms_(i).get() == &InRoom) return i;
    return 0;
}

void clsRooms::RestoreSubPart(clsPartRoom& InRoom, const RemovedSubPart& InRemoved) {
    if (PositionOf(InRoom) == 0)
        Raise(ErrorCode::MissingObject,
              "The part room \"" + InRoom.Name() + "\" is not a part room of this robot.");
    InRoom.SubParts.Insert(InRemoved.Position, InRemoved.SubPart);
    ForgetExpansion();
    RebuildTablesAbove(InRoom, InRemoved.SubPart->Part, true);
    RestoreMotorTables(InRemoved.Tables);
}

void clsRooms::RestorePartRoom(const RemovedRoom& InRemoved) {
    // Every holder and position is checked before the room goes back, so a refusal changes
    // nothing. Uses were removed rooms first to last, each room's last use first: they go back
    // in the reverse order, which gives each its old position.
    for (auto use = InRemoved.Uses.rbegin(); use != InRemoved.Uses.rend(); ++use) {
        if (!use->Holder || !use->SubPart || PositionOf(*use->Holder) == 0)
            Raise(ErrorCode::MissingObject,
                  "A part room that used \"" + InRemoved.Room->Name() + "\" is gone.");
        if (use->Holder->SubParts.Contains(use->SubPart->Name()))
            Raise(ErrorCode::DuplicateKey, "The part room \"" + use->Holder->Name() +
                                               "\" has a new subpart named \"" +
                                               use->SubPart->Name() + "\".");
    }
    InsertPartRoom(InRemoved.Room, InRemoved.Position);
    for (auto use = InRemoved.Uses.rbegin(); use != InRemoved.Uses.rend(); ++use)
        use->Holder->SubParts.Insert(use->Position, use->SubPart);
    ForgetExpansion();
    RebuildTablesAbove(*InRemoved.Room, InRemoved.Room, false);
    RestoreMotorTables(InRemoved.Tables);
}

}  // namespace torvane
