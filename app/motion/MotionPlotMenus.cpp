// The main window's Operate-menu commands of the motion plot and the simulated motors.

#include <QAction>
#include <QMdiArea>

#include "app/MDIForm1.h"
#include "app/frmBot.h"
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
    // The plot on the left, the 3D view beside it on the right, so scrubbing shows both.
    const QSize inner = area_->viewport()->size();
    const int left = std::max(inner.width() * 11 / 20, std::min(inner.width(), 480));
    plot->showNormal();
    plot->setGeometry(0, 0, left, inner.height());
    BotView().showNormal();
    BotView().setGeometry(left, 0, std::max(0, inner.width() - left), inner.height());
    plot->raise();
    area_->setActiveSubWindow(plot);
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
