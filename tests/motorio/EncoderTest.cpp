#include <gtest/gtest.h>

#include <array>
#include <random>
#include <thread>

#include "motorio/LineStepCounter.h"
#include "motorio/SimulatedMotor.h"
#include "motorio/clsQuadEncoder.h"

namespace torvane {
namespace {

struct State {
    bool in1;
    bool in2;
};
constexpr std::array<State, 4> kForward{
    {{false, true}, {true, true}, {true, false}, {false, false}}};
constexpr std::array<State, 4> kBackward{
    {{true, false}, {true, true}, {false, true}, {false, false}}};

TEST(QuadEncoder, CountsFullCyclesForwardAndBackward) {
    clsQuadEncoder e;
    e.ZeroPosition(false, false);
    for (const State& s : kForward) e.RefreshPosition(s.in1, s.in2);
    EXPECT_EQ(e.Position(), 4);

    e.ZeroPosition(false, false);
    for (const State& s : kBackward) e.RefreshPosition(s.in1, s.in2);
    EXPECT_EQ(e.Position(), -4);

    // Each single transition of the table, from every state.
    const std::array<State, 4> cycle{{{false, false}, {false, true}, {true, true}, {true, false}}};
    for (int i = 0; i < 4; ++i) {
        const State from = cycle[i], next = cycle[(i + 1) % 4], back = cycle[(i + 3) % 4];
        e.ZeroPosition(from.in1, from.in2);
        e.RefreshPosition(next.in1, next.in2);
        EXPECT_EQ(e.Position(), 1) << "forward from phase " << i;
        e.ZeroPosition(from.in1, from.in2);
        e.RefreshPosition(back.in1, back.in2);
        EXPECT_EQ(e.Position(), -1) << "backward from phase " << i;
    }
}

TEST(QuadEncoder, DoubleChangeIsLostAndBecomesTheReference) {
    clsQuadEncoder e;
    e.ZeroPosition(false, false);
    e.RefreshPosition(true, true);  // both at once: no step
    EXPECT_EQ(e.Position(), 0);
    e.RefreshPosition(true, false);  // 11 -> 10 is forward from the new reference
    EXPECT_EQ(e.Position(), 1);
    e.RefreshPosition(false, true);  // 10 -> 01: both again
    EXPECT_EQ(e.Position(), 1);
    e.RefreshPosition(false, true);  // repeated state: nothing
    e.RefreshPosition(false, true);
    EXPECT_EQ(e.Position(), 1);
    e.RefreshPosition(false, false);  // 01 -> 00 backward
    EXPECT_EQ(e.Position(), 0);
}

TEST(QuadEncoder, ScaleAndZeroing) {
    clsQuadEncoder e;
    e.ZeroPosition(false, false);
    for (int i = 0; i < 3; ++i) e.RefreshPosition(kForward[i].in1, kForward[i].in2);
    EXPECT_EQ(e.ScaledPosition(), 0) << "scale starts at 0";
    e.PositionScale(0.5);
    EXPECT_DOUBLE_EQ(e.ScaledPosition(), 1.5);
    e.PositionScale(-0.25);
    EXPECT_DOUBLE_EQ(e.ScaledPosition(), -0.75);
    e.ZeroPosition(true, false);
    EXPECT_EQ(e.Position(), 0);
    e.RefreshPosition(false, false);  // 10 -> 00 forward: the zeroing states are the reference
    EXPECT_EQ(e.Position(), 1);
}

// The simulated motor's quadrature states, fed one by one, count exactly its steps, and the
// counter of the reporting thread agrees with the encoder of the user-interface thread.
TEST(QuadEncoder, FollowsAnyWalkOfSingleSteps) {
    std::mt19937 rng(7);
    clsQuadEncoder e;
    LineStepCounter counter;
    std::int64_t count = 0;
    e.ZeroPosition(SimulatedMotor::InputsOf(0).DCD, SimulatedMotor::InputsOf(0).CTS);
    counter.Reset(SimulatedMotor::InputsOf(0));
    for (int i = 0; i < 10000; ++i) {
        count += (rng() % 2) ? 1 : -1;
        const ModemInputs in = SimulatedMotor::InputsOf(count);
        e.RefreshPosition(in.DCD, in.CTS);
        counter.Feed(in);
    }
    EXPECT_EQ(e.Position(), static_cast<double>(count));
    EXPECT_EQ(counter.Steps(), count);
}

TEST(LineStepCounter, IsReadableWhileAnotherThreadFeedsIt) {
    LineStepCounter counter;
    counter.Reset({false, false});
    std::thread feeder([&] {
        for (std::int64_t n = 1; n <= 40000; ++n) counter.Feed(SimulatedMotor::InputsOf(n));
    });
    std::int64_t last = 0;
    bool monotonic = true;
    while (last < 40000) {
        const std::int64_t now = counter.Steps();
        monotonic = monotonic && now >= last;
        last = now;
    }
    feeder.join();
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(counter.Steps(), 40000);
}

}  // namespace
}  // namespace torvane
