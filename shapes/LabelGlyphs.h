#pragma once
// Glyph display lists for the grid labels, drawn from a small built-in bitmap font. Each list is
// named by its character's code (list base 0), so PrintLabelToGL can call them by byte value.

#include "shapes/PrimoraApi.h"

namespace primora {

// The characters that number labels use: digits, blank, "-", "+", "." and "E".
PRIMORA_API extern const char* const kLabelCharacters;

// Creates the glyph lists in the current context. Call it once when the context is set up and
// before any other display-list name is reserved, so later reservations never take these names.
// A character whose list name is already in use is left alone. Returns the number created.
PRIMORA_API int CreateLabelGlyphs();

// The largest dot size ScaleLabelGlyphs draws.
inline constexpr int kMaxLabelDotSize = 8;

// Compiles the glyph lists again with every dot of the font drawn as dotSize by dotSize pixels
// (1 to kMaxLabelDotSize), so labels keep a readable size on dense screens. It replaces the
// lists of the label characters, which CreateLabelGlyphs made when the context was set up; the
// world list calls them by name, so the next frame shows the new size. Returns the number of
// lists compiled.
PRIMORA_API int ScaleLabelGlyphs(int dotSize);

}  // namespace primora
