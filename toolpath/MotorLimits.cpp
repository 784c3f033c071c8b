#include "toolpath/MotorLimits.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "toolpath/ToolPathPieces.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

// Slopes measured between samples can miss a little of the peak between them.
constexpr double kSlopeMargin = 1.05;

struct Slopes {
    double first = 0;   // the largest |dp/dS|
    double second = 0;  // the largest |d2p/dS2|
};

// The largest slopes of every motor's equation over the subleg, motors 1 to `motors`.
std::vector<Slopes> MeasureSlopes(clsToolPath& path, const typToolPathSubLeg& subleg,
                                  std::int32_t motors) {
    std::vector<Slopes> slopes(static_cast<std::size_t>(motors));
    const double h = (subleg.EndS - subleg.StartS) / kLimitSamples;
    std::vector<DoubleArray> at;
    for (int k = 0; k <= kLimitSamples; ++k)
        at.push_back(path.EvalEqs(subleg.ParametricEQs, subleg.StartS + k * h));
    for (std::int32_t i = 1; i <= motors; ++i) {
        Slopes& s = slopes[static_cast<std::size_t>(i - 1)];
        for (int k = 0; k < kLimitSamples; ++k) {
            s.first = std::max(s.first, std::abs(at[k + 1](i) - at[k](i)) / h);
            if (k > 0)
                s.second = std::max(s.second,
                                    std::abs(at[k + 1](i) - 2 * at[k](i) + at[k - 1](i)) / (h * h));
        }
        s.first *= kSlopeMargin;
        s.second *= kSlopeMargin;
    }
    return slopes;
}

// limit = bound where the bound of motor i is lower, noting the motor.
void Lower(double& limit, double bound, std::int32_t motor, PathLimits& limits) {
    if (!(bound < limit)) return;
    limit = bound;
    limits.LimitedBy = motor;
}

}  // namespace

bool AnyMotorLimits(const VbArray<typMotorProperties>& Motors) noexcept {
    return std::any_of(Motors.Items().begin(), Motors.Items().end(),
                       [](const typMotorProperties& m) { return m.MaxV > 0 || m.MaxA > 0; });
}

PathLimits LimitsWithinMotors(clsToolPath& Path, const typToolPathSubLeg& Subleg, double VMax,
                              double AMax, const VbArray<typMotorProperties>& Motors) {
    PathLimits limits{VMax, AMax};
    const std::int32_t listed = Motors.IsAllocated() ? std::max(0, Motors.UBound()) : 0;
    const std::int32_t motors = std::min(MotorCountOf(Subleg), listed);
    if (motors == 0 || !(Subleg.EndS > Subleg.StartS) || !AnyMotorLimits(Motors)) return limits;
    const std::vector<Slopes> slopes = MeasureSlopes(Path, Subleg, motors);
    // First the speed: each motor's own, and low enough that the bending of its path leaves it at
    // least half its acceleration for following the profile.
    for (std::int32_t i = 1; i <= motors; ++i) {
        const Slopes& s = slopes[static_cast<std::size_t>(i - 1)];
        const typMotorProperties& m = Motors(i);
        if (m.MaxV > 0 && s.first > 0) Lower(limits.VMax, m.MaxV / s.first, i, limits);
        if (m.MaxA > 0 && s.second > 0)
            Lower(limits.VMax, std::sqrt(m.MaxA / (2 * s.second)), i, limits);
    }
    // Then the acceleration, with what the bending at that speed takes.
    for (std::int32_t i = 1; i <= motors; ++i) {
        const Slopes& s = slopes[static_cast<std::size_t>(i - 1)];
        const typMotorProperties& m = Motors(i);
        if (m.MaxA > 0 && s.first > 0)
            Lower(limits.AMax, (m.MaxA - s.second * limits.VMax * limits.VMax) / s.first, i,
                  limits);
    }
    return limits;
}

}  // namespace torvane
