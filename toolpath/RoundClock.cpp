#include "toolpath/RoundClock.h"

#include <chrono>
#include <thread>

namespace torvane {
namespace {

using Steady = std::chrono::steady_clock;

}  // namespace

double SteadyRoundClock::Seconds() const {
    return std::chrono::duration<double>(Steady::now().time_since_epoch()).count();
}

void SteadyRoundClock::SleepUntil(double Until) {
    const std::chrono::duration<double> since(Until);
    std::this_thread::sleep_until(
        Steady::time_point(std::chrono::duration_cast<Steady::duration>(since)));
}

SteadyRoundClock& SteadyRounds() {
    static SteadyRoundClock clock;
    return clock;
}

}  // namespace torvane
