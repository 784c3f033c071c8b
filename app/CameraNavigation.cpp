#include "app/CameraNavigation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace mechanon {
namespace {

struct Vec {
    double x, y, z;
};

Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec operator*(Vec a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
double Length(Vec a) {
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}
Vec Cross(Vec a, Vec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec Eye(const torvane::typCamera& c) {
    return {c.CameraX, c.CameraY, c.CameraZ};
}
Vec LookAt(const torvane::typCamera& c) {
    return {c.LookAtX, c.LookAtY, c.LookAtZ};
}

torvane::typCamera WithPoints(Vec eye, Vec look) {
    return {eye.x, eye.y, eye.z, look.x, look.y, look.z};
}

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

}  // namespace

torvane::typCamera Orbit(const torvane::typCamera& camera, int dx, int dy) {
    const Vec look = LookAt(camera);
    const Vec v = Eye(camera) - look;
    const double r = Length(v);
    if (r <= 0) return camera;  // eye on the look-at point: no direction to turn
    const double limit = kMaxElevationDegrees * kRadiansPerDegree;
    const double azimuth = std::atan2(v.y, v.x) - dx * kOrbitDegreesPerPixel * kRadiansPerDegree;
    const double elevation = std::clamp(
        std::asin(std::clamp(v.z / r, -1.0, 1.0)) + dy * kOrbitDegreesPerPixel * kRadiansPerDegree,
        -limit, limit);
    const Vec eye = look + Vec{std::cos(elevation) * std::cos(azimuth),
                               std::cos(elevation) * std::sin(azimuth), std::sin(elevation)} *
                               r;
    return WithPoints(eye, look);
}

torvane::typCamera Pan(const torvane::typCamera& camera, int dx, int dy, int viewHeight) {
    const Vec eye = Eye(camera);
    const Vec look = LookAt(camera);
    const Vec forward = look - eye;
    const double r = Length(forward);
    if (r <= 0 || viewHeight <= 0) return camera;
    Vec right = Cross(forward, Vec{0, 0, 1});
    const double rightLength = Length(right);
    if (rightLength <= 0) return camera;  // looking straight up or down: no "right"
    right = right * (1.0 / rightLength);
    Vec up = Cross(right, forward);
    up = up * (1.0 / Length(up));
    const double unitsPerPixel = 2.0 * r * std::tan(22.5 * kRadiansPerDegree) / viewHeight;
    const Vec shift = right * (-dx * unitsPerPixel) + up * (dy * unitsPerPixel);
    return WithPoints(eye + shift, look + shift);
}

torvane::typCamera Zoom(const torvane::typCamera& camera, int wheelDelta) {
    const Vec look = LookAt(camera);
    const Vec v = Eye(camera) - look;
    const double r = Length(v);
    if (r <= 0) return camera;
    const double wanted = r * std::pow(0.9, wheelDelta / 120.0);
    const double distance =
        std::clamp(wanted, std::min(r, kMinDistance), std::max(r, kMaxDistance));
    return WithPoints(look + v * (distance / r), look);
}

}  // namespace mechanon
