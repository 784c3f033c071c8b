#pragma once
// Program start: the screen check, the glue object, the main window and the start-up steps.

#include <memory>
#include <string>

class QSocketNotifier;

namespace torvane {
class frmMSComms;
}

namespace mechanon {

class clsBots;
class MDIForm1;

// The narrowest screen the program runs on, pixels.
inline constexpr int kMinScreenWidth = 800;

// True when a screen this many pixels wide is wide enough. Only the width counts.
bool ScreenWideEnough(int screenWidthPixels);
// The message shown on a screen that is too narrow.
std::string NarrowScreenMessage();

// Everything the program holds for its run. The main window goes before the glue object,
// and the GL object before the window that holds its drawable.
struct Program {
    // The program's one serial-port host: the tool-path object drives its ports, the test motor
    // window opens its port by its backend and Simulate Motors switches that. Goes last.
    std::shared_ptr<torvane::frmMSComms> Ports;
    std::unique_ptr<clsBots> Bots;
    std::unique_ptr<MDIForm1> Main;
    // SIGINT and SIGTERM: the handler has switched every line off and the running cut ends
    // within one round; this then closes the main window as its close box does (asking to save
    // a changed robot; a second signal before that ends the program at once).
    std::unique_ptr<QSocketNotifier> Termination;
    // Seconds from the start of StartProgram until the first frame was on screen.
    double SecondsToFirstFrame = 0;

    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
};

// Creates the glue object and the main window, shows it and runs the start-up steps: the GL
// context on the 3D view, the shapes and tool-path objects, the first part room "Part 1",
// the motor mask tables, the window layout and the SIGINT and SIGTERM handlers. Loaded is true
// afterwards. Needs a
// QApplication and an installed user interface.
std::unique_ptr<Program> StartProgram();

// The program's entry point after the QApplication exists: the screen check, StartProgram, the
// robot file given on the command line (if any) opened as File > Open opens it, and the event
// loop. Returns the exit code.
int Main(const std::string& file = {});
// Opens file in the started program as File > Open does once the path is chosen; a file that
// cannot be read is reported in a message box and the new robot stays.
void OpenStartFile(Program& program, const std::string& file);

}  // namespace mechanon
