// The program's drawing and start-up.
//
// UpdatePicture/<robot>: the standard redraw after an edit (camera from the room, world list
// rebuilt by the placement walk and the shapes, list shown) for each shipped example robot, on
// the offscreen Mesa context at the size of a typical 3D view; against Replay/<robot>, which
// only shows the compiled list again, as a repaint does. The ratio UpdatePicture/Replay is what
// an edit costs over a repaint.
//
// StartToFirstFrame: creating the glue object and the main window, showing it, waiting for the
// 3D view to be exposed, the start-up steps and the first frame, as the program does before its
// event loop runs; against PlainWindowFirstFrame, a bare main window with a GL window in a
// container shown and exposed, the least any such program costs on the same display.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QOpenGLContext>
#include <QWindow>
#include <cstdlib>
#include <memory>

#include "app/MDIForm1.h"
#include "app/ShapesAdapter.h"
#include "app/clsBots.h"
#include "app/modBotMain.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "platform/ScriptedUserInterface.h"
#include "render/clsOpenGL.h"
#include "shapes/LabelGlyphs.h"
#include "shapes/ShapeLists.h"
#include "tests/app/shell/ExampleRobots.h"
#include "tests/support/OffscreenGlSurface.h"

namespace {

constexpr int kViewWidth = 800;
constexpr int kViewHeight = 600;

// A glue object drawing one example robot into an offscreen view.
struct OffscreenBots {
    mechanon::testing::OffscreenGlSurface surface{kViewWidth, kViewHeight};
    mechanon::clsBots bots;

    explicit OffscreenBots(const mechanon::examples::Example& example) {
        bots.GL().SetContextSetup([] { primora::CreateShapeLists(); });
        if (!bots.GL().Initialize(surface)) throw std::runtime_error("no offscreen GL context");
        bots.GL().SizeToWindow(kViewWidth, kViewHeight);
        example.robot->Shapes = mechanon::NewShapes();
        for (int i = 1; i <= example.robot->TotalRooms; ++i)
            example.robot->Rooms(i)->Shapes = example.robot->Shapes;
        bots.SetPartRooms(example.robot);
        bots.PartRooms().SetPartRoomIndex(1);
    }
    ~OffscreenBots() { bots.ReleaseGL(); }
};

mechanon::examples::Example ExampleNumber(std::int64_t i) {
    return mechanon::examples::AllExamples().at(static_cast<std::size_t>(i));
}

void UpdatePicture(benchmark::State& state) {
    const auto example = ExampleNumber(state.range(0));
    state.SetLabel(example.baseName);
    OffscreenBots view(example);
    for (auto _ : state) view.bots.UpdatePicture(false, false);
}
BENCHMARK(UpdatePicture)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

void Replay(benchmark::State& state) {
    const auto example = ExampleNumber(state.range(0));
    state.SetLabel(example.baseName);
    OffscreenBots view(example);
    view.bots.UpdatePicture(false, false);
    for (auto _ : state) view.bots.GL().DisplayWorldList(false);
}
BENCHMARK(Replay)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

bool HaveDisplay() {
    return QGuiApplication::instance() != nullptr;
}

void Settle() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void StartToFirstFrame(benchmark::State& state) {
    if (!HaveDisplay()) {
        state.SkipWithError("no display: run under xvfb-run");
        return;
    }
    torvane::ScriptedUserInterface ui;
    torvane::ScopedUserInterface installed(ui);
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        auto program = mechanon::StartProgram();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        ui.messageAnswers.push_back(torvane::MsgAnswer::No);
        program->Main->close();
        program.reset();
        Settle();
    }
}
BENCHMARK(StartToFirstFrame)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond);

void PlainWindowFirstFrame(benchmark::State& state) {
    if (!HaveDisplay()) {
        state.SkipWithError("no display: run under xvfb-run");
        return;
    }
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        auto window = std::make_unique<QMainWindow>();
        auto* surface = new QWindow;
        surface->setSurfaceType(QSurface::OpenGLSurface);
        window->setCentralWidget(QWidget::createWindowContainer(surface));
        window->resize(1024, 720);
        window->show();
        while (!surface->isExposed()) Settle();
        QOpenGLContext context;
        context.create();
        context.makeCurrent(surface);
        context.swapBuffers(surface);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        context.doneCurrent();
        window.reset();
        Settle();
    }
}
BENCHMARK(PlainWindowFirstFrame)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // The window figures need a display; the drawing figures run anywhere.
    std::unique_ptr<QApplication> app;
    if (std::getenv("DISPLAY")) app = std::make_unique<QApplication>(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
