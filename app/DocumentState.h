#pragma once
// Whether the robot document has changes that are not in its file. The document is compared,
// as the robot file would hold it, with what it was when it was last opened, saved or made
// new; so an edit that is undone by hand, or a command that changed nothing, leaves it clean.
// At the history's saved step the joints' drawn motion is left out of the comparison: the file
// keeps whatever pose the view drew last, and an undo back to the saved robot is no change.
// The rooms' cameras are left out always: the file keeps them and Save writes them, but looking
// at the robot from elsewhere (a drag, Fit to View, the camera boxes) is no unsaved work.
// A timer keeps the main window's caption marker up to date whichever window made the change.

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

namespace mechanon {

class clsBots;

class DocumentState : public QObject {
    Q_OBJECT
  public:
    // ShowModified is called with the new state each time it changes (and once at MarkClean).
    DocumentState(clsBots& bots, std::function<void(bool)> ShowModified, QObject* parent = nullptr);

    // The document as it stands now is the one on disk (or a new, empty one).
    void MarkClean();
    // The document as it stands now has never been in a file (an imported robot): it counts as
    // changed until it is saved, even with no edit made.
    void MarkNeverSaved();
    // True when the document differs from what it was at the last MarkClean. A document that
    // cannot even be written (a text too long for the file) counts as changed.
    bool IsModified() const;
    // Compares now and tells the window when the state changed.
    void Refresh();

  private:
    // The document as the robot file holds it, with or without the joints' drawn motion; empty
    // when it cannot be written.
    std::string Bytes(bool withPose) const;

    clsBots& bots_;
    std::function<void(bool)> showModified_;
    std::string clean_;
    std::string cleanWithoutPose_;
    bool shown_ = false;
    QTimer timer_;
};

}  // namespace mechanon
