// The main window's Motors > Scan Bus command.

#include <QMdiArea>

#include "app/MDIForm1.h"
#include "app/motion/frmScanBus.h"

namespace mechanon {

void MDIForm1::ShowScanBus() {
    auto* window = findChild<frmScanBus*>("frmScanBus");
    if (!window) {
        window = new frmScanBus(bots_);
        area_->addSubWindow(window);
    }
    ShowToolWindow(*window);
}

}  // namespace mechanon
