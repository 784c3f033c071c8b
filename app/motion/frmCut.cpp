#include "app/motion/frmCut.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "app/CaptionWidth.h"
#include "app/DesktopBasics.h"
#include "app/clsBots.h"
#include "app/motion/MotionCommand.h"
#include "app/motion/RoomMotors.h"
#include "app/motion/RunningCommand.h"
#include "app/motion/ToolPathCommand.h"
#include "app/motion/frmControlMotors.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {

frmCut::frmCut(clsBots& bots, frmControlMotors& source, QWidget* parent)
    : QDialog(parent), bots_(bots), source_(source) {
    setObjectName("frmCut");
    setWindowTitle("Drive Motors");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    Command1 = new QPushButton(kStartCaption, this);
    Command1->setObjectName("Command1");
    Command1->setAutoDefault(false);
    layout->addWidget(Command1);
    connect(Command1, &QPushButton::clicked, this, [this] { StartDriving(); });
    KeepCaptionWhole(*this);
}

void frmCut::StartDriving() {
    if (cutting_) {
        StopDriving();
        return;
    }
    if (RunningCommand::RefuseIfRunning()) return;
    const bool driven = RunMotionCommand([this] { Cut(); });
    ReportInStatusBar(*this, driven ? "The drive has ended." : "The drive did not complete.");
}

void frmCut::Cut() {
    torvane::clsToolPath& toolPath = bots_.ToolPathControl();
    const std::string text = source_.ToolPathText();
    const double period = source_.Period();
    UseActiveRoomMotorsFor(bots_, text);
    // Escape anywhere stops the cut as a second click does.
    const ToolPathCommand command(toolPath);
    struct EndOfCut {
        frmCut& window;
        ~EndOfCut() {
            window.cutting_ = false;
            window.Command1->setText(kStartCaption);
        }
    } endOfCut{*this};
    cutting_ = true;
    Command1->setText(kStopCaption);
    toolPath.DriveXMLToolPath(text, false, period);
}

void frmCut::StopDriving() {
    if (cutting_) bots_.ToolPathControl().RequestStop();
}

void frmCut::reject() {
    // The window cannot go away under a running cut; the cut stops instead.
    if (cutting_) {
        StopDriving();
        return;
    }
    QDialog::reject();
}

void frmCut::closeEvent(QCloseEvent* event) {
    if (cutting_) {
        StopDriving();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace mechanon
