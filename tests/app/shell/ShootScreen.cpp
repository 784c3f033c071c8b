// Starts the program as the user sees it, opens a robot through the Open command and saves a
// picture of the main window:
//   shoot_screen ROBOT.bot OUT.png [WIDTH HEIGHT]
// Needs a display (xvfb-run). The dialogs of the Open command are answered by a script.

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <iostream>

#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/modBotMain.h"
#include "platform/ScriptedUserInterface.h"

namespace {

void Settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mechanon");
    if (argc < 3) {
        std::cerr << "usage: shoot_screen ROBOT.bot OUT.png [WIDTH HEIGHT]\n";
        return 2;
    }
    torvane::ScriptedUserInterface ui;
    torvane::ScopedUserInterface installed(ui);
    auto program = mechanon::StartProgram();
    mechanon::MDIForm1& main = *program->Main;
    main.move(0, 0);
    if (argc >= 5) main.resize(std::atoi(argv[3]), std::atoi(argv[4]));
    Settle(300);
    ui.messageAnswers.push_back(torvane::MsgAnswer::OK);
    ui.fileAnswers.push_back(argv[1]);
    main.MenuItem("mnuOpen")->trigger();
    Settle(500);
    for (const std::string& message : ui.Messages()) std::cerr << "message: " << message << '\n';
    const QPixmap shot =
        main.screen()->grabWindow(0, main.frameGeometry().x(), main.frameGeometry().y(),
                                  main.frameGeometry().width(), main.frameGeometry().height());
    if (!shot.save(argv[2])) {
        std::cerr << "shoot_screen: cannot write " << argv[2] << '\n';
        return 1;
    }
    std::cout << "first frame after " << program->SecondsToFirstFrame << " s\n";
    ui.messageAnswers.push_back(torvane::MsgAnswer::No);
    main.close();
    return 0;
}
