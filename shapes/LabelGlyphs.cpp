#include "shapes/LabelGlyphs.h"

#include <GL/gl.h>

#include <array>
#include <cstdint>

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

// One byte per row (the glyph is at most 8 wide), bottom row first as glBitmap reads it.
std::array<GLubyte, kGlyphHeight> Pixels(const Glyph& glyph) {
    std::array<GLubyte, kGlyphHeight> bits{};
    for (int row = 0; row < kGlyphHeight; ++row) {
        const char* text = glyph.rows[static_cast<std::size_t>(kGlyphHeight - 1 - row)];
        GLubyte byte = 0;
        for (int col = 0; col < kGlyphWidth; ++col)
            if (text[col] == '#') byte = static_cast<GLubyte>(byte | (0x80 >> col));
        bits[static_cast<std::size_t>(row)] = byte;
    }
    return bits;
}

}  // namespace

int CreateLabelGlyphs() {
    // The bitmaps are unpacked when each list is compiled, so the unpack state must be the
    // default one with byte alignment at that moment; the caller's state is restored afterwards.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    int created = 0;
    for (const Glyph& glyph : kFont) {
        const auto name = static_cast<GLuint>(static_cast<unsigned char>(glyph.code));
        if (glIsList(name)) continue;  // never overwrite a list someone else owns
        const auto bits = Pixels(glyph);
        glNewList(name, GL_COMPILE);
        glBitmap(kGlyphWidth, kGlyphHeight, 0, 0, kAdvance, 0, bits.data());
        glEndList();
        ++created;
    }
    glPopClientAttrib();
    return created;
}

}  // namespace primora
