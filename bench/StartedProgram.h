#pragma once
// The program as main() starts it, for benchmarks that time it through its windows: the main
// window filling the screen, the 3D view maximised in it (or, with BENCH_BIGROBOT_LAYOUT=program,
// the windows laid out for that size), every dialog answered by a scripted user interface. And
// the waits such a benchmark times: until the view has shown a frame and the events that followed
// are handled, or until the view has stayed without a new frame for a while.
// Needs a QApplication on a display.

#include <QSize>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "app/modBotMain.h"
#include "platform/ScriptedUserInterface.h"

namespace mechanon {
class MDIForm1;
class QtGlSurface;
class clsBots;
}  // namespace mechanon

namespace mechanon::bench {

// The longest any wait for a frame lasts before it counts as failed.
inline constexpr int kFrameTimeoutMs = 20000;

// Handles what is waiting, and what that posted in turn.
void Settle();
// Runs the event loop until surface has shown more than before frames, then settles it; the
// seconds since from. Throws when no frame comes.
double ShownAndSettled(const QtGlSurface& surface, int before,
                       std::chrono::steady_clock::time_point from);
// How the view came to rest: the seconds from the start of the wait to the last frame it showed
// (0 for none) and how many frames it showed meanwhile.
struct QuietEnd {
    double seconds = 0;
    int frames = 0;
};
// Runs the event loop until surface has stayed quietMs without a new frame; frames counted from
// before, seconds from from.
QuietEnd UntilQuiet(const QtGlSurface& surface, int before,
                    std::chrono::steady_clock::time_point from, int quietMs);

// The scripted dialogs of the whole run, installed on first use: no question is left open.
torvane::ScriptedUserInterface& Ui();
// Prints and forgets what the program said but the first expected messages, so a failed step
// shows in the output.
void ReportMessages(const char* when, std::size_t expected = 0);

class StartedProgram {
  public:
    StartedProgram();
    ~StartedProgram();
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    MDIForm1& Main() const { return *program_->Main; }
    clsBots& Bots() const { return *program_->Bots; }
    QtGlSurface& Surface() const;

    // Runs a menu item as the user chooses it ("mnuJointSliders"), then settles.
    void Choose(const char* item);
    // Brings the view back to its full size after another window came to the front; prints the
    // size whenever it changed.
    void EnlargeView();
    // File > Open of path, the dialog answered with it (and the question about unsaved changes
    // with No); the seconds to the robot's first frame. The background snapshots that follow
    // are not waited for.
    double Open(const std::filesystem::path& path);
    // Lets the parts bar's background snapshots finish, as a user who waits for them.
    void WaitForSnapShots();

  private:
    std::unique_ptr<Program> program_;
    QSize printedSize_;
};

}  // namespace mechanon::bench
