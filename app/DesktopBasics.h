#pragma once
// What a desktop program offers beside its own commands: the standard shortcuts of the file
// and help commands, File > Recent Files (the last robots opened or saved, kept between runs),
// File > Exit, and a status bar saying what the last document command did.

#include <QString>
#include <QStringList>

namespace mechanon {

class MDIForm1;

// The most robots Recent Files lists.
inline constexpr int kMostRecentFiles = 8;

// The recent robot files, newest first, as kept in the settings.
QStringList RecentFiles();
// path first in the list (once), the list cut to kMostRecentFiles, and kept.
void RememberRecentFile(const QString& path);

// Shows what a command did in the main window's status bar.
void ReportInStatusBar(MDIForm1& main, const QString& what);

// Adds the shortcuts, the recent files menu, Exit and the status bar to the main window, whose
// menus already exist.
void AddDesktopBasics(MDIForm1& main);

}  // namespace mechanon
