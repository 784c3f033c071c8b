#pragma once
// A clock that moves only when stepped: a control loop paced by it sleeps by stepping it on to
// the next round's start, so rounds come exactly a period apart in its time however busy the
// machine is, and no round takes any of it unless a test steps it meanwhile. Installed as the
// system clock as well (Install), simulated motors run in the same time.

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/Clock.h"
#include "toolpath/RoundClock.h"
#include "toolpath/clsToolPath.h"

namespace torvane::test {

class SteppedClock final : public Clock, public RoundClock {
  public:
    // Pause: real time each sleep of the loop lasts besides, for tests in which another thread
    // acts while the rounds run; none runs them one after the other as fast as they go.
    explicit SteppedClock(double start = 100.0,
                          std::chrono::microseconds pause = std::chrono::microseconds(0))
        : pause_(pause), now_(start) {}

    double Seconds() const override { return now_.load(); }
    void SleepUntil(double Until) override {
        Step(Until - now_.load());
        // Lets the threads that watch the rounds see them as a sleeping loop would.
        if (pause_.count() > 0)
            std::this_thread::sleep_for(pause_);
        else
            std::this_thread::yield();
    }
    // Moves the time on by Seconds (not back); any thread.
    void Step(double Seconds) {
        double now = now_.load();
        while (Seconds > 0 && !now_.compare_exchange_weak(now, now + Seconds)) {
        }
    }

  private:
    const std::chrono::microseconds pause_;
    std::atomic<double> now_;
};

// Installs clock as the system clock for a scope, and puts the steady clock back after it.
class InstalledSteppedClock {
  public:
    explicit InstalledSteppedClock(SteppedClock& clock) { InstallClock(&clock); }
    ~InstalledSteppedClock() { InstallClock(nullptr); }
    InstalledSteppedClock(const InstalledSteppedClock&) = delete;
    InstalledSteppedClock& operator=(const InstalledSteppedClock&) = delete;
};

// The drives of a tool-path object in a stepped clock's time for a scope: the clock installed
// as the system clock (simulated motors follow it) and handed to the drives' control loop, on
// the control thread as the program runs them. Puts back the steady clock and the timing after.
class SteppedDrives {
  public:
    SteppedDrives(clsToolPath& path, SteppedClock& clock)
        : path_(path), installed_(clock), timing_(path.GetControlTiming()) {
        ControlTiming stepped = timing_;
        stepped.OwnThread = true;
        stepped.Pace = &clock;
        path_.SetControlTiming(stepped);
    }
    ~SteppedDrives() { path_.SetControlTiming(timing_); }
    SteppedDrives(const SteppedDrives&) = delete;
    SteppedDrives& operator=(const SteppedDrives&) = delete;

  private:
    clsToolPath& path_;
    InstalledSteppedClock installed_;
    const ControlTiming timing_;
};

}  // namespace torvane::test
