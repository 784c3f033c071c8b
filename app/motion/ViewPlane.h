#pragma once
// Where a point of the room lies in the 3D view and back: the projection the view draws with
// (the camera's look-at with Z up, the lens's perspective), for the handle at a chain's tip that
// the mouse drags across the view.

#include <optional>

#include "export/ViewScene.h"
#include "model/Records.h"

namespace mechanon {

// Where point is drawn in a view width by height pixels: X and Y the pixel (right and down from
// the top left, as RayThroughPixel counts), Z its depth along the line of sight in model units;
// none for a point at or behind the eye.
std::optional<torvane::typ3Point> PixelOfPoint(const torvane::typCamera& camera,
                                               const ViewLens& lens,
                                               const torvane::typ3Point& point, int width,
                                               int height);

// The point under pixel (x, y) on the plane through `through` that faces the eye (the view's
// plane at that depth); none when the pixel's ray runs along the plane or away from it.
std::optional<torvane::typ3Point> PointOnViewPlane(const torvane::typCamera& camera,
                                                   const ViewLens& lens,
                                                   const torvane::typ3Point& through, double x,
                                                   double y, int width, int height);

}  // namespace mechanon
