// The rows of the joint sliders window: what each motor of the active room needs, building the
// rows when that changes, and showing the motor values in them.

#include <QGridLayout>
#include <QScrollArea>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "app/Change.h"
#include "app/clsBots.h"
#include "app/motion/JointJog.h"
#include "app/motion/MotionCommand.h"
#include "app/motion/frmJointSliders.h"
#include "app/undo/DocumentHistory.h"
#include "export/ViewScene.h"
#include "model/JointNotes.h"
#include "model/NumberText.h"
#include "model/clsRooms.h"
#include "toolpath/RoomMotorList.h"

namespace mechanon {
namespace {

// A linear motor without limits of a robot with nothing to measure moves this far either way.
constexpr double kSizeOfNothing = 10;
constexpr int kValueBoxChars = 9;

std::string Figure(double value) {
    return torvane::PlainNumberText(value);
}

// A limit as a caption shows it: six significant digits, so a travel converted from radians
// reads -110, not -109.999875255986.
std::string Shown(double value) {
    if (value == 0 || !std::isfinite(value)) return Figure(value);
    const double scale = std::pow(10.0, 5 - std::floor(std::log10(std::abs(value))));
    return Figure(std::round(value * scale) / scale);
}

QString RowCaption(const frmJointSliders::RowSpec& spec) {
    QString caption = QString::fromStdString(spec.Name);
    if (!spec.Joint.empty() && spec.Joint != spec.Name)
        caption += "  joint " + QString::fromStdString(spec.Joint);
    if (!spec.Path.empty()) caption += "  (" + QString::fromStdString(spec.Path) + ")";
    if (spec.Follows) caption += "  follows " + QString::fromStdString(spec.Leader);
    const torvane::typMotorRange& travel = spec.Span.Travel;
    const bool limited = travel.Lower && travel.Upper;
    caption += QString::fromStdString((limited ? "   " : "   no limits, ") +
                                      Shown(spec.Span.Lower) + " to " + Shown(spec.Span.Upper));
    return caption;
}

}  // namespace

void frmJointSliders::ShowChange(const Change& change) {
    bool valuesOnly = false;
    switch (change.Kind) {
        case ChangeKind::Camera:
        case ChangeKind::Display:
        case ChangeKind::Selection:
        case ChangeKind::RoomMoved:
            return;
        case ChangeKind::MotorValues:
            // While the motors are jogged the rows keep the values they were sent to.
            if (change.Source == this || jog_->Busy()) return;
            valuesOnly = true;
            break;
        case ChangeKind::Robot:
        case ChangeKind::RoomAdded:
        case ChangeKind::RoomRemoved:
        case ChangeKind::SubParts:
        case ChangeKind::Fields:
            sizedRoom_.reset();  // the robot may have another size now
            break;
        default:
            break;
    }
    if (!isVisible()) {
        stale_ = true;
        return;
    }
    // The change has been made: a room this window cannot show is no failure of it.
    try {
        if (valuesOnly)
            ShowValues();
        else
            Refresh();
    } catch (const std::exception& e) {
        lblStatus->setText(QString("The motors cannot be shown: ") + e.what());
    }
}

void frmJointSliders::Refresh() {
    stale_ = false;
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room) {
        BuildRows({});
        rowsRoom_.reset();
        lblStatus->setText("There is no part room.");
        UpdateStates();
        return;
    }
    std::vector<torvane::typMotorRange> ranges;
    std::string problem;
    rowsMotorList_ = torvane::MotorsTextOf(*room);
    try {
        ranges = torvane::MotorRangesOf(*room);
    } catch (const torvane::Error& e) {
        problem = e.what();
    }
    std::vector<RowSpec> specs = SpecsOf(*room, ranges);
    std::vector<RowSpec> shown;
    for (const Row& row : rows_) shown.push_back(row.Spec);
    if (room != rowsRoom_.lock() || specs != shown) BuildRows(std::move(specs));
    rowsRoom_ = room;
    ShowValues();
    const QString name = QString::fromStdString(room->Name());
    if (!problem.empty())
        lblStatus->setText("The motor list of " + name +
                           " cannot be read, so the sliders are off "
                           "until it is corrected (Properties page of Control Motors):  " +
                           QString::fromStdString(problem));
    else if (rows_.empty())
        lblStatus->setText("The part room " + name + " has no motors.");
    else
        lblStatus->setText("The motors of " + name + ":");
    sliders_ = problem.empty();
    UpdateStates();
}

std::vector<frmJointSliders::RowSpec> frmJointSliders::SpecsOf(
    const torvane::clsPartRoom& room, const std::vector<torvane::typMotorRange>& ranges) {
    const torvane::typMotorMasks masks = room.MotorMasks();
    const int total =
        masks.Masks.IsAllocated() ? std::min(masks.TotalMasks, masks.Masks.UBound()) : 0;
    const std::vector<std::string> paths = torvane::MotorOccurrencePaths(room);
    const std::vector<std::optional<double>> followers = room.FollowerMaskValues(masks);
    std::vector<RowSpec> specs;
    for (int i = 1; i <= total; ++i) {
        const auto at = static_cast<std::size_t>(i - 1);
        RowSpec spec;
        spec.Name = masks.Masks(i).Name;
        spec.Path = at < paths.size() ? paths[at] : std::string();
        const auto motorRoom = bots_.PartRooms().GetRoomByName(spec.Name);
        const torvane::MotorKind kind = motorRoom ? torvane::MotorKindOf(motorRoom->MotorType())
                                                  : torvane::MotorKind::Rotational;
        const torvane::typMotorRange travel =
            at < ranges.size() ? ranges[at] : torvane::typMotorRange{};
        const bool open = !travel.Lower || !travel.Upper;
        spec.Span = torvane::MotorKind::Linear == kind && open ? SpanOf(travel, kind, RobotSize())
                                                               : SpanOf(travel, kind, 0);
        spec.Follows = at < followers.size() && followers[at].has_value();
        if (motorRoom)
            if (const auto joint = torvane::ReadJointNotes(motorRoom->BlankXML()).Joint) {
                spec.Joint = joint->Name;
                if (spec.Follows) spec.Leader = joint->Mimic;
            }
        specs.push_back(std::move(spec));
    }
    return specs;
}

double frmJointSliders::RobotSize() {
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room) return kSizeOfNothing;
    if (room == sizedRoom_.lock()) return robotSize_;
    double size = 0;
    try {
        const ViewBox box = BoundingBox(PlacedMeshes(PlaceAtCurrentMotors(*room)));
        if (!box.Empty)
            size = std::max({box.Max.X - box.Min.X, box.Max.Y - box.Min.Y, box.Max.Z - box.Min.Z});
    } catch (const std::exception&) {
        // A robot that cannot be placed is drawn by no one either; the span falls back.
    }
    robotSize_ = size > 0 && std::isfinite(size) ? size : kSizeOfNothing;
    sizedRoom_ = room;
    return robotSize_;
}

void frmJointSliders::BuildRows(std::vector<RowSpec> specs) {
    // The old rows go once their events are over: one of them may be the slider being dragged.
    if (QWidget* old = scroll_->takeWidget()) old->deleteLater();
    rowsBody_ = new QWidget;
    rowsBody_->setObjectName("rowsBody");
    rowsGrid_ = new QGridLayout(rowsBody_);
    rows_.clear();
    for (std::size_t i = 0; i < specs.size(); ++i)
        AddRow(static_cast<int>(i + 1), std::move(specs[i]));
    rowsGrid_->setRowStretch(2 * static_cast<int>(rows_.size()), 1);
    rowsGrid_->setColumnStretch(0, 1);
    scroll_->setWidget(rowsBody_);
    values_.assign(rows_.size(), 0.0);
}

void frmJointSliders::AddRow(int motor, RowSpec spec) {
    Row row;
    row.Steps = SliderSteps(spec.Span);
    const QString n = QString::number(motor);
    row.lblName = new QLabel(RowCaption(spec), rowsBody_);
    row.lblName->setObjectName("lblName" + n);
    row.lblName->setWordWrap(true);
    row.sldValue = new QSlider(Qt::Horizontal, rowsBody_);
    row.sldValue->setObjectName("sldValue" + n);
    row.sldValue->setRange(row.Steps.Minimum(), row.Steps.Maximum());
    row.sldValue->setPageStep(std::max(1, row.Steps.Maximum() / 20));
    row.txtValue = new QLineEdit(rowsBody_);
    row.txtValue->setObjectName("txtValue" + n);
    row.txtValue->setMaximumWidth(row.txtValue->fontMetrics().horizontalAdvance('0') *
                                  (kValueBoxChars + 2));
    row.txtValue->setReadOnly(spec.Follows);
    const int line = 2 * (motor - 1);
    rowsGrid_->addWidget(row.lblName, line, 0, 1, 2);
    rowsGrid_->addWidget(row.sldValue, line + 1, 0);
    rowsGrid_->addWidget(row.txtValue, line + 1, 1);
    // Rows that were replaced may still send what their last events did until they go.
    const auto current = [this, motor, slider = row.sldValue] {
        return motor <= RowCount() && RowOf(motor).sldValue == slider;
    };
    connect(row.sldValue, &QSlider::valueChanged, this, [this, motor, current](int position) {
        if (current()) SliderMoved(motor, position);
    });
    // A drag merges its steps into one step of the history, and nothing before it does.
    connect(row.sldValue, &QSlider::sliderPressed, this, [this] { bots_.History().EndMerging(); });
    connect(row.sldValue, &QSlider::sliderReleased, this, [this] { DragEnded(); });
    connect(row.txtValue, &QLineEdit::editingFinished, this, [this, motor, current] {
        if (current()) RunMotionCommand([&] { NumberEntered(motor); });
    });
    row.Spec = std::move(spec);
    rows_.push_back(std::move(row));
}

void frmJointSliders::ShowValues() {
    const auto room = rowsRoom_.lock();
    if (!room) return;
    const torvane::typMotorMasks masks = room->MotorMasks();
    if (!masks.Masks.IsAllocated() || masks.Masks.UBound() < RowCount()) return;
    const std::vector<std::optional<double>> followers = room->FollowerMaskValues(masks);
    values_.resize(rows_.size());
    for (int motor = 1; motor <= RowCount(); ++motor) {
        const auto at = static_cast<std::size_t>(motor - 1);
        values_[at] =
            at < followers.size() && followers[at] ? *followers[at] : masks.Masks(motor).Value;
        ShowValue(motor);
    }
}

void frmJointSliders::ShowValue(int motor) {
    const Row& row = RowOf(motor);
    const double value = values_[static_cast<std::size_t>(motor - 1)];
    if (!row.sldValue->isSliderDown()) {
        const QSignalBlocker quiet(row.sldValue);
        row.sldValue->setValue(row.Steps.PositionOf(value));
    }
    // What is being typed stays until it is entered.
    if (!row.txtValue->hasFocus() || !row.txtValue->isModified()) {
        row.txtValue->setText(QString::fromStdString(Figure(value)));
        row.txtValue->setModified(false);
    }
}

void frmJointSliders::UpdateStates() {
    const bool usable = sliders_ && !rows_.empty();
    for (const Row& row : rows_) {
        row.sldValue->setEnabled(usable && !row.Spec.Follows);
        row.txtValue->setEnabled(usable);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{cmdCentre, cmdRandom, cmdAddPose})
        w->setEnabled(usable);
}

}  // namespace mechanon
