#pragma once
// The part editor's Add SubPart: the new use at the end of its holder, with the tables the
// attach rewrote.

#include <memory>

#include "app/undo/EditCommand.h"
#include "app/undo/TableValues.h"
#include "model/clsRooms.h"

namespace mechanon {

class SubPartAddCommand final : public EditCommand {
  public:
    // Recorded once AttachSubPart has appended sub to holder; before is what it returned.
    SubPartAddCommand(torvane::clsRooms& rooms, std::shared_ptr<torvane::clsPartRoom> holder,
                      std::shared_ptr<torvane::clsSubPart> sub,
                      torvane::clsRooms::MotorTables before);
    std::size_t Bytes() const override;

  protected:
    void Undo() override;
    void Redo() override;

  private:
    std::shared_ptr<torvane::clsPartRoom> holder_;
    std::shared_ptr<torvane::clsSubPart> sub_;
    int position_;
    TableValues before_;
};

}  // namespace mechanon
