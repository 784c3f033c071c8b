// Opens a robot and its tool path in the program, plots the re-timed path beside the 3D view,
// moves the time slider to a share of the path, and photographs the screen with ImageMagick's
// import:
//   plot_screenshot ROBOT.bot PATH.txt OUT.png [SHARE [MOTORS]]
// SHARE (0 to 1, default .3) is where on the path the slider stands. With MOTORS (a motor list
// text, lines separated by "|") the path is then driven on simulated motors first, and the
// picture shows the live plot. Run under xvfb-run with a screen as large as the picture wanted;
// the main window fills it.

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>
#include <iostream>

#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/modBotMain.h"
#include "app/motion/MultiLineTextBox.h"
#include "app/motion/frmControlMotors.h"
#include "app/motion/frmMotionPlot.h"
#include "model/NumberText.h"
#include "model/clsRooms.h"
#include "platform/ScriptedUserInterface.h"
#include "tests/app/PictureTool.h"
#include "toolpath/clsToolPath.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mechanon");
    if (argc < 4) {
        std::cerr << "usage: plot_screenshot ROBOT.bot PATH.txt OUT.png [SHARE]\n";
        return 2;
    }
    using mechanon::tools::Settle;
    mechanon::tools::PictureTool tool;
    auto& ui = tool.ui;
    auto& program = tool.program;
    mechanon::MDIForm1& main = tool.main;
    main.setGeometry(main.screen()->availableGeometry());
    tool.OpenRobot(argv[1]);

    main.ControlMotors().txtXML->SetText(program->Bots->MI().LoadString(argv[2]));
    main.MenuItem("mnuMotionPlot")->trigger();
    Settle(200);
    auto* plot = main.findChild<mechanon::frmMotionPlot*>("frmMotionPlot");
    if (!plot) {
        std::cerr << "no motion plot window\n";
        return 1;
    }
    plot->cmbSource->setCurrentIndex(1);
    plot->cmdPlot->click();
    plot->txtLimit->setText("5");
    const double share = argc >= 5 ? torvane::NumberValue(argv[4]) : 0.3;
    plot->sldTime->setValue(static_cast<int>(plot->sldTime->maximum() * share));
    if (argc >= 6) {
        std::string motors = argv[5];
        for (std::size_t at = motors.find('|'); at != std::string::npos; at = motors.find('|'))
            motors.replace(at, 1, "\r\n");
        // The motor list is the robot's: the active room keeps it.
        const auto room = program->Bots->PartRooms().ActivePartRoom;
        torvane::typMotorMasks masks = room->MotorMasks();
        masks.XMLProperties = motors;
        room->SetMotorMasks(masks);
        QAction* simulate = main.MenuItem("mnuSimulateMotors");
        if (!simulate->isChecked()) simulate->trigger();
        plot->cmdDrive->click();
    }
    Settle(500);
    for (const std::string& message : ui.Messages()) std::cerr << "message: " << message << '\n';

    const int status = QProcess::execute("import", {"-window", "root", argv[3]});
    ui.messageAnswers.push_back(torvane::MsgAnswer::No);
    main.close();
    return status == 0 ? 0 : 1;
}
