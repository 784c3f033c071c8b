#include "app/motion/frmRecordMotion.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <cmath>
#include <map>
#include <optional>

#include "app/Change.h"
#include "app/clsBots.h"
#include "app/motion/MotionCommand.h"
#include "app/motion/RoomMotors.h"
#include "app/motion/RunningCommand.h"
#include "app/motion/SimulatedMotors.h"
#include "app/undo/MotorTableCommand.h"
#include "model/Error.h"
#include "model/NumberText.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "motorio/DrivenJoints.h"
#include "toolpath/MotionRecorder.h"
#include "toolpath/MotorPropertiesText.h"
#include "toolpath/RoomMotorList.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {
namespace {

// How often the samples taken are shown, ms.
constexpr int kProgressMs = 100;

QString Figure(double value, int digits) {
    return QString::fromStdString(torvane::ShortNumberText(value, digits)).trimmed();
}

// Names the motors the hand took beyond their travel, for the status line.
QString BeyondTravel(const std::vector<std::int32_t>& motors) {
    if (motors.empty()) return {};
    QStringList numbers;
    for (const std::int32_t m : motors) numbers << QString::number(m);
    return QString("  Motor %1 went beyond its travel; the path stays at its end there.")
        .arg(numbers.join(", "));
}

}  // namespace

frmRecordMotion::frmRecordMotion(clsBots& bots, QWidget* parent)
    : ChildWindow(parent), bots_(bots) {
    setObjectName("frmRecordMotion");
    setWindowTitle(kCaption);
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    auto* form = new QFormLayout;
    txtTolerance = new QLineEdit(kDefaultTolerance, body);
    txtTolerance->setObjectName("txtTolerance");
    txtTolerance->setToolTip(
        "How far, in each motor's position units, the written path may pass from the recording");
    form->addRow("Tolerance (motor units):", txtTolerance);
    layout->addLayout(form);
    layout->addWidget(
        new QLabel("Let go while recording (the others hold where they stand):", body));
    lstLetGo = new QListWidget(body);
    lstLetGo->setObjectName("lstLetGo");
    lstLetGo->setMaximumHeight(8 * lstLetGo->fontMetrics().height());
    layout->addWidget(lstLetGo);
    auto* buttons = new QHBoxLayout;
    cmdRecord = new QPushButton("Record", body);
    cmdRecord->setObjectName("cmdRecord");
    cmdStop = new QPushButton("Stop", body);
    cmdStop->setObjectName("cmdStop");
    buttons->addWidget(cmdRecord);
    buttons->addWidget(cmdStop);
    layout->addLayout(buttons);
    lblSamples = new QLabel(body);
    lblSamples->setObjectName("lblSamples");
    layout->addWidget(lblSamples);
    lblStatus = new QLabel(
        "Record lets go of the motors checked above; move the robot by hand, then press Stop.",
        body);
    lblStatus->setObjectName("lblStatus");
    lblStatus->setWordWrap(true);
    layout->addWidget(lblStatus);
    layout->addStretch(1);
    setWidget(body);

    connect(cmdRecord, &QPushButton::clicked, this,
            [this] { RunMotionCommand([this] { Record(); }); });
    connect(cmdStop, &QPushButton::clicked, this, [this] { RunMotionCommand([this] { Stop(); }); });
    progress_.setInterval(kProgressMs);
    connect(&progress_, &QTimer::timeout, this, [this] { ShowProgress(); });
    UpdateButtons();
}

frmRecordMotion::~frmRecordMotion() {
    EndRecording();
}

double frmRecordMotion::Tolerance() const {
    const std::string text = txtTolerance->text().trimmed().toStdString();
    const std::optional<double> value = torvane::WholeNumberValue(text);
    if (!value || !(*value > 0) || !std::isfinite(*value))
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "The tolerance \"" + text +
                           "\" is not a number above 0.  Type how far, in motor units, the "
                           "written path may pass from the recording (for example 0.5).");
    return *value;
}

void frmRecordMotion::Record() {
    if (recorder_) return;
    if (RunningCommand::RefuseIfRunning()) return;
    Tolerance();  // a tolerance that cannot be used stops the recording before it starts
    room_ = bots_.PartRooms().ActivePartRoom;
    if (!room_) return;
    UseActiveRoomMotors(bots_);
    torvane::clsToolPath& toolPath = bots_.ToolPathControl();
    setWindowTitle(WithSimulatedMark(kCaption, SimulatingMotors(bots_)));
    struct OffUnlessStarted {
        frmRecordMotion& window;
        ~OffUnlessStarted() {
            if (!window.recorder_) window.EndRecording();
        }
    } offUnlessStarted{*this};
    ShowMotors();
    joints_ = toolPath.OpenMotorJoints();  // a port that does not open raises, naming it
    auto recorder = std::make_unique<torvane::MotionRecorder>(*joints_, toolPath.TotalMotors());
    recorder->Start(LetGoMarks());
    recorder_ = std::move(recorder);
    // Only this window takes input meanwhile; Escape anywhere stops as Stop does.
    running_ = std::make_unique<RunningCommand>(
        [this] { QTimer::singleShot(0, this, [this] { RunMotionCommand([this] { Stop(); }); }); },
        true, this);
    progress_.start();
    lblSamples->setText("0 samples");
    lblStatus->setText("Recording: move the robot by hand, then press Stop.");
    UpdateButtons();
}

void frmRecordMotion::ShowProgress() {
    if (!recorder_) return;
    lblSamples->setText(QString("%1 samples, %2 a second")
                            .arg(recorder_->SampleCount())
                            .arg(Figure(recorder_->Rate(), 3)));
    // The sampling ended by itself (a port closed under it): Stop says why.
    if (!recorder_->Sampling()) RunMotionCommand([this] { Stop(); });
}

void frmRecordMotion::Stop() {
    if (!recorder_) return;
    std::vector<torvane::typMotionSample> samples;
    try {
        samples = recorder_->Stop();
    } catch (...) {
        EndRecording();
        lblStatus->setText("The recording failed; the tool path was left as it was.");
        throw;
    }
    EndRecording();
    lastRecording_ = std::move(samples);
    lblStatus->setText("Nothing was written; the tool path was left as it was.");
    WritePath(lastRecording_);
}

void frmRecordMotion::WritePath(std::vector<torvane::typMotionSample> samples) {
    const std::shared_ptr<torvane::clsPartRoom> room = std::move(room_);
    if (!room) return;
    // A hand can take a joint past the travel its motor must keep to; the path stops there.
    const std::vector<std::int32_t> beyond =
        torvane::KeepWithinTravel(samples, torvane::MotorRangesOf(*room));
    torvane::RecordedPathSummary summary;
    const std::string text = torvane::WriteRecordedPath(bots_.ToolPathControl().XMLClass(), samples,
                                                        Tolerance(), &summary);
    const torvane::typMotorMasks before = room->MotorMasks();
    torvane::typMotorMasks masks = before;
    masks.XMLScript = text;
    room->SetMotorMasks(masks);
    RecordMotorTable(bots_, room, "Recorded Motion", before, false);
    bots_.Changes().Announce({ChangeKind::Texts, room.get(), this});
    lblStatus->setText(QString("%1 samples over %2 s became %3 pieces, none further than %4 "
                               "from the recording.  They replaced the tool path of \"%5\".")
                           .arg(summary.Samples)
                           .arg(Figure(summary.Duration, 3))
                           .arg(summary.Pieces)
                           .arg(Figure(summary.LargestDeviation, 3))
                           .arg(QString::fromStdString(room->Name())) +
                       BeyondTravel(beyond));
}

void frmRecordMotion::EndRecording() noexcept {
    progress_.stop();
    recorder_.reset();  // ends the sampling thread, every line off
    if (joints_) joints_->AllOff();
    joints_.reset();
    running_.reset();
    lblSamples->clear();
    UpdateButtons();
}

void frmRecordMotion::UpdateButtons() {
    cmdRecord->setEnabled(!recorder_);
    cmdStop->setEnabled(recorder_ != nullptr);
}

void frmRecordMotion::closeEvent(QCloseEvent* event) {
    if (recorder_) RunMotionCommand([this] { Stop(); });
    ChildWindow::closeEvent(event);
}

void frmRecordMotion::ShowMotors() {
    std::vector<std::string> names;
    if (const auto room = bots_.PartRooms().ActivePartRoom) try {
            for (const auto& motor :
                 torvane::ParseMotorPropertiesText(torvane::MotorsTextOf(*room)).motors)
                names.push_back(motor.Name);
        } catch (const std::exception&) {
            // A list that cannot be read lists no motor; Record says why.
        }
    std::map<QString, Qt::CheckState> marks;
    for (int row = 0; row < lstLetGo->count(); ++row)
        marks[lstLetGo->item(row)->text()] = lstLetGo->item(row)->checkState();
    lstLetGo->clear();
    for (const std::string& name : names) {
        auto* item = new QListWidgetItem(QString::fromStdString(name), lstLetGo);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        const auto kept = marks.find(item->text());
        item->setCheckState(kept == marks.end() ? Qt::Checked : kept->second);
    }
}

std::vector<bool> frmRecordMotion::LetGoMarks() const {
    std::vector<bool> marks;
    bool any = false;
    for (int row = 0; row < lstLetGo->count(); ++row) {
        marks.push_back(lstLetGo->item(row)->checkState() == Qt::Checked);
        any = any || !marks.back();
    }
    return any ? marks : std::vector<bool>{};
}

void frmRecordMotion::showEvent(QShowEvent* event) {
    ChildWindow::showEvent(event);
    if (!recorder_) ShowMotors();
    if (!recorder_) setWindowTitle(WithSimulatedMark(kCaption, SimulatingMotors(bots_)));
}

}  // namespace mechanon
