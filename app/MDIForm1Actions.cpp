// The menu bar, the toolbar and the Help menu's commands of the main window.

#include <QDir>
#include <QFileInfo>
#include <QMenuBar>

#include "app/DesktopBasics.h"
#include "app/HelpWindow.h"
#include "app/MDIForm1.h"
#include "app/ToolbarIcons.h"
#include "app/motion/MotionCommand.h"
#include "app/motion/frmInverseKinematics.h"
#include "platform/UserInterface.h"

namespace mechanon {

QAction* MDIForm1::AddMenuItem(QMenu* menu, const QString& name, const QString& caption,
                               void (MDIForm1::*command)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (command)
        connect(action, &QAction::triggered, this,
                [this, command, caption] { RunReportedCommand(caption, command); });
    menuItems_.insert(name, action);
    return action;
}

void MDIForm1::CreateActions() {
    QMenuBar* bar = menuBar();
    auto addMenu = [&](const QString& name, const QString& caption, bool active = true) {
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        menu->menuAction()->setEnabled(active);
        menuItems_.insert(name, menu->menuAction());
        return menu;
    };
    // Placeholders for commands the program does not have yet are kept, unavailable and out of
    // sight, so that their names stay reserved.
    auto inactive = [](QAction* a) {
        a->setEnabled(false);
        a->setVisible(false);
    };

    QMenu* file = addMenu("mnuFile", "&File");
    AddMenuItem(file, "mnuNew", "&New", &MDIForm1::NewRobot);
    AddMenuItem(file, "mnuOpen", "&Open", &MDIForm1::OpenRobot);
    AddMenuItem(file, "mnuImportUrdf", "&Import URDF...", &MDIForm1::ImportRobot);
    AddMenuItem(file, "mnuSave", "&Save", &MDIForm1::SaveCommand);
    AddMenuItem(file, "mnuSaveAs", "Save &As", &MDIForm1::SaveAsCommand);
    file->addSeparator();
    AddMenuItem(file, "mnuExportUrdf", "Export &URDF...", &MDIForm1::ExportUrdf);
    AddMenuItem(file, "mnuExportStl", "Export S&TL...", &MDIForm1::ExportStl);
    AddMenuItem(file, "mnuExportPicture", "Export &Picture...", &MDIForm1::ExportPicture);
    CreateEditMenu();
    CreateViewMenu();

    QMenu* design = addMenu("mnuParts", "&Design");
    AddMenuItem(design, "mnuShowParts", "&Edit Parts in Room", &MDIForm1::ShowParts);
    AddMenuItem(design, "mnuCreatePartRoom", "Create Part Room", &MDIForm1::CreateRoom);
    AddMenuItem(design, "mnuDeletePartRoom", "Delete Part Room", &MDIForm1::DeleteRoom);
    AddMenuItem(design, "mnuMoveRoomRight", "Move Selected Part Room To Right",
                &MDIForm1::MoveRoomRight);
    AddMenuItem(design, "mnuMoveLeft", "Move Selected Part Room To Left", &MDIForm1::MoveRoomLeft);
    AddMenuItem(design, "mnuMoveSubUp", "Move Selected Sub Part Up", &MDIForm1::MoveSubUp);
    AddMenuItem(design, "mnuMoveSubDown", "Move Selected Sub Part Down", &MDIForm1::MoveSubDown);

    QMenu* operate = addMenu("mnuOperate", "&Operate");
    AddMenuItem(operate, "mnuAnimateActuate", "&Drive Motor Positions", &MDIForm1::ShowDriveMotors);
    AddMenuItem(operate, "mnuMotionPlot", "Motion &Plot", &MDIForm1::ShowMotionPlot);
    AddMenuItem(operate, "mnuJointSliders", "&Joint Sliders", &MDIForm1::ShowJointSliders);
    AddMenuItem(operate, "mnuSimulateMotors", "&Simulate Motors", &MDIForm1::ToggleSimulateMotors)
        ->setCheckable(true);
    AddMenuItem(operate, "mnuRecordMotion", "&Record Motion", &MDIForm1::ShowRecordMotion);
    inactive(AddMenuItem(operate, "mnuALgebraicSolver", "Algebraic System Solver", nullptr));
    QAction* ik = AddMenuItem(operate, "mnuIK", "&Inverse Kinematics Solver", nullptr);
    connect(ik, &QAction::triggered, this, [this, ik] {
        const int reports = StatusReports(*this);
        const bool done = RunMotionCommand([this] { ShowInverseKinematics(*this, bots_); });
        ReportUnreportedCommand(*this, ik->text(), done, reports);
    });

    QMenu* common = addMenu("mnuCommon", "&Common");
    AddMenuItem(common, "mnuArrangeForms", "Arrange Forms", &MDIForm1::ArrangeForms);
    AddMenuItem(common, "mnuPartsBar", "&Show Parts Bar", &MDIForm1::ShowPartsBar);
    AddMenuItem(common, "mnuShowGraphics2", "Show &Graphics Form", &MDIForm1::ShowGraphics);
    QAction* axis =
        AddMenuItem(common, "mnuShowAxis", "Show Axis on Graphics", &MDIForm1::ToggleAxis);
    axis->setCheckable(true);
    axis->setChecked(true);
    QAction* grids =
        AddMenuItem(common, "mnuShowGrids", "Show Grids on Graphics", &MDIForm1::ToggleGrids);
    grids->setCheckable(true);
    grids->setChecked(true);

    QMenu* help = addMenu("mnuHelp", "&Help");
    AddMenuItem(help, "mnuHelp1", "&Help", &MDIForm1::Help);
    AddMenuItem(help, "mnuHomePage", "Home &Page", &MDIForm1::HomePage);

    inactive(addMenu("mnuSpace", "-------XX", false)->menuAction());
    QMenu* graphics = addMenu("mnuGraphicsWindows", "&Graphics");
    inactive(AddMenuItem(graphics, "mnuCamera", "&Camera", nullptr));
    AddMenuItem(graphics, "mnuEditBot", "&Edit Bot", &MDIForm1::ShowEditBot);
    AddMenuItem(graphics, "mnuBotGL", "&ReDisplay Bot", &MDIForm1::ShowBotMaximised);
    QMenu* motors = addMenu("mnuMotors", "&Motors");
    // The serial test, motor properties and tool-path windows open from here.
    AddMenuItem(motors, "mnuTestMotor", "&Test Motor", &MDIForm1::ShowTestMotor);
    AddMenuItem(motors, "mnuMotorsProperties", "&Motors Properties",
                &MDIForm1::ShowMotorsProperties);
    AddMenuItem(motors, "mnuScanBus", "Scan &Bus", &MDIForm1::ShowScanBus);
    inactive(AddMenuItem(motors, "mnuPlanToolPath", "&Plan Toolpath", nullptr));
    AddMenuItem(motors, "mnuWork", "&Cut Toolpath", &MDIForm1::ShowWork);
    inactive(AddMenuItem(motors, "mnuEllipse", "Ellipse", nullptr));
    QMenu* commands = addMenu("mnuCommands", "&Commands", false);
    inactive(commands->menuAction());
    inactive(AddMenuItem(commands, "mnuTest", "test", nullptr));
    inactive(AddMenuItem(commands, "mnuStopBot", "&Stop Bot", nullptr));
}

void MDIForm1::CreateToolbar() {
    toolbar_ = addToolBar("Toolbar1");
    toolbar_->setObjectName("Toolbar1");
    toolbar_->setMovable(false);
    struct Button {
        const char* key;
        const char* tip;
    };
    static constexpr Button kButtons[] = {
        {"New", "New"},
        {"Open", "Open"},
        {"Save", "Save"},
        {"Undo", "Undo"},
        {"Redo", "Redo"},
        {"Left", "Move Part Room Left"},
        {"Right", "Move Part Room Right"},
        {"Up", "Move Sub Part Up"},
        {"Down", "Move Sub Part Down"},
        {"CreateRoom", "Create Part Room"},
        {"DeleteRoom", "Delete Part Room"},
        {"ShowEditForm", "Show Edit Parts Room"},
        {"ShowDriveMotors", "Show Drive Motors Form"},
        {"ShowAxisOnGraph", "Show Axis On Graph"},
        {"ShowGridsOnGraph", "Show Grids On Graph"},
        {"Help", "Help"},
    };
    for (const Button& b : kButtons) {
        const QString key(b.key);
        QAction* action = toolbar_->addAction(ToolbarIcon(key), b.tip);
        action->setObjectName("Toolbar1_" + key);
        action->setToolTip(b.tip);
        action->setData(key);
        connect(action, &QAction::triggered, this, [this, key] { RunToolbarKey(key); });
        toolbarButtons_.insert(key, action);
    }
    // Two-state buttons; their pressed state always follows the menu check mark.
    for (const char* key : {"ShowAxisOnGraph", "ShowGridsOnGraph"}) {
        toolbarButtons_[key]->setCheckable(true);
        toolbarButtons_[key]->setChecked(true);
    }
}

void MDIForm1::RunToolbarKey(const QString& key) {
    using Command = void (MDIForm1::*)();
    static const QHash<QString, Command> kCommands = {
        {"New", &MDIForm1::NewRobot},
        {"Open", &MDIForm1::OpenRobot},
        {"Save", &MDIForm1::SaveCommand},
        {"Undo", &MDIForm1::Undo},
        {"Redo", &MDIForm1::Redo},
        {"Left", &MDIForm1::MoveRoomLeft},
        {"Right", &MDIForm1::MoveRoomRight},
        {"Up", &MDIForm1::MoveSubUp},
        {"Down", &MDIForm1::MoveSubDown},
        {"CreateRoom", &MDIForm1::CreateRoom},
        {"DeleteRoom", &MDIForm1::DeleteRoom},
        {"ShowEditForm", &MDIForm1::ShowParts},
        {"ShowDriveMotors", &MDIForm1::ShowDriveMotors},
        {"ShowAxisOnGraph", &MDIForm1::ToggleAxis},
        {"ShowGridsOnGraph", &MDIForm1::ToggleGrids},
        {"Help", &MDIForm1::Help},
        {"ShowPartsBar", &MDIForm1::ShowPartsBar},
        {"ShowGraph", &MDIForm1::ShowGraphics},
        {"ArrangeForms", &MDIForm1::ArrangeForms},
    };
    const auto it = kCommands.constFind(key);
    if (it == kCommands.constEnd()) return;
    const QAction* button = toolbarButtons_.value(key);
    RunReportedCommand(button ? button->toolTip() : key, it.value());
    // A click toggles a two-state button by itself; its state must stay that of the menu
    // check mark even when the command failed.
    if (key == "ShowAxisOnGraph") SetToolbarPressed(key, "mnuShowAxis");
    if (key == "ShowGridsOnGraph") SetToolbarPressed(key, "mnuShowGrids");
}

void MDIForm1::SetToolbarPressed(const QString& key, const QString& menuName) {
    toolbarButtons_[key]->setChecked(menuItems_[menuName]->isChecked());
}

void MDIForm1::Help() {
    QString file = QDir(ProgramFolder).filePath("mechanon.htm");
    // An installed program keeps its help page with the documentation.
    if (!QFileInfo::exists(file))
        file = QDir::cleanPath(QDir(ProgramFolder).filePath(MECHANON_INSTALLED_HELP));
    try {
        if (!QFileInfo::exists(file)) {
            torvane::Host().MsgBox(
                "Can't find 'mechanon.htm' help file.  Try reinstalling the application.",
                torvane::MsgButtons::OK);
            return;
        }
        // Without a browser on the desktop the page is shown here.
        if (!OpenUrl(QUrl::fromLocalFile(file))) {
            auto* help = findChild<HelpWindow*>("HelpWindow");
            if (!help) help = new HelpWindow(this);
            help->ShowPage(file);
        }
    } catch (const std::exception&) {
        torvane::Host().MsgBox(
            "Can't find help files.  Try reinstalling if you don't know where they went.",
            torvane::MsgButtons::OK);
    }
}

void MDIForm1::HomePage() {
    // The program has no web site of its own: its home is the help page it ships with.
    Help();
}

}  // namespace mechanon
