#include "app/undo/RoomCreateCommand.h"

#include "app/undo/HistoryBytes.h"
#include "model/clsRooms.h"

namespace mechanon {

RoomCreateCommand::RoomCreateCommand(torvane::clsRooms& rooms,
                                     std::shared_ptr<torvane::clsPartRoom> room, int position,
                                     int previous)
    : EditCommand(rooms, "Create Part Room " + Quoted(room->Name())),
      room_(std::move(room)),
      position_(position),
      previous_(previous) {}

std::size_t RoomCreateCommand::Bytes() const {
    return HistoryBytes(*room_);
}

void RoomCreateCommand::Undo() {
    // Later changes are undone first, so nothing uses the room and its tables are its own.
    Rooms().RemovePartRoom(position_);
    if (previous_ >= 1 && previous_ <= Rooms().TotalRooms) {
        Rooms().SetPartRoomIndex(previous_);
        Rooms().ActivePartRoom->ActiveSubIndex = 0;
    }
}

void RoomCreateCommand::Redo() {
    Rooms().InsertPartRoom(room_, position_);
    Show(*room_, 0);
}

}  // namespace mechanon
