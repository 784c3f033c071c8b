#pragma once
// A tool window inside the main window. Closing it from its own close box only hides it;
// when the program closes, the main window lets it close for real.

#include <QCloseEvent>
#include <QMdiSubWindow>

namespace mechanon {

class ChildWindow : public QMdiSubWindow {
    Q_OBJECT
  public:
    explicit ChildWindow(QWidget* parent = nullptr) : QMdiSubWindow(parent) {}

    // Set by the main window when the program ends.
    void SetProgramClosing(bool closing) { programClosing_ = closing; }

  protected:
    void closeEvent(QCloseEvent* event) override {
        if (programClosing_) {
            QMdiSubWindow::closeEvent(event);
            return;
        }
        event->ignore();
        hide();
    }

  private:
    bool programClosing_ = false;
};

}  // namespace mechanon
