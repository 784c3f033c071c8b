#pragma once
// The toolbar's pictures, drawn in code so the program ships no image files.

#include <QIcon>
#include <QString>

namespace mechanon {

// The icon of a toolbar key ("New", "Open", ...), or the program's own for "Program"; a plain
// square for an unknown key.
QIcon ToolbarIcon(const QString& key);

}  // namespace mechanon
