// The closed loop of CutSubleg on simulated motors, in real time: how many control rounds it
// runs per second with 1, 3 and 6 motors, and the longest gap between two rounds. Both are
// reported against a 1 kHz servo loop, the usual rate of a dedicated motion controller: a
// rate ratio above 1 means more rounds than such a controller runs, a gap ratio below 1 means
// no round came later than its period. On a busy machine the longest gap is the scheduler's
// doing, so the number of gaps longer than a servo period is reported beside it.
//
// A round is counted at each DoEvents, which CutSubleg calls once per round. The user
// interface here does nothing else, so the figures are those of the loop itself: reading the
// encoders, evaluating every motor's equation through the script engine and setting the lines.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>

#include "motorio/frmMSComms.h"
#include "platform/Clock.h"
#include "platform/UserInterface.h"
#include "toolpath/clsToolPath.h"

namespace {

constexpr double kServoPeriod = 1e-3;  // seconds, a 1 kHz servo loop
constexpr double kCutSeconds = 0.25;   // length of the subleg cut in each iteration

// Counts rounds and keeps the longest time between two of them.
class RoundTimer final : public torvane::UserInterface {
  public:
    torvane::MsgAnswer MsgBox(const std::string&, torvane::MsgButtons,
                              const std::string&) override {
        return torvane::MsgAnswer::OK;
    }
    std::string InputBox(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    std::string FileDialog(bool, const std::string&, const std::string&) override { return {}; }
    void DoEvents() override {
        const double now = torvane::SystemClock().Seconds();
        if (!firstOfCut_) {
            longestGap = std::max(longestGap, now - last_);
            if (now - last_ > kServoPeriod) ++latePeriods;
        }
        firstOfCut_ = false;
        last_ = now;
        ++rounds;
    }
    // The time between two cuts is no gap of the loop.
    void StartCut() { firstOfCut_ = true; }

    long rounds = 0;
    double longestGap = 0;  // seconds
    long latePeriods = 0;   // gaps longer than a servo period (the machine was busy elsewhere)

  private:
    bool firstOfCut_ = true;
    double last_ = 0;
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

void BM_CutSublegRounds(benchmark::State& state) {
    const int motors = static_cast<int>(state.range(0));
    const auto host = std::make_shared<torvane::frmMSComms>();
    host->UsePortBackend(torvane::PortBackend::SimulatedMotor);
    torvane::clsToolPath path(host->ScriptEngine());
    path.SetPortHost(host);
    std::string properties = "5,5";
    for (int i = 1; i <= motors; ++i)
        properties += "\r\nM" + std::to_string(i) + ",none," + std::to_string(i) + ",0.01";
    path.ParseMotorsProperties(properties);
    torvane::VbArray<float> ports = torvane::VbArray<float>::WithBounds(1, motors);
    for (int i = 1; i <= motors; ++i) ports(i) = static_cast<float>(i);
    path.OpenPorts(ports);

    RoundTimer timer;
    torvane::ScopedUserInterface installed(timer);
    const torvane::typToolPathSubLeg subleg = Subleg(motors);
    double seconds = 0;
    for (auto _ : state) {
        timer.StartCut();
        const double t0 = torvane::SystemClock().Seconds();
        path.CutSubleg(subleg);
        seconds += torvane::SystemClock().Seconds() - t0;
    }
    const double roundsPerSecond = static_cast<double>(timer.rounds) / seconds;
    state.counters["rounds/s"] = roundsPerSecond;
    state.counters["rate_vs_1kHz"] = roundsPerSecond * kServoPeriod;
    state.counters["longest_gap_us"] = timer.longestGap * 1e6;
    state.counters["gap_vs_1ms"] = timer.longestGap / kServoPeriod;
    state.counters["gaps_over_1ms"] = static_cast<double>(timer.latePeriods);
}
BENCHMARK(BM_CutSublegRounds)->Arg(1)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
