// The 3D view on a big robot, on the offscreen Mesa context at 1600 x 1200: 500 rooms, the first
// room's tree holding 5,001 occurrences of boxes and cones, built with the model's own API.
//
// Measured, each as the program does it: open to first frame (load the saved file, compile the
// world list, show it and make the room's thumbnail from the frame; the parts bar's other
// snapshots follow in the background), repaint (the same picture shown again, as when the
// window is exposed: the kept frame copied back), a frame of a camera drag (the compiled list
// replayed from a moved camera: the whole world drawn, with and without the axis markers), edit
// + redraw (one size edit, the list recompiled and shown, the thumbnail made from the frame),
// move subpart + redraw (the same for one subpart moved) and the parts bar's snapshots as the
// background steps make them (each room drawn off screen at three times the thumbnail's size,
// read back and scaled down): per room over all rooms, and the largest step, the first room's.
//
// The limit, measured in the same run: a minimal program that draws the same triangles and lines
// (every shape's surface, every axis marker's lines and ball) from vertex arrays, one matrix per
// occurrence, then every marker's lines in one array placed once, then the balls, into the same
// context with the same lighting.
// Every row reports the median of its repetitions in milliseconds and the ratio of that median to
// the minimal program's median frame, beside the goal the row is held to (goal_ms).

#include <GL/gl.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <numbers>
#include <vector>

#include "app/ScaledThumbnail.h"
#include "bench/MedianTime.h"
#include "model/FramePlacementVisitor.h"
#include "model/JointPoses.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "model/clsSubPart.h"
#include "platform/ScriptedUserInterface.h"
#include "render/GlPlacementVisitor.h"
#include "render/clsOpenGL.h"
#include "shapes/LabelGlyphs.h"
#include "shapes/ShapeLists.h"
#include "shapes/ShapeRegistry.h"
#include "tests/support/OffscreenGlSurface.h"
#include "tests/support/PrimoraShapes.h"

namespace {

using Clock = std::chrono::steady_clock;
using torvane::clsPartRoom;
using torvane::clsSubPart;

constexpr int kWidth = 1600;
constexpr int kHeight = 1200;
constexpr int kRooms = 500;
constexpr int kArms = 100;    // uses of the arm room in the first room
constexpr int kFingers = 49;  // uses of the finger room in the arm: 1 + 100 + 100 * 49 = 5,001
constexpr int kRepetitions = 5;
// The off-screen picture of a thumbnail: three times its 96 x 72 pixels.
constexpr int kThumbWidth = 96;  // the parts bar's thumbnail
constexpr int kThumbHeight = 72;
constexpr int kSnapWidth = kThumbWidth * mechanon::kBackgroundFiner;
constexpr int kSnapHeight = kThumbHeight * mechanon::kBackgroundFiner;

std::shared_ptr<clsPartRoom> MakeRoom(const std::string& name, const std::string& shape,
                                      double size,
                                      const std::shared_ptr<torvane::IShapes>& shapes) {
    auto room = std::make_shared<clsPartRoom>();
    room->Init(false);
    room->SetName(name);
    auto data = room->PartData();
    data.ShapeName = shape;
    data.Size = torvane::DoubleArray(1, {size, size, size});
    data.ShapeColor = torvane::DoubleArray(1, {40, 60, 90});
    room->SetPartData(data);
    room->Shapes = shapes;
    return room;
}

void Use(clsPartRoom& parent, const std::shared_ptr<clsPartRoom>& room, int index, double x,
         double y) {
    auto sub = std::make_shared<clsSubPart>();
    auto data = sub->SubPartData();
    data.Name = "use " + std::to_string(index);
    data.RelativePosition = {x, y, 0};
    sub->SetSubPartData(data);
    sub->Part = room;
    parent.AttachSubPart(sub);
}

// Room 1 "Base" (a box) uses "Arm" (a cone) 100 times on a 10 x 10 grid; the arm uses "Finger"
// (a small box) 49 times on a 7 x 7 grid above it. The other 497 rooms are single boxes and
// cones of their own.
void MakeRobot(torvane::clsRooms& rooms, const std::shared_ptr<torvane::IShapes>& shapes) {
    auto base = MakeRoom("Base", "box", 1, shapes);
    auto arm = MakeRoom("Arm", "cone", 0.6, shapes);
    auto finger = MakeRoom("Finger", "box", 0.08, shapes);
    for (int i = 0; i < kFingers; ++i)
        Use(*arm, finger, i, -0.3 + 0.1 * (i % 7), -0.3 + 0.1 * (i / 7));
    for (int i = 0; i < kArms; ++i) Use(*base, arm, i, -4.5 + (i % 10), -4.5 + (i / 10));
    rooms.Shapes = shapes;
    rooms.InsertPartRoom(base, 1);
    rooms.InsertPartRoom(arm, 2);
    rooms.InsertPartRoom(finger, 3);
    for (int r = 4; r <= kRooms; ++r)
        rooms.InsertPartRoom(
            MakeRoom("Room " + std::to_string(r), r % 2 ? "cone" : "box", 2, shapes), r);
    rooms.SetPartRoomIndex(1);
    rooms.MapMotorMasks();
}

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

// Collects a shape's surface as separate triangles with their normals, in the shape's frame.
class ArraySink final : public primora::TriangleSink {
  public:
    void Begin(primora::PrimitiveMode mode) override {
        mode_ = mode;
        pending_.clear();
    }
    void Normal(double x, double y, double z) override { normal_ = {x, y, z}; }
    void Vertex(double x, double y, double z) override {
        pending_.push_back({{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)},
                            {static_cast<float>(normal_[0]), static_cast<float>(normal_[1]),
                             static_cast<float>(normal_[2])}});
    }
    void End() override {
        using primora::PrimitiveMode;
        const auto& p = pending_;
        const auto tri = [this](std::size_t a, std::size_t b, std::size_t c) {
            for (std::size_t i : {a, b, c}) corners.push_back(pending_[i]);
        };
        if (mode_ == PrimitiveMode::Triangles)
            for (std::size_t i = 0; i + 2 < p.size(); i += 3) tri(i, i + 1, i + 2);
        if (mode_ == PrimitiveMode::Quads)
            for (std::size_t i = 0; i + 3 < p.size(); i += 4)
                tri(i, i + 1, i + 2), tri(i, i + 2, i + 3);
        if (mode_ == PrimitiveMode::QuadStrip)
            for (std::size_t i = 0; i + 3 < p.size(); i += 2)
                tri(i, i + 1, i + 3), tri(i, i + 3, i + 2);
        if (mode_ == PrimitiveMode::TriangleFan)
            for (std::size_t i = 1; i + 1 < p.size(); ++i) tri(0, i, i + 1);
    }
    struct Corner {
        std::array<float, 3> at;
        std::array<float, 3> normal;
    };
    std::vector<Corner> corners;

  private:
    primora::PrimitiveMode mode_ = primora::PrimitiveMode::Triangles;
    std::array<double, 3> normal_{0, 0, 1};
    std::vector<Corner> pending_;
};

// The minimal program: one vertex array per shape kind, one matrix and colour per occurrence.
class MinimalProgram {
  public:
    MinimalProgram(clsPartRoom& room, const torvane::typScreenScale& view) {
        torvane::FramePlacementVisitor walk;
        clsSubPart root;
        torvane::typMotorMasks masks = room.MotorMasks();
        masks.CountMasks = 1;
        room.CalculateForwardKinematics(root, masks, walk);
        occurrences_ = walk.Occurrences();
        for (const auto& o : occurrences_) {
            Mesh(o);
            // Each marker's ball as detailed as the view draws it from the same camera.
            const torvane::typFrame& at = o.WorldFromShape;
            ballLevels_.push_back(primora::AxisBallLevel(
                primora::kAxisBallRadius *
                torvane::PixelsPerUnitAt(view, {at(0, 3), at(1, 3), at(2, 3)})));
            PlaceLines(at);
        }
        for (std::size_t level = 0; level < balls_.size(); ++level)
            primora::EmitBall(primora::kAxisBallRadius, primora::kAxisBallDetails[level].slices,
                              primora::kAxisBallDetails[level].stacks, balls_[level]);
        camera_ = room.PartData().Camera;
    }
    std::size_t Triangles() const {
        std::size_t n = 0;
        for (std::size_t i = 0; i < occurrences_.size(); ++i)
            n += (meshes_.at(Key(occurrences_[i])).corners.size() + Ball(i).corners.size()) / 3;
        return n;
    }
    // markers false leaves the axis markers out, as the view does with its axes switched off.
    void Frame(mechanon::testing::OffscreenGlSurface& surface, bool markers = true) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glPushMatrix();
        gluLookAt(camera_.CameraX, camera_.CameraY, camera_.CameraZ, camera_.LookAtX,
                  camera_.LookAtY, camera_.LookAtZ, 0, 0, 1);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        for (std::size_t i = 0; i < occurrences_.size(); ++i) {
            const torvane::typPlacedOccurrence& o = occurrences_[i];
            At(o);
            glColor3d(o.Color(1) / 100, o.Color(2) / 100, o.Color(3) / 100);
            Draw(meshes_.at(Key(o)));
            glPopMatrix();
        }
        // The markers after everything else: the lines in one draw, then the balls with their
        // back halves culled: the ball is closed, so that half never shows, and one change of
        // state serves them all.
        if (markers) {
            Lines();
            glEnable(GL_CULL_FACE);
            glColor3f(0.8f, 0.8f, 0.8f);
            for (std::size_t i = 0; i < occurrences_.size(); ++i) {
                At(occurrences_[i]);
                Draw(Ball(i));
                glPopMatrix();
            }
            glDisable(GL_CULL_FACE);
        }
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glPopMatrix();
        glFinish();
        surface.SwapBuffers();
    }

  private:
    // Pushes the matrix and moves to o's frame.
    static void At(const torvane::typPlacedOccurrence& o) {
        glPushMatrix();
        std::array<double, 16> columns{};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                columns[static_cast<std::size_t>(c * 4 + r)] = o.WorldFromShape(r, c);
        glMultMatrixd(columns.data());
    }
    const ArraySink& Ball(std::size_t occurrence) const {
        return balls_[static_cast<std::size_t>(ballLevels_[occurrence])];
    }
    static std::string Key(const torvane::typPlacedOccurrence& o) {
        return o.ShapeName + " " + std::to_string(o.Size(1)) + " " + std::to_string(o.Size(2)) +
               " " + std::to_string(o.Size(3));
    }
    void Mesh(const torvane::typPlacedOccurrence& o) {
        const std::string key = Key(o);
        if (meshes_.count(key)) return;
        primora::EmitShapeSurface(
            o.ShapeName, primora::DoubleArray(1, {o.Size(1), o.Size(2), o.Size(3)}), meshes_[key]);
    }
    static void Draw(const ArraySink& mesh) {
        glVertexPointer(3, GL_FLOAT, sizeof(ArraySink::Corner), mesh.corners.data()->at.data());
        glNormalPointer(GL_FLOAT, sizeof(ArraySink::Corner), mesh.corners.data()->normal.data());
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(mesh.corners.size()));
    }
    // A marker's three unit lines at frame at: their ends, colours and normal (its Z axis).
    void PlaceLines(const torvane::typFrame& at) {
        for (int axis = 0; axis < 3; ++axis)
            for (int end = 0; end < 2; ++end) {
                LineEnd e;
                for (int r = 0; r < 3; ++r) {
                    const auto i = static_cast<std::size_t>(r);
                    e.at[i] = static_cast<float>(at(r, 3) + (end ? at(r, axis) : 0));
                    e.color[i] = static_cast<float>(r == axis);
                    e.normal[i] = static_cast<float>(at(r, 2));
                }
                lines_.push_back(e);
            }
    }
    void Lines() const {
        constexpr GLsizei kStride = sizeof(LineEnd);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(3, GL_FLOAT, kStride, lines_.data()->at.data());
        glColorPointer(3, GL_FLOAT, kStride, lines_.data()->color.data());
        glNormalPointer(GL_FLOAT, kStride, lines_.data()->normal.data());
        glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(lines_.size()));
        glDisableClientState(GL_COLOR_ARRAY);
    }

    std::vector<torvane::typPlacedOccurrence> occurrences_;
    std::map<std::string, ArraySink> meshes_;
    std::array<ArraySink, primora::kAxisBallLevels> balls_;
    std::vector<int> ballLevels_;
    struct LineEnd {
        std::array<float, 3> at, color, normal;
    };
    std::vector<LineEnd> lines_;
    torvane::typCamera camera_;
};

// The robot, the view and the minimal program of every room, made once for all rows.
struct Fixture {
    Fixture() {
        MakeRobot(rooms, shapes);
        for (int r = 1; r <= kRooms; ++r) {
            clsPartRoom& room = *rooms.Rooms(r);
            peers.emplace_back(room, view.ScaleFor(room));
            snapPeers.emplace_back(room, view.SnapScaleFor(room));
        }
        std::printf("room 1: %zu triangles in the minimal program\n", peers.front().Triangles());
    }
    clsPartRoom& First() { return *rooms.Rooms(1); }
    // The minimal program's frame of room 1, timed.
    double PeerFrame(bool markers = true) {
        const auto t = Clock::now();
        peers.front().Frame(view.surface, markers);
        return mechanon::bench::SecondsSince(t);
    }
    static Fixture& Get() {
        static Fixture f;
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

// Runs step (which returns its seconds) and the limit once per iteration and reports both
// medians and their ratio.
void Report(benchmark::State& state, double goalMs, const std::function<double()>& step,
            const std::function<double()>& limit) {
    std::vector<double> times, limits;
    for (auto _ : state) {
        times.push_back(step());
        limits.push_back(limit());
    }
    const double t = mechanon::bench::MedianOf(times), l = mechanon::bench::MedianOf(limits);
    state.counters["median_ms"] = t * 1e3;
    state.counters["limit_median_ms"] = l * 1e3;
    state.counters["ratio_to_limit"] = t / l;
    state.counters["goal_ms"] = goalMs;
}

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
    const auto t = Clock::now();
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kSnapWidth) * kSnapHeight * 3);
    glViewport(0, 0, kSnapWidth, kSnapHeight);
    for (int r = 0; r < last; ++r) {
        peers[static_cast<std::size_t>(r)].Frame(view.surface);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSnapWidth, kSnapHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        benchmark::DoNotOptimize(pixels.data());
    }
    glViewport(0, 0, kWidth, kHeight);
    return mechanon::bench::SecondsSince(t);
}

// The saved robot loaded afresh and handed to show, timed together, against limit.
void ReportOpen(benchmark::State& state, const std::function<void(torvane::clsRooms&)>& show,
                const std::function<double()>& limit) {
    Fixture& f = Fixture::Get();
    const auto path = std::filesystem::temp_directory_path() / "bench_bigrobot.bot";
    f.rooms.Save(path.string());
    Report(
        state, 1500,
        [&] {
            const auto t = Clock::now();
            torvane::clsRooms loaded;
            loaded.Shapes = f.shapes;
            loaded.Load(path.string());
            show(loaded);
            return mechanon::bench::SecondsSince(t);
        },
        limit);
    std::filesystem::remove(path);
}

void BM_OpenToFirstFrame(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    ReportOpen(
        state, [&](torvane::clsRooms& loaded) { f.view.Redraw(*loaded.ActivePartRoom); },
        [&] { return f.PeerFrame(); });
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
// list replayed, not recompiled. markers false: the same with the axes switched off, against
// the minimal program without them, for the markers' share.
void DragFrames(benchmark::State& state, bool markers) {
    Fixture& f = Fixture::Get();
    f.shapes->SetShowAxis(markers);
    f.view.Redraw(f.First());
    const torvane::typCamera start = f.First().PartData().Camera;
    int frames = 0;
    Report(
        state, 100,
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
    f.view.gl.SetCameraData(start);
    f.shapes->SetShowAxis(true);
    f.view.Redraw(f.First());
}

void BM_DragFrame(benchmark::State& state) {
    DragFrames(state, true);
}

void BM_DragFrameWithoutMarkers(benchmark::State& state) {
    DragFrames(state, false);
}

void BM_EditRedraw(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    clsPartRoom& finger = *f.rooms.Rooms(3);
    int edits = 0;
    Report(
        state, 200,
        [&] {
            const auto t = Clock::now();
            auto data = finger.PartData();
            const double size = ++edits % 2 ? 0.09 : 0.08;
            data.Size = torvane::DoubleArray(1, {size, size, size});
            finger.SetPartData(data);
            f.view.Redraw(f.First());
            return mechanon::bench::SecondsSince(t);
        },
        [&] { return f.PeerFrame(); });
}

void BM_MoveSubpartRedraw(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    clsSubPart& use = f.First().SubParts(1);
    int moves = 0;
    Report(
        state, 200,
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

}  // namespace

BENCHMARK(BM_OpenToFirstFrame)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Repaint)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragFrame)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragFrameWithoutMarkers)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditRedraw)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveSubpartRedraw)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotPerRoom)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LargestSnapshotStep)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
