#pragma once
// Design > Move Selected Sub Part Up / Down: a subpart swapped with its neighbour, with the
// tables that followed the new walk order.

#include <memory>

#include "app/undo/EditCommand.h"
#include "app/undo/TableValues.h"
#include "model/clsRooms.h"

namespace mechanon {

class SubPartMoveCommand final : public EditCommand {
  public:
    // Recorded once MoveSubPart(holder, index, up) has run; before is what it returned.
    SubPartMoveCommand(torvane::clsRooms& rooms, std::shared_ptr<torvane::clsPartRoom> holder,
                       int index, bool up, torvane::clsRooms::MotorTables before);
    std::size_t Bytes() const override;

  protected:
    void Undo() override;
    void Redo() override;

  private:
    int Target() const { return up_ ? index_ - 1 : index_ + 1; }
    std::shared_ptr<torvane::clsPartRoom> holder_;
    int index_;
    bool up_;
    TableValues before_;
};

}  // namespace mechanon
