#include "app/undo/SubPartAddCommand.h"

#include "app/undo/HistoryBytes.h"

namespace mechanon {

SubPartAddCommand::SubPartAddCommand(torvane::clsRooms& rooms,
                                     std::shared_ptr<torvane::clsPartRoom> holder,
                                     std::shared_ptr<torvane::clsSubPart> sub,
                                     torvane::clsRooms::MotorTables before)
    : EditCommand(rooms, "Add Subpart " + Quoted(sub->Name())),
      holder_(std::move(holder)),
      sub_(std::move(sub)),
      position_(holder_->SubParts.Count()),
      before_(before) {}

std::size_t SubPartAddCommand::Bytes() const {
    return sizeof(*sub_) + OwnedBytes(sub_->SubPartData()) + before_.Bytes();
}

void SubPartAddCommand::Undo() {
    Rooms().RemoveSubPart(*holder_, position_);
    // The removal rebuilt the tables; the values they held before the attach come back.
    before_.Restore();
    Show(*holder_, 0);
}

void SubPartAddCommand::Redo() {
    Rooms().AttachSubPart(*holder_, sub_);
    Show(*holder_, position_);
}

}  // namespace mechanon
