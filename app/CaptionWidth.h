#pragma once
// Room for a top-level window's caption: the window manager draws it in bold beside the
// window's icon and its three buttons, so a small dialog as wide as its one button would show
// its caption cut.

#include <QFont>
#include <QFontMetrics>
#include <QWidget>
#include <algorithm>

namespace mechanon {

// The icon and three buttons of a title bar, pixels at 96 dots per inch.
inline constexpr int kCaptionDecorationPixels = 120;

// The width at which window's caption shows whole.
inline int CaptionWidth(const QWidget& window) {
    QFont bold = window.font();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(window.windowTitle()) +
           kCaptionDecorationPixels * window.logicalDpiX() / 96;
}

// Keeps window at least as wide as its caption needs; call after setting the caption.
inline void KeepCaptionWhole(QWidget& window) {
    window.setMinimumWidth(std::max(window.minimumWidth(), CaptionWidth(window)));
}

}  // namespace mechanon
