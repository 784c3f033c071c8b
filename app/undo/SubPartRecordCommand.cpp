#include "app/undo/SubPartRecordCommand.h"

#include "model/clsRooms.h"

namespace mechanon {
namespace {

QString TextOf(const torvane::typSubPartData& before, const torvane::typSubPartData& after) {
    if (before.Name != after.Name)
        return "Rename Subpart " + Quoted(before.Name) + " to " + Quoted(after.Name);
    return "Edit Subpart " + Quoted(after.Name);
}

}  // namespace

SubPartRecordCommand::SubPartRecordCommand(torvane::clsRooms& rooms,
                                           std::shared_ptr<torvane::clsPartRoom> holder, int index,
                                           torvane::typSubPartData before,
                                           torvane::typSubPartData after)
    : EditCommand(rooms, TextOf(before, after)),
      holder_(std::move(holder)),
      index_(index),
      delta_(before, after, SubPartFields()) {}

std::size_t SubPartRecordCommand::Bytes() const {
    return delta_.Bytes();
}

void SubPartRecordCommand::Write(bool forward) {
    torvane::typSubPartData record = holder_->SubParts(index_).SubPartData();
    delta_.Apply(record, forward);
    Rooms().SetSubPartRecord(*holder_, index_, record);
    Show(*holder_, index_);
}

void SubPartRecordCommand::Undo() {
    Write(false);
}

void SubPartRecordCommand::Redo() {
    Write(true);
}

}  // namespace mechanon
