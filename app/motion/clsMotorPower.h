#pragma once
// Runs a motor at part power by switching the output lines of its port in a fixed period:
// on (DTR forward, RTS backward) for |Power| per cent of the period, then both off for the
// rest. The timer's ticks move from one part of the period to the next.
//
// Intervals are whole milliseconds, rounded to the nearest integer with halves to even. Where
// a part of the period rounds to 0 ms the line does not switch at all: at full power (no off
// time) the line stays on, at a power too small for one millisecond it stays off, in both cases
// with the timer stopped until the power changes.

#include "app/motion/SwitchTimer.h"
#include "platform/SerialLine.h"

namespace mechanon {

class clsMotorPower {
  public:
    // Both must outlive this object; the line may be open or closed (a closed line is not
    // switched). Takes over the timer's tick handler.
    clsMotorPower(torvane::SerialLine& Port, SwitchTimer& Timer);
    ~clsMotorPower();
    clsMotorPower(const clsMotorPower&) = delete;
    clsMotorPower& operator=(const clsMotorPower&) = delete;

    // Power in per cent, -100 to 100 (negative drives backward); Period in milliseconds, above
    // 0. Power 0 stops the timer and switches both lines off; any other power makes one
    // switching step at once. Values outside those ranges raise an invalid-argument error and
    // change nothing.
    void SetPower(double Power, double Period);
    // Stops the timer and switches both lines off.
    void Stop();

    double OnTime() const noexcept { return onTime_; }    // milliseconds
    double OffTime() const noexcept { return offTime_; }  // milliseconds
    bool Direction() const noexcept { return direction_; }
    bool Phase() const noexcept { return phase_; }

  private:
    void SwitchingStep();
    void OnTick();
    void Lines(bool dtr, bool rts);
    void LinesOn();
    void LinesOff();

    torvane::SerialLine& port_;
    SwitchTimer& timer_;
    double onTime_ = 0;
    double offTime_ = 0;
    bool direction_ = true;
    bool phase_ = false;
};

}  // namespace mechanon
