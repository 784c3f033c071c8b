#pragma once
// The time of a drive's control rounds. The path is evaluated at this time, and while the drive
// runs it is the installed clock, so simulated motors move in it too. Each round moves it on by
// the time since the round before, but by at most MaxStep: a round that comes late (the machine
// was busy with other work) finds the path where a round on time would, and a simulated motor
// has run for no longer than such a round would have let it. A stall of the machine then slows
// the drive down instead of making the path jump ahead of motors that were not watched.

#include <atomic>

#include "platform/Clock.h"

namespace torvane {

class DriveClock final : public Clock {
  public:
    // Starts at Base's present time.
    DriveClock(const Clock& Base, double MaxStep);
    // Any thread.
    double Seconds() const override { return now_.load(); }
    // The start of a round: the time moves on. On the thread of the rounds only.
    void Tick();

  private:
    const Clock& base_;
    const double maxStep_;
    double lastBase_;
    std::atomic<double> now_;
};

// Installs a clock for a scope and puts back the one installed before.
class InstalledClock {
  public:
    explicit InstalledClock(Clock& clock);
    ~InstalledClock();
    InstalledClock(const InstalledClock&) = delete;
    InstalledClock& operator=(const InstalledClock&) = delete;

  private:
    Clock& previous_;
};

}  // namespace torvane
