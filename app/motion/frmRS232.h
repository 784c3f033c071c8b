#pragma once
// The modal serial test window ("Test Motor"): one motor on one serial port, by hand. The port's
// two output lines are switched by check boxes or run at part power by the motor power object;
// the two input lines are shown and counted by a quadrature encoder.
//
// Input changes may be reported on the line's own thread; they are posted to the window and
// handled in order on the user-interface thread. A line that produces its changes when asked
// (the simulated motor) is polled while the port is open.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>

#include "app/motion/SwitchTimer.h"
#include "motorio/clsQuadEncoder.h"
#include "platform/SerialLine.h"

namespace torvane {
class frmMSComms;
}

namespace mechanon {

class clsMotorPower;

class frmRS232 : public QDialog {
    Q_OBJECT
  public:
    // Lines come from Lines (nullptr: the serial devices); the switching timer from Timer
    // (nullptr: a window timer).
    explicit frmRS232(QWidget* parent = nullptr, torvane::SerialLineFactory Lines = {},
                      std::unique_ptr<SwitchTimer> Timer = nullptr);
    // The program's window: its port has a simulated motor behind it whenever Ports uses them
    // at the moment it opens, the serial device otherwise.
    frmRS232(QWidget* parent, std::shared_ptr<const torvane::frmMSComms> Ports);
    ~frmRS232() override;

    // The port number the next open uses.
    std::int16_t PortNumber() const noexcept { return portNumber_; }
    // The serial device the next open uses in place of the number (empty: by number). The port
    // field takes a number or a device path; the device list fills it in.
    const std::string& DevicePath() const noexcept { return devicePath_; }
    bool PortOpen() const;
    const torvane::clsQuadEncoder& Encoder() const noexcept { return encoder_; }
    SwitchTimer& Timer() const noexcept { return *timer_; }

    // The event handlers, as the controls run them.
    void PortOnClicked();
    void DTRClicked();
    void RTSClicked();
    void ZeroPosition();
    void PowerScrolled(int value);
    void PowerEntered();
    void PeriodEntered();
    void StopMotor();
    // Reads DCD and CTS and shows them.
    void RetrieveInputLineStates();

    QLineEdit* txtPort = nullptr;
    QComboBox* cmbDevice = nullptr;  // "Port by number", then the machine's serial devices
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check3 = nullptr;
    QCheckBox* Check2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* lblPosition = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QLineEdit* txtPower = nullptr;
    QLineEdit* txtPeriod = nullptr;
    QPushButton* Command3 = nullptr;

  protected:
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

  private:
    frmRS232(QWidget* parent, torvane::SerialLineFactory Lines, std::unique_ptr<SwitchTimer> Timer,
             std::shared_ptr<const torvane::frmMSComms> Ports);
    QWidget* BuildPowerBox();
    void ConnectControls();
    // Reads both texts and sets the motor power; a text that is not a number is reported and
    // the lines are left off.
    void SetMotorPower();
    void OnPortEvent(torvane::ModemInputs inputs);
    void DeviceChosen(int index);
    void ShowInputs();
    void ShowPosition();
    void ClosePort();

    std::string devicePath_;  // before the line, whose opens read it
    std::unique_ptr<torvane::SerialLine> MSComm1;
    std::unique_ptr<SwitchTimer> timer_;
    std::unique_ptr<clsMotorPower> power_;
    QTimer poll_;
    torvane::clsQuadEncoder encoder_;
    std::int16_t portNumber_ = 4;
    bool dcd_ = false;
    bool cts_ = false;
};

}  // namespace mechanon
