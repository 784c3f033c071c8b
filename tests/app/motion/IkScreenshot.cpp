// Opens a robot in the program, opens Operate > Inverse Kinematics Solver on the room's default
// tip, jogs the tip along -X and +Z so the handle shows where it went, and photographs the whole
// screen with ImageMagick's import:
//   ik_screenshot ROBOT.bot OUT.png [STEPS]
// STEPS (default 2) is how many times each jog button is pressed. Run under xvfb-run with a
// screen as large as the picture wanted; the main window fills it.

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <iostream>
#include <string>

#include "app/MDIForm1.h"
#include "app/motion/frmInverseKinematics.h"
#include "platform/ScriptedUserInterface.h"
#include "tests/app/PictureTool.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mechanon");
    if (argc < 3) {
        std::cerr << "usage: ik_screenshot ROBOT.bot OUT.png [STEPS]\n";
        return 2;
    }
    using mechanon::tools::Settle;
    mechanon::tools::PictureTool tool;
    mechanon::MDIForm1& main = tool.main;
    main.setGeometry(main.screen()->availableGeometry());
    tool.OpenRobot(argv[1]);
    main.MenuItem("mnuIK")->trigger();
    Settle(200);
    auto* window = main.findChild<mechanon::frmInverseKinematics*>("frmInverseKinematics");
    if (!window) {
        std::cerr << "the Inverse Kinematics window did not open\n";
        return 1;
    }
    const int steps = argc >= 4 ? std::stoi(argv[3]) : 2;
    for (int i = 0; i < steps; ++i) {
        window->cmdJog[0]->click();  // -X
        window->cmdJog[5]->click();  // +Z
    }
    Settle(500);
    for (const std::string& message : tool.ui.Messages())
        std::cerr << "message: " << message << '\n';

    const int status = QProcess::execute("import", {"-window", "root", argv[2]});
    tool.ui.messageAnswers.push_back(torvane::MsgAnswer::No);
    main.close();
    return status == 0 ? 0 : 1;
}
