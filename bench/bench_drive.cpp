// Gaps between the control rounds of a drive while the window thread is busy drawing: three
// simulated motors driven for kDriveSeconds while the window thread redraws the example arm in
// the offscreen 3D view and a live plot (a chart of the measured positions rendered into an
// image) as fast as it can. WindowThreadLoop runs the rounds between the window's events, as
// the drive did before it had a thread of its own; ControlThread runs them on the control
// thread at its 1 ms period. Both run in the same repetition, one after the other.
//
// A round's time is its subleg parameter (the time since the subleg started), which both loops
// hand to the window thread with every round; a gap is the difference between two rounds in a
// row. Reported per loop: the median, 99th and 99.9th percentile and the largest gap (ms), the
// ratio window-thread / control-thread of each, and the control thread against its goals
// (99.9th percentile 1.5 ms, largest 5 ms). The summary printed last takes the median of each
// figure over the repetitions.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/ShapesAdapter.h"
#include "app/clsBots.h"
#include "bench/RoundGaps.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "motorio/frmMSComms.h"
#include "platform/UserInterface.h"
#include "render/clsOpenGL.h"
#include "shapes/ShapeLists.h"
#include "tests/app/shell/ExampleRobots.h"
#include "tests/support/OffscreenGlSurface.h"
#include "toolpath/clsToolPath.h"

namespace {

constexpr double kDriveSeconds = 10;
constexpr int kViewWidth = 800;
constexpr int kViewHeight = 600;
constexpr double kGoalP999Ms = 1.5;
constexpr double kGoalLargestMs = 5;

using mechanon::bench::GapFigures;
using mechanon::bench::GapFiguresOf;
using mechanon::bench::Median;

// The window thread: every DoEvents redraws the 3D view at the latest measured positions and
// renders the live plot of everything measured so far.
class BusyWindow final : public torvane::UserInterface {
  public:
    explicit BusyWindow(const mechanon::examples::Example& example) : chart_(new QChart) {
        bots_.GL().SetContextSetup([] { primora::CreateShapeLists(); });
        if (!bots_.GL().Initialize(surface_)) throw std::runtime_error("no offscreen GL context");
        bots_.GL().SizeToWindow(kViewWidth, kViewHeight);
        example.robot->Shapes = mechanon::NewShapes();
        for (int i = 1; i <= example.robot->TotalRooms; ++i)
            example.robot->Rooms(i)->Shapes = example.robot->Shapes;
        bots_.SetPartRooms(example.robot);
        bots_.PartRooms().SetPartRoomIndex(1);
        chart_->setAnimationOptions(QChart::NoAnimation);
        series_ = new QLineSeries(chart_);
        chart_->addSeries(series_);
        chart_->createDefaultAxes();
        view_.setChart(chart_);
        view_.resize(760, 420);
    }
    ~BusyWindow() override { bots_.ReleaseGL(); }

    torvane::MsgAnswer MsgBox(const std::string&, torvane::MsgButtons,
                              const std::string&) override {
        return torvane::MsgAnswer::OK;
    }
    std::string InputBox(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    std::string FileDialog(bool, const std::string&, const std::string&) override { return {}; }
    void DoEvents() override {
        bots_.ShowMeasured(latest_);
        QImage image(view_.size(), QImage::Format_RGB32);
        QPainter painter(&image);
        view_.render(&painter);
        ++frames;
    }

    // Every round's time, and its measured position of motor 1 drawn in the plot and the view.
    void Round(double t, const torvane::DoubleArray& measured) {
        times.push_back(t);
        if (times.size() % 20 == 0) series_->append(t, measured(1));
        latest_.assign({measured(1), measured(2), measured(3)});
    }

    std::vector<double> times;
    long frames = 0;

  private:
    mechanon::testing::OffscreenGlSurface surface_{kViewWidth, kViewHeight};
    mechanon::clsBots bots_;
    QChart* chart_;  // owned by the view
    QLineSeries* series_;
    QChartView view_;
    std::vector<double> latest_;
};

torvane::typToolPathSubLeg Subleg() {
    torvane::typToolPathSubLeg s;
    s.StartS = 0;
    s.EndS = kDriveSeconds;
    s.StartPoints = torvane::DoubleArray::WithBounds(1, 3);
    s.ParametricEQs = torvane::StringArray::WithBounds(1, 3);
    const char* equations[] = {"20*sin(S)", "-10*S", "5*cos(S*2)-5"};
    for (int i = 1; i <= 3; ++i) {
        s.StartPoints(i) = 0;
        s.ParametricEQs(i) = equations[i - 1];
    }
    return s;
}

// Drives the subleg once with the rounds on the window thread or on the control thread.
GapFigures Drive(bool ownThread, long& frames) {
    const auto host = std::make_shared<torvane::frmMSComms>();
    host->UsePortBackend(torvane::PortBackend::SimulatedMotor);
    torvane::clsToolPath path(host->ScriptEngine());
    path.SetPortHost(host);
    path.ParseMotorsProperties("5,5\r\nA,none,1,0.01\r\nB,none,2,0.01\r\nC,none,3,0.01");
    torvane::ControlTiming timing;
    timing.OwnThread = ownThread;
    path.SetControlTiming(timing);
    path.OpenPorts(torvane::VbArray<float>(1, std::vector<float>{1, 2, 3}));
    BusyWindow window(mechanon::examples::AllExamples().at(0));
    torvane::ScopedUserInterface installed(window);
    auto round = path.CutRound.Subscribe(
        [&](double t, const torvane::DoubleArray&, const torvane::DoubleArray& measured) {
            window.Round(t, measured);
        });
    path.CutSubleg(Subleg());
    frames = window.frames;
    return GapFiguresOf(window.times);
}

std::map<std::string, std::vector<double>> g_figures;  // every repetition's, by name

void Report(benchmark::State& state, const std::string& name, double value) {
    state.counters[name] = value;
    g_figures[name].push_back(value);
}

void BM_DriveGaps(benchmark::State& state) {
    for (auto _ : state) {
        long oldFrames = 0, newFrames = 0;
        const GapFigures old = Drive(false, oldFrames);
        const GapFigures now = Drive(true, newFrames);
        for (const auto& [prefix, f, frames] :
             {std::tuple{"window_", old, oldFrames}, std::tuple{"thread_", now, newFrames}}) {
            Report(state, std::string(prefix) + "median_ms", f.median);
            Report(state, std::string(prefix) + "p99_ms", f.p99);
            Report(state, std::string(prefix) + "p999_ms", f.p999);
            Report(state, std::string(prefix) + "largest_ms", f.largest);
            Report(state, std::string(prefix) + "frames_per_s",
                   static_cast<double>(frames) / kDriveSeconds);
        }
        Report(state, "ratio_p999_window_vs_thread", old.p999 / now.p999);
        Report(state, "ratio_largest_window_vs_thread", old.largest / now.largest);
        Report(state, "thread_p999_vs_goal", now.p999 / kGoalP999Ms);
        Report(state, "thread_largest_vs_goal", now.largest / kGoalLargestMs);
    }
}
BENCHMARK(BM_DriveGaps)->Iterations(1)->Repetitions(3)->Unit(benchmark::kSecond)->UseRealTime();

void PrintSummary() {
    const auto m = [](const std::string& name) { return Median(g_figures[name]); };
    std::printf("\nGaps between control rounds, ms (median of %zu repetitions, %g s drives):\n",
                g_figures["thread_median_ms"].size(), kDriveSeconds);
    std::printf("%-22s %9s %9s %9s %9s %9s\n", "loop", "median", "p99", "p99.9", "largest",
                "frames/s");
    for (const char* loop : {"window", "thread"})
        std::printf("%-22s %9.3f %9.3f %9.3f %9.3f %9.1f\n",
                    loop[0] == 'w' ? "window-thread loop" : "control thread",
                    m(std::string(loop) + "_median_ms"), m(std::string(loop) + "_p99_ms"),
                    m(std::string(loop) + "_p999_ms"), m(std::string(loop) + "_largest_ms"),
                    m(std::string(loop) + "_frames_per_s"));
    std::printf("window / thread: p99.9 %.1fx, largest %.1fx\n",
                m("window_p999_ms") / m("thread_p999_ms"),
                m("window_largest_ms") / m("thread_largest_ms"));
    std::printf(
        "control thread against its goals: p99.9 %.2f of %.1f ms, largest %.2f of %.0f ms\n",
        m("thread_p999_ms") / kGoalP999Ms, kGoalP999Ms, m("thread_largest_ms") / kGoalLargestMs,
        kGoalLargestMs);
}

}  // namespace

int main(int argc, char** argv) {
    // The plot is a chart widget: without a display it renders on Qt's offscreen platform.
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintSummary();
    return 0;
}
