#include "app/undo/EditCommand.h"

#include <exception>

#include "model/clsRooms.h"

namespace mechanon {

QString Quoted(const std::string& name) {
    return "'" + QString::fromStdString(name) + "'";
}

EditCommand::EditCommand(torvane::clsRooms& rooms, const QString& text) : rooms_(rooms) {
    setText(text);
}

void EditCommand::undo() {
    try {
        Undo();
    } catch (const std::exception& e) {
        failure_ = e.what();
    }
}

void EditCommand::redo() {
    // Pushed after the window made the change: there is nothing to do yet.
    if (!recorded_) {
        recorded_ = true;
        return;
    }
    try {
        Redo();
    } catch (const std::exception& e) {
        failure_ = e.what();
    }
}

std::optional<std::string> EditCommand::TakeFailure() {
    std::optional<std::string> failure;
    failure.swap(failure_);
    return failure;
}

void EditCommand::Show(const torvane::clsPartRoom& room, int subIndex) const {
    const std::int32_t position = rooms_.PositionOf(room);
    if (position == 0) return;
    rooms_.SetPartRoomIndex(position);
    rooms_.ActivePartRoom->ActiveSubIndex =
        subIndex >= 0 && subIndex <= room.SubParts.Count() ? subIndex : 0;
}

}  // namespace mechanon
