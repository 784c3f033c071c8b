#include "app/modBotMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QSocketNotifier>

#include "app/MDIForm1.h"
#include "app/ProgramName.h"
#include "app/QtGlSurface.h"
#include "app/QtUserInterface.h"
#include "app/ShapesAdapter.h"
#include "app/ToolbarIcons.h"
#include "app/clsBots.h"
#include "app/frmBot.h"
#include "app/motion/DriveSettings.h"
#include "model/clsRooms.h"
#include "motorio/Termination.h"
#include "motorio/frmMSComms.h"
#include "platform/UserInterface.h"
#include "render/clsOpenGL.h"
#include "shapes/LabelGlyphs.h"
#include "shapes/MeshShape.h"
#include "shapes/ShapeLists.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {
namespace {

// The first frame can be drawn only once the window system has shown the view.
constexpr int kExposeWaitMilliseconds = 10000;

void WaitForExpose(QtGlSurface& surface) {
    QElapsedTimer waited;
    waited.start();
    while (!surface.isExposed() && waited.elapsed() < kExposeWaitMilliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

bool ScreenWideEnough(int screenWidthPixels) {
    return screenWidthPixels >= kMinScreenWidth;
}

std::string NarrowScreenMessage() {
    return std::string("You can't run ") + kProgramName +
           " if your screen resolution is less than 600x800.  You can reset your screen's "
           "resolution in your Windows Control Panel, Display Icon, Settings.";
}

Program::Program() = default;

Program::~Program() {
    Termination.reset();
    if (Bots) Bots->ReleaseGL();
    Main.reset();
    Bots.reset();
}

namespace {

void WatchTermination(Program& program) {
    const int wake = torvane::InstallTerminationHandlers();
    if (wake < 0) return;
    program.Termination = std::make_unique<QSocketNotifier>(wake, QSocketNotifier::Read);
    MDIForm1* main = program.Main.get();
    clsBots* bots = program.Bots.get();
    QObject::connect(program.Termination.get(), &QSocketNotifier::activated, main, [main, bots] {
        // Whatever runs in a nested event loop keeps its stop; then the close box's own way out.
        // Should the user keep the program open after all, a later signal starts afresh.
        if (bots->HasToolPathControl()) bots->ToolPathControl().RequestStop();
        torvane::ClearTerminationRequest();
        main->close();
    });
}

}  // namespace

std::unique_ptr<Program> StartProgram() {
    QElapsedTimer clock;
    clock.start();
    QApplication::setWindowIcon(ToolbarIcon("Program"));
    auto program = std::make_unique<Program>();
    program->Ports = std::make_shared<torvane::frmMSComms>();
    program->Bots = std::make_unique<clsBots>();
    clsBots& bots = *program->Bots;
    program->Main = std::make_unique<MDIForm1>(bots, program->Ports);
    MDIForm1& main = *program->Main;
    main.show();
    QtGlSurface& surface = main.BotView().Surface();
    WaitForExpose(surface);

    // 1. The GL context on the 3D view, with the grid labels' glyphs and the marker's ball.
    // The labels' dots are sized for the view's screen.
    bots.GL().SetContextSetup([&surface] {
        primora::CreateShapeLists();
        primora::StartMeshLists();
        primora::ScaleLabelGlyphs(surface.LabelDotSize());
    });
    bots.GL().SetListCompiled([] { primora::CompilePendingMeshLists(); });
    bots.GL().Initialize(surface);
    // 2. The shapes object.
    bots.PartRooms().Shapes = NewShapes();
    // 3. The tool-path object on the port host, evaluating through its script engine.
    bots.SetToolPathControl(
        std::make_shared<torvane::clsToolPath>(program->Ports->ScriptEngine(), program->Ports));
    ApplyDriveSettings(bots.ToolPathControl());
    // 4. The first part room.
    std::string name = "Part 1";
    bots.PartRooms().CreatePartRoom(name, true);
    // 5. The motor mask tables.
    bots.PartRooms().MapMotorMasks();
    // 6. The window layout and the first picture.
    const QSize pixels = surface.PixelSize();
    main.BotView().OnResize(pixels.width(), pixels.height());
    main.StartUpLayout();
    main.setWindowTitle(CaptionForPath({}));
    main.Loaded = true;
    // 7. The end on SIGINT or SIGTERM.
    WatchTermination(*program);
    QCoreApplication::processEvents();
    program->SecondsToFirstFrame = clock.nsecsElapsed() / 1e9;
    return program;
}

void OpenStartFile(Program& program, const std::string& file) {
    if (!file.empty()) program.Main->OpenRobotFile(file);
}

int Main(const std::string& file) {
    // The recent files are kept under the program's own name.
    if (QCoreApplication::organizationName().isEmpty())
        QCoreApplication::setOrganizationName(kProgramName);
    QtUserInterface ui;
    torvane::ScopedUserInterface installed(ui);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !ScreenWideEnough(screen->size().width())) {
        torvane::Host().MsgBox(NarrowScreenMessage(), torvane::MsgButtons::OK);
        return 1;
    }
    std::unique_ptr<Program> program = StartProgram();
    ui.SetParent(program->Main.get());
    OpenStartFile(*program, file);
    QApplication::setQuitOnLastWindowClosed(true);
    return QApplication::exec();
}

}  // namespace mechanon
