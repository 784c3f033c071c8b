#include "app/undo/RoomDeleteCommand.h"

#include "app/undo/HistoryBytes.h"

namespace mechanon {

RoomDeleteCommand::RoomDeleteCommand(torvane::clsRooms& rooms,
                                     torvane::clsRooms::RemovedRoom removed)
    : EditCommand(rooms, "Delete Part Room " + Quoted(removed.Room->Name())),
      removed_(std::move(removed)),
      tables_(removed_.Tables) {
    removed_.Tables.clear();
}

std::size_t RoomDeleteCommand::Bytes() const {
    std::size_t bytes = HistoryBytes(*removed_.Room) + tables_.Bytes();
    for (const auto& use : removed_.Uses)
        bytes += sizeof(use) + sizeof(*use.SubPart) + OwnedBytes(use.SubPart->SubPartData());
    return bytes;
}

void RoomDeleteCommand::Undo() {
    Rooms().RestorePartRoom(removed_);
    tables_.Restore();
    Show(*removed_.Room, 0);
}

void RoomDeleteCommand::Redo() {
    removed_ = Rooms().RemovePartRoom(removed_.Position);
    removed_.Tables.clear();
}

}  // namespace mechanon
