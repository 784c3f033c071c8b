#include "app/motion/MultiLineTextBox.h"

#include <QFontDatabase>
#include <QTextBlock>
#include <algorithm>

namespace mechanon {

MultiLineTextBox::MultiLineTextBox(const QString& name, QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(name);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setTabStopDistance(4 * fontMetrics().horizontalAdvance(' '));
    connect(this, &QPlainTextEdit::textChanged, this, &MultiLineTextBox::ClearErrorMark);
}

void MultiLineTextBox::MarkError(int line, int column) {
    const int blocks = document()->blockCount();
    const QTextBlock block = document()->findBlockByNumber(std::clamp(line, 1, blocks) - 1);
    QTextCursor cursor(block);
    const int offset = std::clamp(column - 1, 0, std::max(0, block.length() - 1));
    cursor.setPosition(block.position() + offset);
    setTextCursor(cursor);
    ensureCursorVisible();

    QTextEdit::ExtraSelection mark;
    mark.format.setBackground(QColor(255, 200, 200));
    mark.format.setProperty(QTextFormat::FullWidthSelection, true);
    mark.cursor = QTextCursor(block);
    setExtraSelections({mark});
    markedLine_ = block.blockNumber() + 1;
}

void MultiLineTextBox::ClearErrorMark() {
    if (markedLine_ == 0) return;
    markedLine_ = 0;
    setExtraSelections({});
}

void MultiLineTextBox::SetText(const std::string& text) {
    const QString in = QString::fromStdString(text);
    crlf_ = in.contains("\r\n") || !in.contains('\n');
    QString lines = in;
    lines.replace("\r\n", "\n");
    setPlainText(lines);
    ClearErrorMark();
}

std::string MultiLineTextBox::Text() const {
    // The raw text keeps no-break spaces; blocks are separated by paragraph separators.
    QString out = document()->toRawText();
    out.replace(QChar::ParagraphSeparator, '\n');
    out.replace(QChar::LineSeparator, '\n');
    if (crlf_) out.replace('\n', "\r\n");
    return out.toStdString();
}

}  // namespace mechanon
