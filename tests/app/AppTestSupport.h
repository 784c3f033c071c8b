#pragma once
// Shared fixture for the window tests: the program started as the user sees it (main window,
// child windows, GL context on the 3D view, the first part room), with every dialog answered
// by a scripted user interface, and helpers to read what the 3D view shows.
//
// Link mechanon_app_test_support (mechanon_add_gui_test does): it brings a main() that creates
// the QApplication before any test runs. Run under a display (tools/with-display.sh).

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/modBotMain.h"
#include "platform/ScriptedUserInterface.h"

namespace torvane {
class clsRooms;
class clsPartRoom;
}  // namespace torvane

namespace mechanon {
class QtGlSurface;
class MDIForm1;
class clsBots;
}  // namespace mechanon

namespace mechanon::testing {

// Creates the QApplication and runs every test linked in; the main() of the window tests.
int RunWindowTests(int argc, char** argv);

// Lets the event loop run for about ms milliseconds (posted events, deferred deletes, expose).
void ProcessEventsFor(int ms);

// Makes window the active one, as a click on it would; false when it could not be. The tests of
// a run share one display, where another test's window may take the input focus at that very
// moment: when the display does not confirm the activation soon, the window is made the active
// one within the program, which is what keys and focus follow.
bool MakeActive(QWidget& window);

// The 3D view's frame as it is drawn now: the world list is replayed and the back buffer read
// before the swap. Caption lines are drawn at the swap, so they are not in this image.
QImage GrabView(clsBots& bots);
// The share of pixels (0 to 1) that differ between two images of the same size by more than
// tolerance in any channel; 1 when the sizes differ.
double DifferentShare(const QImage& a, const QImage& b, int tolerance = 8);
// True when every pixel of image has the same colour (a blank view).
bool IsUniform(const QImage& image);
// The view's pixels as they are on the screen now, caption lines included (device pixels).
QImage ScreenOfView(QtGlSurface& surface);
// The longest run of vertically adjacent pixels for which wanted holds, over every column.
int TallestRun(const QImage& image, const std::function<bool(QRgb)>& wanted);
// A pixel in the grid labels' colour: a dark blue, unlike the grey rods and the white ground.
bool IsLabelColour(QRgb pixel);

// A temporary folder removed with the fixture; Path("a.bot") is a file inside it.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string Path(const std::string& name) const;

  private:
    std::string root_;
};

// A copy of a shipped example ("gripper.bot", "gripper.txt"), made for the running test: the same
// name gives the same copy within one test, so a test that saves, or a failing test whose robot
// is saved as the program closes, never writes into examples/.
std::string ExamplePath(const std::string& name);
// A file of the source tree as shipped ("app/mechanon.htm"), to read, never to write.
std::string SourcePath(const std::string& relative);

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    torvane::ScriptedUserInterface& Ui() { return ui_; }
    MDIForm1& Main() const;
    clsBots& Bots() const;
    torvane::clsRooms& Rooms() const;
    Program& TheProgram() const { return *program_; }
    std::shared_ptr<torvane::clsPartRoom> ActiveRoom() const;

    // Runs a menu item as the user would choose it ("mnuNew"); fails the test when the main
    // window has no such item.
    void Choose(const QString& menuName);
    // Clicks a toolbar button by its key ("ShowAxisOnGraph").
    void ClickToolbar(const QString& key);
    // Opens a robot file through the Open command, answering its questions (the one about
    // unsaved changes is asked only when there are some).
    void OpenFile(const std::string& path);
    // Lets the event loop run until every background snapshot is made (at most 20 s), as a
    // user who waits for the parts bar to fill in.
    void WaitForSnapShots();
    // Gives the robot a change its file does not have: a room "Changed" made through
    // Design > Create Part Room. The messages are cleared afterwards.
    void MakeAChange();

    TempFolder temp;
    // Every address the program asked the desktop to open (Help, Home page); nothing is
    // really opened. Set openUrlResult to false to act as a desktop that cannot open it.
    std::vector<QUrl> openedUrls;
    bool openUrlResult = true;

  private:
    torvane::ScriptedUserInterface ui_;
    std::unique_ptr<torvane::ScopedUserInterface> installed_;
    std::unique_ptr<Program> program_;
};

}  // namespace mechanon::testing
