#include "app/motion/RunningCommand.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include "platform/UserInterface.h"

namespace mechanon {
namespace {

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        default:
            return false;
    }
}

}  // namespace

RunningCommand::RunningCommand(std::function<void()> Stop, bool BlockInput, QWidget* Allowed)
    : stop_(std::move(Stop)), blockInput_(BlockInput), allowed_(Allowed) {
    QCoreApplication::instance()->installEventFilter(this);
    ++running_;
}

RunningCommand::~RunningCommand() {
    --running_;
    QCoreApplication::instance()->removeEventFilter(this);
}

bool RunningCommand::RefuseIfRunning() {
    if (!AnyRunning()) return false;
    torvane::Host().MsgBox(
        "Another command is running.  Stop it first with its Stop button or Escape.",
        torvane::MsgButtons::OK);
    return true;
}

void RunningCommand::RequestStop() {
    stopRequested_ = true;
    if (stop_) stop_();
}

bool RunningCommand::IsAllowed(QObject* watched) const {
    if (!allowed_) return false;
    for (QObject* o = watched; o; o = o->parent())
        if (o == allowed_) return true;
    return false;
}

bool RunningCommand::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // The key arrives at the focus widget, or at the window when no widget has focus; it is
    // seen once, at a widget or window, not again as it travels up to the parents.
    if (type == QEvent::KeyPress && (watched->isWidgetType() || watched->isWindowType())) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            RequestStop();
            return true;
        }
    }
    if (blockInput_ && IsUserInput(type) && watched->isWidgetType() && !IsAllowed(watched))
        return true;
    return false;
}

}  // namespace mechanon
