#include "app/motion/frmRS232.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLocale>
#include <QPointer>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <cmath>
#include <optional>

#include "app/motion/MotionCommand.h"
#include "app/motion/QtSwitchTimer.h"
#include "app/motion/SimulatedMotors.h"
#include "app/motion/clsMotorPower.h"
#include "model/NumberText.h"
#include "motorio/LinuxSerialLine.h"
#include "motorio/SerialDevices.h"
#include "motorio/SimulatedMotorLine.h"
#include "motorio/frmMSComms.h"
#include "platform/UserInterface.h"

namespace mechanon {
namespace {

// The port numbers the window offers.
constexpr int kFirstPort = 1;
constexpr int kLastPort = 16;
// How often a line that reports only when asked is asked, milliseconds.
constexpr int kPollMilliseconds = 2;

// The window keeps its line for its whole life; Simulate Motors must still reach the next open.
torvane::SerialLineFactory DefaultLines(std::shared_ptr<const torvane::frmMSComms> ports,
                                        const std::string& devicePath) {
    return LinesOfBackend(std::move(ports), [&devicePath] { return devicePath; });
}

// A whole text that is a number in the user's locale, or with "." as the decimal separator.
std::optional<double> LocaleNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = QLocale().toDouble(trimmed, &ok);
    if (!ok) value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

QString TrueFalse(bool state) {
    return state ? "True" : "False";
}

QGroupBox* Frame(const QString& caption, QWidget* inside, QWidget* parent) {
    auto* frame = new QGroupBox(caption, parent);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(inside);
    return frame;
}

}  // namespace

frmRS232::frmRS232(QWidget* parent, torvane::SerialLineFactory Lines,
                   std::unique_ptr<SwitchTimer> Timer)
    : frmRS232(parent, std::move(Lines), std::move(Timer), nullptr) {}

frmRS232::frmRS232(QWidget* parent, std::shared_ptr<const torvane::frmMSComms> Ports)
    : frmRS232(parent, {}, nullptr, std::move(Ports)) {}

frmRS232::frmRS232(QWidget* parent, torvane::SerialLineFactory Lines,
                   std::unique_ptr<SwitchTimer> Timer,
                   std::shared_ptr<const torvane::frmMSComms> Ports)
    : QDialog(parent),
      MSComm1((Lines ? Lines : DefaultLines(std::move(Ports), devicePath_))()),
      timer_(Timer ? std::move(Timer) : std::make_unique<QtSwitchTimer>()) {
    setObjectName("frmRS232");
    setWindowTitle("Test Motor");
    setModal(true);
    power_ = std::make_unique<clsMotorPower>(*MSComm1, *timer_);

    auto* layout = new QGridLayout(this);
    txtPort = new QLineEdit(QString::number(portNumber_), this);
    txtPort->setObjectName("txtPort");
    cmbDevice = new QComboBox(this);
    cmbDevice->setObjectName("cmbDevice");
    auto* portBox = new QWidget(this);
    auto* portLayout = new QVBoxLayout(portBox);
    portLayout->setContentsMargins(0, 0, 0, 0);
    portLayout->addWidget(txtPort);
    portLayout->addWidget(cmbDevice);
    layout->addWidget(Frame("Com Port Number  (1-16) or device", portBox, this), 0, 0);
    Check1 = new QCheckBox("chkPortOn", this);
    Check1->setObjectName("Check1");
    layout->addWidget(Check1, 0, 1);
    Check3 = new QCheckBox("Output1 DTR orange", this);
    Check3->setObjectName("Check3");
    Check2 = new QCheckBox("OutPut2 RTS blue", this);
    Check2->setObjectName("Check2");
    layout->addWidget(Check3, 1, 0);
    layout->addWidget(Check2, 1, 1);
    Label1 = new QLabel("False", this);
    Label1->setObjectName("Label1");
    Label2 = new QLabel("False", this);
    Label2->setObjectName("Label2");
    layout->addWidget(Frame("Input1 black CD", Label1, this), 2, 0);
    layout->addWidget(Frame("Input2 purple CTS", Label2, this), 2, 1);

    auto* encoderBox = new QWidget(this);
    auto* encoderLayout = new QVBoxLayout(encoderBox);
    Command1 = new QPushButton("ZeroPosition", encoderBox);
    Command1->setObjectName("Command1");
    lblPosition = new QLabel("Position", encoderBox);
    lblPosition->setObjectName("lblPosition");
    encoderLayout->addWidget(Command1);
    encoderLayout->addWidget(lblPosition);
    layout->addWidget(Frame("Encoder Control", encoderBox, this), 3, 0, 1, 2);

    layout->addWidget(Frame("Motor Power Control", BuildPowerBox(), this), 4, 0, 1, 2);
    for (QPushButton* b : {Command1, Command3}) b->setAutoDefault(false);

    ConnectControls();
}

// The power scroll bar, its power and period boxes and the Stop button.
QWidget* frmRS232::BuildPowerBox() {
    auto* powerBox = new QWidget(this);
    auto* powerLayout = new QGridLayout(powerBox);
    HScroll1 = new QScrollBar(Qt::Horizontal, powerBox);
    HScroll1->setObjectName("HScroll1");
    HScroll1->setRange(-100, 100);
    HScroll1->setValue(0);
    txtPower = new QLineEdit("0", powerBox);
    txtPower->setObjectName("txtPower");
    txtPeriod = new QLineEdit("20", powerBox);
    txtPeriod->setObjectName("txtPeriod");
    Command3 = new QPushButton("Stop", powerBox);
    Command3->setObjectName("Command3");
    powerLayout->addWidget(HScroll1, 0, 0, 1, 2);
    powerLayout->addWidget(new QLabel("Power in %", powerBox), 1, 0);
    powerLayout->addWidget(txtPower, 1, 1);
    powerLayout->addWidget(new QLabel("Period", powerBox), 2, 0);
    powerLayout->addWidget(txtPeriod, 2, 1);
    powerLayout->addWidget(Command3, 3, 0, 1, 2);
    return powerBox;
}

void frmRS232::ConnectControls() {
    auto handle = [this](auto&& work) { RunMotionCommand(work); };
    connect(Check1, &QCheckBox::clicked, this, [=, this] { handle([this] { PortOnClicked(); }); });
    connect(cmbDevice, &QComboBox::activated, this, [this](int index) { DeviceChosen(index); });
    connect(Check3, &QCheckBox::clicked, this, [=, this] { handle([this] { DTRClicked(); }); });
    connect(Check2, &QCheckBox::clicked, this, [=, this] { handle([this] { RTSClicked(); }); });
    connect(Command1, &QPushButton::clicked, this,
            [=, this] { handle([this] { ZeroPosition(); }); });
    connect(HScroll1, &QScrollBar::valueChanged, this,
            [=, this](int value) { handle([this, value] { PowerScrolled(value); }); });
    connect(txtPower, &QLineEdit::returnPressed, this,
            [=, this] { handle([this] { PowerEntered(); }); });
    connect(txtPeriod, &QLineEdit::returnPressed, this,
            [=, this] { handle([this] { PeriodEntered(); }); });
    connect(Command3, &QPushButton::clicked, this, [=, this] { handle([this] { StopMotor(); }); });
    poll_.setInterval(kPollMilliseconds);
    connect(&poll_, &QTimer::timeout, this, [this] {
        if (!PortOpen()) return;
        try {
            MSComm1->Poll();
        } catch (const std::exception&) {
            // A failing device is reported by the next command that uses it.
        }
    });
}

frmRS232::~frmRS232() {
    power_.reset();  // stops switching first
    MSComm1->Close();
}

bool frmRS232::PortOpen() const {
    return MSComm1->IsOpen();
}

void frmRS232::done(int result) {
    // No motor keeps running, and no port stays taken, once the window is gone.
    ClosePort();
    QDialog::done(result);
}

void frmRS232::ClosePort() {
    poll_.stop();
    power_->Stop();
    MSComm1->Close();
    Check1->setChecked(false);
    Check2->setChecked(false);
    Check3->setChecked(false);
}

void frmRS232::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const QSignalBlocker quiet(cmbDevice);
    cmbDevice->clear();
    cmbDevice->addItem("Port by number");
    for (const std::string& device : torvane::SerialDevices())
        cmbDevice->addItem(QString::fromStdString(device));
    const int shown = cmbDevice->findText(QString::fromStdString(devicePath_));
    cmbDevice->setCurrentIndex(shown > 0 ? shown : 0);
}

void frmRS232::DeviceChosen(int index) {
    txtPort->setText(index > 0 ? cmbDevice->itemText(index) : QString::number(portNumber_));
}

void frmRS232::PortOnClicked() {
    // A device path is opened as it is; a number that cannot be a port leaves the previous one.
    const std::string text = txtPort->text().trimmed().toStdString();
    if (!PortOpen() && text.rfind('/', 0) == 0) {
        devicePath_ = text;
    } else if (!PortOpen()) {
        const double wanted = std::nearbyint(torvane::NumberValue(text));
        if (wanted >= kFirstPort && wanted <= kLastPort) {
            portNumber_ = static_cast<std::int16_t>(wanted);
            devicePath_.clear();
        }
    }
    if (!Check1->isChecked()) {
        ClosePort();
        RetrieveInputLineStates();
        return;
    }
    if (!PortOpen()) {
        QPointer<frmRS232> window(this);
        try {
            MSComm1->Open(portNumber_, [window](torvane::ModemInputs inputs) {
                // Possibly on the line's own thread: handled in order on the window's thread.
                QMetaObject::invokeMethod(
                    window.data(),
                    [window, inputs] {
                        if (window) window->OnPortEvent(inputs);
                    },
                    Qt::QueuedConnection);
            });
        } catch (...) {
            Check1->setChecked(false);
            throw;
        }
        poll_.start();
        MSComm1->SetDTR(Check3->isChecked());
        MSComm1->SetRTS(Check2->isChecked());
    }
    RetrieveInputLineStates();
}

void frmRS232::DTRClicked() {
    if (PortOpen()) MSComm1->SetDTR(Check3->isChecked());
}

void frmRS232::RTSClicked() {
    if (PortOpen()) MSComm1->SetRTS(Check2->isChecked());
    RetrieveInputLineStates();
}

void frmRS232::RetrieveInputLineStates() {
    if (PortOpen()) {
        const torvane::ModemInputs inputs = MSComm1->GetInputs();
        dcd_ = inputs.DCD;
        cts_ = inputs.CTS;
    } else {
        dcd_ = cts_ = false;
    }
    ShowInputs();
}

void frmRS232::ShowInputs() {
    Label1->setText(TrueFalse(dcd_));
    Label2->setText(TrueFalse(cts_));
}

void frmRS232::ShowPosition() {
    lblPosition->setText(QString::fromStdString(torvane::TrimmedNumberText(encoder_.Position())));
}

void frmRS232::OnPortEvent(torvane::ModemInputs inputs) {
    // The states of this change, not a fresh read: every change counts, in order.
    dcd_ = inputs.DCD;
    cts_ = inputs.CTS;
    ShowInputs();
    encoder_.RefreshPosition(dcd_, cts_);
    ShowPosition();
}

void frmRS232::ZeroPosition() {
    RetrieveInputLineStates();
    encoder_.ZeroPosition(dcd_, cts_);
    ShowPosition();
}

void frmRS232::PowerScrolled(int value) {
    txtPower->setText(QString::number(value));
    SetMotorPower();
}

void frmRS232::PowerEntered() {
    if (const std::optional<double> power = LocaleNumber(txtPower->text())) {
        const QSignalBlocker quiet(HScroll1);
        HScroll1->setValue(static_cast<int>(std::nearbyint(std::clamp(*power, -100.0, 100.0))));
    }
    SetMotorPower();
}

void frmRS232::PeriodEntered() {
    SetMotorPower();
}

void frmRS232::StopMotor() {
    txtPower->setText("0");
    {
        const QSignalBlocker quiet(HScroll1);
        HScroll1->setValue(0);
    }
    SetMotorPower();
}

void frmRS232::SetMotorPower() {
    const std::optional<double> power = LocaleNumber(txtPower->text());
    const std::optional<double> period = LocaleNumber(txtPeriod->text());
    if (!power || !period) {
        power_->Stop();
        const std::string what = !power ? "power \"" + txtPower->text().toStdString() + "\""
                                        : "period \"" + txtPeriod->text().toStdString() + "\"";
        torvane::Host().MsgBox("The " + what + " is not a number.  The motor lines are off.",
                               torvane::MsgButtons::OK);
        return;
    }
    try {
        power_->SetPower(*power, *period);
    } catch (const torvane::Error& e) {
        power_->Stop();
        torvane::Host().MsgBox(std::string(e.what()) + "  The motor lines are off.",
                               torvane::MsgButtons::OK);
    }
}

}  // namespace mechanon
