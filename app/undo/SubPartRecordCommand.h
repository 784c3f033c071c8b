#pragma once
// The part editor's Apply, Ok or Enter on a subpart: its name, description and placement.

#include <memory>

#include "app/undo/EditCommand.h"
#include "app/undo/RecordDelta.h"
#include "model/Records.h"

namespace mechanon {

class SubPartRecordCommand final : public EditCommand {
  public:
    SubPartRecordCommand(torvane::clsRooms& rooms, std::shared_ptr<torvane::clsPartRoom> holder,
                         int index, torvane::typSubPartData before, torvane::typSubPartData after);
    std::size_t Bytes() const override;

  protected:
    void Undo() override;
    void Redo() override;

  private:
    std::shared_ptr<torvane::clsPartRoom> holder_;
    int index_;
    void Write(bool forward);
    SubPartDelta delta_;
};

}  // namespace mechanon
