#pragma once
// The joint sliders window ("Joint Sliders"): one row per motor occurrence of the active room, in
// the order of its motor mask table, with the motor's name and occurrence path, a slider whose
// ends are the motor's travel and a number box. Moving a slider or typing a value sets the motor
// value at once and the 3D view follows, also while the slider is dragged; a whole drag is one
// step of the history. A joint that follows another (a mimic joint) has a read-only row that moves
// with its leader. "Centre" and "Random" set every motor; "Move motors" drives the motors to the
// values as they are set; "Add Pose" appends the values to the room's tool path as a leg of the
// duration typed beside it. Values outside a motor's travel are never set.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/ChildWindow.h"
#include "app/motion/JointTravel.h"
#include "motorio/Event.h"

class QGridLayout;
class QScrollArea;

namespace torvane {
class clsPartRoom;
struct typMotorMasks;
}  // namespace torvane

namespace mechanon {

class clsBots;
struct Change;
class JointJog;

class frmJointSliders : public ChildWindow {
    Q_OBJECT
  public:
    explicit frmJointSliders(clsBots& bots, QWidget* parent = nullptr);
    ~frmJointSliders() override;

    static constexpr const char* kCaption = "Joint Sliders";

    // What one row shows of its motor; rows are rebuilt only when these change.
    struct RowSpec {
        std::string Name;   // the motor's name as its mask names it
        std::string Path;   // its occurrence path, empty for the room's own motor
        std::string Joint;  // the URDF joint an imported motor came from; empty for the others
        JointSpan Span;
        std::string Leader;  // the joint a follower follows; empty for the others
        bool Follows = false;
        friend bool operator==(const RowSpec&, const RowSpec&) = default;
    };
    struct Row {
        RowSpec Spec;
        SliderSteps Steps{JointSpan{}};
        QLabel* lblName = nullptr;
        QSlider* sldValue = nullptr;
        QLineEdit* txtValue = nullptr;
    };

    // The rows, motor 1 first.
    int RowCount() const noexcept { return static_cast<int>(rows_.size()); }
    const Row& RowOf(int motor) const { return rows_.at(static_cast<std::size_t>(motor - 1)); }
    // The value of each motor as the window holds it (motor 1 at [0]).
    const std::vector<double>& Values() const noexcept { return values_; }
    // True while Move motors drives the motors towards the values.
    bool Jogging() const noexcept;

    // Shows the active room's motors anew (rows rebuilt only when the motors or their travel
    // changed).
    void Refresh();
    // The commands, as their buttons run them.
    void Centre();
    void Random();
    void AddPose();
    // The number box of motor's row has been edited: its value is set, or refused with a message.
    void NumberEntered(int motor);

    QLabel* lblStatus = nullptr;
    QPushButton* cmdCentre = nullptr;
    QPushButton* cmdRandom = nullptr;
    QCheckBox* chkMoveMotors = nullptr;
    QLineEdit* txtDuration = nullptr;
    QPushButton* cmdAddPose = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    enum class Step { Drag, Single };
    void BuildControls(QWidget* body);
    void ShowChange(const Change& change);
    // The rows room's motors need, with the travel of each motor (open beyond ranges).
    std::vector<RowSpec> SpecsOf(const torvane::clsPartRoom& room,
                                 const std::vector<torvane::typMotorRange>& ranges);
    // The largest extent of the active room as the view shows it, measured once per room.
    double RobotSize();
    void BuildRows(std::vector<RowSpec> specs);
    void AddRow(int motor, RowSpec spec);
    // The sliders and boxes show the room's motor values (a slider being dragged keeps its place).
    void ShowValues();
    void ShowValue(int motor);
    void UpdateStates();

    void SliderMoved(int motor, int position);
    void DragEnded();
    // Writes the values (motor 1 at [0]; followers take their leaders' word) into the room as one
    // step of the history, shows them and, with Move motors checked, drives the motors there.
    void SetValues(std::vector<double> values, Step step);
    // The active room when the rows are its motors; otherwise the rows are rebuilt, the user told
    // so, and null returned.
    std::shared_ptr<torvane::clsPartRoom> RoomOfRows();
    // The masks with each follower at its leader's word, and values_ updated to them.
    void TakeFollowers(torvane::typMotorMasks& masks);
    void MoveMotorsToggled(bool on);
    void JogEnded(bool failed);
    double Duration() const;

    clsBots& bots_;
    std::unique_ptr<JointJog> jog_;
    QWidget* rowsBody_ = nullptr;
    QGridLayout* rowsGrid_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    std::vector<Row> rows_;
    std::vector<double> values_;
    std::weak_ptr<torvane::clsPartRoom> rowsRoom_;
    std::string rowsMotorList_;  // the motor list the travels were read from
    // The robot's size for the spans of linear motors without limits, per room shown.
    std::weak_ptr<torvane::clsPartRoom> sizedRoom_;
    double robotSize_ = 0;
    bool stale_ = true;     // a change came while the window was hidden
    bool sliders_ = false;  // the motor list can be read, so the travels are known
    std::mt19937 draw_{std::random_device{}()};
    torvane::Subscription changes_;
};

}  // namespace mechanon
