// The control loop's schedule and watchdog, in the time of the clock it is handed: a stepped
// clock for what the schedule and the watchdog decide, the steady clock for what real time
// guarantees (lower bounds only, which a busy machine cannot break).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "tests/support/SteppedClock.h"
#include "toolpath/ControlLoop.h"

namespace torvane {
namespace {

using test::SteppedClock;

ControlTiming SteppedTiming(SteppedClock& clock, double deadline = 0.020) {
    ControlTiming timing;
    timing.Period = 0.001;
    timing.Deadline = deadline;
    timing.Pace = &clock;
    return timing;
}

void RunToEnd(ControlLoop& loop) {
    loop.Wait([] {});
}

TEST(ControlLoop, RoundsStartAPeriodApartAndALateRoundRestartsTheScheduleFromItsEnd) {
    SteppedClock clock(50.0);
    std::vector<double> starts;
    ControlLoop::Steps steps;
    steps.Round = [&] {
        starts.push_back(clock.Seconds());
        // The fourth round takes 7.5 ms of the clock: late, yet within the deadline.
        if (starts.size() == 4) clock.Step(0.0075);
        return starts.size() < 8;
    };
    ControlLoop loop(SteppedTiming(clock), std::stop_source(), std::move(steps));
    RunToEnd(loop);
    EXPECT_FALSE(loop.Overran());
    ASSERT_EQ(starts.size(), 8u);
    const std::vector<double> expected = {50.000,  50.001,  50.002,  50.003,
                                          50.0105, 50.0115, 50.0125, 50.0135};
    for (std::size_t k = 0; k < starts.size(); ++k)
        EXPECT_NEAR(starts[k], expected[k], 1e-9) << "round " << k + 1 << ": no missed rounds run";
}

TEST(ControlLoop, TheWatchdogTimesARoundInTheLoopsClockAndActsBeforeTheRoundEnds) {
    SteppedClock clock;
    std::atomic<bool> overrun{false};
    std::thread::id watchdog;
    int rounds = 0;
    ControlLoop::Steps steps;
    steps.Round = [&] {
        if (++rounds < 3) return true;
        clock.Step(0.021);  // past the 20 ms deadline of the loop's clock
        // The round goes on until the watchdog has acted (or a generous 10 s of real time).
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!overrun.load() && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        return true;
    };
    steps.Overrun = [&] {
        watchdog = std::this_thread::get_id();
        overrun = true;
    };
    std::stop_source stop;
    ControlLoop loop(SteppedTiming(clock), stop, std::move(steps));
    RunToEnd(loop);
    EXPECT_TRUE(overrun.load());
    EXPECT_TRUE(loop.Overran());
    EXPECT_TRUE(stop.stop_requested()) << "the drive is asked to stop";
    EXPECT_EQ(rounds, 3) << "no round after the late one";
    EXPECT_NE(watchdog, std::this_thread::get_id());

    // Rounds that take no time of the clock are never late, however long they take for real.
    SteppedClock still;
    int slow = 0;
    ControlLoop::Steps calm;
    calm.Round = [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return ++slow < 4;
    };
    ControlLoop steady(SteppedTiming(still, 0.002), std::stop_source(), std::move(calm));
    RunToEnd(steady);
    EXPECT_FALSE(steady.Overran());
    EXPECT_EQ(slow, 4);
}

TEST(ControlLoop, OnTheSteadyClockRoundsAreNeverEarlierThanTheirPeriod) {
    // A busy machine may make rounds late, never early: twenty rounds 2 ms apart take 38 ms at
    // least.
    ControlTiming timing;
    timing.Period = 0.002;
    timing.Deadline = 5;  // a loaded machine's scheduler may hold a round up for long
    std::vector<std::chrono::steady_clock::time_point> starts;
    ControlLoop::Steps steps;
    steps.Round = [&] {
        starts.push_back(std::chrono::steady_clock::now());
        return starts.size() < 20;
    };
    ControlLoop loop(timing, std::stop_source(), std::move(steps));
    RunToEnd(loop);
    ASSERT_EQ(starts.size(), 20u);
    EXPECT_GE(starts.back() - starts.front(), std::chrono::milliseconds(38));
}

}  // namespace
}  // namespace torvane
