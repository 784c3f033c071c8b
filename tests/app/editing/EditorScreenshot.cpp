// Opens a robot in the program, shows the part editor beside the 3D view with a room and one
// of its subparts selected, and photographs the whole screen with ImageMagick's import:
//   editor_screenshot ROBOT.bot ROOM OUT.png [TAB]
// With TAB ("Motor Position") the room itself is selected and that tab shown instead.
// Run under xvfb-run with a screen as large as the picture wanted; the main window fills it.

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>
#include <iostream>

#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/editing/frmEditBot.h"
#include "app/editing/frmPartsBar.h"
#include "app/modBotMain.h"
#include "model/clsRooms.h"
#include "platform/ScriptedUserInterface.h"
#include "tests/app/PictureTool.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mechanon");
    if (argc < 4) {
        std::cerr << "usage: editor_screenshot ROBOT.bot ROOM OUT.png\n";
        return 2;
    }
    using mechanon::tools::Settle;
    mechanon::tools::PictureTool tool;
    auto& ui = tool.ui;
    auto& program = tool.program;
    mechanon::MDIForm1& main = tool.main;
    main.setGeometry(main.screen()->availableGeometry());
    tool.OpenRobot(argv[1]);

    auto& rooms = program->Bots->PartRooms();
    for (int i = 1; i <= rooms.TotalRooms; ++i)
        if (rooms.Rooms(i)->Name() == argv[2]) main.PartsBar().ActivateRoom(i);
    mechanon::frmEditBot& editor = main.EditBot();
    if (argc >= 5) {
        editor.NodeClicked(1);
        editor.TabStrip1->SelectTab(argv[4]);
    } else {
        if (rooms.ActivePartRoom && rooms.ActivePartRoom->SubParts.Count() > 0)
            editor.NodeClicked(2);
        editor.TabStrip2->SelectTab("SubPart Position");
    }
    Settle(500);
    for (const std::string& message : ui.Messages()) std::cerr << "message: " << message << '\n';

    const int status = QProcess::execute("import", {"-window", "root", argv[3]});
    ui.messageAnswers.push_back(torvane::MsgAnswer::No);
    main.close();
    return status == 0 ? 0 : 1;
}
