#pragma once
// One undoable change to the robot document. The window that asks for a change makes it
// through the model's operation as before, and records the command afterwards with what the
// operation replaced: recording cannot fail half way, and the first redo (which the stack runs
// when a command is pushed) does nothing. Undo and redo make the change again through the
// model. A failure there must not unwind through the stack, so it is kept for the history to
// report.

#include <QString>
#include <QUndoCommand>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace torvane {
class clsRooms;
class clsPartRoom;
}  // namespace torvane

namespace mechanon {

// A name as the history's texts quote it: 'Finger'.
QString Quoted(const std::string& name);

class EditCommand : public QUndoCommand {
  public:
    EditCommand(torvane::clsRooms& rooms, const QString& text);

    void undo() final;
    void redo() final;
    // The bytes of what the command keeps to put the change back or make it again (records,
    // tables, a removed room), counted as HistoryBytes counts the robot.
    virtual std::size_t Bytes() const = 0;
    // A command that merges with its successors stops doing so (a drag has ended).
    virtual void EndMerging() {}
    // The failure of the last undo or redo, if any; cleared by the call.
    std::optional<std::string> TakeFailure();

  protected:
    virtual void Undo() = 0;
    virtual void Redo() = 0;
    torvane::clsRooms& Rooms() const { return rooms_; }
    // Makes room the active one with subpart subIndex selected (0: the room itself), so the
    // windows show where the change was undone or made again. A room no longer in the robot
    // is not shown.
    void Show(const torvane::clsPartRoom& room, int subIndex) const;

  private:
    torvane::clsRooms& rooms_;
    bool recorded_ = false;
    std::optional<std::string> failure_;
};

}  // namespace mechanon
