// The main window's Operate-menu commands of the motion plot and the simulated motors.

#include <QAction>
#include <QMdiArea>

#include "app/MDIForm1.h"
#include "app/motion/SimulatedMotors.h"
#include "app/motion/frmControlMotors.h"
#include "app/motion/frmMotionPlot.h"

namespace mechanon {

void MDIForm1::ShowMotionPlot() {
    auto* plot = findChild<frmMotionPlot*>("frmMotionPlot");
    if (!plot) {
        plot = new frmMotionPlot(bots_, ControlMotors());
        area_->addSubWindow(plot);
        MarkDriveWindows(*this, SimulatingMotors(bots_));
    }
    // The plot takes the left column, in front of the editor and the motor control window; the
    // 3D view beside it stays as it is, so scrubbing shows both.
    ShowToolWindow(*plot);
    if (ControlMotors().ToolPathText().find_first_not_of(" \t\r\n") != std::string::npos)
        plot->Plot();
}

void MDIForm1::ToggleSimulateMotors() {
    QAction* item = MenuItem("mnuSimulateMotors");
    const bool on = item->isChecked();
    try {
        SimulateMotors(*this, bots_, on);
    } catch (...) {
        item->setChecked(!on);  // the check mark shows what the ports really do
        throw;
    }
}

}  // namespace mechanon
