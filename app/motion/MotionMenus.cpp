// The main window's Motors-menu commands: the serial test window and the motor properties window
// (both modal) and the tool-path window beside the 3D view. The windows are made once, owned by
// the main window.

#include "app/MDIForm1.h"
#include "app/motion/MotionCommand.h"
#include "app/motion/frmControlMotors.h"
#include "app/motion/frmCutToolPath.h"
#include "app/motion/frmMotorsProperties.h"
#include "app/motion/frmRS232.h"

namespace mechanon {

void MDIForm1::CreateMotionWindows() {
    work_ = new frmCutToolPath(bots_, ControlMotors());
    area_->addSubWindow(work_);
    work_->hide();
    motorsProperties_ = new frmMotorsProperties(bots_, this);
    testMotor_ = new frmRS232(this, ports_);
    controlMotors_->OpenMotionPlot = [this] { RunCommand(&MDIForm1::ShowMotionPlot); };
}

void MDIForm1::ShowTestMotor() {
    RunMotionCommand([this] { testMotor_->exec(); });
}

void MDIForm1::ShowMotorsProperties() {
    RunMotionCommand([this] {
        // The Properties page of Control Motors shows the same list.
        if (motorsProperties_->exec() == QDialog::Accepted) ControlMotors().Activated();
    });
}

void MDIForm1::ShowWork() {
    RunMotionCommand([this] {
        // The tool-path window in the left column, the 3D view beside it as it was.
        ShowToolWindow(*work_);
    });
}

}  // namespace mechanon
