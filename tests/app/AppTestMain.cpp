// The entry point of every window test: the QApplication must exist before any widget. Listing
// the tests (as the build does to register them) needs no display, so it makes none.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mechanon");
    return RUN_ALL_TESTS();
}
