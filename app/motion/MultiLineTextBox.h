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

  private:
    bool crlf_ = true;
};

}  // namespace mechanon
