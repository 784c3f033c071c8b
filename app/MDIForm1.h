#pragma once
// The main window: a multiple-document area holding the parts bar (top), the part editor and
// the motor control window (left) and the 3D view (right), with the menu bar and toolbar that
// reach every document, room and window command. The commands live in their own files:
// MDIForm1Document.cpp (new, open, save, snapshots), MDIForm1Edit.cpp (undo, redo),
// MDIForm1Rooms.cpp (rooms, subparts, display toggles), MDIForm1Layout.cpp (arrangement and window
// commands) and MDIForm1Actions.cpp (menus, toolbar, help).

#include <QAction>
#include <QHash>
#include <QMainWindow>
#include <QMdiArea>
#include <QToolBar>
#include <QUrl>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "export/UrdfImport.h"
#include "motorio/Event.h"

namespace torvane {
class frmMSComms;
}

namespace mechanon {

class clsBots;
class frmBot;
class frmEditBot;
class frmPartsBar;
class frmControlMotors;
class MainWindowView;
class frmCutToolPath;
class frmMotorsProperties;
class frmRS232;
class DocumentState;

// lPath with "\" appended unless it already ends with one.
std::string SlashPath(const std::string& lPath);

// The caption for a document at path: the program's name, and after five blanks the path
// once the robot has been opened or saved; a leading "*" while it has unsaved changes.
QString CaptionForPath(const std::string& path, bool modified = false);

class MDIForm1 : public QMainWindow {
    Q_OBJECT
  public:
    // Ports: the program's port host, for the test motor window and Simulate Motors.
    MDIForm1(clsBots& bots, std::shared_ptr<torvane::frmMSComms> ports);
    ~MDIForm1() override;

    // False until start-up has finished; while false, resizing does not rearrange windows.
    bool Loaded = false;

    void ArrangeForms();
    // Asks whether to save; Cancel becomes true when the user wants the window to stay open, or
    // the save failed or was cancelled.
    void ShutDown(std::int16_t& Cancel);
    void RegenerateSnapShots();
    // False when the user cancelled the file dialog; a failed write raises an error.
    bool Save(bool SaveAs);

    // The start-up arrangement of the child windows and their first refresh.
    void StartUpLayout();

    // Document commands.
    void SaveCommand() { Save(false); }
    void SaveAsCommand() { Save(true); }
    void NewRobot();
    void OpenRobot();
    // Opens the robot file at path without asking first (File > Open after its dialog, a file
    // named on the command line): a file that cannot be read is reported and the document stays.
    void OpenRobotFile(const std::string& path);
    // File > Import URDF...: asks about unsaved work, then for the URDF file, the package search
    // path and the unit (frmImportUrdf), and imports (MDIForm1Import.cpp).
    void ImportRobot();
    // Replaces the document by the robot of a URDF file, unsaved, its robot room shown fitted to
    // the view, its warnings in one message. A file that cannot be imported is reported and the
    // document stays as it was.
    void ImportRobotFile(const std::filesystem::path& file, const UrdfImportOptions& options);
    // File > Recent Files: asks about unsaved work first; failures are reported.
    void OpenRecent(const std::string& path);
    // File > Export URDF..., Export STL..., Export Picture...: the active room as the view shows
    // it, to a file the user chooses (MDIForm1Export.cpp).
    void ExportUrdf();
    void ExportStl();
    void ExportPicture();
    // Edit > Undo and Edit > Redo: one step of the robot's history (MDIForm1Edit.cpp).
    void Undo();
    void Redo();
    // Room and subpart commands.
    void CreateRoom();
    void DeleteRoom();
    void MoveRoomLeft();
    void MoveRoomRight();
    void MoveSubUp();
    void MoveSubDown();
    void ToggleAxis();
    void ToggleGrids();
    // Window commands.
    void ShowParts();
    void ShowEditBot();
    void ShowDriveMotors();
    void ShowPartsBar();
    void ShowGraphics();
    void ShowBotMaximised();
    // The left column below the parts bar, beside the 3D view, in the area's coordinates: the
    // part editor, the motor control window and the tool windows share it, one in front.
    QRect LeftColumn() const;
    // Brings a tool window to the front in the left column; no other window moves.
    void ShowToolWindow(QMdiSubWindow& window);
    void Help();
    void HomePage();
    // The motion plot beside the 3D view, and the simulated-motor switch
    // (app/motion/MotionPlotMenus.cpp).
    void ShowMotionPlot();
    void ToggleSimulateMotors();
    // Operate > Joint Sliders: a slider per motor of the active room in the left column
    // (app/motion/JointSlidersMenu.cpp).
    void ShowJointSliders();
    // Operate > Record Motion: the recording window in the left column
    // (app/motion/RecordMotionMenu.cpp).
    void ShowRecordMotion();
    // The Motors menu: the serial test and motor properties windows, and the tool-path window
    // beside the 3D view (app/motion/MotionMenus.cpp).
    void ShowTestMotor();
    void ShowMotorsProperties();
    void ShowWork();
    // Motors > Scan Bus: the servos on a serial bus, in the left column
    // (app/motion/ScanBusMenu.cpp).
    void ShowScanBus();
    // The View menu: the camera aimed at the whole active room, keeping the direction of view
    // or from the front, the side or above (app/MDIForm1View.cpp).
    void FitToView();
    void ViewFront();
    void ViewSide();
    void ViewTop();
    // A click at a point of the 3D view (device pixels) selects the subpart of the nearest part
    // under it, however deep in the active room's tree (the part editor's tree shows it); a click
    // on nothing changes nothing.
    void PickAt(double x, double y);

    // Runs the action of a toolbar key (also the three keys without a button); unknown keys
    // do nothing.
    void RunToolbarKey(const QString& key);

    frmBot& BotView() const { return *botView_; }
    frmEditBot& EditBot() const { return *editBot_; }
    frmPartsBar& PartsBar() const { return *partsBar_; }
    frmControlMotors& ControlMotors() const { return *controlMotors_; }
    torvane::frmMSComms& PortHost() const { return *ports_; }
    QMdiArea& Area() const { return *area_; }

    const std::string& CurrentPath() const { return currentPath_; }
    // True when the robot has changes that are not in its file (New, Open and closing ask
    // about them only then).
    bool DocumentModified() const;
    // The robot as it stands is the one on disk, or a new one.
    void MarkDocumentClean();
    bool MotorsInFront() const { return motorsInFront_; }
    // The menu item of the given name ("mnuShowAxis"), or null.
    QAction* MenuItem(const QString& name) const { return menuItems_.value(name); }
    // The toolbar button of the given key ("ShowAxisOnGraph"), or null.
    QAction* ToolbarButton(const QString& key) const { return toolbarButtons_.value(key); }
    QToolBar& Toolbar() const { return *toolbar_; }

    // Opens a file or address in the desktop's default application; replaceable so that
    // tests do not start a browser.
    std::function<bool(const QUrl&)> OpenUrl;
    // The folder the program runs from (the help page lies beside the program).
    QString ProgramFolder;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The tool windows made so far (the tool-path window, the motion plot once opened).
    std::vector<QMdiSubWindow*> ToolWindows() const;
    void CreateActions();
    void CreateMotionWindows();
    void CreateToolbar();
    void CreateEditMenu();
    void CreateViewMenu();
    // The texts, tips and greying of Undo and Redo, in the menu and on the toolbar.
    void UpdateUndoActions();
    QAction* AddMenuItem(QMenu* menu, const QString& name, const QString& caption,
                         void (MDIForm1::*command)());
    // Runs a command; any error it raises is shown in a message box and the program goes on.
    // False when it failed.
    bool RunCommand(void (MDIForm1::*command)());
    // RunCommand, then the status bar says what it did: the command's own report, or its
    // caption with whether it went through.
    void RunReportedCommand(const QString& caption, void (MDIForm1::*command)());
    void SetDocumentPath(const std::string& path);
    // After the document was replaced (New, Open): the snapshots are remade in the background,
    // and every window shows room 1 with the room itself selected.
    void ShowNewDocument();
    void SetToolbarPressed(const QString& key, const QString& menuName);
    void MoveSelectedSubPart(bool up);
    // True when nothing unsaved would be lost: there are no unsaved changes, the user saved them
    // or chose to discard them. The question names the file and what is about to happen
    // (before, "exiting"); a save that fails is reported and keeps the robot.
    bool MayReplaceDocument(const std::string& before);
    void ShowImportedRobot(const std::string& robotRoom);
    void ReportImportFailure(const std::filesystem::path& file, const std::string& why);
    // The document has no file and counts as changed until it is saved.
    void MarkDocumentUnsaved();

    clsBots& bots_;
    std::shared_ptr<torvane::frmMSComms> ports_;
    QMdiArea* area_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    frmBot* botView_ = nullptr;
    frmEditBot* editBot_ = nullptr;
    frmPartsBar* partsBar_ = nullptr;
    frmControlMotors* controlMotors_ = nullptr;
    frmCutToolPath* work_ = nullptr;
    frmMotorsProperties* motorsProperties_ = nullptr;
    frmRS232* testMotor_ = nullptr;
    // What the glue is told through; made with the child windows.
    std::unique_ptr<MainWindowView> glueView_;
    QHash<QString, QAction*> menuItems_;
    QHash<QString, QAction*> toolbarButtons_;
    std::string currentPath_;
    bool motorsInFront_ = false;
    DocumentState* document_ = nullptr;
    torvane::Subscription changes_;
};

}  // namespace mechanon
