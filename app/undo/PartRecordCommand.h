#pragma once
// The part editor's Apply, Ok or Enter on the room itself: every field of the room's record at
// once (its name, shape, size, colour, camera, placements, motor type and axis), with the
// motor tables the change rewrote.

#include <memory>

#include "app/undo/EditCommand.h"
#include "app/undo/RecordDelta.h"
#include "app/undo/TableValues.h"
#include "model/clsRooms.h"

namespace mechanon {

class PartRecordCommand final : public EditCommand {
  public:
    // Recorded once SetPartRecord has written room; change is what it returned.
    PartRecordCommand(torvane::clsRooms& rooms, std::shared_ptr<torvane::clsPartRoom> room,
                      torvane::clsRooms::PartRecordChange change);
    std::size_t Bytes() const override;
    // True when the record or a table differs from before.
    bool Changes() const;

  protected:
    void Undo() override;
    void Redo() override;

  private:
    static QString TextOf(const torvane::typPartData& before, const torvane::typPartData& after);
    std::shared_ptr<torvane::clsPartRoom> room_;
    // Set the room's record one way or the other, with the tables that went with it.
    void Write(bool forward);
    PartDelta delta_;
    // The values of the tables the change rewrote, before and after it; the masks themselves
    // follow from the record when it is written again.
    TableValues tablesBefore_;
    TableValues tablesAfter_;
    bool tablesChanged_;
};

}  // namespace mechanon
