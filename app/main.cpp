#include <QApplication>

#include "app/modBotMain.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mechanon");
    return mechanon::Main();
}
