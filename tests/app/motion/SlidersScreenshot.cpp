// Opens a robot in the program, opens Operate > Joint Sliders, moves every slider a third of the
// way from its middle towards its upper end so the pose shows, and photographs the whole screen
// with ImageMagick's import:
//   sliders_screenshot ROBOT.bot OUT.png
// Run under xvfb-run with a screen as large as the picture wanted; the main window fills it.

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QSlider>
#include <iostream>

#include "app/MDIForm1.h"
#include "app/motion/frmJointSliders.h"
#include "platform/ScriptedUserInterface.h"
#include "tests/app/PictureTool.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mechanon");
    if (argc < 3) {
        std::cerr << "usage: sliders_screenshot ROBOT.bot OUT.png\n";
        return 2;
    }
    using mechanon::tools::Settle;
    mechanon::tools::PictureTool tool;
    mechanon::MDIForm1& main = tool.main;
    main.setGeometry(main.screen()->availableGeometry());
    tool.OpenRobot(argv[1]);
    main.MenuItem("mnuJointSliders")->trigger();
    Settle(200);
    auto* window = main.findChild<mechanon::frmJointSliders*>("frmJointSliders");
    if (!window) {
        std::cerr << "the Joint Sliders window did not open\n";
        return 1;
    }
    for (int motor = 1; motor <= window->RowCount(); ++motor) {
        QSlider* slider = window->RowOf(motor).sldValue;
        if (!slider->isEnabled()) continue;
        const int middle = (slider->minimum() + slider->maximum()) / 2;
        slider->setValue(middle + (slider->maximum() - middle) / 3);
    }
    Settle(500);
    for (const std::string& message : tool.ui.Messages())
        std::cerr << "message: " << message << '\n';

    const int status = QProcess::execute("import", {"-window", "root", argv[2]});
    tool.ui.messageAnswers.push_back(torvane::MsgAnswer::No);
    main.close();
    return status == 0 ? 0 : 1;
}
