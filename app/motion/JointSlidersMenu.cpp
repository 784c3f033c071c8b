// The main window's Operate > Joint Sliders: the joint sliders window in the left column, made
// on first use.

#include <QMdiArea>

#include "app/MDIForm1.h"
#include "app/motion/frmJointSliders.h"

namespace mechanon {

void MDIForm1::ShowJointSliders() {
    auto* sliders = findChild<frmJointSliders*>("frmJointSliders");
    if (!sliders) {
        sliders = new frmJointSliders(bots_);
        area_->addSubWindow(sliders);
    }
    ShowToolWindow(*sliders);
    sliders->Refresh();
}

}  // namespace mechanon
