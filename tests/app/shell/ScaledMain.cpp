// The window tests of a desktop scaled to 1.5: the scale must be set before the QApplication.
#include <QByteArray>

#include "tests/app/AppTestSupport.h"

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "1.5");
    return mechanon::testing::RunWindowTests(argc, argv);
}
