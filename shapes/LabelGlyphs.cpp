#include "shapes/LabelGlyphs.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace primora {

const char* const kLabelCharacters = " +-.0123456789E";

namespace {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kAdvance = kGlyphWidth + 1;  // one blank column between characters

struct Glyph {
    char code;
    std::array<const char*, kGlyphHeight> rows;  // top row first; '#' is a set pixel
};

// A 5 by 7 dot-matrix face: enough for every character a number label can contain.
constexpr std::array<Glyph, 15> kFont = {{
    {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
    {'+', {".....", "..#..", "..#..", "#####", "..#..", "..#..", "....."}},
    {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
}};

// The glyph with every dot a scale by scale square, bottom row first as glBitmap reads it; each
// row is padded to whole bytes (the lists are compiled with byte alignment).
std::vector<GLubyte> Pixels(const Glyph& glyph, int scale) {
    const int width = kGlyphWidth * scale;
    const int rowBytes = (width + 7) / 8;
    std::vector<GLubyte> bits(static_cast<std::size_t>(rowBytes * kGlyphHeight * scale), 0);
    for (int y = 0; y < kGlyphHeight * scale; ++y) {
        const char* text = glyph.rows[static_cast<std::size_t>(kGlyphHeight - 1 - y / scale)];
        for (int x = 0; x < width; ++x)
            if (text[x / scale] == '#')
                bits[static_cast<std::size_t>(y * rowBytes + x / 8)] |=
                    static_cast<GLubyte>(0x80 >> (x % 8));
    }
    return bits;
}

// Compiles the glyph lists at the given dot size; with replace false a name already in use is
// left alone. Returns the number of lists compiled.
int CompileGlyphs(int scale, bool replace) {
    // The bitmaps are unpacked when each list is compiled, so the unpack state must be the
    // default one with byte alignment at that moment; the caller's state is restored afterwards.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    int compiled = 0;
    for (const Glyph& glyph : kFont) {
        const auto name = static_cast<GLuint>(static_cast<unsigned char>(glyph.code));
        if (!replace && glIsList(name)) continue;  // never overwrite a list someone else owns
        const auto bits = Pixels(glyph, scale);
        glNewList(name, GL_COMPILE);
        glBitmap(kGlyphWidth * scale, kGlyphHeight * scale, 0, 0,
                 static_cast<GLfloat>(kAdvance * scale), 0, bits.data());
        glEndList();
        ++compiled;
    }
    glPopClientAttrib();
    return compiled;
}

}  // namespace

int CreateLabelGlyphs() {
    return CompileGlyphs(1, false);
}

int ScaleLabelGlyphs(int dotSize) {
    return CompileGlyphs(std::clamp(dotSize, 1, kMaxLabelDotSize), true);
}

}  // namespace primora
