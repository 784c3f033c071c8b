// StringToBytes: label text to the single-byte code page (Windows-1252) the glyph lists are
// named in. The library cannot reach the program's codec, so it carries the one table it needs.

#include <array>
#include <cstdint>

#include "shapes/clsShapes.h"

namespace primora {
namespace {

// Code points of bytes 0x80..0x9F; the five bytes the code page leaves undefined stand for the
// C1 controls of the same value, as the program's own codec reads them.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

[[noreturn]] void RaiseOverflow() {
    throw ShapeError(ShapeErrorCode::Overflow, "Overflow: character outside the code page");
}

std::uint8_t CodePointToByte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<std::uint8_t>(cp);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == cp) return static_cast<std::uint8_t>(0x80 + i);
    RaiseOverflow();
}

// Decodes the UTF-8 sequence starting at text[i] and advances i past it. A malformed sequence
// has no code-page value either.
char32_t NextCodePoint(const std::string& text, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(text[i++]);
    if (b0 < 0x80) return b0;
    int more;
    char32_t cp;
    if ((b0 & 0xE0) == 0xC0) {
        more = 1;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        more = 2;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        more = 3;
        cp = b0 & 0x07;
    } else {
        RaiseOverflow();
    }
    for (int k = 0; k < more; ++k) {
        if (i >= text.size()) RaiseOverflow();
        const auto b = static_cast<unsigned char>(text[i++]);
        if ((b & 0xC0) != 0x80) RaiseOverflow();
        cp = (cp << 6) | (b & 0x3F);
    }
    return cp;
}

}  // namespace

ByteArray clsShapes::StringToBytes(const std::string& InString) {
    // An array from 1 to 0 cannot be made: empty text fails as that subscript error.
    if (InString.empty())
        throw ShapeError(ShapeErrorCode::SubscriptOutOfRange, "Subscript out of range");
    std::vector<std::uint8_t> bytes;
    bytes.reserve(InString.size());
    for (std::size_t i = 0; i < InString.size();)
        bytes.push_back(CodePointToByte(NextCodePoint(InString, i)));
    return ByteArray(1, std::move(bytes));
}

}  // namespace primora
