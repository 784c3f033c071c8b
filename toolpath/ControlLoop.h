#pragma once
// The control rounds of a drive on a thread of their own: one round every Period, each started
// at an absolute deadline of the timing's clock (a late round does not make the next ones crowd
// in), and a watchdog thread that acts at once when a round runs past Deadline, without waiting
// for it. The thread that starts the loop waits for its end in Wait, letting its own work (a
// window's events) run meanwhile.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

#include "toolpath/RoundClock.h"

namespace torvane {

struct ControlTiming {
    // Seconds between the starts of two rounds. The path follows the rounds' own time, which a
    // late round moves on by two periods at most (DriveClock).
    double Period = 0.001;
    double Deadline = 0.020;  // seconds a round may take before the watchdog acts
    // False runs the rounds on the calling thread between its events, as a loop without a
    // thread of its own would (tests with a hand-set clock, and the benchmark's comparison).
    bool OwnThread = true;
    // What paces the rounds and times them for the watchdog; none: the steady clock. Not owned;
    // must outlive every loop that uses it.
    RoundClock* Pace = nullptr;
};

// Raises an invalid-argument error unless the period is above 0 and at most 1 s and the
// deadline is above the period and at most 10 s.
void CheckControlTiming(const ControlTiming& Timing);

class ControlLoop {
  public:
    struct Steps {
        std::function<void()> Begin;    // on the control thread, before the first round
        std::function<bool()> Round;    // false when the drive is done
        std::function<void()> End;      // on the control thread after the last round, however the
                                        // rounds ended; must not throw
        std::function<void()> Overrun;  // on the watchdog thread, once, when a round is late
    };
    // An exception Begin or Round throws ends the loop and is raised again by Wait. After an
    // overrun the loop asks Stop for a stop and ends after the late round.
    ControlLoop(const ControlTiming& Timing, std::stop_source Stop, Steps Steps);
    // Stops and joins both threads.
    ~ControlLoop();
    ControlLoop(const ControlLoop&) = delete;
    ControlLoop& operator=(const ControlLoop&) = delete;

    // Blocks until the rounds have ended, calling Idle about every IdleSeconds meanwhile; then
    // raises the exception that ended the rounds, if any.
    void Wait(const std::function<void()>& Idle, double IdleSeconds = 0.002);
    bool Overran() const noexcept { return overran_.load(); }

  private:
    void RunRounds(const std::stop_token& token);
    void Watch(const std::stop_token& token);
    void Finish(std::exception_ptr error);

    RoundClock& clock_;
    const double period_;
    const double deadline_;
    std::stop_source stop_;
    Steps steps_;
    std::atomic<double> roundStarted_;  // NaN between rounds
    std::atomic<bool> overran_{false};
    std::mutex mutex_;
    std::condition_variable_any changed_;
    bool done_ = false;
    std::exception_ptr error_;
    std::jthread watchdog_;
    std::jthread rounds_;  // last: starts once everything above is ready
};

}  // namespace torvane
