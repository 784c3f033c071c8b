#include "app/undo/SubPartMoveCommand.h"

namespace mechanon {
namespace {

QString TextOf(const torvane::clsPartRoom& holder, int index, bool up) {
    // Recorded after the move: the subpart now stands one place further.
    const int now = up ? index - 1 : index + 1;
    return QString("Move Subpart %1 %2")
        .arg(Quoted(holder.SubParts(now).Name()), up ? "Up" : "Down");
}

}  // namespace

SubPartMoveCommand::SubPartMoveCommand(torvane::clsRooms& rooms,
                                       std::shared_ptr<torvane::clsPartRoom> holder, int index,
                                       bool up, torvane::clsRooms::MotorTables before)
    : EditCommand(rooms, TextOf(*holder, index, up)),
      holder_(std::move(holder)),
      index_(index),
      up_(up),
      before_(before) {}

std::size_t SubPartMoveCommand::Bytes() const {
    return before_.Bytes();
}

void SubPartMoveCommand::Undo() {
    Rooms().MoveSubPart(*holder_, Target(), !up_);
    before_.Restore();
    Show(*holder_, index_);
}

void SubPartMoveCommand::Redo() {
    Rooms().MoveSubPart(*holder_, index_, up_);
    Show(*holder_, Target());
}

}  // namespace mechanon
