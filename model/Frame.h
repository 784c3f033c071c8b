#pragma once
// A rigid placement as a 4 by 4 matrix, row by row, acting on column vectors: a frame named
// aFromB maps coordinates in frame B to frame A, so aFromB * bFromC is aFromC. Rotations follow
// the GL convention (degrees, right-handed about a normalised axis), so a walk of translations
// and rotations gives the matrix GL would build from the same calls.

#include <array>
#include <cmath>
#include <numbers>

#include "model/Records.h"

namespace torvane {

struct typFrame {
    std::array<double, 16> M{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    double operator()(int row, int column) const {
        return M[static_cast<std::size_t>(row * 4 + column)];
    }
    double& operator()(int row, int column) {
        return M[static_cast<std::size_t>(row * 4 + column)];
    }

    friend typFrame operator*(const typFrame& a, const typFrame& b) {
        typFrame out;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                double sum = 0;
                for (int k = 0; k < 4; ++k) sum += a(r, k) * b(k, c);
                out(r, c) = sum;
            }
        return out;
    }

    static typFrame Translation(const typ3Point& by) {
        typFrame t;
        t(0, 3) = by.X;
        t(1, 3) = by.Y;
        t(2, 3) = by.Z;
        return t;
    }

    // A zero axis turns nothing, as GL leaves the matrix alone for it.
    static typFrame Rotation(double degrees, const typ3Point& axis) {
        const double length = std::sqrt(axis.X * axis.X + axis.Y * axis.Y + axis.Z * axis.Z);
        typFrame r;
        if (length == 0) return r;
        const double x = axis.X / length, y = axis.Y / length, z = axis.Z / length;
        const double angle = degrees * std::numbers::pi / 180;
        const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
        r.M = {x * x * t + c,
               x * y * t - z * s,
               x * z * t + y * s,
               0,
               y * x * t + z * s,
               y * y * t + c,
               y * z * t - x * s,
               0,
               x * z * t - y * s,
               y * z * t + x * s,
               z * z * t + c,
               0,
               0,
               0,
               0,
               1};
        return r;
    }

    // The inverse of a rigid placement (rotation and translation only).
    typFrame RigidInverse() const {
        typFrame inv;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) inv(r, c) = (*this)(c, r);
        for (int r = 0; r < 3; ++r)
            inv(r, 3) = -(inv(r, 0) * (*this)(0, 3) + inv(r, 1) * (*this)(1, 3) +
                          inv(r, 2) * (*this)(2, 3));
        return inv;
    }

    typ3Point Apply(double x, double y, double z) const {
        return typ3Point{(*this)(0, 0) * x + (*this)(0, 1) * y + (*this)(0, 2) * z + (*this)(0, 3),
                         (*this)(1, 0) * x + (*this)(1, 1) * y + (*this)(1, 2) * z + (*this)(1, 3),
                         (*this)(2, 0) * x + (*this)(2, 1) * y + (*this)(2, 2) * z + (*this)(2, 3)};
    }
};

}  // namespace torvane
