#pragma once
// A serial line with a simulated motor behind it: DTR alone drives it forward, RTS alone
// backward, neither (or both) lets it coast. Its encoder edges appear on DCD and CTS in real
// time as measured by the installed clock; they are produced when the line is used or polled,
// each with the state it had, so nothing is lost between two polls. Needs no hardware.
// A scripted hand in the parameters (SimulatedHand.h) may turn the shaft of this port from outside.
// Every member may be called from any thread: the line guards its motor with a mutex of its own.

#include <mutex>
#include <string>

#include "motorio/SimulatedHand.h"
#include "motorio/SimulatedMotor.h"
#include "platform/SerialLine.h"

namespace torvane {

class SimulatedMotorLine final : public SerialLine {
  public:
    explicit SimulatedMotorLine(SimulatedMotorParameters parameters = {});
    ~SimulatedMotorLine() override;

    void Open(int portNumber, ChangeHandler onChange) override;
    void Close() noexcept override;
    bool IsOpen() const noexcept override;
    void SetDTR(bool on) override;
    void SetRTS(bool on) override;
    ModemInputs GetInputs() override;
    void ForceOff() noexcept override;
    void Poll() override;
    std::string DeviceName() const override;

    bool DTR() const noexcept;
    bool RTS() const noexcept;
    // A copy, taken under the line's lock.
    SimulatedMotor Motor() const;

  private:
    void RequireOpen(const char* what) const;
    void ApplyDrive() noexcept;
    void PollLocked();
    void SetOutput(bool& output, bool on, const char* what);

    mutable std::mutex mutex_;

    SimulatedMotorParameters parameters_;
    SimulatedMotor motor_;
    HandHold hand_;  // the scripted hand of the parameters, while it turns this port's shaft
    ChangeHandler onChange_;
    int port_ = 0;
    bool open_ = false;
    bool dtr_ = false;
    bool rts_ = false;
    double lastSeconds_ = 0;
};

}  // namespace torvane
