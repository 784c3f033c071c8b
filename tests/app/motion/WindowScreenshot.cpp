// Opens a robot in the program, opens one of the windows that pose it, poses it there and
// photographs the whole screen with ImageMagick's import:
//   window_screenshot ik ROBOT.bot OUT.png       Inverse Kinematics on the room's default tip,
//                                                 the tip jogged twice along -X and +Z
//   window_screenshot sliders ROBOT.bot OUT.png  Joint Sliders, every slider a third of the way
//                                                 from its middle towards its upper end
// Run under xvfb-run with a screen as large as the picture wanted; the main window fills it.
// docs/ik.png is examples/arm.bot, docs/sliders.png the servo arm of the URDF samples imported.

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QSlider>
#include <iostream>
#include <string>

#include "app/MDIForm1.h"
#include "app/motion/frmInverseKinematics.h"
#include "app/motion/frmJointSliders.h"
#include "platform/ScriptedUserInterface.h"
#include "tests/app/PictureTool.h"

namespace {

bool PoseByIk(mechanon::MDIForm1& main) {
    main.MenuItem("mnuIK")->trigger();
    mechanon::tools::Settle(200);
    auto* window = main.findChild<mechanon::frmInverseKinematics*>("frmInverseKinematics");
    if (!window) return false;
    for (int i = 0; i < 2; ++i) {
        window->cmdJog[0]->click();  // -X
        window->cmdJog[5]->click();  // +Z
    }
    return true;
}

bool PoseBySliders(mechanon::MDIForm1& main) {
    main.MenuItem("mnuJointSliders")->trigger();
    mechanon::tools::Settle(200);
    auto* window = main.findChild<mechanon::frmJointSliders*>("frmJointSliders");
    if (!window) return false;
    for (int motor = 1; motor <= window->RowCount(); ++motor) {
        QSlider* slider = window->RowOf(motor).sldValue;
        if (!slider->isEnabled()) continue;
        const int middle = (slider->minimum() + slider->maximum()) / 2;
        slider->setValue(middle + (slider->maximum() - middle) / 3);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mechanon");
    const std::string which = argc >= 2 ? argv[1] : "";
    if (argc < 4 || (which != "ik" && which != "sliders")) {
        std::cerr << "usage: window_screenshot ik|sliders ROBOT.bot OUT.png\n";
        return 2;
    }
    mechanon::tools::PictureTool tool;
    mechanon::MDIForm1& main = tool.main;
    main.setGeometry(main.screen()->availableGeometry());
    tool.OpenRobot(argv[2]);
    if (!(which == "ik" ? PoseByIk(main) : PoseBySliders(main))) {
        std::cerr << "the window did not open\n";
        return 1;
    }
    mechanon::tools::Settle(500);
    for (const std::string& message : tool.ui.Messages())
        std::cerr << "message: " << message << '\n';

    const int status = QProcess::execute("import", {"-window", "root", argv[3]});
    tool.ui.messageAnswers.push_back(torvane::MsgAnswer::No);
    main.close();
    return status == 0 ? 0 : 1;
}
