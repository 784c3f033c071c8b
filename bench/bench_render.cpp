// Placement walk: nodes per second over trees of 1,000 and 10,000 part occurrences, drawn into a
// recording shapes object (matrix work on a real context, no geometry). World list: the time to
// rebuild it (walk plus shape drawing, compiled) against the time to replay it (clear, call,
// finish, swap) on the offscreen Mesa context, for the start-up robot and a 1,000-part robot;
// the replay/rebuild ratio is what the display list saves on every repaint. A third time, the
// same frame drawn directly (walk and shapes executed, no list), shows the whole saving per
// repaint as replay/immediate; on a software rasteriser the pixels dominate both.

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "bench/UseRoom.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "tests/render/WorldScene.h"
#include "tests/support/OffscreenGlSurface.h"
#include "tests/support/PrimoraShapes.h"
#include "tests/support/RecordingShapes.h"

namespace {

using mechanon::bench::UseRoom;
using mechanon::testing::PrimoraShapes;
using mechanon::testing::RecordingShapes;
using mechanon::testing::WorldScene;
using torvane::clsPartRoom;
using torvane::clsSubPart;

std::shared_ptr<clsPartRoom> MakeRoom(const std::string& name, const std::string& shape,
                                      double size, std::shared_ptr<torvane::IShapes> shapes) {
    auto room = std::make_shared<clsPartRoom>();
    room->Init(shape == "Grid");
    room->SetName(name);
    auto data = room->PartData();
    data.ShapeName = shape;
    if (shape != "Grid") data.Size = torvane::DoubleArray(1, {size, size, size});
    room->SetPartData(data);
    room->Shapes = std::move(shapes);
    return room;
}

// A robot of 1 + arms + arms * fingers occurrences: a grid base using a rotational "Arm" room
// `arms` times, the arm using a linear "Finger" room `fingers` times. Every motor occurrence has
// its mask, so the walk also consumes the whole table.
std::shared_ptr<clsPartRoom> MakeRobot(int arms, int fingers,
                                       const std::shared_ptr<torvane::IShapes>& shapes) {
    auto base = MakeRoom("Base", "Grid", 0, shapes);
    auto arm = MakeRoom("Arm", "box", 0.5, shapes);
    auto finger = MakeRoom("Finger", "cone", 0.1, shapes);
    for (auto& [room, type] : {std::pair{arm, 2}, std::pair{finger, 1}}) {
        auto data = room->PartData();
        data.MotorType = static_cast<std::int16_t>(type);
        data.MotorDimension = 2;
        data.MotorPosition = 10;
        room->SetPartData(data);
    }
    for (int i = 0; i < fingers; ++i) UseRoom(*arm, finger, i, 0.01 * (i % 50), 0.01 * (i / 50));
    for (int i = 0; i < arms; ++i) UseRoom(*base, arm, i, -4 + i, -4 + i);
    base->MapMotorMasks();
    return base;
}

void BM_PlacementWalk(benchmark::State& state) {
    const int occurrences = static_cast<int>(state.range(0));
    const int arms = 9;
    const int fingers = (occurrences - 1 - arms) / arms;
    auto shapes = std::make_shared<RecordingShapes>();
    shapes->recordMatrices = false;
    auto robot = MakeRobot(arms, fingers, shapes);
    mechanon::testing::OffscreenGlSurface surface(16, 16);
    surface.CreateCurrent();
    for (auto _ : state) {
        shapes->calls.clear();
        clsSubPart root;
        torvane::typMotorMasks masks = robot->MotorMasks();
        masks.CountMasks = 1;
        robot->CalculateForwardKinematics(root, masks);
        benchmark::DoNotOptimize(masks.CountMasks);
    }
    const int visited = 1 + arms + arms * fingers;
    state.SetItemsProcessed(state.iterations() * visited);
    state.counters["occurrences"] = visited;
}
BENCHMARK(BM_PlacementWalk)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_WorldList(benchmark::State& state) {
    WorldScene scene;
    auto shapes = std::make_shared<PrimoraShapes>();
    std::shared_ptr<clsPartRoom> robot;
    torvane::clsRooms rooms;
    if (state.range(0) == 0) {  // the start-up robot: one grid room "Part 1"
        rooms.Shapes = shapes;
        std::string name = "Part 1";
        rooms.CreatePartRoom(name, true);
        robot = rooms.ActivePartRoom;
    } else {
        robot = MakeRobot(9, 110, shapes);  // 1,000 parts
    }
    const torvane::typCamera camera = robot->PartData().Camera;
    scene.gl.SetCameraData(camera);
    using Clock = std::chrono::steady_clock;
    double rebuildSeconds = 0, replaySeconds = 0, immediateSeconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        scene.Rebuild(*robot);
        glFinish();
        const auto t1 = Clock::now();
        scene.gl.DisplayWorldList();
        const auto t2 = Clock::now();
        // The same frame without a list: the walk and the shapes run on every repaint.
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glPushMatrix();
        gluLookAt(camera.CameraX, camera.CameraY, camera.CameraZ, camera.LookAtX, camera.LookAtY,
                  camera.LookAtZ, 0, 0, 1);
        clsSubPart root;
        torvane::typMotorMasks masks = robot->MotorMasks();
        masks.CountMasks = 1;
        robot->CalculateForwardKinematics(root, masks);
        glPopMatrix();
        glFinish();
        scene.surface.SwapBuffers();
        const auto t3 = Clock::now();
        rebuildSeconds += std::chrono::duration<double>(t1 - t0).count();
        replaySeconds += std::chrono::duration<double>(t2 - t1).count();
        immediateSeconds += std::chrono::duration<double>(t3 - t2).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["rebuild_ms"] = rebuildSeconds / n * 1e3;
    state.counters["replay_ms"] = replaySeconds / n * 1e3;
    state.counters["immediate_ms"] = immediateSeconds / n * 1e3;
    state.counters["replay_per_rebuild"] = replaySeconds / rebuildSeconds;
    // What the list saves on every repaint: a replay against drawing the same frame directly.
    state.counters["replay_per_immediate"] = replaySeconds / immediateSeconds;
}
BENCHMARK(BM_WorldList)->ArgName("parts_1000")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
