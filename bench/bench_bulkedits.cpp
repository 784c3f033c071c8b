// Bulk edits one operation at a time, as a script or a long editing session makes them:
//   create   clsRooms::CreatePartRoom of n named rooms
//   attach   clsRooms::AttachSubPart of n subparts to one room, each using the same leaf room
//            (name check, cycle check, expansion limit, motor tables kept in step)
// Each is run five times at n = 1,000 and at n = 8,000 in the same run; the counters are the
// medians in microseconds per operation and their ratio large / small, which stays near 1 when
// the cost per operation does not grow with the robot (a quadratic bulk edit gives about 8).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "model/clsRooms.h"
#include "model/clsSubPart.h"

namespace {

using Clock = std::chrono::steady_clock;

double CreateRooms(int n) {
    torvane::clsRooms rooms;
    const auto t0 = Clock::now();
    for (int i = 0; i < n; ++i) {
        std::string name = "Room " + std::to_string(i);
        rooms.CreatePartRoom(name, false);
    }
    return std::chrono::duration<double>(Clock::now() - t0).count() / n * 1e6;
}

double AttachSubParts(int n) {
    torvane::clsRooms rooms;
    std::string name = "Hub";
    rooms.CreatePartRoom(name, false);
    name = "Leaf";
    rooms.CreatePartRoom(name, false);
    const auto hub = rooms.Rooms(1);
    const auto leaf = rooms.Rooms(2);
    const auto t0 = Clock::now();
    for (int i = 0; i < n; ++i) {
        auto sub = std::make_shared<torvane::clsSubPart>();
        sub->SetName("Use " + std::to_string(i));
        sub->Part = leaf;
        rooms.AttachSubPart(*hub, sub);
    }
    return std::chrono::duration<double>(Clock::now() - t0).count() / n * 1e6;
}

template <typename F>
double Median(F&& run, int n) {
    std::vector<double> times;
    for (int r = 0; r < 5; ++r) times.push_back(run(n));
    std::nth_element(times.begin(), times.begin() + 2, times.end());
    return times[2];
}

void BM_BulkEdits(benchmark::State& state) {
    double createSmall = 0, createLarge = 0, attachSmall = 0, attachLarge = 0;
    for (auto _ : state) {
        createSmall = Median(CreateRooms, 1000);
        createLarge = Median(CreateRooms, 8000);
        attachSmall = Median(AttachSubParts, 1000);
        attachLarge = Median(AttachSubParts, 8000);
    }
    state.counters["create_us_per_op_1000"] = createSmall;
    state.counters["create_us_per_op_8000"] = createLarge;
    state.counters["create_8000_per_1000"] = createLarge / createSmall;
    state.counters["attach_us_per_op_1000"] = attachSmall;
    state.counters["attach_us_per_op_8000"] = attachLarge;
    state.counters["attach_8000_per_1000"] = attachLarge / attachSmall;
}
BENCHMARK(BM_BulkEdits)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
