#include "app/motion/MultiLineTextBox.h"

#include <QFontDatabase>

namespace mechanon {

MultiLineTextBox::MultiLineTextBox(const QString& name, QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(name);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setTabStopDistance(4 * fontMetrics().horizontalAdvance(' '));
}

void MultiLineTextBox::SetText(const std::string& text) {
    const QString in = QString::fromStdString(text);
    crlf_ = in.contains("\r\n") || !in.contains('\n');
    QString lines = in;
    lines.replace("\r\n", "\n");
    setPlainText(lines);
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
