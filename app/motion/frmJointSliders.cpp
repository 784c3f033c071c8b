#include "app/motion/frmJointSliders.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <cmath>

#include "app/DesktopBasics.h"
#include "app/clsBots.h"
#include "app/motion/JointJog.h"
#include "app/motion/MotionCommand.h"
#include "app/motion/PoseLegs.h"
#include "app/motion/RoomMotors.h"
#include "app/motion/RunningCommand.h"
#include "app/undo/DocumentHistory.h"
#include "app/undo/MotorTableCommand.h"
#include "model/NumberText.h"
#include "model/clsRooms.h"
#include "platform/UserInterface.h"
#include "toolpath/RoomMotorList.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {
namespace {

QPushButton* Button(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

[[noreturn]] void Refuse(const std::string& message) {
    torvane::Host().MsgBox(message, torvane::MsgButtons::OK);
    throw CommandStopped();
}

}  // namespace

frmJointSliders::frmJointSliders(clsBots& bots, QWidget* parent)
    : ChildWindow(parent), bots_(bots) {
    setObjectName("frmJointSliders");
    setWindowTitle(kCaption);
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    lblStatus = new QLabel(body);
    lblStatus->setObjectName("lblStatus");
    lblStatus->setWordWrap(true);
    layout->addWidget(lblStatus);
    scroll_ = new QScrollArea(body);
    scroll_->setObjectName("scrRows");
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(scroll_, 1);
    BuildControls(body);
    setWidget(body);
    jog_ = std::make_unique<JointJog>(
        bots_, [this](JointJog::End end) { JogEnded(end == JointJog::End::Failed); });
    BuildRows({});
    // Brought to the front, the window shows what changed behind it.
    connect(this, &QMdiSubWindow::aboutToActivate, this,
            [this] { RunMotionCommand([this] { Refresh(); }); });
    changes_ = bots_.Changes().Subscribe([this](const Change& change) { ShowChange(change); });
}

frmJointSliders::~frmJointSliders() = default;

bool frmJointSliders::Jogging() const noexcept {
    return jog_->Busy();
}

void frmJointSliders::BuildControls(QWidget* body) {
    auto* layout = static_cast<QVBoxLayout*>(body->layout());
    auto* buttons = new QHBoxLayout;
    cmdCentre = Button("cmdCentre", "Centre", body);
    cmdCentre->setToolTip("Every motor to the middle of its travel (0 where it has no limits)");
    cmdRandom = Button("cmdRandom", "Random", body);
    cmdRandom->setToolTip("Every motor to a random value within its travel");
    buttons->addWidget(cmdCentre);
    buttons->addWidget(cmdRandom);
    layout->addLayout(buttons);
    chkMoveMotors = new QCheckBox("Move motors", body);
    chkMoveMotors->setObjectName("chkMoveMotors");
    chkMoveMotors->setToolTip(
        "Drive the motors (simulated or real) to the values as they are set, within their speed "
        "limits");
    layout->addWidget(chkMoveMotors);
    auto* pose = new QHBoxLayout;
    auto* durationLabel = new QLabel("Duration (s)", body);
    txtDuration = new QLineEdit("1", body);
    txtDuration->setObjectName("txtDuration");
    durationLabel->setBuddy(txtDuration);
    cmdAddPose = Button("cmdAddPose", "Add Pose", body);
    cmdAddPose->setToolTip("Append the values to the tool path as a leg of this duration");
    pose->addWidget(durationLabel);
    pose->addWidget(txtDuration);
    pose->addWidget(cmdAddPose);
    layout->addLayout(pose);
    connect(cmdCentre, &QPushButton::clicked, this, [this] { Centre(); });
    connect(cmdRandom, &QPushButton::clicked, this, [this] { Random(); });
    connect(cmdAddPose, &QPushButton::clicked, this,
            [this] { RunMotionCommand([this] { AddPose(); }); });
    connect(chkMoveMotors, &QCheckBox::toggled, this, [this](bool on) { MoveMotorsToggled(on); });
}

void frmJointSliders::showEvent(QShowEvent* event) {
    ChildWindow::showEvent(event);
    if (stale_) RunMotionCommand([this] { Refresh(); });
}

// ---- Setting values ----

void frmJointSliders::SliderMoved(int motor, int position) {
    const Row& row = RowOf(motor);
    if (row.Spec.Follows) return;
    std::vector<double> values = values_;
    values[static_cast<std::size_t>(motor - 1)] = row.Steps.ValueAt(position);
    SetValues(std::move(values), row.sldValue->isSliderDown() ? Step::Drag : Step::Single);
}

void frmJointSliders::DragEnded() {
    bots_.History().EndMerging();
    const auto room = rowsRoom_.lock();
    if (!room || room != bots_.PartRooms().ActivePartRoom) return;
    // The settled picture, with the room's thumbnail.
    RunMotionCommand([&] {
        bots_.Changes().Announce({ChangeKind::MotorValues, room.get(), this});
    });
}

void frmJointSliders::SetValues(std::vector<double> values, Step step) {
    RunMotionCommand([&] {
        const auto room = RoomOfRows();
        if (!room) return;
        const torvane::typMotorMasks before = room->MotorMasks();
        torvane::typMotorMasks masks = before;
        for (std::size_t i = 0; i < rows_.size() && i < values.size(); ++i) {
            // A value the window did not change may stand outside the travel (a robot file, a
            // drive); one it sets never does.
            const double value =
                values[i] == values_[i] ? values[i] : rows_[i].Spec.Span.Travel.Clamped(values[i]);
            masks.Masks(static_cast<std::int32_t>(i + 1)).Value = value;
        }
        TakeFollowers(masks);
        room->SetMotorMasks(masks);
        RecordMotorTable(bots_, room, "Joint Values", before, step == Step::Drag);
        ShowValues();
        const bool moving = chkMoveMotors->isChecked();
        // Dragged with Move motors, the view follows the motors, not the slider ahead of them.
        if (!moving || step != Step::Drag)
            bots_.Changes().Announce({.Kind = ChangeKind::MotorValues,
                                      .Room = room.get(),
                                      .Source = this,
                                      .Live = step == Step::Drag});
        if (moving) jog_->MoveTo(values_);
    });
}

void frmJointSliders::TakeFollowers(torvane::typMotorMasks& masks) {
    const auto room = rowsRoom_.lock();
    if (!room) return;
    const std::vector<std::optional<double>> followers = room->FollowerMaskValues(masks);
    for (std::size_t i = 0; i < followers.size(); ++i)
        if (followers[i] && masks.Masks.IsAllocated() &&
            static_cast<std::int32_t>(i + 1) <= masks.Masks.UBound())
            masks.Masks(static_cast<std::int32_t>(i + 1)).Value = *followers[i];
}

std::shared_ptr<torvane::clsPartRoom> frmJointSliders::RoomOfRows() {
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (room && room == rowsRoom_.lock()) {
        const torvane::typMotorMasks masks = room->MotorMasks();
        bool same = masks.Masks.IsAllocated() && masks.TotalMasks == RowCount() &&
                    masks.Masks.UBound() >= RowCount();
        for (int i = 1; same && i <= RowCount(); ++i)
            same = masks.Masks(i).Name == RowOf(i).Spec.Name;
        // A motor list changed where no change was announced brings its travels first.
        if (same && torvane::MotorsTextOf(*room) != rowsMotorList_) Refresh();
        if (same) return room;
    }
    Refresh();
    torvane::Host().MsgBox(
        "The motors of the active part room have changed.  The window now shows them; nothing "
        "was set.",
        torvane::MsgButtons::OK);
    return nullptr;
}

void frmJointSliders::Centre() {
    std::vector<double> values = values_;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (!rows_[i].Spec.Follows) values[i] = rows_[i].Spec.Span.Centre();
    SetValues(std::move(values), Step::Single);
}

void frmJointSliders::Random() {
    std::vector<double> values = values_;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        if (row.Spec.Follows) continue;
        // On the slider's steps, so the numbers read as the slider shows them.
        const double drawn = row.Steps.ValueAt(row.Steps.PositionOf(row.Spec.Span.Random(draw_)));
        values[i] = row.Spec.Span.Travel.Clamped(drawn);
    }
    SetValues(std::move(values), Step::Single);
}

void frmJointSliders::NumberEntered(int motor) {
    const Row& row = RowOf(motor);
    const auto at = static_cast<std::size_t>(motor - 1);
    const std::string text = row.txtValue->text().toStdString();
    const std::optional<double> value = torvane::WholeNumberValue(text);
    // Entered: from now on the box shows the motor's value, whatever sets it.
    row.txtValue->setModified(false);
    if (value && *value == values_[at]) return;
    const std::string name =
        "\"" + row.Spec.Name + "\"" + (row.Spec.Path.empty() ? "" : " (" + row.Spec.Path + ")");
    // The box shows the motor's value again before the message takes the focus away from it.
    ShowValue(motor);
    if (!value) {
        torvane::Host().MsgBox("The value \"" + text + "\" of motor " + name +
                                   " is not a number, so nothing was set.  Type a number such "
                                   "as 12.5 or -30.",
                               torvane::MsgButtons::OK);
        return;
    }
    const torvane::typMotorRange& travel = row.Spec.Span.Travel;
    if (!travel.Contains(*value)) {
        const auto end = [](const std::optional<double>& limit, const char* open) {
            return limit ? torvane::PlainNumberText(*limit) : std::string(open);
        };
        torvane::Host().MsgBox("The value " + torvane::PlainNumberText(*value) + " of motor " +
                                   name + " is outside its travel, " +
                                   end(travel.Lower, "no lower limit") + " to " +
                                   end(travel.Upper, "no upper limit") + ", so nothing was set.",
                               torvane::MsgButtons::OK);
        return;
    }
    std::vector<double> values = values_;
    values[at] = *value;
    SetValues(std::move(values), Step::Single);
}

// ---- Poses ----

double frmJointSliders::Duration() const {
    return torvane::WholeNumberValue(txtDuration->text().toStdString()).value_or(std::nan(""));
}

void frmJointSliders::AddPose() {
    // A drive's control thread owns the script engine that reads the path.
    if (RunningCommand::RefuseIfRunning()) return;
    const double seconds = Duration();
    if (!(seconds > 0) || !std::isfinite(seconds))
        Refuse("The duration \"" + txtDuration->text().toStdString() +
               "\" must be a number of seconds above 0, so no pose was added.");
    const auto room = RoomOfRows();
    if (!room) return;
    if (rows_.empty())
        Refuse("The part room " + room->Name() + " has no motors, so there is no pose to add.");
    UseActiveRoomMotors(bots_);
    torvane::clsToolPath& toolPath = bots_.ToolPathControl();
    const torvane::typMotorMasks before = room->MotorMasks();
    std::optional<std::vector<double>> end;
    try {
        end = PathEnd(toolPath, before.XMLScript);
    } catch (const torvane::Error& e) {
        Refuse("The tool path of the part room " + room->Name() +
               " cannot be read, so no pose was added.\n\n" + e.what());
    }
    // Motors the path has not driven yet start where they stand.
    std::vector<double> from = IntoTravel(toolPath, WhereMotorsStand(toolPath, RowCount()));
    if (end) std::copy_n(end->begin(), std::min(end->size(), from.size()), from.begin());
    torvane::typMotorMasks masks = before;
    masks.XMLScript = AppendLeg(before.XMLScript, PoseLeg(from, values_, seconds));
    room->SetMotorMasks(masks);
    auto command = std::make_unique<MotorTableCommand>(bots_.PartRooms(), room, "Tool Path", before,
                                                       masks, false);
    command->setText("Add Pose to " + Quoted(room->Name()));
    bots_.History().Record(std::move(command));
    bots_.Changes().Announce({ChangeKind::Texts, room.get(), this});
    ReportInStatusBar(*this, "Added the pose to the tool path of " +
                                 QString::fromStdString(room->Name()) + " as a leg of " +
                                 QString::fromStdString(torvane::PlainNumberText(seconds)) + " s.");
}

// ---- Moving the motors ----

void frmJointSliders::MoveMotorsToggled(bool on) {
    if (on) {
        lblStatus->setText("The motors follow the values from the next change.");
        return;
    }
    jog_->Stop();
}

void frmJointSliders::JogEnded(bool failed) {
    {
        const QSignalBlocker quiet(chkMoveMotors);
        chkMoveMotors->setChecked(false);
    }
    lblStatus->setText(failed ? "The motors could not be moved; Move motors is off."
                              : "The motors were stopped; Move motors is off.");
    ShowValues();
}

}  // namespace mechanon
