#pragma once
// The common start of the tools that take the pictures of the documentation: the program
// started as the user sees it, with the dialogs answered by a script, and a robot opened
// through the Open command, or a URDF robot through File > Import URDF... Needs a display
// (xvfb-run).

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>
#include <string>

#include "app/MDIForm1.h"
#include "app/frmImportUrdf.h"
#include "app/modBotMain.h"
#include "platform/ScriptedUserInterface.h"

namespace mechanon::tools {

// Lets the event loop run for ms milliseconds, so windows are laid out and drawn.
inline void Settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

class PictureTool {
  public:
    PictureTool() : program(StartProgram()), main(*program->Main) {}

    // File > Open of robotPath, discarding the current robot.
    void OpenRobot(const std::string& robotPath, int settleMs = 300) {
        Settle(300);
        ui.messageAnswers.push_back(torvane::MsgAnswer::No);
        ui.fileAnswers.push_back(robotPath);
        main.MenuItem("mnuOpen")->trigger();
        Settle(settleMs);
    }

    // File > Import URDF... of urdfPath with the dialog's defaults, discarding the current robot.
    void ImportRobot(const std::string& urdfPath, int settleMs = 300) {
        Settle(300);
        ui.messageAnswers.push_back(torvane::MsgAnswer::No);
        QTimer::singleShot(0, [urdfPath] {
            auto* dialog = qobject_cast<frmImportUrdf*>(QApplication::activeModalWidget());
            if (!dialog) return;
            dialog->txtFile->setText(QString::fromStdString(urdfPath));
            dialog->accept();
        });
        main.MenuItem("mnuImportUrdf")->trigger();
        Settle(settleMs);
    }

    torvane::ScriptedUserInterface ui;

  private:
    torvane::ScopedUserInterface installed_{ui};

  public:
    std::unique_ptr<Program> program;
    MDIForm1& main;
};

}  // namespace mechanon::tools
