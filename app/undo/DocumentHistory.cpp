#include "app/undo/DocumentHistory.h"

#include <QSettings>
#include <algorithm>

#include "app/DocumentChanges.h"
#include "app/undo/CameraCommand.h"
#include "app/undo/EditCommand.h"
#include "model/Error.h"

namespace mechanon {
namespace {

// The stack hands its commands out as const; they are the history's own, made non-const.
EditCommand& CommandAt(const QUndoStack& stack, int index) {
    return const_cast<EditCommand&>(static_cast<const EditCommand&>(*stack.command(index)));
}

// What the stack keeps of a command besides what the command reports: the object, the stack's
// own part of it and the text.
std::size_t Overhead(const EditCommand& command) {
    constexpr std::size_t kQtPrivate = 64;
    return sizeof(command) + kQtPrivate +
           static_cast<std::size_t>(command.text().capacity()) * sizeof(QChar);
}

}  // namespace

int DocumentHistory::LimitSetting() {
    bool read = false;
    const int limit = QSettings().value(kLimitKey, kDefaultLimit).toInt(&read);
    return read && limit > 0 ? limit : kDefaultLimit;
}

DocumentHistory::DocumentHistory(const DocumentChanges& changes, QObject* parent)
    : QObject(parent), changes_(changes) {
    stack_.setUndoLimit(LimitSetting());
}

void DocumentHistory::Record(std::unique_ptr<EditCommand> command) {
    stack_.push(command.release());  // the stack owns its commands
}

bool DocumentHistory::AtCleanButForCameras() const {
    const int clean = stack_.cleanIndex();
    if (clean < 0) return false;  // the saved step has left the history
    const int from = std::min(clean, stack_.index());
    const int to = std::max(clean, stack_.index());
    for (int i = from; i < to; ++i)
        if (stack_.command(i)->id() != CameraCommand::kId) return false;
    return true;
}

void DocumentHistory::EndMerging() {
    if (stack_.index() == 0) return;
    CommandAt(stack_, stack_.index() - 1).EndMerging();
}

void DocumentHistory::Undo() {
    Step(true);
}

void DocumentHistory::Redo() {
    Step(false);
}

void DocumentHistory::Step(bool back) {
    if (back ? !stack_.canUndo() : !stack_.canRedo()) return;
    const int at = back ? stack_.index() - 1 : stack_.index();
    EditCommand& command = CommandAt(stack_, at);
    const QString what = command.text();
    if (back)
        stack_.undo();
    else
        stack_.redo();
    const auto failure = command.TakeFailure();
    // A change after an undo or redo is a change of its own, never part of a typing run.
    if (stack_.index() > 0) CommandAt(stack_, stack_.index() - 1).EndMerging();
    if (failure) Clear();
    // The windows show the document as the step left it, also before a failure is reported.
    changes_.Announce({ChangeKind::History});
    if (failure)
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       std::string(back ? "Undo " : "Redo ") + what.toStdString() +
                           " could not be done: " + *failure +
                           "  The history of changes has been cleared.");
}

void DocumentHistory::Clear() {
    stack_.clear();
    stack_.setUndoLimit(LimitSetting());
}

std::size_t DocumentHistory::Bytes() const {
    std::size_t bytes = 0;
    for (int i = 0; i < stack_.count(); ++i) {
        const EditCommand& command = CommandAt(stack_, i);
        bytes += command.Bytes() + Overhead(command);
    }
    return bytes;
}

}  // namespace mechanon
