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

}  // namespace primora
