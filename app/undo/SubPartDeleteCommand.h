#pragma once
// The part editor's Delete SubPart: the removed use with its position and the tables the
// removal rewrote.

#include <memory>

#include "app/undo/EditCommand.h"
#include "app/undo/TableValues.h"
#include "model/clsRooms.h"

namespace mechanon {

class SubPartDeleteCommand final : public EditCommand {
  public:
    SubPartDeleteCommand(torvane::clsRooms& rooms, std::shared_ptr<torvane::clsPartRoom> holder,
                         torvane::clsRooms::RemovedSubPart removed);
    std::size_t Bytes() const override;

  protected:
    void Undo() override;
    void Redo() override;

  private:
    std::shared_ptr<torvane::clsPartRoom> holder_;
    // What the removal returned, its tables kept as their values only.
    torvane::clsRooms::RemovedSubPart removed_;
    TableValues tables_;
};

}  // namespace mechanon
