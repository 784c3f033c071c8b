// The axis marker's ball as a flat disc facing the eye, for the quick picture drawn while the
// view moves: a dozen unlit triangles a ball instead of a hundred or more lit ones, all of them
// in one batch.

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "shapes/ShapeGeometry.h"
#include "shapes/ShapeLists.h"

namespace primora {
namespace {

// Corners around the disc: its outline strays a thirtieth of its radius from the ball's.
constexpr int kDiscCorners = 12;
// The ball's grey (the markers' colour, 0.8) as the view lights it: the light model's ambient
// 0.2 and light 0 from the viewer give 0.8 * (0.2 + cos theta) where the normal turns theta from
// the viewer. The centre shows 0.96; the rim's grey is chosen so the disc, shaded evenly from
// centre to rim, is as bright on the whole as the ball (0.16 + 0.8 * 2/3).
constexpr float kCentreGrey = 0.96f;
constexpr float kRimGrey = 0.555f;

using Vector = std::array<double, 3>;

Vector Cross(const Vector& a, const Vector& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Vector Unit(const Vector& v) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / length, v[1] / length, v[2] / length};
}

struct DiscCorner {
    float at[3];
    float grey;
};

// The disc of the ball at centre seen from eye: in front of the centre by the radius, as wide
// as the ball's outline from there, its corners after its centre. None for an eye inside the
// ball.
bool AddDisc(const Vector& centre, const Vector& eye, std::vector<DiscCorner>& corners) {
    const double r = kAxisBallRadius;
    const Vector toEye{eye[0] - centre[0], eye[1] - centre[1], eye[2] - centre[2]};
    const double d = std::sqrt(toEye[0] * toEye[0] + toEye[1] * toEye[1] + toEye[2] * toEye[2]);
    if (!(d > r * 1.01)) return false;
    const Vector facing{toEye[0] / d, toEye[1] / d, toEye[2] / d};
    const Vector across =
        Unit(Cross(std::abs(facing[2]) < 0.9 ? Vector{0, 0, 1} : Vector{1, 0, 0}, facing));
    const Vector up = Cross(facing, across);
    // The outline's half-angle is asin(r / d); at the disc's distance d - r it is this wide,
    // and the polygon's corners stand out so its sides cut the outline as often as they miss it.
    const double half = (d - r) * r / std::sqrt(d * d - r * r) /
                        std::sqrt(std::cos(std::numbers::pi / kDiscCorners));
    const Vector middle{centre[0] + facing[0] * r, centre[1] + facing[1] * r,
                        centre[2] + facing[2] * r};
    const auto corner = [](const Vector& at, float grey) {
        return DiscCorner{
            {static_cast<float>(at[0]), static_cast<float>(at[1]), static_cast<float>(at[2])},
            grey};
    };
    corners.push_back(corner(middle, kCentreGrey));
    for (int k = 0; k < kDiscCorners; ++k) {
        const double angle = 2 * std::numbers::pi * k / kDiscCorners;
        const double c = half * std::cos(angle), s = half * std::sin(angle);
        corners.push_back(
            corner({middle[0] + c * across[0] + s * up[0], middle[1] + c * across[1] + s * up[1],
                    middle[2] + c * across[2] + s * up[2]},
                   kRimGrey));
    }
    return true;
}

}  // namespace

void DrawAxisBallSprites(const std::vector<AxisMarkerPlace>& places,
                         const std::array<double, 3>& eye) {
    std::vector<DiscCorner> corners;
    std::vector<GLuint> triangles;
    corners.reserve(places.size() * (kDiscCorners + 1));
    triangles.reserve(places.size() * kDiscCorners * 3);
    // Nearest first: a disc hidden behind one drawn before it is rejected by the depth test
    // before it is shaded, which on a software rasteriser is most of a disc's cost.
    std::vector<std::pair<double, const AxisMarkerPlace*>> order;
    order.reserve(places.size());
    for (const AxisMarkerPlace& place : places) {
        const double dx = place.columns[12] - eye[0], dy = place.columns[13] - eye[1],
                     dz = place.columns[14] - eye[2];
        order.emplace_back(dx * dx + dy * dy + dz * dz, &place);
    }
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [distance, place] : order) {
        const auto first = static_cast<GLuint>(corners.size());
        if (!AddDisc({place->columns[12], place->columns[13], place->columns[14]}, eye, corners))
            continue;
        for (GLuint k = 0; k < kDiscCorners; ++k)
            triangles.insert(triangles.end(),
                             {first, first + 1 + k, first + 1 + (k + 1) % kDiscCorners});
    }
    if (triangles.empty()) return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(DiscCorner), corners.data()->at);
    // One grey a corner, given as red, green and blue read from the same float.
    std::vector<float> greys;
    greys.reserve(corners.size() * 3);
    for (const DiscCorner& c : corners) greys.insert(greys.end(), {c.grey, c.grey, c.grey});
    glColorPointer(3, GL_FLOAT, 0, greys.data());
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(triangles.size()), GL_UNSIGNED_INT,
                   triangles.data());
    glPopClientAttrib();
    glPopAttrib();
}

}  // namespace primora
