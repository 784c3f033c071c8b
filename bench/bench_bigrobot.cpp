// The 3D view on the big robot (bench/BigRobot.h), on the offscreen Mesa context at 1600 x 1200:
// 500 rooms, the first room's tree holding 5,001 occurrences of boxes and cones (and a variant
// with 20,001), built with the model's own API.
//
// Measured, each as the program does it: open to first frame (load the saved file, compile the
// world list, show it and make the room's thumbnail from the frame; the parts bar's other
// snapshots follow in the background), repaint (the same picture shown again, as when the
// window is exposed: the kept frame copied back), a frame of a camera drag (the compiled list
// replayed from a moved camera, as the quick picture the view draws while it moves, and as the
// exact one, with and without the axis markers), the exact picture when a drag ends (the
// markers sized for the new camera, shown, the thumbnail made from the frame), a
// frame while one motor value changes (the value set in the room's masks and the view redrawn
// through the program's glue object as a slider's drag does), edit + redraw (one size edit, the
// list recompiled and shown, the thumbnail made from the frame), move subpart + redraw (the same
// for one subpart moved) and the parts bar's snapshots as the background steps make them (each
// room drawn off screen at three times the thumbnail's size, read back and scaled down): per room
// over all rooms, and the largest step, the first room's. The rows ending in /20001 do the same
// on the robot with 20,001 occurrences.
//
// The limit, measured in the same run: the minimal program drawing the same triangles and lines
// into the same context with the same lighting.
// Every row reports the median of its repetitions in milliseconds and the ratio of that median to
// the minimal program's median frame, beside the goal the row is held to (goal_ms). The
// program's own rows, through its windows, are in bench_bigrobot_program.

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

#include "app/ScaledThumbnail.h"
#include "app/clsBots.h"
#include "bench/BigRobot.h"
#include "bench/MedianTime.h"
#include "model/JointPoses.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "model/clsSubPart.h"
#include "platform/ScriptedUserInterface.h"
#include "render/clsOpenGL.h"
#include "shapes/ShapeLists.h"
#include "tests/support/OffscreenGlSurface.h"
#include "tests/support/PrimoraShapes.h"

namespace {

using Clock = std::chrono::steady_clock;
using mechanon::bench::kHeight;
using mechanon::bench::kLargerFactor;
using mechanon::bench::kManyFingers;
using mechanon::bench::kRooms;
using mechanon::bench::kWidth;
using mechanon::bench::MinimalProgram;
using mechanon::bench::Report;
using torvane::clsPartRoom;
using torvane::clsSubPart;

constexpr int kRepetitions = 5;
// The off-screen picture of a thumbnail: three times its 96 x 72 pixels.
constexpr int kThumbWidth = 96;  // the parts bar's thumbnail
constexpr int kThumbHeight = 72;
constexpr int kSnapWidth = kThumbWidth * mechanon::kBackgroundFiner;
constexpr int kSnapHeight = kThumbHeight * mechanon::kBackgroundFiner;

// The goals of the 5,001-occurrence robot, milliseconds; the 20,001 robot's are kLargerFactor
// times these.
constexpr double kFrameGoal = 33;
constexpr double kEditGoal = 100;
constexpr double kOpenGoal = 300;

// The 3D view as the program drives it: glyph lists first, the world list compiled from the
// active room with its selection highlighted, shown from the room's camera.
struct View {
    View() {
        gl.SetContextSetup([] { primora::CreateShapeLists(); });
        if (!gl.Initialize(surface)) throw std::runtime_error("no offscreen GL context");
        gl.SizeToWindow(kWidth, kHeight);
    }
    // The joint poses drawn are stored in the rooms, as the program keeps the pose its view shows.
    void Compile(clsPartRoom& room) {
        torvane::JointPoses::StoreSetBy(
            [&](torvane::JointPoses& drawn) { gl.CompileWorldList(&room, false, &drawn); });
    }
    // The camera and projection room's markers are sized for.
    torvane::typScreenScale ScaleFor(const clsPartRoom& room) {
        gl.SetCameraData(room.PartData().Camera);
        return gl.ScreenScale();
    }
    // The same for the off-screen picture of room's snapshot.
    torvane::typScreenScale SnapScaleFor(const clsPartRoom& room) const {
        return gl.ScaleFor(room.PartData().Camera, kSnapHeight);
    }
    // Room's snapshot as the two background steps make it; the longer step's seconds.
    double SnapShot(clsPartRoom& room) {
        const auto compiling = Clock::now();
        if (!gl.CompileOffScreen(&room, room.PartData().Camera, false, kSnapHeight))
            throw std::runtime_error("no off-screen drawing");
        const double compiled = mechanon::bench::SecondsSince(compiling);
        const auto showing = Clock::now();
        const torvane::GlImage picture =
            gl.ShowOffScreen(room.PartData().Camera, kSnapWidth, kSnapHeight);
        if (picture.Empty()) throw std::runtime_error("no off-screen picture");
        Thumbnail(picture);
        return std::max(compiled, mechanon::bench::SecondsSince(showing));
    }
    // As the program redraws after a change: compiled, shown, and the room's thumbnail made
    // from the frame.
    void Redraw(clsPartRoom& room) {
        gl.SetCameraData(room.PartData().Camera);
        Compile(room);
        Show();
    }
    // The compiled world shown, and the room's thumbnail made from the frame.
    void Show() {
        torvane::GlImage shown;
        gl.DisplayWorldList(false, &shown, kThumbWidth * mechanon::kFrameHalvedTo,
                            kThumbHeight * mechanon::kFrameHalvedTo);
        Thumbnail(shown);
    }
    static void Thumbnail(const torvane::GlImage& picture) {
        const QImage thumbnail =
            mechanon::ScaledThumbnail(picture, QSize(kThumbWidth, kThumbHeight));
        benchmark::DoNotOptimize(thumbnail.constBits());
    }
    mechanon::testing::OffscreenGlSurface surface{kWidth, kHeight};
    torvane::clsOpenGL gl;
};

// The robot, the view and the minimal program of room 1 (with allRooms, of every room), made
// once for all rows of a robot size.
struct Fixture {
    Fixture(int fingers, bool allRooms) {
        mechanon::bench::MakeRobot(rooms, shapes, fingers);
        for (int r = 1; r <= (allRooms ? kRooms : 1); ++r) {
            clsPartRoom& room = *rooms.Rooms(r);
            peers.emplace_back(room, view.ScaleFor(room));
            snapPeers.emplace_back(room, view.SnapScaleFor(room));
        }
        std::printf("room 1 of %d occurrences: %zu triangles in the minimal program\n",
                    mechanon::bench::Occurrences(fingers), peers.front().Triangles());
    }
    clsPartRoom& First() { return *rooms.Rooms(1); }
    // The minimal program's frame of room 1 in the view's context, timed.
    double PeerFrame(bool markers = true) {
        view.surface.MakeCurrent();
        const auto t = Clock::now();
        peers.front().Frame([this] { view.surface.SwapBuffers(); }, markers);
        return mechanon::bench::SecondsSince(t);
    }
    // The robot of 5,001 occurrences with every room's minimal program, or the 20,001 one.
    static Fixture& Get(bool larger = false) {
        if (larger) {
            static Fixture many(kManyFingers, false);
            return many;
        }
        static Fixture f(mechanon::bench::kFingers, true);
        return f;
    }

    torvane::ScriptedUserInterface ui;
    torvane::ScopedUserInterface installed{ui};
    View view;
    std::shared_ptr<mechanon::testing::PrimoraShapes> shapes =
        std::make_shared<mechanon::testing::PrimoraShapes>();
    torvane::clsRooms rooms;
    std::vector<MinimalProgram> peers;
    std::vector<MinimalProgram> snapPeers;  // the markers sized for the snapshot's picture
};

// The snapshots of the rooms first to last as the background steps make them; the seconds
// they took, or with longestStep the longest single step's.
double SnapshotRooms(torvane::clsRooms& rooms, View& view, int last, bool longestStep = false) {
    const auto t = Clock::now();
    double longest = 0;
    for (int r = 1; r <= last; ++r) longest = std::max(longest, view.SnapShot(*rooms.Rooms(r)));
    return longestStep ? longest : mechanon::bench::SecondsSince(t);
}

// The minimal programs' frames of the first rooms at the snapshot's size, each read back.
double PeerSnapshotRooms(std::vector<MinimalProgram>& peers, View& view, int last) {
    view.surface.MakeCurrent();
    const auto t = Clock::now();
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kSnapWidth) * kSnapHeight * 3);
    glViewport(0, 0, kSnapWidth, kSnapHeight);
    for (int r = 0; r < last; ++r) {
        peers[static_cast<std::size_t>(r)].Frame([&view] { view.surface.SwapBuffers(); });
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSnapWidth, kSnapHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        benchmark::DoNotOptimize(pixels.data());
    }
    glViewport(0, 0, kWidth, kHeight);
    return mechanon::bench::SecondsSince(t);
}

// The goal of a row of the 5,001 robot, or of the 20,001 one.
double Goal(double goalMs, bool larger) {
    return larger ? goalMs * kLargerFactor : goalMs;
}

// The saved robot loaded afresh, its first room compiled, shown and its thumbnail made, timed
// together, against the minimal program's frame.
void OpenToFirstFrame(benchmark::State& state, bool larger) {
    Fixture& f = Fixture::Get(larger);
    const auto path = std::filesystem::temp_directory_path() / "bench_bigrobot.bot";
    f.rooms.Save(path.string());
    Report(
        state, Goal(kOpenGoal, larger),
        [&] {
            const auto t = Clock::now();
            torvane::clsRooms loaded;
            loaded.Shapes = f.shapes;
            loaded.Load(path.string());
            f.view.Redraw(*loaded.ActivePartRoom);
            return mechanon::bench::SecondsSince(t);
        },
        [&] { return f.PeerFrame(); });
    std::filesystem::remove(path);
    f.view.Redraw(f.First());
}

void BM_OpenToFirstFrame(benchmark::State& state) {
    OpenToFirstFrame(state, false);
}

void BM_Repaint(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    f.view.Redraw(f.First());
    Report(
        state, 100,
        [&] {
            const auto t = Clock::now();
            f.view.gl.DisplayWorldList();
            return mechanon::bench::SecondsSince(t);
        },
        [&] { return f.PeerFrame(); });
}

// A frame of a camera drag: the camera turned a little about the look-at point each time, the
// list replayed, not recompiled, as the quick picture the view draws while it moves (quick) or
// the exact one. markers false: the same with the axes switched off, against the minimal program
// without them, for the markers' share.
void DragFrames(benchmark::State& state, bool markers, bool larger = false, bool quick = true) {
    Fixture& f = Fixture::Get(larger);
    f.shapes->SetShowAxis(markers);
    f.view.Redraw(f.First());
    f.view.gl.SetQuickPicture(quick);
    const torvane::typCamera start = f.First().PartData().Camera;
    int frames = 0;
    Report(
        state, Goal(kFrameGoal, larger),
        [&] {
            const auto t = Clock::now();
            const double turn = (++frames % 2 ? 1 : -1) * std::numbers::pi / 180;
            torvane::typCamera c = start;
            const double dx = c.CameraX - c.LookAtX, dy = c.CameraY - c.LookAtY;
            c.CameraX = c.LookAtX + dx * std::cos(turn) - dy * std::sin(turn);
            c.CameraY = c.LookAtY + dx * std::sin(turn) + dy * std::cos(turn);
            f.view.gl.SetCameraData(c);
            f.view.gl.DisplayWorldList();
            return mechanon::bench::SecondsSince(t);
        },
        [&] { return f.PeerFrame(markers); });
    f.view.gl.SetQuickPicture(false);
    f.view.gl.SetCameraData(start);
    f.shapes->SetShowAxis(true);
    f.view.Redraw(f.First());
}

void BM_DragFrame(benchmark::State& state) {
    DragFrames(state, true);
}

void BM_DragFrameExact(benchmark::State& state) {
    DragFrames(state, true, false, false);
}

// The exact picture when a drag ends: the markers sized for the camera it ended at, the world
// shown exactly and the room's thumbnail made from the frame, as the view does at the release.
void SettleAfterDrag(benchmark::State& state, bool larger) {
    Fixture& f = Fixture::Get(larger);
    f.view.Redraw(f.First());
    const torvane::typCamera start = f.First().PartData().Camera;
    int drags = 0;
    Report(
        state, Goal(kEditGoal, larger),
        [&] {
            torvane::typCamera c = start;
            c.CameraZ += ++drags % 2 ? 0.5 : 0;
            f.view.gl.SetCameraData(c);
            f.view.gl.SetQuickPicture(true);
            f.view.gl.DisplayWorldList();
            const auto t = Clock::now();
            f.view.gl.SetQuickPicture(false);
            f.view.gl.SizeMarkersToCamera();
            f.view.Show();
            return mechanon::bench::SecondsSince(t);
        },
        [&] { return f.PeerFrame(); });
    f.view.gl.SetCameraData(start);
}

void BM_SettleAfterDrag(benchmark::State& state) {
    SettleAfterDrag(state, false);
}

void BM_SettleAfterDrag_20001(benchmark::State& state) {
    SettleAfterDrag(state, true);
}

void BM_DragFrameWithoutMarkers(benchmark::State& state) {
    DragFrames(state, false);
}

// The program's glue object on an offscreen view of its own, holding a robot of its own built
// the same way, as a slider's drag redraws it.
struct MotorView {
    explicit MotorView(Fixture& f) {
        bots.GL().SetContextSetup([] { primora::CreateShapeLists(); });
        if (!bots.GL().Initialize(surface)) throw std::runtime_error("no offscreen GL context");
        bots.GL().SizeToWindow(kWidth, kHeight);
        auto robot = std::make_shared<torvane::clsRooms>();
        mechanon::bench::MakeRobot(*robot, f.shapes);
        bots.SetPartRooms(robot);
        bots.PartRooms().SetPartRoomIndex(1);
        bots.UpdatePicture(false, false);
    }
    ~MotorView() { bots.ReleaseGL(); }
    MotorView(const MotorView&) = delete;
    MotorView& operator=(const MotorView&) = delete;

    mechanon::testing::OffscreenGlSurface surface{kWidth, kHeight};
    mechanon::clsBots bots;
};

// A frame while one motor value changes: the first arm's turn set in room 1's masks and the view
// redrawn as a live change, swinging back and forth.
void BM_MotorValueFrame(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    MotorView view(f);
    clsPartRoom& room = *view.bots.PartRooms().ActivePartRoom;
    if (room.MotorMasks().Masks.Count() < 1) {
        state.SkipWithError("the robot has no motor");
        return;
    }
    int changes = 0;
    Report(
        state, kFrameGoal,
        [&] {
            const auto t = Clock::now();
            torvane::typMotorMasks masks = room.MotorMasks();
            masks.Masks(1).Value = mechanon::bench::ArmTurn(++changes);
            room.SetMotorMasks(masks);
            view.bots.ShowChange(mechanon::Redraw::Place, true);
            return mechanon::bench::SecondsSince(t);
        },
        [&] { return f.PeerFrame(); });
}

void EditRedraw(benchmark::State& state, bool larger) {
    Fixture& f = Fixture::Get(larger);
    clsPartRoom& finger = *f.rooms.Rooms(3);
    const double size = finger.PartData().Size(1);
    int edits = 0;
    Report(
        state, Goal(kEditGoal, larger),
        [&] {
            const auto t = Clock::now();
            auto data = finger.PartData();
            const double edited = ++edits % 2 ? size * 1.125 : size;
            data.Size = torvane::DoubleArray(1, {edited, edited, edited});
            finger.SetPartData(data);
            f.view.Redraw(f.First());
            return mechanon::bench::SecondsSince(t);
        },
        [&] { return f.PeerFrame(); });
}

void BM_EditRedraw(benchmark::State& state) {
    EditRedraw(state, false);
}

void MoveSubpartRedraw(benchmark::State& state, bool larger) {
    Fixture& f = Fixture::Get(larger);
    clsSubPart& use = f.First().SubParts(1);
    int moves = 0;
    Report(
        state, Goal(kEditGoal, larger),
        [&] {
            const auto t = Clock::now();
            auto data = use.SubPartData();
            data.RelativePosition.Z = ++moves % 2 ? 0.5 : 0;
            use.SetSubPartData(data);
            f.view.Redraw(f.First());
            return mechanon::bench::SecondsSince(t);
        },
        [&] { return f.PeerFrame(); });
}

void BM_MoveSubpartRedraw(benchmark::State& state) {
    MoveSubpartRedraw(state, false);
}

// The parts bar's snapshots, every room's in turn, per room; the limit is every room's minimal
// program at the same size, each frame read back too.
void BM_SnapshotPerRoom(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    Report(
        state, 100, [&] { return SnapshotRooms(f.rooms, f.view, kRooms) / kRooms; },
        [&] { return PeerSnapshotRooms(f.snapPeers, f.view, kRooms) / kRooms; });
}

// The longest background step: the longer of the first room's two (compiling its 5,001
// occurrences, drawing them); the limit is the minimal program's whole picture of that room.
void BM_LargestSnapshotStep(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    Report(
        state, 100, [&] { return SnapshotRooms(f.rooms, f.view, 1, true); },
        [&] { return PeerSnapshotRooms(f.snapPeers, f.view, 1); });
}

// The 20,001-occurrence robot.
void BM_DragFrame_20001(benchmark::State& state) {
    DragFrames(state, true, true);
}

void BM_EditRedraw_20001(benchmark::State& state) {
    EditRedraw(state, true);
}

void BM_MoveSubpartRedraw_20001(benchmark::State& state) {
    MoveSubpartRedraw(state, true);
}

void BM_OpenToFirstFrame_20001(benchmark::State& state) {
    OpenToFirstFrame(state, true);
}

}  // namespace

BENCHMARK(BM_OpenToFirstFrame)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Repaint)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragFrame)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragFrameExact)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SettleAfterDrag)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragFrameWithoutMarkers)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MotorValueFrame)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditRedraw)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveSubpartRedraw)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotPerRoom)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LargestSnapshotStep)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragFrame_20001)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SettleAfterDrag_20001)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditRedraw_20001)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveSubpartRedraw_20001)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenToFirstFrame_20001)->Iterations(3)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
