#pragma once
// The millisecond timer that drives the software power switching of a motor line. The motor
// power object only restarts it with a new interval or stops it; the owner delivers the ticks.
// The program uses a window timer; tests use a timer they tick by hand, so nothing sleeps.

#include <functional>

namespace mechanon {

class SwitchTimer {
  public:
    virtual ~SwitchTimer() = default;
    // Restarts the timer so that it ticks every Milliseconds; 0 stops it.
    virtual void SetInterval(int Milliseconds) = 0;
    // The running interval, milliseconds; 0 while stopped.
    virtual int Interval() const = 0;
    // Called on every tick while the timer runs. Set once by the user of the timer.
    virtual void SetTickHandler(std::function<void()> onTick) = 0;
};

}  // namespace mechanon
