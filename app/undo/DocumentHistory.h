#pragma once
// The robot document's history of changes: Qt's undo stack of the commands the windows record
// after each change, bounded by a setting, with the saved state as the stack's clean index.
// New and Open clear it. An undo or a redo is announced as a change of the document.

#include <QObject>
#include <QUndoStack>
#include <cstddef>
#include <memory>

namespace mechanon {

class DocumentChanges;
class EditCommand;

class DocumentHistory : public QObject {
    Q_OBJECT
  public:
    // The setting that bounds the history (steps kept), and its default.
    static constexpr const char* kLimitKey = "History/UndoSteps";
    static constexpr int kDefaultLimit = 200;
    // The setting's value; a missing, unreadable or non-positive value gives the default.
    static int LimitSetting();

    explicit DocumentHistory(const DocumentChanges& changes, QObject* parent = nullptr);

    QUndoStack& Stack() { return stack_; }
    const QUndoStack& Stack() const { return stack_; }
    // Records a change the window has already made. Pushing drops what could be redone.
    void Record(std::unique_ptr<EditCommand> command);
    // The newest command takes no more steps into itself (a drag or a typing run has ended).
    void EndMerging();
    // One step back or forward; nothing when there is none. Should the model refuse it (which
    // a history kept in step with the document never asks), the history is cleared, so that
    // it cannot put back changes onto a document they no longer fit, and an error says why.
    void Undo();
    void Redo();
    // Forgets every step and reads the limit setting again (New, Open).
    void Clear();
    // The document as it stands is the saved one.
    void MarkClean() { stack_.setClean(); }
    // True at the saved step, or when only camera moves lie between it and the current step.
    bool AtCleanButForCameras() const;
    // What the commands hold, as each counts it.
    std::size_t Bytes() const;

  private:
    void Step(bool back);
    const DocumentChanges& changes_;
    QUndoStack stack_;
};

}  // namespace mechanon
