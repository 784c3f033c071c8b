#pragma once
// The clock a control loop paces its rounds by and its watchdog times them with. The program
// uses the steady clock, which sleeps for real; a test may hand the loop a clock it steps, so
// that the rounds, and simulated motors that read the same time, do not depend on how busy the
// machine is.

namespace torvane {

class RoundClock {
  public:
    virtual ~RoundClock() = default;
    // Seconds since an arbitrary fixed point; never goes backwards. Any thread.
    virtual double Seconds() const = 0;
    // Returns once Seconds() has reached Until (at once when it already has). On the thread of
    // the rounds.
    virtual void SleepUntil(double Until) = 0;
};

// The steady system clock, sleeping on the thread that waits.
class SteadyRoundClock final : public RoundClock {
  public:
    double Seconds() const override;
    void SleepUntil(double Until) override;
};

SteadyRoundClock& SteadyRounds();

}  // namespace torvane
