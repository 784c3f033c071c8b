#include "app/undo/PartRecordCommand.h"

namespace mechanon {
namespace {

// The tables as they are now, for the rooms listed in before.
torvane::clsRooms::MotorTables TablesNow(const torvane::clsRooms::MotorTables& before) {
    torvane::clsRooms::MotorTables now;
    now.reserve(before.size());
    for (const auto& entry : before) now.emplace_back(entry.first, entry.first->MotorMasks());
    return now;
}

}  // namespace

PartRecordCommand::PartRecordCommand(torvane::clsRooms& rooms,
                                     std::shared_ptr<torvane::clsPartRoom> room,
                                     torvane::clsRooms::PartRecordChange change)
    : EditCommand(rooms, TextOf(change.Before, room->PartData())),
      room_(std::move(room)),
      delta_(change.Before, room_->PartData(), PartFields(), PoseFields()),
      tablesBefore_(change.Tables),
      tablesAfter_(TablesNow(change.Tables)),
      tablesChanged_(!change.Tables.empty()) {}

QString PartRecordCommand::TextOf(const torvane::typPartData& before,
                                  const torvane::typPartData& after) {
    if (before.Name != after.Name)
        return "Rename Part Room " + Quoted(before.Name) + " to " + Quoted(after.Name);
    if (before.MotorType != after.MotorType || before.MotorDimension != after.MotorDimension)
        return "Change Motor of " + Quoted(after.Name);
    torvane::typPartData cameraAside = before;
    cameraAside.Camera = after.Camera;
    if (cameraAside == after) return "Change Camera of " + Quoted(after.Name);
    return "Edit Part Room " + Quoted(after.Name);
}

bool PartRecordCommand::Changes() const {
    return !delta_.Empty() || tablesChanged_;
}

std::size_t PartRecordCommand::Bytes() const {
    return delta_.Bytes() + tablesBefore_.Bytes() + tablesAfter_.Bytes();
}

// Writing the record again through the model renames and rebuilds the tables as the change
// did (the document is as the change left it: later changes are undone first); the values the
// rebuild cannot know come back from the kept ones.
void PartRecordCommand::Write(bool forward) {
    torvane::typPartData record = room_->PartData();
    delta_.Apply(record, forward);
    Rooms().SetPartRecord(*room_, record);
    (forward ? tablesAfter_ : tablesBefore_).Restore();
    Show(*room_, 0);
}

void PartRecordCommand::Undo() {
    Write(false);
}

void PartRecordCommand::Redo() {
    Write(true);
}

}  // namespace mechanon
