#include "model/TextCompare.h"

#include <cstdint>

namespace torvane {
namespace {

// Lower case of the letters the code page of robot files can hold; everything else as is.
char32_t FoldCodePoint(char32_t cp) {
    if (cp >= U'A' && cp <= U'Z') return cp + 0x20;
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 0x20;  // Latin-1 capitals
    if (cp == 0x178) return 0xFF;                                  // Y with diaeresis
    // Latin Extended-A alternates capital/small, on even code points up to U+0137 and from
    // U+014A, on odd ones in between (U+0139..U+0148) and again from U+0179.
    if ((cp >= 0x100 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177))
        return (cp % 2 == 0) ? cp + 1 : cp;
    if ((cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E))
        return (cp % 2 == 1) ? cp + 1 : cp;
    return cp;
}

// Folded letters stay in the two-byte range of UTF-8.
void AppendTwoByteUtf8(std::string& out, char32_t cp) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
}

}  // namespace

std::string FoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        // Only two-byte sequences hold foldable letters beyond ASCII; every other byte,
        // including malformed input, is copied unchanged.
        if ((b0 & 0xE0) == 0xC0 && i + 1 < text.size() &&
            (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
            const char32_t cp = (static_cast<char32_t>(b0 & 0x1F) << 6) |
                                (static_cast<unsigned char>(text[i + 1]) & 0x3F);
            if (cp < 0x80)
                out.append(text.substr(i, 2));  // overlong form: kept as it is
            else
                AppendTwoByteUtf8(out, FoldCodePoint(cp));
            i += 2;
            continue;
        }
        out.push_back((b0 >= 'A' && b0 <= 'Z') ? static_cast<char>(b0 + 0x20) : text[i]);
        ++i;
    }
    return out;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    return FoldCase(a) == FoldCase(b);
}

}  // namespace torvane
