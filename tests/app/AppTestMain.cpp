// The entry point of every window test: the QApplication must exist before any widget. Listing
// the tests (as the build does to register them) needs no display, so it makes none.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <memory>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mechanon");
    // Settings the program keeps (recent files) go to a test folder, never the user's own.
    QStandardPaths::setTestModeEnabled(true);
    return RUN_ALL_TESTS();
}
