#include "toolpath/DriveClock.h"

#include <algorithm>

namespace torvane {

DriveClock::DriveClock(const Clock& Base, double MaxStep)
    : base_(Base), maxStep_(MaxStep), lastBase_(Base.Seconds()), now_(lastBase_) {}

void DriveClock::Tick() {
    const double base = base_.Seconds();
    const double step = std::clamp(base - lastBase_, 0.0, maxStep_);
    lastBase_ = base;
    now_.store(now_.load() + step);
}

InstalledClock::InstalledClock(Clock& clock) : previous_(SystemClock()) {
    InstallClock(&clock);
}

InstalledClock::~InstalledClock() {
    InstallClock(&previous_);
}

}  // namespace torvane
