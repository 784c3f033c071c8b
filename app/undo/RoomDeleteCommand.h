#pragma once
// Design > Delete Part Room: the removed room with its place, every use of it and the tables
// that listed its motors, as the model's removal returned them.

#include "app/undo/EditCommand.h"
#include "app/undo/TableValues.h"
#include "model/clsRooms.h"

namespace mechanon {

class RoomDeleteCommand final : public EditCommand {
  public:
    RoomDeleteCommand(torvane::clsRooms& rooms, torvane::clsRooms::RemovedRoom removed);
    std::size_t Bytes() const override;

  protected:
    void Undo() override;
    void Redo() override;

  private:
    // What the removal returned, its tables kept as their values only.
    torvane::clsRooms::RemovedRoom removed_;
    TableValues tables_;
};

}  // namespace mechanon
