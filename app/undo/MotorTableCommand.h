#pragma once
// A room's motor mask table written by the motor windows: the mask values of the manual grid,
// the tool-path and script texts, the motor list. Typing in one text merges into one command
// until another change comes between.

#include <memory>

#include "app/undo/EditCommand.h"
#include "app/undo/TableDelta.h"
#include "model/Records.h"

namespace mechanon {

class clsBots;

// Records the change of room's table from before to what the room holds now, unless the two
// are equal; what and typing as for MotorTableCommand.
void RecordMotorTable(clsBots& bots, const std::shared_ptr<torvane::clsPartRoom>& room,
                      const QString& what, const torvane::typMotorMasks& before, bool typing);

class MotorTableCommand final : public EditCommand {
  public:
    static constexpr int kId = 2;
    // what names the change ("Motor Values", "Tool Path Text"); typing says whether later
    // changes of the same room and kind merge into this one.
    MotorTableCommand(torvane::clsRooms& rooms, std::shared_ptr<torvane::clsPartRoom> room,
                      const QString& what, const torvane::typMotorMasks& before,
                      const torvane::typMotorMasks& after, bool typing);
    int id() const override { return kId; }
    bool mergeWith(const QUndoCommand* other) override;
    void EndMerging() override { typing_ = false; }
    std::size_t Bytes() const override { return delta_.Bytes(); }

  protected:
    void Undo() override { Write(false); }
    void Redo() override { Write(true); }

  private:
    void Write(bool forward);
    std::shared_ptr<torvane::clsPartRoom> room_;
    TableDelta delta_;
    bool typing_;
};

}  // namespace mechanon
