#pragma once
// Window geometry is specified in twips (1/1440 inch); the widgets work in pixels.

#include <QWidget>
#include <cmath>

namespace mechanon {

inline double TwipsPerPixelX(const QWidget& w) {
    return 1440.0 / w.logicalDpiX();
}
inline double TwipsPerPixelY(const QWidget& w) {
    return 1440.0 / w.logicalDpiY();
}

inline int TwipsToPixelsX(const QWidget& w, double twips) {
    return static_cast<int>(std::lround(twips / TwipsPerPixelX(w)));
}
inline int TwipsToPixelsY(const QWidget& w, double twips) {
    return static_cast<int>(std::lround(twips / TwipsPerPixelY(w)));
}

}  // namespace mechanon
