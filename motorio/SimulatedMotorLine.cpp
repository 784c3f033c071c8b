#include "motorio/SimulatedMotorLine.h"

#include "model/Error.h"
#include "platform/Clock.h"

namespace torvane {

SimulatedMotorLine::SimulatedMotorLine(SimulatedMotorParameters parameters)
    : parameters_(parameters), motor_(parameters) {}

SimulatedMotorLine::~SimulatedMotorLine() {
    Close();
}

void SimulatedMotorLine::Open(int portNumber, ChangeHandler onChange) {
    if (open_) Raise(ErrorCode::FileError, DeviceName() + " is already open");
    if (portNumber < 1)
        Raise(ErrorCode::FileError, "Serial port " + std::to_string(portNumber) +
                                        " does not exist (ports are numbered from 1)");
    port_ = portNumber;
    motor_ = SimulatedMotor(parameters_);
    onChange_ = std::move(onChange);
    dtr_ = rts_ = false;
    ApplyDrive();
    lastSeconds_ = SystemClock().Seconds();
    open_ = true;
    if (onChange_) onChange_(motor_.Inputs());
}

void SimulatedMotorLine::Close() noexcept {
    if (!open_) return;
    dtr_ = rts_ = false;
    ApplyDrive();
    open_ = false;
    onChange_ = nullptr;
}

void SimulatedMotorLine::RequireOpen(const char* what) const {
    if (!open_) Raise(ErrorCode::FileError, std::string("Cannot ") + what + ": the port is closed");
}

void SimulatedMotorLine::Poll() {
    if (!open_) return;
    const double now = SystemClock().Seconds();
    const double elapsed = now - lastSeconds_;
    if (elapsed <= 0) return;
    lastSeconds_ = now;
    motor_.Advance(elapsed, [this](ModemInputs inputs) {
        if (onChange_) onChange_(inputs);
    });
}

void SimulatedMotorLine::SetDTR(bool on) {
    RequireOpen("set DTR");
    Poll();  // the old drive acted until now
    dtr_ = on;
    ApplyDrive();
}

void SimulatedMotorLine::SetRTS(bool on) {
    RequireOpen("set RTS");
    Poll();
    rts_ = on;
    ApplyDrive();
}

ModemInputs SimulatedMotorLine::GetInputs() {
    RequireOpen("read the inputs");
    Poll();
    return motor_.Inputs();
}

void SimulatedMotorLine::ApplyDrive() noexcept {
    // Both lines on drive the motor both ways at once: it brakes, like both off.
    motor_.SetDrive((dtr_ ? 1 : 0) - (rts_ ? 1 : 0));
}

std::string SimulatedMotorLine::DeviceName() const {
    return "simulated motor on port " + std::to_string(port_);
}

}  // namespace torvane
