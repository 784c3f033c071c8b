// The big robot (bench/BigRobot.h) as the program runs it: the program started as main() starts
// it, its main window as large as the screen allows with the 3D view maximised in it
// (BENCH_BIGROBOT_LAYOUT=program keeps the program's own layout instead, the part editor and the
// parts bar beside the view), the robot opened through File > Open, and every row driven through
// the windows a user works (the mouse on the 3D view, the joint sliders, the part editor's boxes
// and Enter), timed until the view has shown its frame and the events that followed are handled.
// The parts bar's background snapshots are let finish before each row but the opening ones,
// whose figure ends with the first frame of the robot.
//
// Rows: start to first frame (the program started with the robot given on the command line; the
// counter empty_program_ms is the start-up alone, to the empty program's first frame),
// open to first frame, a frame of a camera drag (per mouse move), the exact frame after the drag
// (from the release to the last frame before the view stays 400 ms without one; the counter
// frames_after_release says how many came, 0 when the drag's last frame is left as the picture),
// a frame while one motor value changes (the first arm's slider dragged, per step), edit +
// redraw (the base's size typed and Enter), move subpart (the first arm's position typed and
// Enter); the rows ending in /20001 do the same on the robot with 20,001 occurrences. The limit:
// the minimal program drawing room 1 into the program's own view, at its size, in the same run.
//
// Needs a display: run under xvfb-run -a -s "-screen 0 1600x1200x24". Without one every row is
// skipped with a message.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QSlider>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "app/MDIForm1.h"
#include "app/QtGlSurface.h"
#include "app/ShapesAdapter.h"
#include "app/clsBots.h"
#include "app/editing/TabStrip.h"
#include "app/editing/frmEditBot.h"
#include "app/frmBot.h"
#include "app/modBotMain.h"
#include "app/motion/frmJointSliders.h"
#include "bench/BigRobot.h"
#include "bench/MedianTime.h"
#include "bench/StartedProgram.h"
#include "render/clsOpenGL.h"

namespace {

namespace fs = std::filesystem;
using mechanon::QtGlSurface;
using mechanon::bench::Clock;
using mechanon::bench::kFrameTimeoutMs;
using mechanon::bench::MinimalProgram;
using mechanon::bench::ReportMessages;
using mechanon::bench::SecondsSince;
using mechanon::bench::Settle;
using mechanon::bench::ShownAndSettled;
using mechanon::bench::StartedProgram;
using mechanon::bench::Ui;

constexpr int kRepetitions = 5;
constexpr int kMovesPerDrag = 3;
constexpr int kMovePixels = 4;
// How long the view must stay without a new frame after a drag before its picture counts as
// settled: four times the 100 ms the exact picture may take.
constexpr int kQuietMs = 400;

// Goals of the 5,001 robot in milliseconds; the 20,001 robot's are four times these.
constexpr double kFrameGoal = 33;
constexpr double kExactGoal = 100;
constexpr double kEditGoal = 100;
constexpr double kOpenGoal = 300;

bool HaveDisplay() {
    return QGuiApplication::instance() != nullptr;
}

double Goal(double goalMs, bool larger) {
    return larger ? goalMs * mechanon::bench::kLargerFactor : goalMs;
}

// The saved robots of both sizes, written once into a folder of their own.
const fs::path& RobotFile(bool larger) {
    static const fs::path folder = [] {
        const fs::path f = fs::temp_directory_path() / "bench_bigrobot_program";
        fs::create_directories(f);
        return f;
    }();
    static fs::path files[2];
    fs::path& file = files[larger ? 1 : 0];
    if (file.empty()) {
        torvane::clsRooms rooms;
        mechanon::bench::MakeRobot(
            rooms, mechanon::NewShapes(),
            larger ? mechanon::bench::kManyFingers : mechanon::bench::kFingers);
        file = folder / (larger ? "robot20001.bot" : "robot5001.bot");
        rooms.Save(file.string());
    }
    return file;
}

// The minimal program of room 1 of a robot, drawn into a started program's view.
class Peer {
  public:
    Peer(StartedProgram& program, bool larger) : surface_(program.Surface()) {
        mechanon::bench::MakeRobot(
            rooms_, mechanon::NewShapes(),
            larger ? mechanon::bench::kManyFingers : mechanon::bench::kFingers);
        torvane::clsOpenGL& gl = program.Bots().GL();
        program_ = std::make_unique<MinimalProgram>(
            *rooms_.Rooms(1),
            gl.ScaleFor(rooms_.Rooms(1)->PartData().Camera, surface_.PixelSize().height()));
    }
    // One frame, timed. The program's next frame draws over it.
    double Frame() const {
        if (!surface_.MakeCurrent()) throw std::runtime_error("the view cannot be drawn");
        const auto t = Clock::now();
        program_->Frame([this] { surface_.Context()->swapBuffers(&surface_); });
        return SecondsSince(t);
    }

  private:
    QtGlSurface& surface_;
    torvane::clsRooms rooms_;
    std::unique_ptr<MinimalProgram> program_;
};

// The program of the run with the robot of the asked size open and its minimal program.
struct Fixture {
    // The one of the run; main() ends it before the application.
    static std::unique_ptr<Fixture>& Held() {
        static std::unique_ptr<Fixture> held;
        return held;
    }
    static Fixture& Get(bool larger) {
        if (!Held()) Held() = std::make_unique<Fixture>();
        Fixture& f = *Held();
        if (!f.peer || f.larger != larger) {
            f.peer.reset();
            f.larger = larger;
            f.program.Open(RobotFile(larger));
            f.program.WaitForSnapShots();
            f.peer = std::make_unique<Peer>(f.program, larger);
        }
        return f;
    }
    StartedProgram program;
    bool larger = false;
    std::unique_ptr<Peer> peer;
};

// Runs row with the fixture of the size, or skips it without a display.
template <typename Row>
void WithProgram(benchmark::State& state, bool larger, Row row) {
    if (!HaveDisplay()) {
        state.SkipWithError("no display: run under xvfb-run");
        return;
    }
    try {
        Fixture& f = Fixture::Get(larger);
        row(f);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

void StartToFirstFrame(benchmark::State& state) {
    if (!HaveDisplay()) {
        state.SkipWithError("no display: run under xvfb-run");
        return;
    }
    const fs::path& file = RobotFile(false);
    Ui();
    std::vector<double> times, limits, started;
    for (auto _ : state) {
        const auto t = Clock::now();
        auto program = mechanon::StartProgram();
        started.push_back(program->SecondsToFirstFrame);
        const QtGlSurface& surface = program->Main->BotView().Surface();
        const int before = surface.FramesShown();
        mechanon::OpenStartFile(*program, file.string());
        while (surface.FramesShown() == before && SecondsSince(t) < kFrameTimeoutMs / 1e3)
            QCoreApplication::processEvents();
        times.push_back(SecondsSince(t));
        ReportMessages("start with a file");
        Ui().messageAnswers.push_back(torvane::MsgAnswer::No);
        program->Main->close();
        program.reset();
        Settle();
        Ui().Clear();
    }
    // The limit in a program of its own once the figures are taken.
    for (std::size_t i = 0; i < times.size(); ++i)
        limits.push_back(Fixture::Get(false).peer->Frame());
    mechanon::bench::ReportMedians(state, kOpenGoal, times, limits);
    // The share of the start-up itself: the empty program's first frame, before the robot.
    state.counters["empty_program_ms"] = mechanon::bench::MedianOf(started) * 1e3;
}

void OpenToFirstFrame(benchmark::State& state, bool larger) {
    WithProgram(state, larger, [&](Fixture& f) {
        std::vector<double> times, limits;
        for (auto _ : state) {
            times.push_back(f.program.Open(RobotFile(larger)));
            f.program.WaitForSnapShots();
            limits.push_back(f.peer->Frame());
        }
        mechanon::bench::ReportMedians(state, Goal(kOpenGoal, larger), times, limits);
    });
}

// One drag on the view from its centre, count moves of kMovePixels in direction (+1 or -1) along
// x; adds each move's seconds to its shown, settled frame to moves, and returns how the view came
// to rest after the release.
mechanon::bench::QuietEnd Drag(QtGlSurface& surface, int direction, int count,
                               std::vector<double>* moves) {
    QPoint at(surface.width() / 2, surface.height() / 2);
    QTest::mousePress(&surface, Qt::LeftButton, {}, at);
    Settle();
    for (int i = 0; i < count; ++i) {
        at.rx() += direction * kMovePixels;
        const int before = surface.FramesShown();
        const auto t = Clock::now();
        QTest::mouseMove(&surface, at);
        const double seconds = ShownAndSettled(surface, before, t);
        if (moves) moves->push_back(seconds);
    }
    const int before = surface.FramesShown();
    const auto released = Clock::now();
    QTest::mouseRelease(&surface, Qt::LeftButton, {}, at);
    return mechanon::bench::UntilQuiet(surface, before, released, kQuietMs);
}

void DragFrame(benchmark::State& state, bool larger) {
    WithProgram(state, larger, [&](Fixture& f) {
        std::vector<double> times, limits;
        int drags = 0;
        for (auto _ : state) {
            Drag(f.program.Surface(), ++drags % 2 ? 1 : -1, kMovesPerDrag, &times);
            limits.push_back(f.peer->Frame());
        }
        ReportMessages("drag");
        mechanon::bench::ReportMedians(state, Goal(kFrameGoal, larger), times, limits);
    });
}

void ExactFrameAfterDrag(benchmark::State& state, bool larger) {
    WithProgram(state, larger, [&](Fixture& f) {
        std::vector<double> times, limits, frames;
        int drags = 0;
        for (auto _ : state) {
            const auto end = Drag(f.program.Surface(), ++drags % 2 ? 1 : -1, 1, nullptr);
            times.push_back(end.seconds);
            frames.push_back(end.frames);
            limits.push_back(f.peer->Frame());
        }
        ReportMessages("drag's end");
        mechanon::bench::ReportMedians(state, Goal(kExactGoal, larger), times, limits);
        // 0 frames: the last frame of the drag was left as the picture.
        state.counters["frames_after_release"] = mechanon::bench::MedianOf(frames);
    });
}

// Operate > Joint Sliders, the first arm's slider held down and moved a step at a time.
void MotorValueFrame(benchmark::State& state, bool larger) {
    WithProgram(state, larger, [&](Fixture& f) {
        f.program.Choose("mnuJointSliders");
        f.program.EnlargeView();
        auto* sliders = f.program.Main().findChild<mechanon::frmJointSliders*>("frmJointSliders");
        if (!sliders || sliders->RowCount() < 1) throw std::runtime_error("no joint sliders");
        QSlider& slider = *sliders->RowOf(1).sldValue;
        const int middle = slider.value();
        const int step = std::max(1, (slider.maximum() - slider.minimum()) / 72);
        slider.setSliderDown(true);
        Settle();
        QtGlSurface& surface = f.program.Surface();
        std::vector<double> times, limits;
        int changes = 0;
        for (auto _ : state) {
            const int before = surface.FramesShown();
            const auto t = Clock::now();
            slider.setValue(middle + (++changes % 2 ? step : -step));
            times.push_back(ShownAndSettled(surface, before, t));
            limits.push_back(f.peer->Frame());
        }
        slider.setValue(middle);
        slider.setSliderDown(false);
        mechanon::bench::UntilQuiet(surface, surface.FramesShown(), Clock::now(), kQuietMs);
        ReportMessages("joint sliders");
        f.program.WaitForSnapShots();
        mechanon::bench::ReportMedians(state, Goal(kFrameGoal, larger), times, limits);
    });
}

// The part editor in front, showing the robot's first room.
mechanon::frmEditBot& Editor(Fixture& f) {
    f.program.Choose("mnuEditBot");
    f.program.EnlargeView();
    return f.program.Main().EditBot();
}

void SelectTab(mechanon::TabStrip& strip, const QString& caption) {
    QTabBar& tabs = strip.Tabs();
    for (int i = 0; i < tabs.count(); ++i)
        if (tabs.tabText(i) == caption) {
            QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(i).center());
            Settle();
            return;
        }
    throw std::runtime_error("no tab " + caption.toStdString());
}

// Clicks node (0 the room, i the room's subpart i) in the editor's tree.
void ClickNode(mechanon::frmEditBot& editor, int node) {
    QTreeWidget& tree = *editor.TreeView1;
    QTreeWidgetItem* root = tree.topLevelItem(0);
    QTreeWidgetItem* item = root && node > 0 ? root->child(node - 1) : root;
    if (!item) throw std::runtime_error("no node in the editor's tree");
    tree.scrollToItem(item);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(item).center());
    Settle();
}

// Types text into box as a user does, then times Enter to the view's settled frame.
double TypeAndEnter(QLineEdit& box, const QString& text, const QtGlSurface& surface) {
    box.setFocus();
    box.selectAll();
    box.del();
    QTest::keyClicks(&box, text);
    const int before = surface.FramesShown();
    const auto t = Clock::now();
    QTest::keyClick(&box, Qt::Key_Return);
    return ShownAndSettled(surface, before, t);
}

// Edits in the part editor's box, alternating between two texts; each to its settled frame.
template <typename Prepare>
void EditorRow(benchmark::State& state, bool larger, Prepare prepare, const QString& first,
               const QString& second) {
    WithProgram(state, larger, [&](Fixture& f) {
        mechanon::frmEditBot& editor = Editor(f);
        QLineEdit& box = prepare(editor);
        std::vector<double> times, limits;
        int edits = 0;
        for (auto _ : state) {
            times.push_back(TypeAndEnter(box, ++edits % 2 ? second : first, f.program.Surface()));
            limits.push_back(f.peer->Frame());
            f.program.WaitForSnapShots();
        }
        ReportMessages("editor");
        mechanon::bench::ReportMedians(state, Goal(kEditGoal, larger), times, limits);
    });
}

void EditRedraw(benchmark::State& state, bool larger) {
    EditorRow(
        state, larger,
        [](mechanon::frmEditBot& editor) -> QLineEdit& {
            ClickNode(editor, 0);
            SelectTab(*editor.TabStrip1, "Camera / Shape");
            return *editor.txtSize;
        },
        "1, 1, 1", "1.125, 1.125, 1.125");
}

void MoveSubpart(benchmark::State& state, bool larger) {
    EditorRow(
        state, larger,
        [](mechanon::frmEditBot& editor) -> QLineEdit& {
            ClickNode(editor, 1);
            SelectTab(*editor.TabStrip2, "SubPart Position");
            return *editor.txtSubPosition;
        },
        "-4.5, -4.5, 0", "-4.5, -4.5, 0.5");
}

void BM_ProgramStartToFirstFrame(benchmark::State& state) {
    StartToFirstFrame(state);
}
void BM_ProgramOpenToFirstFrame(benchmark::State& state) {
    OpenToFirstFrame(state, false);
}
void BM_ProgramCameraDragFrame(benchmark::State& state) {
    DragFrame(state, false);
}
void BM_ProgramExactFrameAfterDrag(benchmark::State& state) {
    ExactFrameAfterDrag(state, false);
}
void BM_ProgramMotorValueFrame(benchmark::State& state) {
    MotorValueFrame(state, false);
}
void BM_ProgramEditRedraw(benchmark::State& state) {
    EditRedraw(state, false);
}
void BM_ProgramMoveSubpart(benchmark::State& state) {
    MoveSubpart(state, false);
}
void BM_ProgramCameraDragFrame_20001(benchmark::State& state) {
    DragFrame(state, true);
}
void BM_ProgramExactFrameAfterDrag_20001(benchmark::State& state) {
    ExactFrameAfterDrag(state, true);
}
void BM_ProgramEditRedraw_20001(benchmark::State& state) {
    EditRedraw(state, true);
}
void BM_ProgramMoveSubpart_20001(benchmark::State& state) {
    MoveSubpart(state, true);
}
void BM_ProgramOpenToFirstFrame_20001(benchmark::State& state) {
    OpenToFirstFrame(state, true);
}

}  // namespace

BENCHMARK(BM_ProgramStartToFirstFrame)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramOpenToFirstFrame)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramCameraDragFrame)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramExactFrameAfterDrag)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramMotorValueFrame)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramEditRedraw)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramMoveSubpart)->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramCameraDragFrame_20001)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramExactFrameAfterDrag_20001)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramEditRedraw_20001)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramMoveSubpart_20001)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramOpenToFirstFrame_20001)->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // The rows need a display; without one they are skipped with a message.
    std::unique_ptr<QApplication> app;
    if (std::getenv("DISPLAY")) app = std::make_unique<QApplication>(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    Fixture::Held().reset();
    benchmark::Shutdown();
    return 0;
}
