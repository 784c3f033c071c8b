#pragma once
// Test doubles for the motion windows: a switching timer ticked by hand and a serial line that
// records every output change with the time of the hand-ticked clock.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/clsBots.h"
#include "app/motion/SwitchTimer.h"
#include "model/Error.h"
#include "motorio/SimulatedMotorLine.h"
#include "platform/SerialLine.h"
#include "toolpath/clsToolPath.h"

namespace mechanon::testing {

// Drives that run in real time on a busy test machine: a round may wait for a core longer than
// the program's 20 ms watchdog allows, so the window tests give a round half a second. The
// watchdog itself is tested with its own deadline, in the tool-path tests.
inline void AllowSlowRounds(clsBots& bots) {
    torvane::ControlTiming timing = bots.ToolPathControl().GetControlTiming();
    timing.Deadline = 0.5;
    bots.ToolPathControl().SetControlTiming(timing);
}

// A simulated motor the test can watch for as long as the port host keeps it: the host releases
// the lines of closed ports, and the watched list forgets them then.
class WatchedMotor final : public torvane::SerialLine {
  public:
    explicit WatchedMotor(std::vector<WatchedMotor*>& all) : all_(all) { all_.push_back(this); }
    ~WatchedMotor() override { std::erase(all_, this); }
    void Open(int portNumber, ChangeHandler onChange) override {
        line_.Open(portNumber, std::move(onChange));
    }
    void Close() noexcept override { line_.Close(); }
    bool IsOpen() const noexcept override { return line_.IsOpen(); }
    void SetDTR(bool on) override {
        ++sets;
        line_.SetDTR(on);
    }
    void SetRTS(bool on) override { line_.SetRTS(on); }
    torvane::ModemInputs GetInputs() override { return line_.GetInputs(); }
    void ForceOff() noexcept override { line_.ForceOff(); }
    void Poll() override { line_.Poll(); }
    std::string DeviceName() const override { return line_.DeviceName(); }
    bool DTR() const noexcept { return line_.DTR(); }
    bool RTS() const noexcept { return line_.RTS(); }
    // SetDTR calls so far, from whichever thread drives the line: every control round makes one.
    std::atomic<int> sets{0};

  private:
    torvane::SimulatedMotorLine line_;
    std::vector<WatchedMotor*>& all_;
};

// Time stands still until the test advances it; Advance delivers every tick that falls due.
class ManualSwitchTimer final : public SwitchTimer {
  public:
    void SetInterval(int Milliseconds) override {
        interval_ = Milliseconds > 0 ? Milliseconds : 0;
        nextTick_ = now_ + interval_;
        ++restarts;
    }
    int Interval() const override { return interval_; }
    void SetTickHandler(std::function<void()> onTick) override { onTick_ = std::move(onTick); }

    // Moves the clock on by ms, ticking at every due interval (a tick may change the interval).
    void Advance(int ms) {
        const int end = now_ + ms;
        while (interval_ > 0 && nextTick_ <= end) {
            now_ = nextTick_;
            nextTick_ = now_ + interval_;
            if (onTick_) onTick_();
        }
        now_ = end;
    }
    int Now() const { return now_; }
    int restarts = 0;

  private:
    std::function<void()> onTick_;
    int interval_ = 0;
    int now_ = 0;
    int nextTick_ = 0;
};

// What the lines did: one entry per output change, with the timer's time.
struct LineLog {
    struct Change {
        int at;
        std::string line;  // "DTR" or "RTS"
        bool on;
    };
    std::vector<Change> changes;
    bool dtr = false;
    bool rts = false;
    bool open = false;
    int openedPort = 0;
    torvane::ModemInputs inputs;
    torvane::SerialLine::ChangeHandler onChange;
    std::vector<int> missingPorts;  // opening these fails
};

class RecordingLine final : public torvane::SerialLine {
  public:
    RecordingLine(std::shared_ptr<LineLog> log, std::function<int()> now)
        : log_(std::move(log)), now_(std::move(now)) {}

    void Open(int portNumber, ChangeHandler onChange) override {
        for (int missing : log_->missingPorts)
            if (missing == portNumber)
                torvane::Raise(torvane::ErrorCode::FileError,
                               "Serial port " + std::to_string(portNumber) + " does not exist");
        log_->open = true;
        log_->openedPort = portNumber;
        log_->onChange = std::move(onChange);
        log_->dtr = log_->rts = false;
    }
    void Close() noexcept override {
        log_->open = false;
        log_->dtr = log_->rts = false;
        log_->onChange = nullptr;
    }
    bool IsOpen() const noexcept override { return log_->open; }
    void SetDTR(bool on) override { Set("DTR", log_->dtr, on); }
    void SetRTS(bool on) override { Set("RTS", log_->rts, on); }
    torvane::ModemInputs GetInputs() override { return log_->inputs; }
    std::string DeviceName() const override { return "recording line"; }

  private:
    void Set(const char* name, bool& state, bool on) {
        if (!log_->open) torvane::Raise(torvane::ErrorCode::FileError, "the line is closed");
        if (state != on) log_->changes.push_back({now_ ? now_() : 0, name, on});
        state = on;
    }
    std::shared_ptr<LineLog> log_;
    std::function<int()> now_;
};

}  // namespace mechanon::testing
