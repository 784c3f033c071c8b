#include "app/motion/SimulatedMotors.h"

#include <QWidget>

#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/motion/frmControlMotors.h"
#include "app/motion/frmCut.h"
#include "app/motion/frmMotionPlot.h"
#include "app/motion/frmRS232.h"
#include "model/Error.h"
#include "motorio/frmMSComms.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {

QString WithSimulatedMark(const QString& Caption, bool Simulated) {
    QString plain = Caption;
    if (plain.endsWith(kSimulatedMark)) plain.chop(static_cast<int>(qstrlen(kSimulatedMark)));
    return Simulated ? plain + kSimulatedMark : plain;
}

bool SimulatingMotors(clsBots& Bots) {
    return Bots.ToolPathControl().PortHost().Backend() == torvane::PortBackend::SimulatedMotor;
}

void MarkDriveWindows(MDIForm1& Main, bool Simulated) {
    auto mark = [Simulated](QWidget* window) {
        if (window) window->setWindowTitle(WithSimulatedMark(window->windowTitle(), Simulated));
    };
    mark(&Main.ControlMotors());
    mark(&Main.ControlMotors().DriveMotorsWindow());
    for (QWidget* w : Main.findChildren<frmRS232*>()) mark(w);
    for (QWidget* w : Main.findChildren<frmMotionPlot*>()) mark(w);
}

void SimulateMotors(MDIForm1& Main, clsBots& Bots, bool On) {
    torvane::clsToolPath& toolPath = Bots.ToolPathControl();
    if (toolPath.Cutting())
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "The motors cannot be switched between simulated and real while they are "
                       "being driven.  Stop the drive first.");
    const auto backend =
        On ? torvane::PortBackend::SimulatedMotor : torvane::PortBackend::SerialDevice;
    toolPath.PortHost().UsePortBackend(backend);
    // The test motor window opens its port through the library's shared host.
    torvane::frmMSComms::Shared()->UsePortBackend(backend);
    MarkDriveWindows(Main, On);
}

}  // namespace mechanon
