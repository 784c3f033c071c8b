// The part room and subpart commands of the main window, and the display toggles.

#include "app/DesktopBasics.h"
#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/undo/DocumentHistory.h"
#include "app/undo/RoomCreateCommand.h"
#include "app/undo/RoomDeleteCommand.h"
#include "app/undo/RoomMoveCommand.h"
#include "app/undo/SubPartMoveCommand.h"
#include "model/clsRooms.h"
#include "platform/UserInterface.h"

namespace mechanon {

void MDIForm1::CreateRoom() {
    auto& rooms = bots_.PartRooms();
    std::string name;
    const int before = rooms.TotalRooms;
    const int previous = rooms.PartRoomIndex();
    if (rooms.CreatePartRoom(name, true) == "Error") return;
    if (!name.empty())
        bots_.History().Record(std::make_unique<RoomCreateCommand>(
            rooms, rooms.ActivePartRoom, rooms.PartRoomIndex(), previous));
    ReportInStatusBar(*this, rooms.TotalRooms > before
                                 ? "Created the part room " + QString::fromStdString(name) + "."
                                 : QString("No part room was created."));
    // Announced also when the name question was cancelled (nothing was made): the windows
    // show the active room as it stands.
    if (rooms.ActivePartRoom) rooms.ActivePartRoom->ActiveSubIndex = 0;
    bots_.Changes().Announce({ChangeKind::RoomAdded, rooms.ActivePartRoom.get()});
}

void MDIForm1::DeleteRoom() {
    auto& rooms = bots_.PartRooms();
    const auto active = rooms.ActivePartRoom;
    if (!active) return;
    if (rooms.TotalRooms <= 1) {
        // Without a room there would be nothing to show or edit.
        torvane::Host().MsgBox(
            "You can't delete the last part room.  A robot needs at least one part room.",
            torvane::MsgButtons::OK);
        ReportInStatusBar(*this,
                          "Kept the part room " + QString::fromStdString(active->Name()) + ".");
        return;
    }
    const std::string name = active->Name();
    const int uses = rooms.CountUses(*active);

    std::string question;
    if (uses > 0)
        question =
            "This part is contained by other parts.  Deleting it will destroy such references.  "
            "You may continue, or cancel and edit this part instead to preserve the references "
            "to it.  ";
    question += "Are you sure you want to delete part " + name +
                ".  To delete a different part room, select that part room with the parts bar "
                "form.";
    const bool remove =
        torvane::Host().MsgBox(question, torvane::MsgButtons::OKCancel) == torvane::MsgAnswer::OK;
    if (remove)
        bots_.History().Record(std::make_unique<RoomDeleteCommand>(
            rooms, rooms.RemovePartRoom(rooms.PartRoomIndex())));
    ReportInStatusBar(*this, (remove ? "Deleted the part room " : "Kept the part room ") +
                                 QString::fromStdString(name) + ".");
    bots_.Changes().Announce({ChangeKind::RoomRemoved, rooms.ActivePartRoom.get()});
}

void MDIForm1::MoveRoomLeft() {
    auto& rooms = bots_.PartRooms();
    const int from = rooms.PartRoomIndex();
    rooms.MoveRoomLeft();
    if (rooms.PartRoomIndex() != from)
        bots_.History().Record(
            std::make_unique<RoomMoveCommand>(rooms, from, rooms.PartRoomIndex()));
    bots_.Changes().Announce({ChangeKind::RoomMoved, rooms.ActivePartRoom.get()});
}

void MDIForm1::MoveRoomRight() {
    auto& rooms = bots_.PartRooms();
    const int from = rooms.PartRoomIndex();
    rooms.MoveRoomRight();
    if (rooms.PartRoomIndex() != from)
        bots_.History().Record(
            std::make_unique<RoomMoveCommand>(rooms, from, rooms.PartRoomIndex()));
    bots_.Changes().Announce({ChangeKind::RoomMoved, rooms.ActivePartRoom.get()});
}

void MDIForm1::MoveSubUp() {
    MoveSelectedSubPart(true);
}

void MDIForm1::MoveSubDown() {
    MoveSelectedSubPart(false);
}

// The selected subpart moves within the list that holds it, the room's own or, for one further
// down the tree, that of the room the subpart above it uses; the selection follows it.
void MDIForm1::MoveSelectedSubPart(bool up) {
    auto& rooms = bots_.PartRooms();
    const auto room = rooms.ActivePartRoom;
    if (!room) return;
    std::vector<std::int32_t> path = room->SelectedPath();
    const auto [holder, k] = torvane::SubPartAtPath(room, path);
    if (k < 1 || (up && k < 2) || (!up && k >= holder->SubParts.Count())) return;
    bots_.History().Record(std::make_unique<SubPartMoveCommand>(rooms, holder, k, up,
                                                                rooms.MoveSubPart(*holder, k, up)));
    path.back() = up ? k - 1 : k + 1;
    room->SelectPath(path);
    bots_.Changes().Announce({ChangeKind::SubParts, room.get()});
}

void MDIForm1::ToggleAxis() {
    auto& shapes = *bots_.PartRooms().Shapes;
    shapes.SetShowAxis(!shapes.ShowAxis());
    MenuItem("mnuShowAxis")->setChecked(shapes.ShowAxis());
    bots_.Changes().Announce({ChangeKind::Display});
    SetToolbarPressed("ShowAxisOnGraph", "mnuShowAxis");
}

void MDIForm1::ToggleGrids() {
    auto& shapes = *bots_.PartRooms().Shapes;
    shapes.SetShowGrids(!shapes.ShowGrids());
    MenuItem("mnuShowGrids")->setChecked(shapes.ShowGrids());
    bots_.Changes().Announce({ChangeKind::Display});
    SetToolbarPressed("ShowGridsOnGraph", "mnuShowGrids");
}

}  // namespace mechanon
