#include "motorio/SimulatedMotorLine.h"

#include "model/Error.h"
#include "motorio/SimulatedHand.h"
#include "platform/Clock.h"

namespace torvane {

SimulatedMotorLine::SimulatedMotorLine(SimulatedMotorParameters parameters)
    : parameters_(parameters), motor_(parameters) {}

SimulatedMotorLine::~SimulatedMotorLine() {
    Close();
}

void SimulatedMotorLine::Open(int portNumber, ChangeHandler onChange) {
    const std::lock_guard lock(mutex_);
    if (open_) Raise(ErrorCode::FileError, DeviceName() + " is already open");
    if (portNumber < 1)
        Raise(ErrorCode::FileError, "Serial port " + std::to_string(portNumber) +
                                        " does not exist (ports are numbered from 1)");
    port_ = portNumber;
    motor_ = SimulatedMotor(parameters_);
    hand_ = HandHold();
    onChange_ = std::move(onChange);
    dtr_ = rts_ = false;
    ApplyDrive();
    lastSeconds_ = SystemClock().Seconds();
    open_ = true;
    if (onChange_) onChange_(motor_.Inputs());
}

void SimulatedMotorLine::Close() noexcept {
    const std::lock_guard lock(mutex_);
    if (!open_) return;
    dtr_ = rts_ = false;
    ApplyDrive();
    open_ = false;
    onChange_ = nullptr;
}

void SimulatedMotorLine::RequireOpen(const char* what) const {
    if (!open_) Raise(ErrorCode::FileError, std::string("Cannot ") + what + ": the port is closed");
}

bool SimulatedMotorLine::IsOpen() const noexcept {
    const std::lock_guard lock(mutex_);
    return open_;
}
bool SimulatedMotorLine::DTR() const noexcept {
    const std::lock_guard lock(mutex_);
    return dtr_;
}
bool SimulatedMotorLine::RTS() const noexcept {
    const std::lock_guard lock(mutex_);
    return rts_;
}
SimulatedMotor SimulatedMotorLine::Motor() const {
    const std::lock_guard lock(mutex_);
    return motor_;
}

void SimulatedMotorLine::Poll() {
    const std::lock_guard lock(mutex_);
    PollLocked();
}

void SimulatedMotorLine::PollLocked() {
    if (!open_) return;
    const double now = SystemClock().Seconds();
    const double from = lastSeconds_;
    const double elapsed = now - from;
    if (elapsed <= 0) return;
    lastSeconds_ = now;
    const auto onEdge = [this](ModemInputs inputs) {
        if (onChange_) onChange_(inputs);
    };
    if (hand_.Follow(parameters_.Hand.get(), port_, motor_, from, now, onEdge)) return;
    motor_.Advance(elapsed, onEdge);
}

void SimulatedMotorLine::SetOutput(bool& output, bool on, const char* what) {
    const std::lock_guard lock(mutex_);
    RequireOpen(what);
    PollLocked();  // the old drive acted until now
    output = on;
    ApplyDrive();
}

void SimulatedMotorLine::SetDTR(bool on) {
    SetOutput(dtr_, on, "set DTR");
}

void SimulatedMotorLine::SetRTS(bool on) {
    SetOutput(rts_, on, "set RTS");
}

void SimulatedMotorLine::ForceOff() noexcept {
    const std::lock_guard lock(mutex_);
    if (!open_) return;
    try {
        PollLocked();
    } catch (...) {
        // The outputs go off whatever the motor's last stretch reported.
    }
    dtr_ = rts_ = false;
    ApplyDrive();
}

ModemInputs SimulatedMotorLine::GetInputs() {
    const std::lock_guard lock(mutex_);
    RequireOpen("read the inputs");
    PollLocked();
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
