#pragma once
// The recording window ("Record Motion"): teaching a motion by moving the robot by hand. Record
// switches every motor's lines off and samples the measured positions of the active room's
// motors (those of its motor list, simulated while Simulate Motors is on) on a thread of their
// own; Stop ends the sampling, thins the samples to the fewest straight pieces that keep every
// motor within the tolerance of the recording, and replaces the room's tool path with them, as
// one step that Undo takes back. Escape, or closing the window, while recording stops it as Stop
// does. While it records, the rest of the program takes no input.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <memory>
#include <vector>

#include "app/ChildWindow.h"
#include "toolpath/RecordedPath.h"

namespace torvane {
class clsPartRoom;
class DrivenJoints;
class MotionRecorder;
}  // namespace torvane

namespace mechanon {

class clsBots;
class RunningCommand;

class frmRecordMotion : public ChildWindow {
    Q_OBJECT
  public:
    explicit frmRecordMotion(clsBots& bots, QWidget* parent = nullptr);
    ~frmRecordMotion() override;

    static constexpr const char* kCaption = "Record Motion";
    static constexpr const char* kDefaultTolerance = "0.5";

    // The buttons' commands. Record refuses, in a message and with nothing switched on, a
    // tolerance that is not a number above 0, a motor list that cannot be read and a port that
    // does not open. Stop writes the path (or says why there is none) and ends the recording
    // however that goes.
    void Record();
    void Stop();
    bool Recording() const noexcept { return recorder_ != nullptr; }
    // The samples of the last recording that ended, timed from its first; empty before one.
    const std::vector<torvane::typMotionSample>& LastRecording() const noexcept {
        return lastRecording_;
    }

    QLineEdit* txtTolerance = nullptr;
    // One checkable row per motor of the active room's list: the checked ones go limp while
    // recording, the others hold where they stand (servos on a bus; a motor that cannot hold by
    // itself goes off either way). All checked at first.
    QListWidget* lstLetGo = nullptr;
    QPushButton* cmdRecord = nullptr;
    QPushButton* cmdStop = nullptr;
    QLabel* lblSamples = nullptr;  // the samples taken and their rate, while recording
    QLabel* lblStatus = nullptr;   // what the last recording made, or why it made nothing

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    double Tolerance() const;
    void ShowProgress();
    void WritePath(std::vector<torvane::typMotionSample> samples);
    void EndRecording() noexcept;
    void UpdateButtons();
    // The rows of lstLetGo for the active room's motors, keeping each name's mark.
    void ShowMotors();
    // The marks of lstLetGo, motor 1 first; empty when every motor is to go limp.
    std::vector<bool> LetGoMarks() const;

    clsBots& bots_;
    std::shared_ptr<torvane::clsPartRoom> room_;  // the room being recorded
    std::shared_ptr<torvane::DrivenJoints> joints_;
    std::unique_ptr<torvane::MotionRecorder> recorder_;
    std::unique_ptr<RunningCommand> running_;
    std::vector<torvane::typMotionSample> lastRecording_;
    QTimer progress_;
};

}  // namespace mechanon
