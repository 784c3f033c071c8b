// The control loop of CutSubleg on simulated motors with 1, 3 and 6 motors, in real time and
// with nothing else to do: the gaps between two rounds (median, 99th and 99.9th percentile,
// largest, ms) when the rounds run between the window thread's events, against the rounds on
// the control thread at its 1 ms period, both in the same iteration, with the ratio of each
// figure (window thread / control thread). A round's time is its subleg parameter, which both
// loops hand on with every round (the same measurement as bench_drive, which adds the window's
// drawing). Ratios are per repetition; the median aggregate row is the one to quote.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bench/RoundGaps.h"
#include "motorio/frmMSComms.h"
#include "platform/Clock.h"
#include "platform/UserInterface.h"
#include "toolpath/clsToolPath.h"

namespace {

constexpr double kCutSeconds = 1;  // length of the subleg cut by each loop in each iteration

// A user interface with nothing to show.
class IdleWindow final : public torvane::UserInterface {
  public:
    torvane::MsgAnswer MsgBox(const std::string&, torvane::MsgButtons,
                              const std::string&) override {
        return torvane::MsgAnswer::OK;
    }
    std::string InputBox(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    std::string FileDialog(bool, const std::string&, const std::string&) override { return {}; }
    void DoEvents() override {}
};

// One subleg over kCutSeconds on `motors` motors: motor i runs at 40 units per second towards
// alternating directions, with a curved equation on every third motor so the engine evaluates
// both kinds of text.
torvane::typToolPathSubLeg Subleg(int motors) {
    torvane::typToolPathSubLeg s;
    s.StartS = 0;
    s.EndS = kCutSeconds;
    s.StartPoints = torvane::DoubleArray::WithBounds(1, motors);
    s.ParametricEQs = torvane::StringArray::WithBounds(1, motors);
    for (int i = 1; i <= motors; ++i) {
        s.StartPoints(i) = 0;
        s.ParametricEQs(i) = i % 3 == 0 ? "10*sin(S*4)" : (i % 2 == 0 ? "-40*S" : "40*S");
    }
    return s;
}

mechanon::bench::GapFigures Cut(int motors, bool ownThread, long& rounds) {
    const auto host = std::make_shared<torvane::frmMSComms>();
    host->UsePortBackend(torvane::PortBackend::SimulatedMotor);
    torvane::clsToolPath path(host->ScriptEngine());
    path.SetPortHost(host);
    std::string properties = "5,5";
    for (int i = 1; i <= motors; ++i)
        properties += "\r\nM" + std::to_string(i) + ",none," + std::to_string(i) + ",0.01";
    path.ParseMotorsProperties(properties);
    torvane::ControlTiming timing;
    timing.OwnThread = ownThread;
    path.SetControlTiming(timing);
    torvane::VbArray<float> ports = torvane::VbArray<float>::WithBounds(1, motors);
    for (int i = 1; i <= motors; ++i) ports(i) = static_cast<float>(i);
    path.OpenPorts(ports);
    std::vector<double> times;
    auto round = path.CutRound.Subscribe([&](double t, const torvane::DoubleArray&,
                                             const torvane::DoubleArray&) { times.push_back(t); });
    path.CutSubleg(Subleg(motors));
    rounds += static_cast<long>(times.size());
    return mechanon::bench::GapFiguresOf(times);
}

void BM_CutSublegGaps(benchmark::State& state) {
    const int motors = static_cast<int>(state.range(0));
    IdleWindow window;
    torvane::ScopedUserInterface installed(window);
    long windowRounds = 0, threadRounds = 0;
    for (auto _ : state) {
        const auto old = Cut(motors, false, windowRounds);
        const auto now = Cut(motors, true, threadRounds);
        state.counters["window_p999_ms"] = old.p999;
        state.counters["window_largest_ms"] = old.largest;
        state.counters["thread_median_ms"] = now.median;
        state.counters["thread_p99_ms"] = now.p99;
        state.counters["thread_p999_ms"] = now.p999;
        state.counters["thread_largest_ms"] = now.largest;
        state.counters["ratio_p999_window_vs_thread"] = old.p999 / now.p999;
        state.counters["ratio_largest_window_vs_thread"] = old.largest / now.largest;
    }
    const double seconds = kCutSeconds * static_cast<double>(state.iterations());
    state.counters["window_rounds_per_s"] = static_cast<double>(windowRounds) / seconds;
    state.counters["thread_rounds_per_s"] = static_cast<double>(threadRounds) / seconds;
}
BENCHMARK(BM_CutSublegGaps)
    ->Arg(1)
    ->Arg(3)
    ->Arg(6)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
