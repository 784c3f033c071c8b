#include "app/editing/clsSpinText.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>

#include "app/editing/ReportErrors.h"
#include "app/editing/frmSpinText.h"
#include "model/NumberText.h"
#include "platform/UserInterface.h"

namespace mechanon {

clsSpinText::clsSpinText(QObject* parent)
    : QObject(parent), form_(std::make_unique<frmSpinText>(*this)) {}

clsSpinText::~clsSpinText() = default;

namespace {

bool IsNumberChar(QChar c) {
    return c.isDigit() || c == '.';
}

// The whole number the selection [start, start + length) lies in: its digits, its point and
// the sign just before it, so a step of "-2" or ".5" changes that number and not a part of it.
// A selection touching no digit or point is given back as it is.
std::pair<int, int> WholeNumberAround(const QString& text, int start, int length) {
    int from = start;
    int to = start + length;
    const bool touches = (from < text.size() && IsNumberChar(text.at(from))) ||
                         (from > 0 && IsNumberChar(text.at(from - 1)));
    if (!touches) return {start, length};
    while (from > 0 && IsNumberChar(text.at(from - 1))) --from;
    while (to < text.size() && IsNumberChar(text.at(to))) ++to;
    if (from > 0 && (text.at(from - 1) == '-' || text.at(from - 1) == '+')) --from;
    return {from, to - from};
}

}  // namespace

void clsSpinText::SetMyTextBox(QLineEdit* NewBox) {
    if (MyTextBox) MyTextBox->removeEventFilter(this);
    MyTextBox = NewBox;
    if (MyTextBox) MyTextBox->installEventFilter(this);
}

void clsSpinText::SetCaption(const QString& NewVal) {
    form_->setWindowTitle(NewVal);
}

bool clsSpinText::eventFilter(QObject* watched, QEvent* event) {
    if (watched != MyTextBox) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonDblClick:
            // The box selects the word under the mouse first; the popup then mirrors that.
            if (OpensOnDoubleClick) OpenLater();
            break;
        case QEvent::KeyPress:
            if (const auto* key = static_cast<QKeyEvent*>(event);
                key->key() == kOpenKey && key->modifiers() == Qt::NoModifier) {
                OpenLater();
                return true;
            }
            break;
        case QEvent::ContextMenu:
            ShowContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void clsSpinText::OpenLater() {
    QTimer::singleShot(0, this, [this] {
        RunReportingErrors([this] {
            SelectWholeNumber();
            ShowForm();
        });
    });
}

void clsSpinText::ShowContextMenu(const QPoint& globalPos) {
    // The box's own edit commands, and the popup beneath them.
    std::unique_ptr<QMenu> menu(MyTextBox->createStandardContextMenu());
    menu->addSeparator();
    QAction* step = menu->addAction(kMenuCaption);
    step->setObjectName("actStepNumber");
    step->setShortcut(QKeySequence(kOpenKey));
    connect(step, &QAction::triggered, this, [this] { OpenLater(); });
    menu->exec(globalPos);
}

void clsSpinText::SelectWholeNumber() {
    if (!MyTextBox) return;
    const int start =
        MyTextBox->hasSelectedText() ? MyTextBox->selectionStart() : MyTextBox->cursorPosition();
    const auto [from, length] =
        WholeNumberAround(MyTextBox->text(), start, MyTextBox->selectionLength());
    if (length > 0) MyTextBox->setSelection(from, length);
}

void clsSpinText::ShowForm() {
    if (!MyTextBox) return;
    SetFormsDisplay();
    PlaceBesideBox();
    form_->show();
    form_->raise();
    // The window manager frames the window as it maps it: placed again with its real frame.
    PlaceBesideBox();
}

void clsSpinText::PlaceBesideBox() {
    constexpr int kGap = 8;
    const QRect box(MyTextBox->mapToGlobal(QPoint(0, 0)), MyTextBox->size());
    const QRect frame = form_->frameGeometry();
    const int titleBar = std::max(0, frame.height() - form_->height());
    // Right of the box; left of it when the screen has no room on the right.
    QPoint at(box.right() + 1 + kGap, box.top() - titleBar);
    if (const QScreen* screen = MyTextBox->screen()) {
        const QRect room = screen->availableGeometry();
        if (at.x() + frame.width() > room.right() + 1) at.setX(box.left() - kGap - frame.width());
        at.setY(std::clamp(at.y(), room.top(),
                           std::max(room.top(), room.bottom() + 1 - frame.height())));
    }
    form_->move(at);
}

void clsSpinText::SetFormsDisplay() {
    if (!MyTextBox) return;
    QTextEdit& mirror = *form_->Text1;
    mirror.setPlainText(MyTextBox->text());
    const QString text = MyTextBox->text();
    int start = MyTextBox->selectionStart();
    int length = MyTextBox->selectionLength();
    if (start < 0) {
        start = MyTextBox->cursorPosition();
        length = 0;
    }
    const auto endsWith = [&](QChar c) { return length > 0 && text.at(start + length - 1) == c; };
    if (endsWith(' ')) --length;
    if (endsWith(',')) --length;
    QTextCursor cursor(mirror.document());
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    mirror.setTextCursor(cursor);
}

QMainWindow* clsSpinText::GetMDIForm() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* main = qobject_cast<QMainWindow*>(w);
        if (main && qobject_cast<QMdiArea*>(main->centralWidget())) return main;
    }
    return nullptr;
}

void clsSpinText::Spin(bool up) {
    if (!MyTextBox) return;
    const std::string selected = MyTextBox->selectedText().toStdString();
    const double x = torvane::NumberValue(selected);
    const double n = up ? x + StepSize : x - StepSize;
    if (up ? n > HiBound : n < LowBound) {
        torvane::Host().MsgBox("Out of Range.", torvane::MsgButtons::OK);
        return;
    }
    const std::string trimmed = torvane::TrimSpaces(selected);
    const bool comma = !trimmed.empty() && trimmed.back() == ',';
    const bool blank = !selected.empty() && selected.back() == ' ';
    const int start =
        MyTextBox->hasSelectedText() ? MyTextBox->selectionStart() : MyTextBox->cursorPosition();

    std::string replacement = torvane::TrimmedNumberText(n);
    const int length = static_cast<int>(QString::fromStdString(replacement).size()) + 1;
    if (comma) replacement += ",";
    if (blank) replacement += " ";
    MyTextBox->insert(QString::fromStdString(replacement));
    MyTextBox->setSelection(start, length);
    Value = n;
    Q_EMIT FireSpin();
    SetFormsDisplay();
}

void clsSpinText::SetStepSize() {
    const std::string answer =
        torvane::Host().InputBox("Enter a new step size.", torvane::NumberText(StepSize));
    if (answer.empty()) return;
    const double value = torvane::NumberValue(answer);
    if (value <= 0) {
        torvane::Host().MsgBox("Out of range.", torvane::MsgButtons::OK);
        return;
    }
    StepSize = value;
}

void clsSpinText::Hide() {
    form_->hide();
}

}  // namespace mechanon
