// An imported robot in the 3D view, on the offscreen Mesa context at 1600 x 1200: the servo arm
// of the sample robots (13 binary STL files, 322,564 triangles, some files used in several
// places: 398,884 triangles drawn) read from its URDF.
//
// Measured, each as the program does it: import to first frame (the URDF read into part rooms
// with every mesh file loaded, the rooms swapped into a document, the robot room placed, the
// view fitted to it, the world list compiled and shown, the room's thumbnail made from the
// frame), an orbit frame (the camera turned about the point it looks at, the compiled list
// replayed), and the memory the imported robot takes per triangle once it is on screen.
//
// The limit, measured in the same run: a minimal program that reads the same STL files once
// (each file once however many places use it), puts every triangle where the robot has it into
// one vertex array with a colour per corner, and draws that array in one call into the same
// context with the same lighting. It is handed the places of the meshes; only reading,
// arranging and drawing are timed.
// Every row reports the median of its repetitions in milliseconds and the ratio of that median to
// the minimal program's, beside the goal the row is held to (goal_ms).

#include <GL/gl.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "app/ScaledThumbnail.h"
#include "bench/MedianTime.h"
#include "export/MeshFolder.h"
#include "export/UrdfImport.h"
#include "export/ViewScene.h"
#include "model/JointPoses.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "platform/ScriptedUserInterface.h"
#include "render/clsOpenGL.h"
#include "shapes/ShapeLists.h"
#include "tests/support/OffscreenGlSurface.h"
#include "tests/support/PrimoraShapes.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kWidth = 1600;
constexpr int kHeight = 1200;
constexpr int kThumbWidth = 96;  // the parts bar's thumbnail
constexpr int kThumbHeight = 72;
constexpr int kRepetitions = 5;
constexpr int kOrbitFrames = 36;  // ten degrees each, once round

const fs::path kArm = fs::path(MECHANON_URDF_SAMPLES) / "so101" / "so101_new_calib.urdf";

// The bytes of memory the process holds now.
double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    double pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE));
}

torvane::typCamera Orbited(const torvane::typCamera& start, double degrees) {
    const double turn = degrees * std::numbers::pi / 180;
    torvane::typCamera c = start;
    const double dx = c.CameraX - c.LookAtX, dy = c.CameraY - c.LookAtY;
    c.CameraX = c.LookAtX + dx * std::cos(turn) - dy * std::sin(turn);
    c.CameraY = c.LookAtY + dx * std::sin(turn) + dy * std::cos(turn);
    return c;
}

// The 3D view as the program drives it, and the document it shows.
struct View {
    View() {
        gl.SetContextSetup([] { primora::CreateShapeLists(); });
        if (!gl.Initialize(surface)) throw std::runtime_error("no offscreen GL context");
        gl.SizeToWindow(kWidth, kHeight);
    }
    mechanon::ViewLens Lens() const {
        return {gl.FieldOfView(), gl.AspectRatio(), gl.NearClip(), gl.FarClip()};
    }
    // As File > Import URDF... does it: the robot read, swapped in, fitted and shown.
    std::unique_ptr<torvane::clsRooms> Import(
        const fs::path& urdf, const std::shared_ptr<mechanon::testing::PrimoraShapes>& shapes) {
        mechanon::UrdfImportResult imported = mechanon::ImportUrdf(urdf, {});
        auto rooms = std::make_unique<torvane::clsRooms>();
        rooms->Shapes = shapes;
        rooms->ReplaceAllData(std::move(imported.Rooms));
        rooms->SetPartRoomIndex(1);
        torvane::clsPartRoom& room = *rooms->ActivePartRoom;
        const auto box =
            mechanon::BoundingBox(mechanon::PlacedMeshes(mechanon::PlaceAtCurrentMotors(room)));
        auto data = room.PartData();
        data.Camera = mechanon::FitCamera(data.Camera, box, Lens(), mechanon::ViewPreset::Fit);
        room.SetPartData(data);
        gl.SetCameraData(data.Camera);
        torvane::JointPoses::StoreSetBy(
            [&](torvane::JointPoses& drawn) { gl.CompileWorldList(&room, false, &drawn); });
        torvane::GlImage shown;
        gl.DisplayWorldList(false, &shown, kThumbWidth * mechanon::kFrameHalvedTo,
                            kThumbHeight * mechanon::kFrameHalvedTo);
        const QImage thumbnail = mechanon::ScaledThumbnail(shown, QSize(kThumbWidth, kThumbHeight));
        benchmark::DoNotOptimize(thumbnail.constBits());
        return rooms;
    }
    mechanon::testing::OffscreenGlSurface surface{kWidth, kHeight};
    torvane::clsOpenGL gl;
};

// The triangles of a binary STL file, three corners of three floats each.
std::vector<float> ReadBinaryStl(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char header[80];
    std::uint32_t count = 0;
    if (!in.read(header, sizeof header) || !in.read(reinterpret_cast<char*>(&count), 4))
        throw std::runtime_error("cannot read " + file.string());
    std::vector<float> corners(static_cast<std::size_t>(count) * 9);
    std::array<char, 50> record{};
    for (std::uint32_t t = 0; t < count; ++t) {
        if (!in.read(record.data(), record.size()))
            throw std::runtime_error("truncated " + file.string());
        std::memcpy(&corners[static_cast<std::size_t>(t) * 9], record.data() + 12, 36);
    }
    return corners;
}

// Where one mesh file is drawn: its file, its scale per axis, its frame and colour.
struct MeshPlace {
    fs::path file;
    std::array<double, 3> scale;
    torvane::typFrame worldFromShape;
    std::array<float, 3> colour;
};

std::vector<MeshPlace> MeshPlaces(torvane::clsPartRoom& room) {
    std::vector<MeshPlace> places;
    for (const auto& o : mechanon::PlaceAtCurrentMotors(room)) {
        if (!mechanon::IsMeshShapeName(o.ShapeName)) continue;
        places.push_back(
            {mechanon::MeshFileOf(o.ShapeName, {}),
             {o.Size(1), o.Size(2), o.Size(3)},
             o.WorldFromShape,
             {static_cast<float>(o.Color(1) / 100), static_cast<float>(o.Color(2) / 100),
              static_cast<float>(o.Color(3) / 100)}});
    }
    return places;
}

// The minimal program: every triangle in world coordinates in one array, drawn in one call.
class MinimalProgram {
  public:
    struct Corner {
        std::array<float, 3> at, normal, colour;
    };

    // Reads each file once and places its triangles wherever the robot uses it.
    explicit MinimalProgram(const std::vector<MeshPlace>& places) {
        std::map<fs::path, std::vector<float>> files;
        for (const MeshPlace& place : places)
            if (!files.count(place.file)) files.emplace(place.file, ReadBinaryStl(place.file));
        for (const MeshPlace& place : places) Place(files.at(place.file), place);
        for (const auto& [file, corners] : files) fileTriangles_ += corners.size() / 9;
        fileCount_ = files.size();
    }
    // The triangles of the files read, each file counted once.
    std::size_t FileTriangles() const { return fileTriangles_; }
    std::size_t FileCount() const { return fileCount_; }
    std::size_t Triangles() const { return corners_.size() / 3; }
    std::size_t Bytes() const { return corners_.size() * sizeof(Corner); }
    void Frame(mechanon::testing::OffscreenGlSurface& surface, const torvane::typCamera& camera) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glPushMatrix();
        gluLookAt(camera.CameraX, camera.CameraY, camera.CameraZ, camera.LookAtX, camera.LookAtY,
                  camera.LookAtZ, 0, 0, 1);
        glEnable(GL_COLOR_MATERIAL);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        constexpr GLsizei kStride = sizeof(Corner);
        glVertexPointer(3, GL_FLOAT, kStride, corners_.data()->at.data());
        glNormalPointer(GL_FLOAT, kStride, corners_.data()->normal.data());
        glColorPointer(3, GL_FLOAT, kStride, corners_.data()->colour.data());
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(corners_.size()));
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glPopMatrix();
        glFinish();
        surface.SwapBuffers();
    }

  private:
    void Place(const std::vector<float>& file, const MeshPlace& place) {
        const torvane::typFrame& m = place.worldFromShape;
        const auto world = [&](const float* p) {
            std::array<float, 3> out{};
            for (int r = 0; r < 3; ++r) {
                double v = m(r, 3);
                for (int c = 0; c < 3; ++c)
                    v += m(r, c) * place.scale[static_cast<std::size_t>(c)] * p[c];
                out[static_cast<std::size_t>(r)] = static_cast<float>(v);
            }
            return out;
        };
        for (std::size_t t = 0; t + 9 <= file.size(); t += 9) {
            const std::array<std::array<float, 3>, 3> at{world(&file[t]), world(&file[t + 3]),
                                                         world(&file[t + 6])};
            const std::array<float, 3> normal = Normal(at);
            for (const auto& corner : at) corners_.push_back({corner, normal, place.colour});
        }
    }
    static std::array<float, 3> Normal(const std::array<std::array<float, 3>, 3>& at) {
        std::array<float, 3> u{}, v{};
        for (std::size_t i = 0; i < 3; ++i) {
            u[i] = at[1][i] - at[0][i];
            v[i] = at[2][i] - at[0][i];
        }
        std::array<float, 3> n{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                               u[0] * v[1] - u[1] * v[0]};
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length > 0)
            for (float& x : n) x /= length;
        return n;
    }

    std::vector<Corner> corners_;
    std::size_t fileTriangles_ = 0;
    std::size_t fileCount_ = 0;
};

// The view, the shapes and one imported robot with its places, made once for all rows; the
// memory row runs first, while nothing else has been imported.
struct Fixture {
    static Fixture& Get() {
        static Fixture f;
        return f;
    }
    // The minimal program's first frame, from reading the files on, timed.
    double PeerFirstFrame() {
        const auto t = Clock::now();
        MinimalProgram peer(places);
        peer.Frame(view.surface, camera);
        return mechanon::bench::SecondsSince(t);
    }

    torvane::ScriptedUserInterface ui;
    torvane::ScopedUserInterface installed{ui};
    View view;
    std::shared_ptr<mechanon::testing::PrimoraShapes> shapes =
        std::make_shared<mechanon::testing::PrimoraShapes>();
    std::unique_ptr<torvane::clsRooms> robot;
    std::vector<MeshPlace> places;
    torvane::typCamera camera;
};

void Report(benchmark::State& state, double goalMs, const std::vector<double>& times,
            const std::vector<double>& limits) {
    const double t = mechanon::bench::MedianOf(times), l = mechanon::bench::MedianOf(limits);
    state.counters["median_ms"] = t * 1e3;
    state.counters["limit_median_ms"] = l * 1e3;
    state.counters["ratio_to_limit"] = t / l;
    state.counters["goal_ms"] = goalMs;
}

// The memory the imported robot holds once on screen, against the minimal program's.
void BM_MemoryPerTriangle(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    for (auto _ : state) {
        const double before = ResidentBytes();
        f.robot = f.view.Import(kArm, f.shapes);
        const double imported = ResidentBytes();
        f.places = MeshPlaces(*f.robot->ActivePartRoom);
        f.camera = f.robot->ActivePartRoom->PartData().Camera;
        const MinimalProgram peer(f.places);
        const double peerBytes = ResidentBytes() - imported;
        const auto triangles = static_cast<double>(peer.Triangles());
        std::printf("%zu triangles in %zu files, drawn in %zu places: %zu triangles\n",
                    peer.FileTriangles(), peer.FileCount(), f.places.size(), peer.Triangles());
        state.counters["triangles"] = triangles;
        state.counters["bytes_per_triangle"] = (imported - before) / triangles;
        state.counters["limit_bytes_per_triangle"] = peerBytes / triangles;
        state.counters["limit_array_bytes_per_triangle"] =
            static_cast<double>(peer.Bytes()) / triangles;
        state.counters["ratio_to_limit"] = (imported - before) / peerBytes;
    }
}

// The program keeps every mesh file it has read for the rest of the run, so each repetition
// imports a copy of the arm's folder of its own, whose files it has never seen.
void BM_ImportToFirstFrame(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    const fs::path copies =
        fs::temp_directory_path() / ("bench_import_" + std::to_string(getpid()));
    std::vector<double> times, limits;
    int repetition = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path folder = copies / std::to_string(++repetition);
        fs::create_directories(folder);
        fs::copy(kArm.parent_path(), folder, fs::copy_options::recursive);
        f.robot.reset();
        state.ResumeTiming();
        const auto t = Clock::now();
        f.robot = f.view.Import(folder / kArm.filename(), f.shapes);
        times.push_back(mechanon::bench::SecondsSince(t));
        limits.push_back(f.PeerFirstFrame());
    }
    fs::remove_all(copies);
    Report(state, 1000, times, limits);
}

void BM_OrbitFrame(benchmark::State& state) {
    Fixture& f = Fixture::Get();
    MinimalProgram peer(f.places);
    std::vector<double> times, limits;
    int frames = 0;
    for (auto _ : state) {
        const torvane::typCamera c = Orbited(f.camera, 10.0 * (++frames % kOrbitFrames));
        auto t = Clock::now();
        f.view.gl.SetCameraData(c);
        f.view.gl.DisplayWorldList();
        times.push_back(mechanon::bench::SecondsSince(t));
        t = Clock::now();
        peer.Frame(f.view.surface, c);
        limits.push_back(mechanon::bench::SecondsSince(t));
    }
    f.view.gl.SetCameraData(f.camera);
    Report(state, 50, times, limits);
}

}  // namespace

BENCHMARK(BM_MemoryPerTriangle)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportToFirstFrame)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrbitFrame)->Iterations(kOrbitFrames)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
