#include "app/undo/MotorTableCommand.h"

#include "app/clsBots.h"
#include "app/undo/DocumentHistory.h"

namespace mechanon {

void RecordMotorTable(clsBots& bots, const std::shared_ptr<torvane::clsPartRoom>& room,
                      const QString& what, const torvane::typMotorMasks& before, bool typing) {
    const torvane::typMotorMasks after = room->MotorMasks();
    if (after == before) return;
    bots.History().Record(
        std::make_unique<MotorTableCommand>(bots.PartRooms(), room, what, before, after, typing));
}

MotorTableCommand::MotorTableCommand(torvane::clsRooms& rooms,
                                     std::shared_ptr<torvane::clsPartRoom> room,
                                     const QString& what, const torvane::typMotorMasks& before,
                                     const torvane::typMotorMasks& after, bool typing)
    : EditCommand(rooms, "Change " + what + " of " + Quoted(room->Name())),
      room_(std::move(room)),
      delta_(before, after),
      typing_(typing) {}

bool MotorTableCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = dynamic_cast<const MotorTableCommand*>(other);
    if (!typing_ || !next || !next->typing_ || next->room_ != room_ || next->text() != text())
        return false;
    // The table now is as the next change left it; taking both changes back gives the table
    // before this one.
    const torvane::typMotorMasks now = room_->MotorMasks();
    torvane::typMotorMasks before = now;
    next->delta_.Apply(before, false);
    delta_.Apply(before, false);
    delta_ = TableDelta(before, now);
    setObsolete(delta_.Empty());
    return true;
}

void MotorTableCommand::Write(bool forward) {
    torvane::typMotorMasks table = room_->MotorMasks();
    delta_.Apply(table, forward);
    room_->SetMotorMasks(table);
    Show(*room_, room_->ActiveSubIndex);
}

}  // namespace mechanon
