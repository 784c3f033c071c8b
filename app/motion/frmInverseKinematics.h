#pragma once
// The inverse kinematics window ("Inverse Kinematics"): the user chooses a tip among the
// occurrences of the active room and types where it should go (position, and orientation where
// the chain to it has six motors or more), jogs it by a step along or about the room's axes, or
// drags the handle drawn at the tip in the 3D view. The chain's motors move to the solution
// within their travel nearest to where they stand, as one undoable change of the motor table; a
// target out of reach is refused with the distance to the nearest point the tip reaches, and the
// robot stays where it was.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Change.h"
#include "app/ChildWindow.h"
#include "app/motion/TipPose.h"
#include "kinematics/IkSolver.h"
#include "kinematics/RobotChain.h"
#include "model/Records.h"
#include "motorio/Event.h"

namespace torvane {
class clsPartRoom;
}

namespace mechanon {

class clsBots;
class frmBot;
class MDIForm1;
class TipHandle;

class frmInverseKinematics : public ChildWindow {
    Q_OBJECT
  public:
    frmInverseKinematics(clsBots& bots, frmBot& view, QWidget* parent = nullptr);
    ~frmInverseKinematics() override;

    static constexpr const char* kCaption = "Inverse Kinematics";
    // Orientation is solved for chains of this many motors or more.
    static constexpr std::size_t kMotorsForOrientation = 6;
    // Seconds the solver may search for a typed or jogged target, and for each step of a drag.
    static constexpr double kSolveSeconds = 0.25;
    static constexpr double kDragSeconds = 0.02;

    // Solves for the target in the boxes from where the motors stand.
    void Go();
    // Moves the target by the step along the room's axis (sign +1 or -1) from the tip's present
    // pose, or turns it by the turn step about that axis, and solves at once.
    void Jog(Axis axis, int sign);
    void Turn(Axis axis, int sign);
    // Fills the boxes with the tip's present pose.
    void ShowPresentPose();

    // The chain to the chosen tip; none when the active room has no tip or the chain could not
    // be made (the mode label says why).
    const RobotChain* Chain() const { return chain_ ? &*chain_ : nullptr; }
    // The active room's mask table as the solver reads it (index 0 is mask 1).
    std::vector<double> TableNow() const;
    TipHandle& Handle() const { return *handle_; }

    QComboBox* cmbTip = nullptr;
    QLabel* lblMode = nullptr;
    std::array<QLineEdit*, 3> txtPosition{};     // X, Y, Z
    std::array<QLineEdit*, 3> txtOrientation{};  // Roll, Pitch, Yaw (degrees)
    QLineEdit* txtStep = nullptr;                // model units
    QLineEdit* txtTurnStep = nullptr;            // degrees
    QPushButton* cmdGo = nullptr;
    QPushButton* cmdPresent = nullptr;
    // -X, +X, -Y, +Y, -Z, +Z; the turns in the same order.
    std::array<QPushButton*, 6> cmdJog{};
    std::array<QPushButton*, 6> cmdTurn{};

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QWidget* BuildTargetBoxes(QWidget* parent);
    QWidget* BuildJogButtons(QWidget* parent);
    void ConnectCommands();
    void ShowChange(const Change& change);
    // Refills the tip list from the active room, keeping the chosen tip where it still exists,
    // and makes the chain anew.
    void RebuildRows();
    void BuildChain();
    // The chain or an error that says why there is none; the active room, too.
    const RobotChain& RequireChain();
    std::shared_ptr<torvane::clsPartRoom> RequireRoom() const;
    bool SolvesOrientation() const;
    std::string TipName() const;
    std::optional<torvane::typ3Point> TipPointNow() const;
    TipPose PresentPose() const;
    TipPose TypedTarget() const;
    void ShowTarget(const TipPose& pose);
    IkTarget TargetOf(const TipPose& pose) const;
    // Solves for pose and applies the solution as one undo step; a target out of reach is
    // reported with its distance and changes nothing.
    void Reach(const TipPose& pose, const QString& done);
    // Writes the solution into the room's table, records it (merging into the drag when typing)
    // and tells the windows.
    void Apply(const IkResult& result, bool typing, bool live);
    void DragStarted();
    void DraggedTo(const torvane::typ3Point& point);
    void DragEnded();

    clsBots& bots_;
    std::optional<RobotChain> chain_;
    // What the chain was made from: its room and that room's motor list, with the travel.
    std::weak_ptr<torvane::clsPartRoom> chainRoom_;
    std::string chainMotorsText_;
    std::unique_ptr<TipHandle> handle_;
    std::optional<std::array<double, 3>> dragOrientation_;
    bool dragMoved_ = false;
    bool stale_ = true;  // the rows are rebuilt when the window is next shown
    torvane::Subscription changes_;
};

// Operate > Inverse Kinematics Solver: the window in the left column, made on first use.
void ShowInverseKinematics(MDIForm1& main, clsBots& bots);

}  // namespace mechanon
