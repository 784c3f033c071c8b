#pragma once
// The active room as the 3D view shows it, for commands that aim the camera or find what is
// under the mouse: the surfaces of every placed occurrence at the room's current motor values,
// their bounding box, cameras that fit the box in the view, and picking along a pixel's ray.

#include <cstdint>
#include <vector>

#include "export/ShapeMesh.h"
#include "model/FramePlacementVisitor.h"
#include "model/JointPoses.h"
#include "model/clsPartRoom.h"

namespace mechanon {

// One occurrence's surface in world coordinates (model units).
struct PlacedMesh {
    std::int32_t Occurrence = -1;  // index into the occurrences it came from
    std::vector<MeshTriangle> Triangles;
};

struct ViewBox {
    torvane::typ3Point Min, Max;
    bool Empty = true;
};

// The perspective of the view: vertical field in degrees, width over height, clip distances.
struct ViewLens {
    double FieldOfView = 45;
    double Aspect = 1;
    double NearClip = 0.5;
    double FarClip = 200;
};

enum class ViewPreset { Fit, Front, Side, Top };

struct ViewRay {
    torvane::typ3Point Origin, Direction;
};

// The room's occurrences placed at the motor values its mask table holds now, as drawn; given
// poses, the joint poses the walk sets are kept there.
std::vector<torvane::typPlacedOccurrence> PlaceAtCurrentMotors(
    torvane::clsPartRoom& room, torvane::JointPoses* poses = nullptr);
// The surface of every occurrence that has one (grids and unknown shapes have none).
std::vector<PlacedMesh> PlacedMeshes(const std::vector<torvane::typPlacedOccurrence>& placed);
ViewBox BoundingBox(const std::vector<PlacedMesh>& meshes);

// A camera looking at the box's centre from where the whole box fits the lens. Fit keeps the
// current direction of view; Front looks along -Y, Side along +X, Top down -Z (tilted by a
// hair towards +Y so that Z up stays defined). An empty box is an invalid-argument error; a box
// too large for a camera of finite single-precision numbers an overflow error.
torvane::typCamera FitCamera(const torvane::typCamera& current, const ViewBox& box,
                             const ViewLens& lens, ViewPreset preset);

// The ray from the eye through the centre of pixel (x, y), counted from the top left of a
// view width by height pixels.
ViewRay RayThroughPixel(const torvane::typCamera& camera, const ViewLens& lens, double x, double y,
                        int width, int height);
// The occurrence whose surface the ray meets first, or -1 when it meets none.
std::int32_t PickOccurrence(const std::vector<PlacedMesh>& meshes, const ViewRay& ray);
// The 1-based position among the room's own subparts of the one whose tree holds the
// occurrence; 0 for the room's own shape or an index out of range.
std::int32_t TopLevelSubPart(const std::vector<torvane::typPlacedOccurrence>& placed,
                             std::int32_t occurrence);
// The occurrence's own subpart as a path from the room: its position among the room's subparts,
// then among those of the room it uses, down to the occurrence; empty for the room's own shape
// or an index out of range.
std::vector<std::int32_t> SubPartPath(const std::vector<torvane::typPlacedOccurrence>& placed,
                                      std::int32_t occurrence);

}  // namespace mechanon
