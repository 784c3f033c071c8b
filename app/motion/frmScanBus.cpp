#include "app/motion/frmScanBus.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>
#include <cmath>
#include <sstream>

#include "app/Change.h"
#include "app/clsBots.h"
#include "app/motion/MotionCommand.h"
#include "app/motion/RoomMotors.h"
#include "app/motion/RunningCommand.h"
#include "app/undo/MotorTableCommand.h"
#include "model/Error.h"
#include "model/NumberText.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "motorio/DrivenJoints.h"
#include "motorio/SerialDevices.h"
#include "platform/UserInterface.h"
#include "toolpath/MotorPropertiesText.h"
#include "toolpath/RoomMotorList.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {
namespace {

// How often a running scan is looked at, ms.
constexpr int kPollMs = 20;

struct ProtocolChoice {
    const char* Name;
    torvane::DriveKind Kind;
};
constexpr ProtocolChoice kProtocols[] = {{"feetech", torvane::DriveKind::Feetech},
                                         {"dynamixel", torvane::DriveKind::Dynamixel},
                                         {"maestro", torvane::DriveKind::Maestro}};

// The lines of a text as the motor list reads them (CR LF or LF), each without its line end.
std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool IsBlankLine(const std::string& line) {
    return line.find_first_not_of(" \t") == std::string::npos;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t k = 0; k < lines.size(); ++k) text += (k ? "\r\n" : "") + lines[k];
    return text;
}

}  // namespace

frmScanBus::frmScanBus(clsBots& bots, QWidget* parent) : ChildWindow(parent), bots_(bots) {
    setObjectName("frmScanBus");
    setWindowTitle(kCaption);
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    auto* form = new QFormLayout;
    cmbDevice = new QComboBox(body);
    cmbDevice->setObjectName("cmbDevice");
    cmbDevice->setEditable(true);
    cmbDevice->setToolTip(
        "The serial device of the bus adapter (a /dev/serial/by-id name stays "
        "the same whichever USB socket the adapter is in)");
    form->addRow("Device:", cmbDevice);
    cmbProtocol = new QComboBox(body);
    cmbProtocol->setObjectName("cmbProtocol");
    for (const ProtocolChoice& p : kProtocols) cmbProtocol->addItem(p.Name);
    form->addRow("Protocol:", cmbProtocol);
    txtBaud = new QLineEdit(body);
    txtBaud->setObjectName("txtBaud");
    txtBaud->setPlaceholderText("the protocol's default");
    form->addRow("Baud rate:", txtBaud);
    txtLastId = new QLineEdit(body);
    txtLastId->setObjectName("txtLastId");
    txtLastId->setPlaceholderText("every id");
    txtLastId->setToolTip("The highest id asked; a lower one makes the scan quicker");
    form->addRow("Highest id:", txtLastId);
    layout->addLayout(form);
    cmdScan = new QPushButton(kScanCaption, body);
    cmdScan->setObjectName("cmdScan");
    layout->addWidget(cmdScan);
    grdServos = new QTableWidget(0, 3, body);
    grdServos->setObjectName("grdServos");
    grdServos->setHorizontalHeaderLabels({"Id", "Model", "Position"});
    grdServos->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdServos->setSelectionMode(QAbstractItemView::SingleSelection);
    grdServos->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdServos->verticalHeader()->hide();
    layout->addWidget(grdServos, 1);
    auto* add = new QHBoxLayout;
    cmbMotor = new QComboBox(body);
    cmbMotor->setObjectName("cmbMotor");
    cmbMotor->setToolTip("The motor of the list that the selected servo drives");
    cmdAdd = new QPushButton("Add to Motor List", body);
    cmdAdd->setObjectName("cmdAdd");
    add->addWidget(new QLabel("As motor:", body));
    add->addWidget(cmbMotor, 1);
    add->addWidget(cmdAdd);
    layout->addLayout(add);
    cmdTorqueOff = new QPushButton("Torque Off", body);
    cmdTorqueOff->setObjectName("cmdTorqueOff");
    cmdTorqueOff->setToolTip("Every motor of the list limp: servos stop holding their position");
    layout->addWidget(cmdTorqueOff);
    lblStatus = new QLabel("Choose the bus adapter and the servos' protocol, then Scan.", body);
    lblStatus->setObjectName("lblStatus");
    lblStatus->setWordWrap(true);
    layout->addWidget(lblStatus);
    setWidget(body);

    connect(cmdScan, &QPushButton::clicked, this, [this] { RunMotionCommand([this] { Scan(); }); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { RunMotionCommand([this] { Add(); }); });
    connect(cmdTorqueOff, &QPushButton::clicked, this,
            [this] { RunMotionCommand([this] { TorqueOff(); }); });
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, [this] { RunMotionCommand([this] { Poll(); }); });
}

frmScanBus::~frmScanBus() = default;  // a running scan is stopped and waited for

void frmScanBus::showEvent(QShowEvent* event) {
    ChildWindow::showEvent(event);
    Refresh();
}

void frmScanBus::Refresh() {
    const QString typed = cmbDevice->currentText();
    cmbDevice->clear();
    for (const std::string& device : torvane::SerialDevices())
        cmbDevice->addItem(QString::fromStdString(device));
    if (!typed.isEmpty()) cmbDevice->setCurrentText(typed);

    const QString chosen = cmbMotor->currentText();
    cmbMotor->clear();
    int firstPlain = -1;
    if (const auto room = bots_.PartRooms().ActivePartRoom) {
        try {
            const auto list = torvane::ParseMotorPropertiesText(torvane::MotorsTextOf(*room));
            for (std::size_t k = 0; k < list.motors.size(); ++k) {
                const torvane::typMotorProperties& motor = list.motors[k];
                cmbMotor->addItem(
                    QString("%1 %2").arg(k + 1).arg(QString::fromStdString(motor.Name)));
                if (firstPlain < 0 && !torvane::IsServoBus(motor.Kind))
                    firstPlain = static_cast<int>(k);
            }
        } catch (const torvane::Error&) {
            // An unreadable list offers only a new line; Add then says what is wrong with it.
        }
    }
    cmbMotor->addItem(kNewMotor);
    // The next motor not yet on a bus, so servos added in turn fill the list in order.
    const int keep = cmbMotor->findText(chosen);
    cmbMotor->setCurrentIndex(keep >= 0         ? keep
                              : firstPlain >= 0 ? firstPlain
                                                : cmbMotor->count() - 1);
}

torvane::DriveKind frmScanBus::Protocol() const {
    return kProtocols[std::max(0, cmbProtocol->currentIndex())].Kind;
}

std::int32_t frmScanBus::WholeField(const QLineEdit& field, const char* what, std::int32_t low,
                                    std::int32_t high) const {
    const std::string text = field.text().trimmed().toStdString();
    const std::optional<double> value = torvane::WholeNumberValue(text);
    if (!value || *value != std::floor(*value) || *value < low || *value > high)
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       std::string("The ") + what + " \"" + text +
                           "\" is not a whole number from " + std::to_string(low) + " to " +
                           std::to_string(high) + ".  Leave it empty for the protocol's own.");
    return static_cast<std::int32_t>(*value);
}

void frmScanBus::Scan() {
    if (scan_) {
        scan_->Thread.request_stop();
        lblStatus->setText("Stopping...");
        return;
    }
    const std::string device = cmbDevice->currentText().trimmed().toStdString();
    if (device.empty())
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "Choose or type the serial device of the bus adapter first.");
    const torvane::DriveKind kind = Protocol();
    const std::int32_t highest = torvane::MakeServoProtocol(kind)->HighestId();
    const std::int32_t baud =
        txtBaud->text().trimmed().isEmpty() ? 0 : WholeField(*txtBaud, "baud rate", 1, 100000000);
    const std::int32_t lastId = txtLastId->text().trimmed().isEmpty()
                                    ? -1
                                    : WholeField(*txtLastId, "highest id", 0, highest);

    Running& run = scan_.emplace();
    run.Device = device;
    run.Kind = kind;
    run.Baud = baud;
    run.Thread = std::jthread([&run, lastId](std::stop_token stop) {
        torvane::ServoScanResult result;
        std::string advice;
        std::exception_ptr failure;
        try {
            result = torvane::ScanDevice(
                run.Kind, run.Device, run.Baud, lastId, stop,
                [&run](std::int32_t id) { run.AtId = id; }, &advice);
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard lock(run.Mutex);
        run.Result = std::move(result);
        run.Advice = std::move(advice);
        run.Failure = failure;
        run.Done = true;
    });
    grdServos->setRowCount(0);
    cmdScan->setText(kStopCaption);
    cmdAdd->setEnabled(false);
    lblStatus->setText(QString("Scanning %1...").arg(QString::fromStdString(device)));
    poll_.start();
}

void frmScanBus::Poll() {
    if (!scan_) return;
    bool done = false;
    {
        const std::lock_guard lock(scan_->Mutex);
        done = scan_->Done;
    }
    if (done) {
        Finish();
        return;
    }
    if (!scan_->Thread.get_stop_token().stop_requested() && scan_->AtId.load() >= 0)
        lblStatus->setText(QString("Scanning %1: id %2...")
                               .arg(QString::fromStdString(scan_->Device))
                               .arg(scan_->AtId.load()));
}

void frmScanBus::Finish() {
    poll_.stop();
    cmdScan->setText(kScanCaption);
    cmdAdd->setEnabled(true);
    scan_->Thread.join();
    const std::exception_ptr failure = scan_->Failure;
    const torvane::ServoScanResult result = std::move(scan_->Result);
    const std::string advice = scan_->Advice;
    foundDevice_ = scan_->Device;
    foundKind_ = scan_->Kind;
    foundBaud_ = scan_->Baud;
    scan_.reset();
    if (failure) {
        lblStatus->setText("The scan failed.");
        std::rethrow_exception(failure);  // shown in a message
    }
    ShowFound(result, advice);
}

void frmScanBus::ShowFound(const torvane::ServoScanResult& result, const std::string& advice) {
    grdServos->setRowCount(static_cast<int>(result.Servos.size()));
    for (int row = 0; row < grdServos->rowCount(); ++row) {
        const torvane::ServoFound& servo = result.Servos[static_cast<std::size_t>(row)];
        const std::int32_t values[] = {servo.Id, servo.Model, servo.Position};
        for (int column = 0; column < 3; ++column)
            grdServos->setItem(row, column, new QTableWidgetItem(QString::number(values[column])));
    }
    if (!result.Servos.empty()) grdServos->selectRow(0);
    QString status =
        result.Servos.empty()
            ? QString("No servo answered on %1.").arg(QString::fromStdString(foundDevice_))
            : QString("%1 servo(s) answered on %2; select one and add it to the motor list.")
                  .arg(result.Servos.size())
                  .arg(QString::fromStdString(foundDevice_));
    if (result.Cancelled) status += "  The scan was stopped before the last id.";
    for (const std::string& trouble : result.Troubles)
        status += "  " + QString::fromStdString(trouble) + ".";
    if (!advice.empty()) status += "  " + QString::fromStdString(advice);
    lblStatus->setText(status);
}

std::string frmScanBus::ServoLine(const torvane::ServoFound& servo, const std::string& name) const {
    torvane::typMotorProperties motor;
    motor.Name = name;
    motor.PartName = "none";
    motor.Kind = foundKind_;
    motor.Device = foundDevice_;
    motor.Baud = foundBaud_;
    motor.ServoId = servo.Id;
    const torvane::ServoScale scale = torvane::DefaultServoScale(foundKind_);
    motor.Scale = scale.Scale;
    motor.Zero = scale.Zero;
    return torvane::MotorLineText(motor);
}

void frmScanBus::Add() {
    const auto room = bots_.PartRooms().ActivePartRoom;
    const int row = grdServos->currentRow();
    if (!room || row < 0 || row >= grdServos->rowCount())
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "Select a servo that the scan found first.");
    torvane::ServoFound servo;
    servo.Id = grdServos->item(row, 0)->text().toInt();
    std::vector<std::string> lines = LinesOf(torvane::MotorsTextOf(*room));
    const int motor = cmbMotor->currentText() == kNewMotor ? -1 : cmbMotor->currentIndex();
    if (motor < 0) {
        lines.push_back(ServoLine(servo, "Servo " + std::to_string(servo.Id)));
    } else {
        // The chosen motor's line: its port and scale become the servo's, the rest stays.
        torvane::ParsedMotorProperties list =
            torvane::ParseMotorPropertiesText(torvane::MotorsTextOf(*room));
        torvane::typMotorProperties changed = list.motors.at(static_cast<std::size_t>(motor));
        const torvane::ServoScale scale = torvane::DefaultServoScale(foundKind_);
        changed.Kind = foundKind_;
        changed.Device = foundDevice_;
        changed.ComPort = 0;
        changed.Baud = foundBaud_;
        changed.ServoId = servo.Id;
        changed.Scale = scale.Scale;
        changed.Zero = scale.Zero;
        int seen = -2;  // the first line that is not blank holds the default limits
        for (std::size_t k = 0; k < lines.size(); ++k)
            if (!IsBlankLine(lines[k]) && ++seen == motor)
                lines[k] = torvane::MotorLineText(changed);
    }
    const std::string text = Joined(lines);
    RefuseUnreadableMotorsText(text);  // the id already on the list for the device, say
    const torvane::typMotorMasks before = room->MotorMasks();
    torvane::typMotorMasks masks = before;
    masks.XMLProperties = torvane::MotorsTextToStore(*room, text);
    room->SetMotorMasks(masks);
    RecordMotorTable(bots_, room, "Motor List", before, false);
    bots_.Changes().Announce({ChangeKind::Texts, room.get(), this});
    UseActiveRoomMotors(bots_);
    lblStatus->setText(QString("Servo %1 was put on the motor list.").arg(servo.Id));
    Refresh();
    // The next motor in turn, for the next servo.
    if (motor >= 0 && motor + 1 < cmbMotor->count()) cmbMotor->setCurrentIndex(motor + 1);
}

void frmScanBus::TorqueOff() {
    if (RunningCommand::RefuseIfRunning()) return;
    if (torvane::Host().MsgBox("Switch the torque of every servo off?  A servo arm falls unless "
                               "it is held or at rest.",
                               torvane::MsgButtons::YesNo) != torvane::MsgAnswer::Yes)
        return;
    // Every servo the program drives, whichever list it was on; their devices are then free.
    const bool off = bots_.ToolPathControl().ReleaseServoBuses();
    lblStatus->setText(off ? "Every servo is off (limp), and its device free."
                           : "Some servos could not be switched off; see that their bus is "
                             "connected and powered.");
}

}  // namespace mechanon
