#include "app/undo/SubPartDeleteCommand.h"

#include "app/undo/HistoryBytes.h"

namespace mechanon {

SubPartDeleteCommand::SubPartDeleteCommand(torvane::clsRooms& rooms,
                                           std::shared_ptr<torvane::clsPartRoom> holder,
                                           torvane::clsRooms::RemovedSubPart removed)
    : EditCommand(rooms, "Delete Subpart " + Quoted(removed.SubPart->Name())),
      holder_(std::move(holder)),
      removed_(std::move(removed)),
      tables_(removed_.Tables) {
    removed_.Tables.clear();
}

std::size_t SubPartDeleteCommand::Bytes() const {
    return sizeof(*removed_.SubPart) + OwnedBytes(removed_.SubPart->SubPartData()) +
           tables_.Bytes();
}

void SubPartDeleteCommand::Undo() {
    Rooms().RestoreSubPart(*holder_, removed_);
    tables_.Restore();
    Show(*holder_, removed_.Position);
}

void SubPartDeleteCommand::Redo() {
    removed_ = Rooms().RemoveSubPart(*holder_, removed_.Position);
    removed_.Tables.clear();
    Show(*holder_, 0);
}

}  // namespace mechanon
