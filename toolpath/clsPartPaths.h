#pragma once
// A ready-made two-motor tool path that cuts an elliptical profile in five passes of increasing
// depth. Each pass goes out from the origin to an entry point, straight to the start of an arc of
// the ellipse, along the arc, and back through the entry point to the origin. The class has no
// state.

#include <string>

namespace torvane {

class clsPartPaths {
  public:
    // The path as 25 DRIVE blocks (five per pass) without LEG or WAIT tags: each block is driven
    // as a leg of its own.
    std::string WriteEllipsoidPart() const;

    // The arc cosine of X in radians, 0 for X outside -1 to 1. ErrorFlag, when given, is set to
    // true for such an X and left unchanged otherwise.
    double ArcCos(double X, bool* ErrorFlag = nullptr) const;
};

}  // namespace torvane
