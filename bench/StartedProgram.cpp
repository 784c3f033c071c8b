#include "bench/StartedProgram.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "app/MDIForm1.h"
#include "app/QtGlSurface.h"
#include "app/clsBots.h"
#include "app/frmBot.h"
#include "bench/MedianTime.h"

namespace mechanon::bench {

namespace {

// Lets the event loop wait for events (timers, the window system) for up to ms milliseconds.
void WaitForEvents(int ms) {
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(ms);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, ms);
}

// True when the windows keep the program's own layout (the view beside the part editor, under
// the parts bar) rather than the view maximised.
bool KeepLayout() {
    const char* layout = std::getenv("BENCH_BIGROBOT_LAYOUT");
    return layout && std::string(layout) == "program";
}

}  // namespace

void Settle() {
    for (int pass = 0; pass < 2; ++pass) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

double ShownAndSettled(const QtGlSurface& surface, int before, Clock::time_point from) {
    QElapsedTimer waited;
    waited.start();
    while (surface.FramesShown() == before && waited.elapsed() < kFrameTimeoutMs) {
        Settle();
        if (surface.FramesShown() == before) WaitForEvents(5);
    }
    if (surface.FramesShown() == before) throw std::runtime_error("the view showed no frame");
    Settle();
    return SecondsSince(from);
}

QuietEnd UntilQuiet(const QtGlSurface& surface, int before, Clock::time_point from, int quietMs) {
    int frames = before;
    QuietEnd end;
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < quietMs) {
        if (surface.FramesShown() != frames) {
            frames = surface.FramesShown();
            end.seconds = SecondsSince(from);
            quiet.restart();
        }
        Settle();
        if (surface.FramesShown() == frames) WaitForEvents(5);
    }
    end.frames = frames - before;
    return end;
}

torvane::ScriptedUserInterface& Ui() {
    static torvane::ScriptedUserInterface ui;
    static torvane::ScopedUserInterface installed(ui);
    return ui;
}

void ReportMessages(const char* when, std::size_t expected) {
    const std::vector<std::string> said = Ui().Messages();
    for (std::size_t i = expected; i < said.size(); ++i)
        std::printf("%s: the program said \"%s\"\n", when, said[i].c_str());
    Ui().Clear();
}

StartedProgram::StartedProgram() {
    Ui();
    program_ = StartProgram();
    ReportMessages("start");
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        Main().setGeometry(screen->availableGeometry());
    Settle();
    Main().StartUpLayout();
    Settle();
    EnlargeView();
}

StartedProgram::~StartedProgram() {
    Ui().Clear();
    Ui().messageAnswers.push_back(torvane::MsgAnswer::No);
    Main().close();
    program_.reset();
    Settle();
    Ui().Clear();
}

QtGlSurface& StartedProgram::Surface() const {
    return Main().BotView().Surface();
}

void StartedProgram::Choose(const char* item) {
    QAction* action = Main().MenuItem(item);
    if (!action) throw std::runtime_error(std::string("no menu item ") + item);
    action->trigger();
    Settle();
}

void StartedProgram::EnlargeView() {
    if (!KeepLayout()) Choose("mnuBotGL");
    const QSize size = Surface().PixelSize();
    if (size == printedSize_) return;
    printedSize_ = size;
    std::printf("the 3D view: %d x %d pixels (main window %d x %d)\n", size.width(), size.height(),
                Main().width(), Main().height());
}

double StartedProgram::Open(const std::filesystem::path& path) {
    // Open asks whether to save the changes the rows made: they are not kept.
    const bool asks = Main().DocumentModified();
    if (asks) Ui().messageAnswers.push_back(torvane::MsgAnswer::No);
    Ui().fileAnswers.push_back(path.string());
    QAction* open = Main().MenuItem("mnuOpen");
    if (!open) throw std::runtime_error("no menu item mnuOpen");
    const int before = Surface().FramesShown();
    const auto t = Clock::now();
    open->trigger();
    while (Surface().FramesShown() == before && SecondsSince(t) < kFrameTimeoutMs / 1e3)
        QCoreApplication::processEvents();
    const double seconds = SecondsSince(t);
    ReportMessages("open", asks ? 1 : 0);
    if (Surface().FramesShown() == before) throw std::runtime_error("no frame after Open");
    return seconds;
}

void StartedProgram::WaitForSnapShots() {
    QElapsedTimer waited;
    waited.start();
    while (Bots().SnapShotsWaiting() > 0 && waited.elapsed() < 60000) Settle();
    Settle();
}

}  // namespace mechanon::bench
