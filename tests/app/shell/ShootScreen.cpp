// Starts the program as the user sees it, opens a robot through the Open command (or imports it
// through File > Import URDF... when its file ends in .urdf) and saves a picture of the main
// window:
//   shoot_screen ROBOT.bot|ROBOT.urdf OUT.png [WIDTH HEIGHT]
// Needs a display (xvfb-run). The dialogs of the commands are answered by a script.

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/modBotMain.h"
#include "platform/ScriptedUserInterface.h"
#include "tests/app/PictureTool.h"

namespace {

// Seconds since this process was started by the system (10 ms resolution), or -1 when the
// system does not say.
double SecondsSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::ifstream uptime("/proc/uptime");
    std::string line;
    double up = 0;
    if (!std::getline(stat, line) || !(uptime >> up)) return -1;
    // Field 22 (start time in clock ticks after boot) comes after the parenthesised name.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const long ticks = sysconf(_SC_CLK_TCK);
    return ticks > 0 ? up - std::stod(field) / static_cast<double>(ticks) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mechanon");
    if (argc < 3) {
        std::cerr << "usage: shoot_screen ROBOT.bot|ROBOT.urdf OUT.png [WIDTH HEIGHT]\n";
        return 2;
    }
    using mechanon::tools::Settle;
    mechanon::tools::PictureTool tool;
    const double sinceProcessStart = SecondsSinceProcessStart();
    auto& ui = tool.ui;
    auto& program = tool.program;
    mechanon::MDIForm1& main = tool.main;
    main.move(0, 0);
    if (argc >= 5) main.resize(std::atoi(argv[3]), std::atoi(argv[4]));
    const std::string robot = argv[1];
    if (robot.ends_with(".urdf"))
        tool.ImportRobot(robot, 1500);
    else
        tool.OpenRobot(robot, 500);
    for (const std::string& message : ui.Messages()) std::cerr << "message: " << message << '\n';
    const QPixmap shot =
        main.screen()->grabWindow(0, main.frameGeometry().x(), main.frameGeometry().y(),
                                  main.frameGeometry().width(), main.frameGeometry().height());
    if (!shot.save(argv[2])) {
        std::cerr << "shoot_screen: cannot write " << argv[2] << '\n';
        return 1;
    }
    std::cout << "first frame " << sinceProcessStart << " s after the process started ("
              << program->SecondsToFirstFrame << " s in start-up)\n";
    ui.messageAnswers.push_back(torvane::MsgAnswer::No);
    main.close();
    return 0;
}
