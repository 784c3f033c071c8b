#pragma once
// Mouse navigation of the 3D view as changes of a room's camera (eye and look-at point, model
// units, Z up). Orbit turns the eye around the look-at point, pan moves both points across
// the view, zoom moves the eye along the line of sight.

#include "model/Records.h"

namespace mechanon {

// Degrees the eye turns per pixel of drag.
inline constexpr double kOrbitDegreesPerPixel = 0.5;
// The eye never reaches straight above or below the look-at point, where the Z-up view is
// undefined.
inline constexpr double kMaxElevationDegrees = 89.0;
// Eye distance limits: inside the near plane and well inside the far plane of the view.
inline constexpr double kMinDistance = 1.0;
inline constexpr double kMaxDistance = 150.0;

// dx > 0 (drag right) turns the scene to the right; dy > 0 (drag down) lifts the eye.
torvane::typCamera Orbit(const torvane::typCamera& camera, int dx, int dy);
// Moves the scene with the mouse: one pixel is one pixel's worth of model units at the
// look-at distance for a view viewHeight pixels high with a 45 degree vertical field.
torvane::typCamera Pan(const torvane::typCamera& camera, int dx, int dy, int viewHeight);
// wheelDelta in eighths of a degree (120 per notch); positive moves the eye closer.
torvane::typCamera Zoom(const torvane::typCamera& camera, int wheelDelta);

}  // namespace mechanon
