// The inverse kinematics window's commands: reaching a typed target, jogging, and following the
// handle dragged in the 3D view.

#include <cmath>
#include <numbers>

#include "app/DesktopBasics.h"
#include "app/clsBots.h"
#include "app/motion/MotionCommand.h"
#include "app/motion/RunningCommand.h"
#include "app/motion/TipHandle.h"
#include "app/motion/frmInverseKinematics.h"
#include "app/undo/DocumentHistory.h"
#include "app/undo/MotorTableCommand.h"
#include "model/Error.h"
#include "model/NumberText.h"
#include "model/clsRooms.h"
#include "platform/UserInterface.h"
#include "toolpath/RoomMotorList.h"

namespace mechanon {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180;

std::string Brief(double value) {
    // Rounding leaves a hair of a value that is 0, written in exponent form: it is shown as 0.
    constexpr double kNothing = 1e-9;
    return torvane::TrimSpaces(torvane::ShortNumberText(std::abs(value) < kNothing ? 0 : value, 7));
}

QString PointText(const torvane::typ3Point& p) {
    return QString::fromStdString("(" + Brief(p.X) + ", " + Brief(p.Y) + ", " + Brief(p.Z) + ")");
}

// The number a box holds; an invalid-argument error names the box otherwise.
double BoxValue(const QLineEdit& box, const std::string& name) {
    const std::string text = box.text().toStdString();
    if (const std::optional<double> value = torvane::WholeNumberValue(text)) return *value;
    torvane::Raise(
        torvane::ErrorCode::InvalidArgument,
        "The " + name + " box holds '" + text + "', which is not a number.  Nothing was moved.");
}

// How near a search that did not reach its target came: the distance, and for an orientation
// that the tip could not take, the turn that was left.
std::string NearestReached(const IkResult& result) {
    std::string text =
        "the nearest point it reaches is " + Brief(result.Distance) + " model units away";
    constexpr double kNoTurn = 1e-9;
    if (result.AngleError > kNoTurn)
        text += ", turned " + Brief(result.AngleError / kRadiansPerDegree) +
                " degrees from the attitude asked for";
    return text;
}

}  // namespace

std::shared_ptr<torvane::clsPartRoom> frmInverseKinematics::RequireRoom() const {
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room) torvane::Raise(torvane::ErrorCode::MissingObject, "There is no active part room.");
    return room;
}

const RobotChain& frmInverseKinematics::RequireChain() {
    if (stale_) RebuildRows();
    // A motor list changed without a word to the windows (Motors Properties) brings other travel.
    const auto room = RequireRoom();
    if (!chain_ || room != chainRoom_.lock() || torvane::MotorsTextOf(*room) != chainMotorsText_)
        BuildChain();
    if (!chain_) {
        const QString key = cmbTip->currentData().toString();
        if (key.isEmpty())
            torvane::Raise(torvane::ErrorCode::InvalidArgument,
                           "There is no part room with a tip to move.");
        chain_.emplace(*room, key.toStdString());  // raises what kept it from being made
    }
    if (chain_->Motors().empty())
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "No motor moves the tip " + TipName() + ": choose one farther out.");
    return *chain_;
}

bool frmInverseKinematics::SolvesOrientation() const {
    return chain_ && chain_->Motors().size() >= kMotorsForOrientation;
}

std::vector<double> frmInverseKinematics::TableNow() const {
    std::vector<double> table;
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room) return table;
    const torvane::typMotorMasks masks = room->MotorMasks();
    if (!masks.Masks.IsAllocated()) return table;
    for (int i = 1; i <= masks.Masks.UBound(); ++i) table.push_back(masks.Masks(i).Value);
    return table;
}

std::optional<torvane::typ3Point> frmInverseKinematics::TipPointNow() const {
    if (!chain_) return std::nullopt;
    try {
        return PoseOf(chain_->TipFrame(TableNow())).Position;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

TipPose frmInverseKinematics::PresentPose() const {
    if (!chain_) return {};
    return PoseOf(chain_->TipFrame(TableNow()));
}

void frmInverseKinematics::ShowPresentPose() {
    if (stale_) RebuildRows();  // which shows the pose
    if (chain_) ShowTarget(PresentPose());
}

void frmInverseKinematics::ShowTarget(const TipPose& pose) {
    const double position[] = {pose.Position.X, pose.Position.Y, pose.Position.Z};
    for (std::size_t i = 0; i < 3; ++i) {
        txtPosition[i]->setText(QString::fromStdString(Brief(position[i])));
        txtOrientation[i]->setText(
            QString::fromStdString(Brief(pose.RollPitchYaw[i] / kRadiansPerDegree)));
    }
}

TipPose frmInverseKinematics::TypedTarget() const {
    static const char* const kPosition[] = {"X", "Y", "Z"};
    static const char* const kOrientation[] = {"Roll", "Pitch", "Yaw"};
    TipPose pose;
    double* position[] = {&pose.Position.X, &pose.Position.Y, &pose.Position.Z};
    for (std::size_t i = 0; i < 3; ++i) *position[i] = BoxValue(*txtPosition[i], kPosition[i]);
    if (SolvesOrientation())
        for (std::size_t i = 0; i < 3; ++i)
            pose.RollPitchYaw[i] =
                BoxValue(*txtOrientation[i], kOrientation[i]) * kRadiansPerDegree;
    return pose;
}

IkTarget frmInverseKinematics::TargetOf(const TipPose& pose) const {
    IkTarget target{.Position = pose.Position, .RollPitchYaw = std::nullopt};
    if (SolvesOrientation()) target.RollPitchYaw = pose.RollPitchYaw;
    return target;
}

void frmInverseKinematics::Go() {
    RequireChain();
    const TipPose target = TypedTarget();
    Reach(target, "The tip " + QString::fromStdString(TipName()) + " reached " +
                      PointText(target.Position) + ".");
}

void frmInverseKinematics::Jog(Axis axis, int sign) {
    RequireChain();
    const double step = BoxValue(*txtStep, "Step") * sign;
    const TipPose target = Moved(PresentPose(), axis, step);
    ShowTarget(target);
    Reach(target, QString("Moved the tip %1 by %2 along %3.")
                      .arg(QString::fromStdString(TipName()), QString::fromStdString(Brief(step)),
                           QString("XYZ")[int(axis)]));
}

void frmInverseKinematics::Turn(Axis axis, int sign) {
    RequireChain();
    if (!SolvesOrientation())
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "The chain to " + TipName() +
                           " has fewer than six motors: its tip can be moved, not turned.");
    const double degrees = BoxValue(*txtTurnStep, "Turn") * sign;
    const TipPose target = Turned(PresentPose(), axis, degrees * kRadiansPerDegree);
    ShowTarget(target);
    Reach(target, QString("Turned the tip %1 by %2 degrees about %3.")
                      .arg(QString::fromStdString(TipName()),
                           QString::fromStdString(Brief(degrees)), QString("XYZ")[int(axis)]));
}

void frmInverseKinematics::Reach(const TipPose& pose, const QString& done) {
    if (RunningCommand::RefuseIfRunning()) return;
    IkOptions options;
    options.TimeLimit = kSolveSeconds;
    const IkResult result = SolveIk(RequireChain(), TargetOf(pose), TableNow(), options);
    if (!result.Reached) {
        torvane::Host().MsgBox("The tip " + TipName() + " cannot reach " +
                                   PointText(pose.Position).toStdString() + ": " +
                                   NearestReached(result) + ".  The robot stays where it was.",
                               torvane::MsgButtons::OK);
        ReportInStatusBar(*this, "The target is out of reach by " +
                                     QString::fromStdString(Brief(result.Distance)) +
                                     " model units.");
        return;
    }
    bots_.History().EndMerging();
    Apply(result, false, false);
    ReportInStatusBar(*this, done);
}

void frmInverseKinematics::Apply(const IkResult& result, bool typing, bool live) {
    const auto room = RequireRoom();
    const torvane::typMotorMasks before = room->MotorMasks();
    torvane::typMotorMasks masks = before;
    const int count =
        masks.Masks.IsAllocated()
            ? std::min(masks.Masks.UBound(), static_cast<int>(result.TablePositions.size()))
            : 0;
    for (int i = 1; i <= count; ++i)
        masks.Masks(i).Value = result.TablePositions[static_cast<std::size_t>(i - 1)];
    room->SetMotorMasks(masks);
    RecordMotorTable(bots_, room, "Motor Values", before, typing);
    bots_.Changes().Announce(
        {.Kind = ChangeKind::MotorValues, .Room = room.get(), .Source = this, .Live = live});
}

void frmInverseKinematics::DragStarted() {
    dragOrientation_.reset();
    try {
        RequireChain();
        if (SolvesOrientation()) dragOrientation_ = PresentPose().RollPitchYaw;
    } catch (const std::exception& e) {
        ReportInStatusBar(*this, QString::fromStdString(e.what()));
    }
    // The drag's steps merge into one change of the table, apart from what came before.
    bots_.History().EndMerging();
    dragMoved_ = false;
}

void frmInverseKinematics::DraggedTo(const torvane::typ3Point& point) {
    if (!chain_ || chain_->Motors().empty() || RunningCommand::AnyRunning()) return;
    try {
        IkOptions options;
        options.TimeLimit = kDragSeconds;
        const IkTarget target{.Position = point, .RollPitchYaw = dragOrientation_};
        const IkResult result = SolveIk(*chain_, target, TableNow(), options);
        if (!result.Reached) {
            ReportInStatusBar(*this, "Out of reach (" +
                                         QString::fromStdString(NearestReached(result)) +
                                         "): the robot stays at the last pose it reached.");
            return;
        }
        Apply(result, true, true);
        dragMoved_ = true;
        ShowTarget(PresentPose());
        ReportInStatusBar(*this, "The tip " + QString::fromStdString(TipName()) + " is at " +
                                     PointText(PresentPose().Position) + ".");
    } catch (const std::exception& e) {
        ReportInStatusBar(*this, QString::fromStdString(e.what()));
    }
}

void frmInverseKinematics::DragEnded() {
    bots_.History().EndMerging();
    if (!dragMoved_) return;
    dragMoved_ = false;
    // The settled pose: the room's picture and the other windows catch up with the drag.
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (room)
        RunMotionCommand([&] {
            bots_.Changes().Announce(
                {.Kind = ChangeKind::MotorValues, .Room = room.get(), .Source = this});
        });
}

}  // namespace mechanon
