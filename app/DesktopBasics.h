#pragma once
// What a desktop program offers beside its own commands: the standard shortcuts of the file
// and help commands, File > Recent Files (the last robots opened or saved, kept between runs),
// File > Exit, and a status bar saying what the last document command did.

#include <QString>
#include <QStringList>

class QWidget;

namespace mechanon {

class MDIForm1;

// The most robots Recent Files lists.
inline constexpr int kMostRecentFiles = 8;

// The recent robot files, newest first, as kept in the settings.
QStringList RecentFiles();
// path first in the list (once), the list cut to kMostRecentFiles, and kept.
void RememberRecentFile(const QString& path);

// Shows what a command did in the status bar of the main window that holds from (the main
// window itself, or any window or dialog inside it). Nothing happens outside a main window.
void ReportInStatusBar(QWidget& from, const QString& what);
// How many reports the main window's status bar has shown; a command that made none is
// reported by RunMenuCommand.
int StatusReports(const MDIForm1& main);
// The report for a menu or toolbar command that said nothing of its own: its caption and
// whether it went through.
void ReportUnreportedCommand(MDIForm1& main, const QString& caption, bool succeeded,
                             int reportsBefore);

// Adds the shortcuts, the recent files menu, Exit and the status bar to the main window, whose
// menus already exist.
void AddDesktopBasics(MDIForm1& main);

}  // namespace mechanon
