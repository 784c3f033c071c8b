#pragma once
// Motors > Scan Bus: finding the servos on a serial bus and putting them on the motor list. The
// scan runs on a thread of its own, so the window stays responsive and Stop ends it before the
// next id; the servos that answered are listed with their model number and position. "Add to
// Motor List" puts the selected servo on the active room's motor list, with the protocol's scale
// (degrees) and zero count: on the motor chosen beside it (its port and scale replaced, its name
// and travel kept) or on a new line, as one step that Undo takes back. "Torque Off" makes every
// servo limp, after asking (a servo arm falls unless it is held), and frees the devices: servos
// keep their position with torque on when a drive ends, until this or the program's end.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "app/ChildWindow.h"
#include "motorio/ServoScan.h"

namespace mechanon {

class clsBots;

class frmScanBus : public ChildWindow {
    Q_OBJECT
  public:
    explicit frmScanBus(clsBots& bots, QWidget* parent = nullptr);
    ~frmScanBus() override;

    static constexpr const char* kCaption = "Scan Bus";
    static constexpr const char* kScanCaption = "Scan";
    static constexpr const char* kStopCaption = "Stop";
    static constexpr const char* kNewMotor = "(new motor)";

    // The buttons' commands. Scan refuses, in a message, an empty device, a baud rate or a
    // highest id that is no whole number in range; a device that does not open is reported when
    // the scan ends. Scan while scanning stops. Add refuses when no servo is selected or the list
    // would then be unreadable (the servo's id already on the list for that device).
    void Scan();
    void Add();
    // Asks, then makes every servo the program drives limp and frees their devices.
    void TorqueOff();
    bool Scanning() const noexcept { return scan_.has_value(); }
    // Fills the device list anew (the machine's serial devices, by-id names included) and the
    // motor choice from the active room's list.
    void Refresh();

    QComboBox* cmbDevice = nullptr;  // editable: any path can be typed
    QComboBox* cmbProtocol = nullptr;
    QLineEdit* txtBaud = nullptr;    // empty: the protocol's default
    QLineEdit* txtLastId = nullptr;  // empty: the protocol's highest id
    QPushButton* cmdScan = nullptr;
    QTableWidget* grdServos = nullptr;  // id, model, position
    QComboBox* cmbMotor = nullptr;      // the motor a servo is added as
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdTorqueOff = nullptr;
    QLabel* lblStatus = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct Running {
        std::string Device;
        torvane::DriveKind Kind;
        std::int32_t Baud;  // as typed, 0 for the default
        std::atomic<std::int32_t> AtId{-1};
        std::mutex Mutex;
        bool Done = false;
        torvane::ServoScanResult Result;
        std::string Advice;
        std::exception_ptr Failure;
        std::jthread Thread;  // last: joined first
    };
    torvane::DriveKind Protocol() const;
    std::int32_t WholeField(const QLineEdit& field, const char* what, std::int32_t low,
                            std::int32_t high) const;
    void Poll();
    void Finish();
    void ShowFound(const torvane::ServoScanResult& result, const std::string& advice);
    std::string ServoLine(const torvane::ServoFound& servo, const std::string& name) const;

    clsBots& bots_;
    std::optional<Running> scan_;
    // What the last finished scan ran on, for the lines Add writes.
    std::string foundDevice_;
    torvane::DriveKind foundKind_ = torvane::DriveKind::Feetech;
    std::int32_t foundBaud_ = 0;
    QTimer poll_;
};

}  // namespace mechanon
