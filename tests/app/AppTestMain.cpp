// The entry point of every window test: the QApplication must exist before any widget.
//   --scale=F         runs the tests on a desktop scaled by F (set before the QApplication)
//   --window-manager  runs them on a display of their own with a window manager on it
#include <QByteArray>
#include <iostream>
#include <string_view>

#include "tests/app/AppTestSupport.h"
#include "tests/app/wm/WindowManagerDisplay.h"

namespace {

struct RunOptions {
    QByteArray scale;
    bool windowManager = false;
    bool listing = false;
};

// Takes this main's own options out of argv, so that neither GoogleTest nor Qt sees them.
RunOptions TakeRunOptions(int& argc, char** argv) {
    RunOptions options;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with("--scale="))
            options.scale = QByteArray(arg.substr(8).data(), static_cast<int>(arg.size() - 8));
        else if (arg == "--window-manager")
            options.windowManager = true;
        else {
            if (arg == "--gtest_list_tests") options.listing = true;
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    const RunOptions options = TakeRunOptions(argc, argv);
    if (!options.scale.isEmpty()) qputenv("QT_SCALE_FACTOR", options.scale);
    // Listing the tests (as the build does to register them) needs no display, so it makes none.
    if (!options.windowManager || options.listing)
        return mechanon::testing::RunWindowTests(argc, argv);
    const mechanon::testing::WindowManagerDisplay display(1600, 1200);
    if (!display.Ready()) {
        std::cerr << "no display with a window manager: " << display.Error().toStdString() << "\n";
        return 1;
    }
    qputenv("DISPLAY", display.Name().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    return mechanon::testing::RunWindowTests(argc, argv);
}
