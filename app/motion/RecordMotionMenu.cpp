// The main window's Operate > Record Motion command.

#include <QMdiArea>

#include "app/MDIForm1.h"
#include "app/motion/frmRecordMotion.h"

namespace mechanon {

void MDIForm1::ShowRecordMotion() {
    auto* window = findChild<frmRecordMotion*>("frmRecordMotion");
    if (!window) {
        window = new frmRecordMotion(bots_);
        area_->addSubWindow(window);
    }
    // In the left column, beside the 3D view, in front of the editor and the motor control window.
    ShowToolWindow(*window);
}

}  // namespace mechanon
