// How long the script engine takes to end once it is asked to stop, against the limit of 100 ms,
// while one long step runs: compiling 200,000 functions, and single built-in calls on texts of
// 30 million characters (Replace and Split on accented text, which is widened to 32-bit
// characters and back, and Replace on plain text, one stop check per replacement).
//
// Each row starts the step, asks for the stop from another thread after a delay that falls in
// the middle of the step, and measures from the request to the return of the call, five times.
// The counters are the median in milliseconds and its ratio to the limit (below 1 is within it).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "script/Engine.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kLimitMs = 100;

std::string ManyFunctions() {
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "Function f" + std::to_string(i) + "(x)\n  f" + std::to_string(i) +
                " = x + 1\nEnd Function\n";
    return text;
}

// Milliseconds from the stop request to the end of the call.
double StopLatency(const std::string& code, int delayMs) {
    vbs::Engine engine;
    std::stop_source stop;
    engine.SetStopToken(stop.get_token());
    Clock::time_point asked;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        asked = Clock::now();
        stop.request_stop();
    });
    try {
        engine.AddCode(code);
    } catch (const vbs::ScriptError&) {
    }
    const Clock::time_point ended = Clock::now();
    stopper.join();
    return std::max(0.0, std::chrono::duration<double, std::milli>(ended - asked).count());
}

void StopRow(benchmark::State& state, const std::string& code, int delayMs) {
    std::vector<double> times;
    for (auto _ : state)
        for (int r = 0; r < 5; ++r) times.push_back(StopLatency(code, delayMs));
    std::nth_element(times.begin(), times.begin() + static_cast<long>(times.size() / 2),
                     times.end());
    const double median = times[times.size() / 2];
    state.counters["stop_ms"] = median;
    state.counters["stop_per_limit"] = median / kLimitMs;
}

void BM_StopCompiling(benchmark::State& state) {
    StopRow(state, ManyFunctions(), 200);
}
void BM_StopReplaceAccented(benchmark::State& state) {
    StopRow(state, "x = Replace(String(30000000, ChrW(233)), ChrW(233), \"b\")", 150);
}
void BM_StopSplitAccented(benchmark::State& state) {
    StopRow(state, "x = Split(String(30000000, ChrW(233)), \"q\", -1, 1)", 150);
}
void BM_StopReplacePlain(benchmark::State& state) {
    StopRow(state, "x = Replace(String(30000000, \"a\"), \"a\", \"b\")", 300);
}
BENCHMARK(BM_StopCompiling)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StopReplaceAccented)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StopSplitAccented)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StopReplacePlain)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
