// Control rounds on a servo bus: six STS/SCS servos on one emulated bus at 1,000,000 baud, each
// round one synchronous write of the goals and one synchronous read of the positions, as a bus's
// joints make them, on the drive's own control loop. Three runs: rounds as fast as they go,
// rounds at a 200 Hz period, and the same at 200 Hz through the bus's joints as a drive uses them
// (degrees converted to counts, torque handled). Each reports rounds per second and the gaps
// between round starts (median, 99th and 99.9th percentile, largest, ms), beside the bytes a round
// moves and the rounds per second the wire allows at that baud (the physical limit), as ratios:
// rounds against the wire's limit, and the 99.9th percentile gap against the period. The emulated
// bus is a pseudo-terminal, which has no baud rate of its own: the free-running figure is what the
// program, the kernel and the emulator cost per round, to be read beside the wire's limit that a
// real adapter adds (and a USB adapter's latency on top of that).

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <vector>

#include "bench/MedianTime.h"
#include "bench/RoundGaps.h"
#include "motorio/BusPort.h"
#include "motorio/BusServoJoints.h"
#include "motorio/FeetechProtocol.h"
#include "tests/support/FeetechEmulator.h"
#include "toolpath/ControlLoop.h"

namespace {

using mechanon::bench::Clock;

constexpr int kServos = 6;
constexpr std::int32_t kBaud = 1000000;
constexpr double kPeriod = 1.0 / 200;

std::vector<mechanon::testing::EmulatedServo> SixServos() {
    std::vector<mechanon::testing::EmulatedServo> all;
    for (int id = 1; id <= kServos; ++id) {
        mechanon::testing::EmulatedServo s;
        s.Id = id;
        s.Model = mechanon::testing::kSts3215Model;
        all.push_back(s);
    }
    return all;
}

// Bytes on the wire in one round: the synchronous write (7 + 3 per servo), the synchronous read
// (8 + 1 per servo) and a status of 8 bytes from each servo.
constexpr int kRoundBytes = (7 + 3 * kServos) + (8 + kServos) + 8 * kServos;

double WireRoundsPerSecond() {
    return kBaud / (10.0 * kRoundBytes);
}

// Runs Count rounds of Round on the drive's own control loop (its thread, its absolute
// schedule, real-time priority where the system grants it) at Period; the start time of every
// round in seconds. A period of a microsecond runs the rounds as fast as they go.
std::vector<double> OnControlLoop(int count, double period, const std::function<void(int)>& round) {
    std::vector<double> starts;
    starts.reserve(count);
    const auto first = Clock::now();
    torvane::ControlTiming timing;
    timing.Period = period;
    timing.Deadline = 0.1;  // a late round is measured, not stopped
    torvane::ControlLoop::Steps steps;
    steps.Round = [&] {
        starts.push_back(std::chrono::duration<double>(Clock::now() - first).count());
        round(static_cast<int>(starts.size()));
        return static_cast<int>(starts.size()) < count;
    };
    torvane::ControlLoop loop(timing, std::stop_source(), std::move(steps));
    loop.Wait([] {}, 0.05);
    return starts;
}

// Where servo k is sent in round r: a slow sine about the middle count.
std::int32_t GoalOf(int r, int k) {
    return 2048 + static_cast<std::int32_t>(1000 * std::sin(0.01 * r + k));
}

// Rounds straight on the protocol.
std::vector<double> ProtocolRounds(int count, double period) {
    mechanon::testing::PtyServoBus bus(SixServos(), mechanon::testing::FeetechResponder());
    const auto port = torvane::OpenSerialBus(bus.DevicePath(), kBaud);
    torvane::FeetechProtocol protocol;
    std::vector<std::int32_t> ids(kServos), goals(kServos), counts(kServos);
    for (int k = 0; k < kServos; ++k) ids[k] = k + 1;
    protocol.Torque(*port, ids, true);
    const auto starts = OnControlLoop(count, period, [&](int r) {
        for (int k = 0; k < kServos; ++k) goals[k] = GoalOf(r, k);
        protocol.WriteGoals(*port, ids, goals);
        protocol.ReadPositions(*port, ids, counts);
    });
    benchmark::DoNotOptimize(counts.data());
    return starts;
}

// Rounds as a drive makes them: the bus's joints read every position and command every target
// (in degrees, converted by each line's scale and zero count).
std::vector<double> JointRounds(int count, double period) {
    mechanon::testing::PtyServoBus bus(SixServos(), mechanon::testing::FeetechResponder());
    torvane::BusServoJoints joints(bus.DevicePath(),
                                   torvane::MakeServoProtocol(torvane::DriveKind::Feetech));
    std::vector<torvane::JointLine> lines(kServos);
    for (int k = 0; k < kServos; ++k) {
        lines[k].Device = bus.DevicePath();
        lines[k].Kind = torvane::DriveKind::Feetech;
        lines[k].ServoId = k + 1;
        lines[k].Scale = 4096.0 / 360;
        lines[k].Zero = 2048;
    }
    joints.Open(lines);
    std::vector<double> measured(kServos), targets(kServos);
    std::atomic<int> busy{0};
    const auto starts = OnControlLoop(count, period, [&](int r) {
        joints.Read(measured);
        for (int k = 0; k < kServos; ++k) targets[k] = (GoalOf(r, k) - 2048) * 360.0 / 4096;
        joints.Command(targets, busy);
    });
    benchmark::DoNotOptimize(measured.data());
    return starts;
}

void Report(benchmark::State& state, const std::vector<double>& starts, double period) {
    const auto gaps = mechanon::bench::GapFiguresOf(starts);
    const double seconds = starts.back() - starts.front();
    const double rate = seconds > 0 ? (starts.size() - 1) / seconds : 0;
    state.counters["rounds_per_s"] = rate;
    state.counters["gap_median_ms"] = gaps.median;
    state.counters["gap_p99_ms"] = gaps.p99;
    state.counters["gap_p999_ms"] = gaps.p999;
    state.counters["gap_max_ms"] = gaps.largest;
    state.counters["bytes_per_round"] = kRoundBytes;
    state.counters["wire_rounds_per_s"] = WireRoundsPerSecond();
    state.counters["rounds_over_wire"] = rate / WireRoundsPerSecond();
    if (period > 0) state.counters["p999_over_period"] = gaps.p999 / (period * 1e3);
}

void BM_BusRoundsFreeRunning(benchmark::State& state) {
    for (auto _ : state) Report(state, ProtocolRounds(static_cast<int>(state.range(0)), 1e-6), 0);
}
BENCHMARK(BM_BusRoundsFreeRunning)->Arg(5000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_BusRoundsAt200Hz(benchmark::State& state) {
    for (auto _ : state)
        Report(state, ProtocolRounds(static_cast<int>(state.range(0)), kPeriod), kPeriod);
}
BENCHMARK(BM_BusRoundsAt200Hz)->Arg(2000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_BusJointsAt200Hz(benchmark::State& state) {
    for (auto _ : state)
        Report(state, JointRounds(static_cast<int>(state.range(0)), kPeriod), kPeriod);
}
BENCHMARK(BM_BusJointsAt200Hz)->Arg(2000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
