#include "app/motion/ViewPlane.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace mechanon {
namespace {

using torvane::typ3Point;

typ3Point Minus(const typ3Point& a, const typ3Point& b) {
    return {a.X - b.X, a.Y - b.Y, a.Z - b.Z};
}
double Dot(const typ3Point& a, const typ3Point& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}
typ3Point Cross(const typ3Point& a, const typ3Point& b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}
typ3Point Unit(const typ3Point& a) {
    const double length = std::sqrt(Dot(a, a));
    return length > 0 ? typ3Point{a.X / length, a.Y / length, a.Z / length} : a;
}

// The eye's axes as the view's look-at with Z up builds them.
struct EyeAxes {
    typ3Point Eye, Forward, Right, Up;
};

EyeAxes AxesOf(const torvane::typCamera& camera) {
    EyeAxes axes;
    axes.Eye = {camera.CameraX, camera.CameraY, camera.CameraZ};
    axes.Forward = Unit(Minus({camera.LookAtX, camera.LookAtY, camera.LookAtZ}, axes.Eye));
    axes.Right = Unit(Cross(axes.Forward, {0, 0, 1}));
    axes.Up = Cross(axes.Right, axes.Forward);
    return axes;
}

double TanHalfField(const ViewLens& lens) {
    return std::tan(lens.FieldOfView * std::numbers::pi / 360);
}

}  // namespace

std::optional<typ3Point> PixelOfPoint(const torvane::typCamera& camera, const ViewLens& lens,
                                      const typ3Point& point, int width, int height) {
    const EyeAxes axes = AxesOf(camera);
    const typ3Point d = Minus(point, axes.Eye);
    const double depth = Dot(d, axes.Forward);
    if (!(depth > 0)) return std::nullopt;
    const double tanHalf = TanHalfField(lens);
    const double nx = Dot(d, axes.Right) / (depth * tanHalf * lens.Aspect);
    const double ny = Dot(d, axes.Up) / (depth * tanHalf);
    return typ3Point{(nx + 1) / 2 * std::max(width, 1), (1 - ny) / 2 * std::max(height, 1), depth};
}

std::optional<typ3Point> PointOnViewPlane(const torvane::typCamera& camera, const ViewLens& lens,
                                          const typ3Point& through, double x, double y, int width,
                                          int height) {
    const ViewRay ray = RayThroughPixel(camera, lens, x, y, width, height);
    const typ3Point normal = AxesOf(camera).Forward;
    const double along = Dot(ray.Direction, normal);
    if (!(along > 1e-12)) return std::nullopt;
    const double t = Dot(Minus(through, ray.Origin), normal) / along;
    if (!(t > 0) || !std::isfinite(t)) return std::nullopt;
    return typ3Point{ray.Origin.X + ray.Direction.X * t, ray.Origin.Y + ray.Direction.Y * t,
                     ray.Origin.Z + ray.Direction.Z * t};
}

}  // namespace mechanon
