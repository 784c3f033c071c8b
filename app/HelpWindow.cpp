#include "app/HelpWindow.h"

#include <QUrl>
#include <QVBoxLayout>

namespace mechanon {

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("HelpWindow");
    setWindowTitle("Mechanon Help");
    auto* layout = new QVBoxLayout(this);
    Browser = new QTextBrowser(this);
    Browser->setObjectName("Browser");
    // Addresses outside the page (the home page) go to the desktop, if it can open them.
    Browser->setOpenExternalLinks(true);
    layout->addWidget(Browser);
    resize(820, 900);
}

void HelpWindow::ShowPage(const QString& file) {
    Browser->setSource(QUrl::fromLocalFile(file));
    show();
    raise();
    activateWindow();
}

}  // namespace mechanon
