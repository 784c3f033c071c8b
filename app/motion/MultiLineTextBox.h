#pragma once
// A multi-line text box for tool-path texts, scripts and property lists. The texts are kept
// with CR LF line ends in the model and in files; the box shows them as lines and gives back
// the line ends it was filled with (CR LF unless the text it was given used bare line feeds),
// so a text put in and read back unchanged is the same byte for byte. Every character is kept,
// no-break spaces and tabs included.

#include <QPlainTextEdit>
#include <string>

namespace mechanon {

class MultiLineTextBox : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit MultiLineTextBox(const QString& name, QWidget* parent = nullptr);

    // UTF-8 text, any line ends.
    void SetText(const std::string& text);
    std::string Text() const;

    // Marks line `line` (1-based) as the place of the error a command reported, and puts the
    // cursor there, at `column` (1-based; 0 for the start of the line). A line beyond the text
    // marks the last line. The mark goes at the next edit, the next SetText or ClearErrorMark.
    void MarkError(int line, int column);
    void ClearErrorMark();
    // The marked line, 0 when none is marked.
    int MarkedLine() const noexcept { return markedLine_; }

  private:
    bool crlf_ = true;
    int markedLine_ = 0;
};

}  // namespace mechanon
