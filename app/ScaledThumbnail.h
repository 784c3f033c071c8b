#pragma once
// A parts-bar thumbnail from a picture the context read back: the view's frame, halved in the
// context down to no less than kFrameHalvedTo times the thumbnail's size, or a background
// drawing kBackgroundFiner times that size. The last step is Qt's smooth, area-averaging scale,
// so edges and thin lines come out smooth either way.

#include <QImage>
#include <QSize>

#include "platform/GlSurface.h"

namespace mechanon {

constexpr int kFrameHalvedTo = 2;
constexpr int kBackgroundFiner = 3;

inline QImage ScaledThumbnail(const torvane::GlImage& picture, const QSize& size) {
    const QImage read(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                      QImage::Format_RGB888);
    return read.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace mechanon
