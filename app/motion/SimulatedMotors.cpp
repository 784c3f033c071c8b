#include "app/motion/SimulatedMotors.h"

#include <QWidget>

#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/motion/frmControlMotors.h"
#include "app/motion/frmCut.h"
#include "app/motion/frmMotionPlot.h"
#include "app/motion/frmRS232.h"
#include "model/Error.h"
#include "motorio/LinuxSerialLine.h"
#include "motorio/SimulatedMotorLine.h"
#include "motorio/frmMSComms.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {
namespace {

// Chooses its line when it opens; while closed it keeps the line it last had.
class BackendLine final : public torvane::SerialLine {
  public:
    BackendLine(std::shared_ptr<const torvane::frmMSComms> ports,
                std::function<std::string()> devicePath)
        : ports_(std::move(ports)), devicePath_(std::move(devicePath)) {}
    void Open(int portNumber, ChangeHandler onChange) override {
        if (!IsOpen()) {
            if (ports_ && ports_->Backend() == torvane::PortBackend::SimulatedMotor)
                inner_ = std::make_unique<torvane::SimulatedMotorLine>();
            else
                inner_ = std::make_unique<torvane::LinuxSerialLine>(devicePath_ ? devicePath_()
                                                                                : std::string());
        }
        inner_->Open(portNumber, std::move(onChange));
    }
    void Close() noexcept override {
        if (inner_) inner_->Close();
    }
    bool IsOpen() const noexcept override { return inner_ && inner_->IsOpen(); }
    void SetDTR(bool on) override { Inner("set DTR").SetDTR(on); }
    void SetRTS(bool on) override { Inner("set RTS").SetRTS(on); }
    torvane::ModemInputs GetInputs() override { return Inner("read the inputs").GetInputs(); }
    void ForceOff() noexcept override {
        if (inner_) inner_->ForceOff();
    }
    void Poll() override {
        if (inner_) inner_->Poll();
    }
    std::string DeviceName() const override {
        return inner_ ? inner_->DeviceName() : std::string("serial port");
    }

  private:
    torvane::SerialLine& Inner(const char* what) const {
        if (!inner_)
            torvane::Raise(torvane::ErrorCode::FileError,
                           std::string("Cannot ") + what + ": the port has not been opened");
        return *inner_;
    }
    std::shared_ptr<const torvane::frmMSComms> ports_;
    std::function<std::string()> devicePath_;
    std::unique_ptr<torvane::SerialLine> inner_;
};

}  // namespace

torvane::SerialLineFactory LinesOfBackend(std::shared_ptr<const torvane::frmMSComms> Ports,
                                          std::function<std::string()> DevicePath) {
    return [Ports, DevicePath] { return std::make_unique<BackendLine>(Ports, DevicePath); };
}

QString WithSimulatedMark(const QString& Caption, bool Simulated) {
    QString plain = Caption;
    if (plain.endsWith(kSimulatedMark)) plain.chop(static_cast<int>(qstrlen(kSimulatedMark)));
    return Simulated ? plain + kSimulatedMark : plain;
}

bool SimulatingMotors(clsBots& Bots) {
    return Bots.ToolPathControl().PortHost().Backend() == torvane::PortBackend::SimulatedMotor;
}

void MarkDriveWindows(MDIForm1& Main, bool Simulated) {
    auto mark = [Simulated](QWidget* window) {
        if (window) window->setWindowTitle(WithSimulatedMark(window->windowTitle(), Simulated));
    };
    mark(&Main.ControlMotors());
    mark(&Main.ControlMotors().DriveMotorsWindow());
    for (QWidget* w : Main.findChildren<frmRS232*>()) mark(w);
    for (QWidget* w : Main.findChildren<frmMotionPlot*>()) mark(w);
}

void SimulateMotors(MDIForm1& Main, clsBots& Bots, bool On) {
    torvane::clsToolPath& toolPath = Bots.ToolPathControl();
    if (toolPath.Cutting())
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "The motors cannot be switched between simulated and real while they are "
                       "being driven.  Stop the drive first.");
    const auto backend =
        On ? torvane::PortBackend::SimulatedMotor : torvane::PortBackend::SerialDevice;
    toolPath.PortHost().UsePortBackend(backend);
    // The test motor window opens its port by the program's host.
    Main.PortHost().UsePortBackend(backend);
    MarkDriveWindows(Main, On);
}

}  // namespace mechanon
