#pragma once
// The motor control window ("Control Motors"): the motors of the active part room set by hand,
// and the three texts of that room's motor mask table (tool path, tool-path script, properties)
// written, expanded, re-timed, graphed and driven. Four pages on a tab strip:
//   Manual      the grid of mask names and values, its cell editor, Apply Positions
//   tool path   txtXML with Graph, Drive Motors, Expand to TripleStops, Write Ellipsoid, Stop
//   script      txtVBScript with Run Script (create XML)
//   properties  txtProperties with Apply
// The tool path and the script are the room's as they are typed; the positions and the motor
// list are written into the model by Apply Positions, Enter in the cell editor, a spin of its
// value or Apply, and a motor list or a position that cannot be read is refused there. The
// window shows a robot that was replaced, another active room, an undone or redone change and
// the motor values a drive or the plot's slider moved the robot to at once; what else changed
// in its room it shows when it is next brought to the front.

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ChildWindow.h"
#include "model/Records.h"
#include "motorio/Event.h"

namespace torvane {
class clsPartRoom;
}

namespace mechanon {

class clsBots;
struct Change;
class clsSpinText;
class frmCut;
class MultiLineTextBox;
class ToolPathCommand;

class frmControlMotors : public ChildWindow {
    Q_OBJECT
  public:
    explicit frmControlMotors(clsBots& bots, QWidget* parent = nullptr);
    ~frmControlMotors() override;

    // Fills the window from the active part room: the grid gets one row per mask after the
    // heading row, the three text boxes the room's texts; the cell editor is hidden.
    void UpdateInterface();
    // Writes the grid values and the three texts into the active part room's mask table.
    // A grid value that is not a number as a whole ("abc", "1 5"), or a changed value outside the
    // motor's travel (as the motor list being applied gives it), is refused, naming the motor and
    // the value, and nothing is written.
    void UpdateBot();
    // Shows the frame of the selected tab only.
    void ShowSelectedTab();

    // The commands, as their buttons run them.
    void ApplyPositions();
    void Apply();
    void GraphToolPath();
    void ShowDriveMotors();
    void RunScript();
    void WriteEllipsoid();
    void ExpandToTripleStops();
    void ZeroHere();
    // Fills the Measured column from the motors' encoders (empty where no port is open).
    void ShowMeasuredPositions();
    // Stops the running graph (or drive); nothing when none runs.
    void StopRunning();
    // What the Motion Plot button runs: the main window's command of the same name, shared
    // with its Operate menu. Nothing until the main window sets it.
    std::function<void()> OpenMotionPlot;
    // Rebuilds the active room's mask table and refreshes the window (on activation).
    void Activated();
    // Shows the active room anew after a change of the document that concerns the window.
    void ShowChange(const Change& change);

    // The tool path and the animation period (seconds) as the window holds them now; the drive
    // window reads them when a cut starts.
    std::string ToolPathText() const;
    double Period() const;
    frmCut& DriveMotorsWindow() const { return *driveMotors_; }
    // True while a graph or a re-timing of this window runs.
    bool GraphRunning() const { return running_ != nullptr; }
    // The cell the editor lies over (row from 1), 0 when hidden.
    int EditRow() const { return editRow_; }

    QTabBar* TabStrip1 = nullptr;
    QGroupBox* FrameManual = nullptr;
    QGroupBox* FrameXML = nullptr;
    QGroupBox* FrameScript = nullptr;
    QGroupBox* FrameProperties = nullptr;
    QTableWidget* MSFlexGrid1 = nullptr;
    QLineEdit* Text1 = nullptr;
    // The spin control of the cell editor: each step applies the positions.
    clsSpinText* SpinPosition = nullptr;
    QPushButton* Command1 = nullptr;
    // Sets the measured position of the selected row's motor as its 0 (homing by hand).
    QPushButton* cmdZeroHere = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    MultiLineTextBox* txtXML = nullptr;
    QLineEdit* txtPeriod = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* cmdTripleStop = nullptr;
    QPushButton* cmdWriteEllipsoid = nullptr;
    QPushButton* cmdStop = nullptr;
    // Opens the main window's Motion Plot for this tool path.
    QPushButton* cmdMotionPlot = nullptr;
    MultiLineTextBox* txtVBScript = nullptr;
    QPushButton* Command3 = nullptr;
    MultiLineTextBox* txtProperties = nullptr;
    QPushButton* Command4 = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildManualPage();
    void BuildXMLPage();
    void BuildScriptPage();
    void BuildPropertiesPage();
    void FillGrid(const torvane::typMotorMasks& masks);
    // The robot moved (a drive, the plot's slider): the Position column shows the room's values.
    void ShowMotorValues();
    // The Position column, row by row; refuses the first cell that is not a number.
    // The followed value shown in grid row (from 1), none for a row that follows no joint.
    std::optional<double> FollowerValue(int row) const;
    // The joint a room's joint follows, by the name the room's notes give it.
    std::string LeaderOf(const std::string& roomName) const;
    std::vector<double> GridPositions(const torvane::clsPartRoom& room,
                                      const torvane::typMotorMasks& masks) const;
    // The motor of grid row (from 1) as messages name it: its name and occurrence path.
    static std::string MotorLabel(const std::vector<std::string>& paths,
                                  const torvane::typMotorMasks& masks, int row);
    // Refuses, with a message naming the motor, its value and its travel, and ends the command
    // quietly, a table whose value for a motor would change to one outside the travel the motor
    // list being applied gives it.
    void RefuseOutsideTravel(const torvane::clsPartRoom& room, const torvane::typMotorMasks& before,
                             const torvane::typMotorMasks& masks) const;
    void LayOutGridColumns();
    void GridClicked(int row, int column);
    void PlaceCellEditor();
    void HideCellEditor();
    // The active room when the window shows its current table; otherwise the window is
    // refreshed, the user told so, and null returned (nothing may be written from a stale grid).
    std::shared_ptr<torvane::clsPartRoom> ShownRoom();
    void UpdateCommandStates();
    // Writes the tool path and the script into the room the window shows.
    void CommitTexts();

    clsBots& bots_;
    frmCut* driveMotors_ = nullptr;
    std::weak_ptr<torvane::clsPartRoom> shownRoom_;
    // The table as last loaded from or written to the room: activation reloads the grid or a
    // text only when something else has changed it since, so unapplied edits survive a visit
    // to another window.
    torvane::typMotorMasks shown_;
    // The motor list as last put into the Properties page (the room's, or its default list).
    std::string shownProperties_;
    int editRow_ = 0;
    int editColumn_ = 0;
    int selectedRow_ = 0;  // the grid row last clicked (from 1), 0 for none
    // Per grid row (index 0 for row 1): the value of a joint that follows another, shown and
    // written from its leader, never edited; none for the others.
    std::vector<std::optional<double>> followers_;
    // Runs work as this window's stoppable command: the commands are disabled and Stop enabled
    // meanwhile.
    template <typename Work>
    void RunStoppable(Work&& work);
    // The running graph or re-timing, while one runs (owned by RunStoppable).
    ToolPathCommand* running_ = nullptr;
    QTimer measuredTimer_;
    torvane::Subscription changes_;
};

}  // namespace mechanon
