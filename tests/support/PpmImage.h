#pragma once
// Reference images for pixel tests, stored as binary PPM (P6, maxval 255), and the comparison
// that tolerates the small differences a rasteriser update may bring.

#include <string>

#include "platform/GlSurface.h"

namespace mechanon::testing {

void WritePpm(const std::string& path, const torvane::GlImage& image);
// Throws std::runtime_error naming the path when the file is missing or not a P6 image.
torvane::GlImage ReadPpm(const std::string& path);

struct ImageDifference {
    bool sameSize = false;
    int differentPixels = 0;  // pixels with some channel apart by more than the tolerance
    int largestChannelDifference = 0;
};
ImageDifference CompareImages(const torvane::GlImage& a, const torvane::GlImage& b,
                              int channelTolerance);

// Number of pixels whose colour is within tolerance of (r, g, b) in every channel.
int CountPixelsNear(const torvane::GlImage& image, int r, int g, int b, int tolerance);

}  // namespace mechanon::testing
