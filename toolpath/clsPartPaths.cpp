#include "toolpath/clsPartPaths.h"

#include <cmath>

#include "model/NumberText.h"
#include "model/VbArray.h"
#include "toolpath/TextHelpers.h"
#include "toolpath/clsXML.h"

namespace torvane {
namespace {

// The ellipse (model units of the two motors): semi-axes and centre before the pass offset.
constexpr double kA = 4;  // horizontal semi-axis
constexpr double kB = 5;  // vertical semi-axis
constexpr double kPx = -5;
constexpr double kPy = 6;
// Pass offsets of the centre's second coordinate, deepest pass first.
constexpr int kFirstBackup = -4;
constexpr int kLastBackup = 0;

DoubleArray Point(double first, double second) {
    return DoubleArray(1, {first, second});
}

}  // namespace

double clsPartPaths::ArcCos(double X, bool* ErrorFlag) const {
    if (X == 1) return 0;
    if (X == -1) return 4 * std::atan(1.0);
    if (X < -1 || X > 1) {
        if (ErrorFlag) *ErrorFlag = true;
        return 0;
    }
    // The arctangent form keeps the values of the generated path identical to those the path
    // has always had, digit for digit.
    return std::atan(-X / std::sqrt(1 - X * X)) + 2 * std::atan(1.0);
}

std::string clsPartPaths::WriteEllipsoidPart() const {
    const clsXML xml;
    const std::string first = ReplaceAll(
        ReplaceAll(ReplaceAll("A*sin(S/B)+Px", "A", NumberText(kA)), "B", NumberText(kB)), "Px",
        NumberText(kPx));
    const std::string passTemplate =
        ReplaceAll(ReplaceAll("-B*cos(S/B)+Py", "B", NumberText(kB)), "Py", NumberText(kPy)) +
        "+Backup";
    const DoubleArray origin = Point(0, 0);
    const DoubleArray entry = Point(-0.5, 0.5);

    std::string out;
    for (int backup = kFirstBackup; backup <= kLastBackup; ++backup) {
        const double ta = ArcCos((kPy + backup - (kPy - kB)) / kB);
        const DoubleArray arcStart = Point(kA * std::sin(ta) + kPx, kPy - kB);
        const double tb = ArcCos((kPy + backup - (kPy - 1 + backup)) / kB);
        const DoubleArray arcEnd = Point(kA * std::sin(tb) + kPx, kPy - 1 + backup);
        const StringArray equations(
            1, {first, ReplaceAll(passTemplate, "Backup", NumberText(backup))});

        out += xml.WriteLine(origin, entry);
        out += xml.WriteLine(entry, arcStart);
        out += xml.WriteDrive(ta * kB, tb * kB, arcStart, equations);
        out += xml.WriteLine(arcEnd, entry);
        out += xml.WriteLine(entry, origin);
    }
    return out;
}

}  // namespace torvane
