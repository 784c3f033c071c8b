#include "export/JointAxisFrame.h"

#include <array>
#include <cmath>
#include <numbers>

namespace mechanon {
namespace {

using torvane::typ3Point;

double Dot(const typ3Point& a, const typ3Point& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}

typ3Point Cross(const typ3Point& a, const typ3Point& b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}

double Degrees(double radians) {
    return radians * 180 / std::numbers::pi;
}

}  // namespace

MotorChoice NearestMotor(torvane::MotorKind kind, const typ3Point& a) {
    // In the order of preference when two are equally near.
    const std::array<MotorChoice, 3> rotational{{{3, {1, 0, 0}}, {1, {0, -1, 0}}, {2, {0, 0, -1}}}};
    const std::array<MotorChoice, 3> linear{{{1, {1, 0, 0}}, {2, {0, 1, 0}}, {3, {0, 0, 1}}}};
    const auto& choices = kind == torvane::MotorKind::Linear ? linear : rotational;
    MotorChoice best = choices[0];
    for (const MotorChoice& c : choices)
        if (Dot(c.Axis, a) > Dot(best.Axis, a)) best = c;
    return best;
}

torvane::typFrame Alignment(const typ3Point& m, const typ3Point& a) {
    const typ3Point k = Cross(m, a);
    const double sine = std::sqrt(Dot(k, k));
    const double cosine = Dot(m, a);
    if (sine == 0 && cosine > 0) return {};
    if (sine == 0) {
        // Opposite: half a turn about the basis direction least along m, made perpendicular.
        const typ3Point e =
            std::fabs(m.X) <= std::fabs(m.Y) && std::fabs(m.X) <= std::fabs(m.Z)
                ? typ3Point{1, 0, 0}
                : (std::fabs(m.Y) <= std::fabs(m.Z) ? typ3Point{0, 1, 0} : typ3Point{0, 0, 1});
        const double along = Dot(e, m);
        return torvane::typFrame::Rotation(
            180, typ3Point{e.X - along * m.X, e.Y - along * m.Y, e.Z - along * m.Z});
    }
    return torvane::typFrame::Rotation(Degrees(std::atan2(sine, cosine)), k);
}

Placement PlacementOf(const torvane::typFrame& f) {
    const double cosPitch = std::hypot(f(0, 0), f(1, 0));
    const double pitch = std::atan2(-f(2, 0), cosPitch);
    double roll = 0, yaw = 0;
    if (cosPitch > 1e-12) {
        roll = std::atan2(f(2, 1), f(2, 2));
        yaw = std::atan2(f(1, 0), f(0, 0));
    } else {
        roll = std::atan2(-f(1, 2), f(1, 1));
    }
    return {typ3Point{f(0, 3), f(1, 3), f(2, 3)},
            torvane::typAttitude{-Degrees(pitch), -Degrees(yaw), Degrees(roll)}};
}

torvane::typFrame FrameOfRpy(const typ3Point& xyz, double roll, double pitch, double yaw) {
    return torvane::typFrame::Translation(xyz) *
           torvane::typFrame::Rotation(Degrees(yaw), typ3Point{0, 0, 1}) *
           torvane::typFrame::Rotation(Degrees(pitch), typ3Point{0, 1, 0}) *
           torvane::typFrame::Rotation(Degrees(roll), typ3Point{1, 0, 0});
}

}  // namespace mechanon
