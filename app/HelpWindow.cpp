#include "app/HelpWindow.h"

#include <QScreen>
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
    resize(FittingSize());
}

QSize HelpWindow::FittingSize() const {
    // A page's width of text, as tall as the screen allows with the title bar and the panel.
    QSize size(820, 900);
    if (const QScreen* shown = screen())
        size = size.boundedTo(shown->availableGeometry().size() * kScreenShare);
    return size;
}

void HelpWindow::ShowPage(const QString& file) {
    Browser->setSource(QUrl::fromLocalFile(file));
    show();
    raise();
    activateWindow();
}

}  // namespace mechanon
