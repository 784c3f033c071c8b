#pragma once
// What a change of the robot document was, as the windows are told of it: its kind, the room it
// concerns, the window that made it and whether it is one step of a continuing gesture. Each
// window reads from it what it has to show anew.

class QObject;

namespace torvane {
class clsPartRoom;
}

namespace mechanon {

enum class ChangeKind {
    // A new or opened robot: every window shows it from its first room.
    Robot,
    // Create Part Room has run: the new room is the active one (the windows show the robot as
    // it stands also when the room's name was not given and nothing was made).
    RoomAdded,
    // Delete Part Room has run: another room is active when the room went.
    RoomRemoved,
    // The active room moved along the parts bar; its picture is the same.
    RoomMoved,
    // Another room was made the active one.
    ActiveRoom,
    // The active room's subparts were added, removed or moved, or another one selected with them.
    SubParts,
    // Another subpart of the active room (or the room itself) was selected.
    Selection,
    // The record of a room or of one of its subparts.
    Fields,
    // The values of a room's motor masks: where its joints stand.
    MotorValues,
    // The tool-path, script or motor-list text of a room's motor table.
    Texts,
    // The camera of a room.
    Camera,
    // How the robot is drawn (axes, grids, the selection in red), not the robot itself.
    Display,
    // A step of the history was undone or made again: anything may have changed, and another
    // room may be active.
    History,
};

struct Change {
    ChangeKind Kind = ChangeKind::Robot;
    // The room concerned; null for the whole robot.
    const torvane::clsPartRoom* Room = nullptr;
    // The window that made the change and shows it already; null for the model or a command.
    const QObject* Source = nullptr;
    // One step of a drag, a slider or an animation: only the picture follows, at once and without
    // a new thumbnail; the step that ends a drag is announced as settled.
    bool Live = false;
};

}  // namespace mechanon
