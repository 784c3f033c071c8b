#pragma once
// Design > Move Selected Part Room To Left / To Right: the room went from one position to its
// neighbour's.

#include "app/undo/EditCommand.h"

namespace mechanon {

class RoomMoveCommand final : public EditCommand {
  public:
    RoomMoveCommand(torvane::clsRooms& rooms, int from, int to);
    std::size_t Bytes() const override { return 0; }

  protected:
    void Undo() override { Move(to_, from_); }
    void Redo() override { Move(from_, to_); }

  private:
    // Moves the room at position from one place towards to; it stays active.
    void Move(int from, int to);
    int from_;
    int to_;
};

}  // namespace mechanon
