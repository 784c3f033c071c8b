#pragma once
// Display lists the catalogue shares between all the occurrences it draws, created once per
// context: the label glyphs and the axis marker's ball at a few levels of detail. An occurrence
// compiled into the world list then holds a call of a shared list instead of its own copy of the
// geometry, which keeps a rebuild of a big robot's list short and its memory small.

#include <array>
#include <vector>

#include "shapes/PrimoraApi.h"
#include "shapes/ShapeGeometry.h"

namespace primora {

// The ball's tessellation at each level of detail, finest first: slices around Z, stacks from
// pole to pole. A ball far away covers a few pixels, where the finest ball's triangles are
// smaller than a pixel and only cost time. Below the finest, a stack spans the angle a slice
// does (stacks cover half a turn, slices a whole one), so neither direction has triangles finer
// than the outline needs: a big robot's hundreds of thousands of marker triangles are most of
// its picture's time. The coarsest keeps four stacks, which a ball of a few pixels needs to be
// shaded as the finest is.
struct BallDetail {
    int slices;
    int stacks;
};
inline constexpr std::array<BallDetail, 6> kAxisBallDetails = {
    {{kAxisBallSlices, kAxisBallStacks}, {14, 7}, {12, 6}, {10, 5}, {8, 4}, {6, 4}}};
inline constexpr int kAxisBallLevels = static_cast<int>(kAxisBallDetails.size());

// The finest ball's list name: a character code no label uses, so it sits beside the glyph
// lists; the coarser levels take the codes after it, which no label uses either.
inline constexpr unsigned kAxisBallList = 1;
inline constexpr unsigned AxisBallList(int level) {
    return kAxisBallList + static_cast<unsigned>(level);
}

// How far a drawn outline may stray from the true sphere's, in pixels: below this no edge pixel
// a user could point to moves.
inline constexpr double kBallOutlineTolerancePixels = 0.5;

// The coarsest level whose outline stays within the tolerance for a ball radiusPixels across
// (half its width on screen); 0, the finest, when the size is unknown (zero, negative or not a
// number) or too large for any coarser level.
PRIMORA_API int AxisBallLevel(double radiusPixels);

// The axis marker's ball at the current origin at a level of detail (clamped to the levels
// there are), drawn in place with its back faces culled; the enable and polygon state are
// restored afterwards.
PRIMORA_API void DrawAxisBall(int level = 0);

// Where one axis marker goes: the frame of the marker's origin as a column-major matrix relative
// to the current frame, and its size on screen (pixels per model unit, 0 when unknown).
struct AxisMarkerPlace {
    std::array<double, 16> columns;
    double pixelsPerUnit = 0;
};

// places of any record with the same members (Columns, PixelsPerUnit), such as the robot
// model's, as this library's.
template <typename Places>
std::vector<AxisMarkerPlace> AxisMarkerPlacesOf(const Places& places) {
    std::vector<AxisMarkerPlace> library;
    library.reserve(places.size());
    for (const auto& p : places) library.push_back({p.Columns, p.PixelsPerUnit});
    return library;
}

// Every marker of places, as DrawAxes(1, 1, 1) draws one at its frame: first all the red, green
// and blue lines in one batch, each end placed here by its marker's frame, so no matrix changes
// between them; then every ball in grey, lit, with back faces culled, one change of state for
// all of them and through the shared lists when the context has them. The matrix, enable,
// polygon, depth and current state are restored afterwards.
PRIMORA_API void DrawAxisMarkers(const std::vector<AxisMarkerPlace>& places);
// The two halves of DrawAxisMarkers, for a caller that draws all the lines of several groups of
// markers before all their balls: the same picture as DrawAxisMarkers of all of them.
PRIMORA_API void DrawAxisMarkerLines(const std::vector<AxisMarkerPlace>& places);
PRIMORA_API void DrawAxisMarkerBalls(const std::vector<AxisMarkerPlace>& places);

// The balls of places as flat discs facing eye (a point in the current frame's coordinates), for
// a picture that has to be quick while the view moves: each disc stands in front of its ball's
// centre, as wide on screen as the ball and about as bright, grey from a bright centre to a
// darker rim, unlit. Thousands of them cost about as much as a few balls. The state is restored
// afterwards.
PRIMORA_API void DrawAxisBallSprites(const std::vector<AxisMarkerPlace>& places,
                                     const std::array<double, 3>& eye);

// The lines, the balls or both of markers given as any record AxisMarkerPlacesOf takes: the
// part a caller that splits the two halves asks for.
template <typename Places>
void DrawAxisMarkerParts(const Places& places, bool lines, bool balls) {
    const auto library = AxisMarkerPlacesOf(places);
    if (lines) DrawAxisMarkerLines(library);
    if (balls) DrawAxisMarkerBalls(library);
}

// Creates each level's list in the current context unless its name is already in use; the
// number created. A list holds the ball's triangles only: its caller sets the culling. Like
// the glyphs, call it before any other list name is reserved.
PRIMORA_API int CreateAxisBallLists();

// The glyph lists and the ball's lists; the number of lists created.
PRIMORA_API int CreateShapeLists();

}  // namespace primora
