// The Edit menu of the main window: undo and redo of the changes to the robot.

#include <QKeySequence>
#include <QMenuBar>

#include "app/DocumentState.h"
#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/motion/RunningCommand.h"
#include "app/undo/DocumentHistory.h"

namespace mechanon {

void MDIForm1::CreateEditMenu() {
    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->setObjectName("mnuEdit");
    edit->menuAction()->setObjectName("mnuEdit");
    menuItems_.insert("mnuEdit", edit->menuAction());
    AddMenuItem(edit, "mnuUndo", "&Undo", &MDIForm1::Undo)->setShortcut(QKeySequence::Undo);
    AddMenuItem(edit, "mnuRedo", "&Redo", &MDIForm1::Redo)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

    DocumentHistory& history = bots_.History();
    const QUndoStack* stack = &history.Stack();
    connect(stack, &QUndoStack::indexChanged, this, &MDIForm1::UpdateUndoActions);
    connect(stack, &QUndoStack::undoTextChanged, this, &MDIForm1::UpdateUndoActions);
    connect(stack, &QUndoStack::redoTextChanged, this, &MDIForm1::UpdateUndoActions);
    connect(stack, &QUndoStack::cleanChanged, this, [this] { document_->Refresh(); });
}

void MDIForm1::UpdateUndoActions() {
    const QUndoStack& stack = bots_.History().Stack();
    const auto show = [this](const QString& item, const QString& key, bool enabled,
                             const QString& verb, const QString& what) {
        const QString text = what.isEmpty() ? verb : verb + " " + what;
        QAction* menu = MenuItem(item);
        menu->setEnabled(enabled);
        menu->setText("&" + text);
        if (QAction* button = ToolbarButton(key)) {
            button->setEnabled(enabled);
            button->setToolTip(text);
        }
    };
    show("mnuUndo", "Undo", stack.canUndo(), "Undo", stack.undoText());
    show("mnuRedo", "Redo", stack.canRedo(), "Redo", stack.redoText());
}

void MDIForm1::Undo() {
    // A graph or a drive reads the model while it runs: the document stays as it is until then.
    if (RunningCommand::RefuseIfRunning()) return;
    bots_.History().Undo();
}

void MDIForm1::Redo() {
    if (RunningCommand::RefuseIfRunning()) return;
    bots_.History().Redo();
}

}  // namespace mechanon
