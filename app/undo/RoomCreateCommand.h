#pragma once
// Design > Create Part Room: the new room, where it was put and which room was active before.

#include <memory>

#include "app/undo/EditCommand.h"

namespace mechanon {

class RoomCreateCommand final : public EditCommand {
  public:
    // Recorded once room has been made at position (the end) and made active; previous is the
    // position that was active before.
    RoomCreateCommand(torvane::clsRooms& rooms, std::shared_ptr<torvane::clsPartRoom> room,
                      int position, int previous);
    std::size_t Bytes() const override;

  protected:
    void Undo() override;
    void Redo() override;

  private:
    std::shared_ptr<torvane::clsPartRoom> room_;
    int position_;
    int previous_;
};

}  // namespace mechanon
