// The entry point of every window test: the QApplication must exist before any widget.
#include "tests/app/AppTestSupport.h"

int main(int argc, char** argv) {
    return mechanon::testing::RunWindowTests(argc, argv);
}
