#include "app/DesktopBasics.h"

#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>

#include "app/MDIForm1.h"

namespace mechanon {
namespace {

constexpr const char* kRecentKey = "recentFiles";

// How long a command's report stays in the status bar, milliseconds.
constexpr int kReportMilliseconds = 10000;

void SetShortcuts(MDIForm1& main) {
    const struct {
        const char* item;
        QKeySequence keys;
    } shortcuts[] = {
        {"mnuNew", QKeySequence::New},
        {"mnuOpen", QKeySequence::Open},
        {"mnuSave", QKeySequence::Save},
        {"mnuSaveAs", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {"mnuHelp1", QKeySequence(Qt::Key_F1)},
    };
    for (const auto& s : shortcuts)
        if (QAction* action = main.MenuItem(s.item)) action->setShortcut(s.keys);
}

void FillRecentMenu(MDIForm1& main, QMenu& menu) {
    menu.clear();
    const QStringList files = RecentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString& file = files[i];
        QAction* action =
            menu.addAction(QString("&%1 %2").arg(i + 1).arg(QFileInfo(file).fileName()));
        action->setObjectName(QString("mnuRecent%1").arg(i + 1));
        action->setToolTip(file);
        action->setStatusTip(file);
        QObject::connect(action, &QAction::triggered, &main,
                         [&main, file] { main.OpenRecent(file.toStdString()); });
    }
    menu.setEnabled(!files.isEmpty());
}

void AddFileItems(MDIForm1& main) {
    QMenu* file = main.findChild<QMenu*>("mnuFile");
    if (!file) return;
    file->addSeparator();
    auto* recent = file->addMenu("Recent &Files");
    recent->setObjectName("mnuRecentFiles");
    FillRecentMenu(main, *recent);
    QObject::connect(file, &QMenu::aboutToShow, recent,
                     [&main, recent] { FillRecentMenu(main, *recent); });
    file->addSeparator();
    QAction* exit = file->addAction("E&xit");
    exit->setObjectName("mnuExit");
    exit->setShortcut(QKeySequence::Quit);
    // Closing asks about unsaved work as the close box does.
    QObject::connect(exit, &QAction::triggered, &main, [&main] { main.close(); });
}

}  // namespace

QStringList RecentFiles() {
    return QSettings().value(kRecentKey).toStringList();
}

void RememberRecentFile(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kMostRecentFiles) files.removeLast();
    QSettings().setValue(kRecentKey, files);
}

void ReportInStatusBar(MDIForm1& main, const QString& what) {
    main.statusBar()->showMessage(what, kReportMilliseconds);
}

void AddDesktopBasics(MDIForm1& main) {
    SetShortcuts(main);
    AddFileItems(main);
    main.statusBar()->setObjectName("StatusBar");
    main.statusBar()->showMessage("Ready.");
}

}  // namespace mechanon
