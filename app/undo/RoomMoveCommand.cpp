#include "app/undo/RoomMoveCommand.h"

#include "model/clsRooms.h"

namespace mechanon {

RoomMoveCommand::RoomMoveCommand(torvane::clsRooms& rooms, int from, int to)
    : EditCommand(rooms, QString("Move Part Room %1 %2")
                             .arg(Quoted(rooms.Rooms(to)->Name()), to > from ? "Right" : "Left")),
      from_(from),
      to_(to) {}

void RoomMoveCommand::Move(int from, int to) {
    Rooms().SetPartRoomIndex(from);
    if (to > from)
        Rooms().MoveRoomRight();
    else
        Rooms().MoveRoomLeft();
    Rooms().ActivePartRoom->ActiveSubIndex = 0;
}

}  // namespace mechanon
