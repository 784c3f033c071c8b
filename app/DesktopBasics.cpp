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
// The status bar counts its reports in this property.
constexpr const char* kReportCountKey = "mechanonReports";

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

void ReportInStatusBar(QWidget& from, const QString& what) {
    // Child windows and dialogs alike lead to the main window through their parents.
    for (QWidget* w = &from; w; w = w->parentWidget()) {
        auto* main = qobject_cast<QMainWindow*>(w);
        if (!main) continue;
        QStatusBar* bar = main->statusBar();
        bar->setProperty(kReportCountKey, bar->property(kReportCountKey).toInt() + 1);
        bar->showMessage(what, kReportMilliseconds);
        return;
    }
}

int StatusReports(const MDIForm1& main) {
    return main.statusBar()->property(kReportCountKey).toInt();
}

void ReportUnreportedCommand(MDIForm1& main, const QString& caption, bool succeeded,
                             int reportsBefore) {
    if (StatusReports(main) != reportsBefore) return;
    QString plain = caption;
    plain.remove('&');
    ReportInStatusBar(main,
                      succeeded ? plain + ": done." : plain + ": not done (see the message).");
}

void AddDesktopBasics(MDIForm1& main) {
    SetShortcuts(main);
    AddFileItems(main);
    main.statusBar()->setObjectName("StatusBar");
    main.statusBar()->showMessage("Ready.");
}

}  // namespace mechanon
