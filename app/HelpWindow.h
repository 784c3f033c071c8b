#pragma once
// The help page shown inside the program, for a desktop with no browser to open it in: a
// browser window of its own that follows the page's links within the help folder.

#include <QDialog>
#include <QTextBrowser>

namespace mechanon {

class HelpWindow : public QDialog {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);
    // Shows the page at file (an .htm file) and brings the window to the front.
    void ShowPage(const QString& file);

    QTextBrowser* Browser = nullptr;

  private:
    // The share of the screen's free room the window may take, leaving room for its frame.
    static constexpr double kScreenShare = 0.85;
    QSize FittingSize() const;
};

}  // namespace mechanon
