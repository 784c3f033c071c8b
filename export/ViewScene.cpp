#include "export/ViewScene.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "export/FiniteOutput.h"
#include "export/PosedRoom.h"
#include "model/Error.h"

namespace mechanon {

using torvane::typ3Point;

namespace {

typ3Point Minus(const typ3Point& a, const typ3Point& b) {
    return {a.X - b.X, a.Y - b.Y, a.Z - b.Z};
}
typ3Point Plus(const typ3Point& a, const typ3Point& b) {
    return {a.X + b.X, a.Y + b.Y, a.Z + b.Z};
}
typ3Point Times(const typ3Point& a, double s) {
    return {a.X * s, a.Y * s, a.Z * s};
}
double Dot(const typ3Point& a, const typ3Point& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}
typ3Point Cross(const typ3Point& a, const typ3Point& b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}
double Length(const typ3Point& a) {
    return std::sqrt(Dot(a, a));
}
typ3Point Unit(const typ3Point& a) {
    const double length = Length(a);
    return length > 0 ? Times(a, 1 / length) : a;
}

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}

// The unit vector from the look-at point towards the eye.
typ3Point EyeDirection(const torvane::typCamera& current, ViewPreset preset) {
    switch (preset) {
        case ViewPreset::Front:
            return {0, 1, 0};
        case ViewPreset::Side:
            return {-1, 0, 0};
        case ViewPreset::Top:
            return Unit(typ3Point{0, -1e-4, 1});
        case ViewPreset::Fit:
            break;
    }
    const typ3Point back{current.CameraX - current.LookAtX, current.CameraY - current.LookAtY,
                         current.CameraZ - current.LookAtZ};
    if (Length(back) > 0 && std::isfinite(Length(back))) return Unit(back);
    return Unit(typ3Point{1, -1, 1});
}

// Moller and Trumbore: the distance along the ray to the triangle, or infinity.
double HitDistance(const ViewRay& ray, const MeshTriangle& t) {
    constexpr double kParallel = 1e-12;
    const typ3Point e1 = Minus(t[1], t[0]), e2 = Minus(t[2], t[0]);
    const typ3Point p = Cross(ray.Direction, e2);
    const double det = Dot(e1, p);
    if (std::abs(det) < kParallel) return std::numeric_limits<double>::infinity();
    const typ3Point s = Minus(ray.Origin, t[0]);
    const double u = Dot(s, p) / det;
    if (u < 0 || u > 1) return std::numeric_limits<double>::infinity();
    const typ3Point q = Cross(s, e1);
    const double v = Dot(ray.Direction, q) / det;
    if (v < 0 || u + v > 1) return std::numeric_limits<double>::infinity();
    const double distance = Dot(e2, q) / det;
    return distance > 0 ? distance : std::numeric_limits<double>::infinity();
}

}  // namespace

std::vector<torvane::typPlacedOccurrence> PlaceAtCurrentMotors(torvane::clsPartRoom& room,
                                                               torvane::JointPoses* poses) {
    const torvane::typMotorMasks masks = room.MotorMasks();
    std::vector<double> positions;
    const int stored = masks.Masks.IsAllocated() ? masks.Masks.UBound() : 0;
    for (int k = 1; k <= std::min(masks.TotalMasks, stored); ++k)
        positions.push_back(masks.Masks(k).Value);
    return PlaceRoom(room, positions, poses);
}

std::vector<PlacedMesh> PlacedMeshes(const std::vector<torvane::typPlacedOccurrence>& placed) {
    std::vector<PlacedMesh> meshes;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const auto& occurrence = placed[i];
        PlacedMesh mesh{
            static_cast<std::int32_t>(i),
            ShapeTriangles(occurrence.ShapeName, occurrence.Size, occurrence.WorldFromShape, 1.0)};
        if (!mesh.Triangles.empty()) meshes.push_back(std::move(mesh));
    }
    return meshes;
}

ViewBox BoundingBox(const std::vector<PlacedMesh>& meshes) {
    ViewBox box;
    for (const auto& mesh : meshes)
        for (const auto& triangle : mesh.Triangles)
            for (const auto& p : triangle) {
                if (box.Empty) {
                    box.Min = box.Max = p;
                    box.Empty = false;
                    continue;
                }
                box.Min = {std::min(box.Min.X, p.X), std::min(box.Min.Y, p.Y),
                           std::min(box.Min.Z, p.Z)};
                box.Max = {std::max(box.Max.X, p.X), std::max(box.Max.Y, p.Y),
                           std::max(box.Max.Z, p.Z)};
            }
    return box;
}

torvane::typCamera FitCamera(const torvane::typCamera& current, const ViewBox& box,
                             const ViewLens& lens, ViewPreset preset) {
    if (box.Empty)
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "The room has no shapes to fit in the view.");
    const typ3Point centre = Times(Plus(box.Min, box.Max), 0.5);
    // The sphere around the box fits when its radius subtends at most the narrower half field.
    const double radius = Length(Minus(box.Max, box.Min)) / 2;
    const double halfHeight = Radians(lens.FieldOfView) / 2;
    const double halfWidth = std::atan(std::tan(halfHeight) * std::max(lens.Aspect, 1e-6));
    const double half = std::min(halfHeight, halfWidth);
    // Nearer than the near plane plus the radius would clip the front of the box.
    const double distance = std::max(radius / std::sin(half), lens.NearClip + radius);
    const typ3Point eye = Plus(centre, Times(EyeDirection(current, preset), distance));
    const torvane::typCamera fitted{eye.X, eye.Y, eye.Z, centre.X, centre.Y, centre.Z};
    // The view draws in single precision.
    for (const double v : {fitted.CameraX, fitted.CameraY, fitted.CameraZ, fitted.LookAtX,
                           fitted.LookAtY, fitted.LookAtZ})
        if (!IsWritable(v, true))
            torvane::Raise(torvane::ErrorCode::Overflow,
                           "The room reaches too far to fit in the view: a size, position or "
                           "angle in it is too large.");
    return fitted;
}

ViewRay RayThroughPixel(const torvane::typCamera& camera, const ViewLens& lens, double x, double y,
                        int width, int height) {
    const typ3Point eye{camera.CameraX, camera.CameraY, camera.CameraZ};
    const typ3Point forward =
        Unit(Minus(typ3Point{camera.LookAtX, camera.LookAtY, camera.LookAtZ}, eye));
    // As the view's look-at with Z up builds it.
    const typ3Point right = Unit(Cross(forward, typ3Point{0, 0, 1}));
    const typ3Point up = Cross(right, forward);
    const double tanHalf = std::tan(Radians(lens.FieldOfView) / 2);
    const double nx = 2 * x / std::max(width, 1) - 1;
    const double ny = 1 - 2 * y / std::max(height, 1);
    const typ3Point direction =
        Plus(forward, Plus(Times(right, nx * tanHalf * lens.Aspect), Times(up, ny * tanHalf)));
    return {eye, Unit(direction)};
}

std::int32_t PickOccurrence(const std::vector<PlacedMesh>& meshes, const ViewRay& ray) {
    std::int32_t nearest = -1;
    double best = std::numeric_limits<double>::infinity();
    for (const auto& mesh : meshes)
        for (const auto& triangle : mesh.Triangles) {
            const double distance = HitDistance(ray, triangle);
            if (distance < best) {
                best = distance;
                nearest = mesh.Occurrence;
            }
        }
    return nearest;
}

std::int32_t TopLevelSubPart(const std::vector<torvane::typPlacedOccurrence>& placed,
                             std::int32_t occurrence) {
    const std::vector<std::int32_t> path = SubPartPath(placed, occurrence);
    return path.empty() ? 0 : path.front();
}

std::vector<std::int32_t> SubPartPath(const std::vector<torvane::typPlacedOccurrence>& placed,
                                      std::int32_t occurrence) {
    const auto at = [&placed](std::int32_t i) -> const torvane::typPlacedOccurrence& {
        return placed[static_cast<std::size_t>(i)];
    };
    if (occurrence <= 0 || static_cast<std::size_t>(occurrence) >= placed.size()) return {};
    // Climb to the room itself; at each level count the parent's children up to this one (the
    // walk lists a parent before its children, and its children in subpart order).
    std::vector<std::int32_t> path;
    for (std::int32_t node = occurrence; node > 0; node = at(node).Parent) {
        const std::int32_t parent = at(node).Parent;
        if (parent < 0 || parent >= node) return {};
        std::int32_t position = 0;
        for (std::int32_t i = parent + 1; i <= node; ++i)
            if (at(i).Parent == parent) ++position;
        path.insert(path.begin(), position);
    }
    return path;
}

}  // namespace mechanon
