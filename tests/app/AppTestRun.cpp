#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {

int RunWindowTests(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (as the build does to register them) needs no display, so it makes none.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mechanon");
    // Settings the program keeps (recent files) go to a test folder, never the user's own, and
    // to one of this process's own: ctest runs tests of one executable side by side.
    QStandardPaths::setTestModeEnabled(true);
    const QString owner = "mechanon-test-" + QString::number(QApplication::applicationPid());
    QApplication::setOrganizationName(owner);
    const int result = RUN_ALL_TESTS();
    QDir(QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + "/" + owner)
        .removeRecursively();
    return result;
}

}  // namespace mechanon::testing
