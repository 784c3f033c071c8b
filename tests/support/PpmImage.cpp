#include "tests/support/PpmImage.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace mechanon::testing {
namespace {

// Reads the next header number, skipping blanks and comment lines.
int HeaderNumber(std::istream& in, const std::string& path) {
    int c = in.peek();
    while (c == '#' || c == ' ' || c == '\n' || c == '\r' || c == '\t') {
        if (c == '#') {
            std::string comment;
            std::getline(in, comment);
        } else {
            in.get();
        }
        c = in.peek();
    }
    int value = -1;
    if (!(in >> value) || value < 0) throw std::runtime_error(path + ": bad PPM header");
    return value;
}

}  // namespace

void WritePpm(const std::string& path, const torvane::GlImage& image) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << image.width << ' ' << image.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(image.rgb.data()),
              static_cast<std::streamsize>(image.rgb.size()));
    if (!out) throw std::runtime_error(path + ": cannot write");
}

torvane::GlImage ReadPpm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path + ": cannot open");
    std::string magic;
    in >> magic;
    if (magic != "P6") throw std::runtime_error(path + ": not a binary PPM image");
    torvane::GlImage image;
    image.width = HeaderNumber(in, path);
    image.height = HeaderNumber(in, path);
    if (HeaderNumber(in, path) != 255) throw std::runtime_error(path + ": maxval is not 255");
    if (image.width > 16384 || image.height > 16384)
        throw std::runtime_error(path + ": image too large");
    in.get();  // the single blank after the header
    image.rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
    in.read(reinterpret_cast<char*>(image.rgb.data()),
            static_cast<std::streamsize>(image.rgb.size()));
    if (in.gcount() != static_cast<std::streamsize>(image.rgb.size()))
        throw std::runtime_error(path + ": truncated pixel data");
    return image;
}

ImageDifference CompareImages(const torvane::GlImage& a, const torvane::GlImage& b,
                              int channelTolerance) {
    ImageDifference d;
    d.sameSize = a.width == b.width && a.height == b.height && a.rgb.size() == b.rgb.size();
    if (!d.sameSize) return d;
    for (std::size_t i = 0; i < a.rgb.size(); i += 3) {
        int worst = 0;
        for (std::size_t k = 0; k < 3; ++k)
            worst = std::max(worst, std::abs(a.rgb[i + k] - b.rgb[i + k]));
        d.largestChannelDifference = std::max(d.largestChannelDifference, worst);
        if (worst > channelTolerance) ++d.differentPixels;
    }
    return d;
}

int CountPixelsNear(const torvane::GlImage& image, int r, int g, int b, int tolerance) {
    int count = 0;
    for (std::size_t i = 0; i + 2 < image.rgb.size(); i += 3)
        if (std::abs(image.rgb[i] - r) <= tolerance &&
            std::abs(image.rgb[i + 1] - g) <= tolerance &&
            std::abs(image.rgb[i + 2] - b) <= tolerance)
            ++count;
    return count;
}

}  // namespace mechanon::testing
