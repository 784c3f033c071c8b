// The window tests that need a window manager start a display of their own with one on it
// before the QApplication connects, and end it afterwards.
#include <cstring>
#include <iostream>

#include "tests/app/AppTestSupport.h"
#include "tests/app/wm/WindowManagerDisplay.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0)
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
