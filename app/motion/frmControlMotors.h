#pragma once
// The motor control window in its place on the left of the main window (it shares the
// place with the part editor). The motor controls follow in their own change.

#include <QLabel>

#include "app/ChildWindow.h"

namespace mechanon {

class clsBots;

class frmControlMotors : public ChildWindow {
    Q_OBJECT
public:
    explicit frmControlMotors(clsBots& bots, QWidget* parent = nullptr);

    // Copies the active part room's motors into the window.
    void UpdateInterface();

private:
    clsBots& bots_;
    QLabel* motors_ = nullptr;
};

}  // namespace mechanon
