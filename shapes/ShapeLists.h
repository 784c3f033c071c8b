#pragma once
// Display lists the catalogue shares between all the occurrences it draws, created once per
// context: the label glyphs and the axis marker's ball. An occurrence compiled into the world
// list then holds a call of the shared list instead of its own copy of the geometry, which keeps
// a rebuild of a big robot's list short and its memory small.

#include "shapes/PrimoraApi.h"

namespace primora {

// The ball's list name: a character code no label uses, so it sits beside the glyph lists.
inline constexpr unsigned kAxisBallList = 1;

// The axis marker's ball at the current origin, drawn in place with its back faces culled; the
// enable and polygon state are restored afterwards.
PRIMORA_API void DrawAxisBall();

// Creates the ball's list in the current context unless that name is already in use; true when
// it was created. Like the glyphs, call it before any other list name is reserved.
PRIMORA_API bool CreateAxisBallList();

// The glyph lists and the ball's list; the number of lists created.
PRIMORA_API int CreateShapeLists();

}  // namespace primora
