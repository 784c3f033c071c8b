#pragma once
// A monotonic clock with fractional seconds. The driver's real-time loop and the motor
// simulation read time only through the installed clock, so tests can substitute their own.

namespace torvane {

class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since an arbitrary fixed point; never goes backwards.
    virtual double Seconds() const = 0;
};

// The steady system clock.
class SteadyClock final : public Clock {
  public:
    double Seconds() const override;
};

Clock& SystemClock();
// Installs clock as the system clock (nullptr restores the steady clock). Not owned.
void InstallClock(Clock* clock);

}  // namespace torvane
