#include "app/editing/clsSpinText.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMouseEvent>
#include <QTextCursor>
#include <QTimer>

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
    if (watched == MyTextBox && event->type() == QEvent::MouseButtonDblClick) {
        // The box selects the word under the mouse first; the popup then mirrors that.
        QTimer::singleShot(0, this, [this] {
            RunReportingErrors([this] {
                SelectWholeNumber();
                ShowForm();
            });
        });
    }
    return QObject::eventFilter(watched, event);
}

void clsSpinText::SelectWholeNumber() {
    if (!MyTextBox || !MyTextBox->hasSelectedText()) return;
    const auto [from, length] = WholeNumberAround(MyTextBox->text(), MyTextBox->selectionStart(),
                                                  MyTextBox->selectionLength());
    MyTextBox->setSelection(from, length);
}

void clsSpinText::ShowForm() {
    if (!MyTextBox) return;
    const QPoint below = MyTextBox->mapToGlobal(QPoint(0, MyTextBox->height()));
    form_->move(below);
    SetFormsDisplay();
    form_->show();
    form_->raise();
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
