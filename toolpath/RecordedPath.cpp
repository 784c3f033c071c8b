#include "toolpath/RecordedPath.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/Error.h"
#include "model/NumberText.h"
#include "model/VbArray.h"
#include "toolpath/clsXML.h"

namespace torvane {
namespace {

// How far sample k of any motor lies from the straight line through samples a and b.
double Deviation(const std::vector<typMotionSample>& samples, std::size_t a, std::size_t b,
                 std::size_t k) {
    const typMotionSample& from = samples[a];
    const typMotionSample& to = samples[b];
    const double f = (samples[k].T - from.T) / (to.T - from.T);
    double largest = 0;
    for (std::size_t m = 0; m < from.Positions.size(); ++m) {
        const double line = from.Positions[m] + f * (to.Positions[m] - from.Positions[m]);
        largest = std::max(largest, std::abs(samples[k].Positions[m] - line));
    }
    return largest;
}

// Samples in one stretch at most before thinning: ten seconds at 200 samples a second.
constexpr std::size_t kLongestStretch = 2000;

[[noreturn]] void Refuse(const std::string& why) {
    Raise(ErrorCode::InvalidArgument,
          "Invalid procedure call or argument: the recording cannot be written as a tool path: " +
              why);
}

void CheckTolerance(double tolerance) {
    if (!(tolerance > 0) || !std::isfinite(tolerance))
        Refuse(
            "the tolerance must be a number above 0" +
            (std::isfinite(tolerance) ? ", not " + TrimmedNumberText(tolerance) : std::string()));
}

// Samples at increasing times, each with the same number of finite positions.
std::vector<typMotionSample> UsableSamples(const std::vector<typMotionSample>& samples) {
    std::vector<typMotionSample> usable;
    const std::size_t motors = samples.empty() ? 0 : samples.front().Positions.size();
    for (const typMotionSample& s : samples) {
        if (s.Positions.size() != motors || motors == 0)
            Refuse("every sample must hold the positions of the same motors, at least one");
        for (double p : s.Positions)
            if (!std::isfinite(p)) Refuse("a sample holds a position that is not a number");
        if (!std::isfinite(s.T)) Refuse("a sample has no time");
        if (usable.empty() || s.T > usable.back().T) usable.push_back(s);
    }
    if (usable.size() < 2) Refuse("fewer than two samples were taken; record for longer");
    return usable;
}

DoubleArray PositionsOf(const typMotionSample& s) {
    return DoubleArray(1, s.Positions);
}

StringArray SpeedEquations(const typMotionSample& from, const typMotionSample& to) {
    const double duration = to.T - from.T;
    StringArray equations =
        StringArray::WithBounds(1, static_cast<std::int32_t>(from.Positions.size()));
    for (std::size_t m = 0; m < from.Positions.size(); ++m)
        equations(static_cast<std::int32_t>(m + 1)) =
            NumberText((to.Positions[m] - from.Positions[m]) / duration) + "*t";
    return equations;
}

}  // namespace

std::vector<std::size_t> ThinMotionSamples(const std::vector<typMotionSample>& Samples,
                                           double Tolerance) {
    CheckTolerance(Tolerance);
    const std::size_t n = Samples.size();
    if (n < 2) return n == 1 ? std::vector<std::size_t>{0} : std::vector<std::size_t>{};
    std::vector<bool> kept(n, false);
    kept.front() = kept.back() = true;
    // Each stretch is split at its sample furthest from the line across it, until every
    // stretch's line passes within the tolerance of all its samples. A long recording starts as
    // stretches of a bounded length, so no split has to look at more samples than that.
    std::vector<std::pair<std::size_t, std::size_t>> stretches;
    for (std::size_t a = 0; a < n - 1; a += kLongestStretch) {
        const std::size_t b = std::min(a + kLongestStretch, n - 1);
        kept[b] = true;
        stretches.emplace_back(a, b);
    }
    while (!stretches.empty()) {
        const auto [a, b] = stretches.back();
        stretches.pop_back();
        std::size_t furthest = a;
        double largest = Tolerance;
        for (std::size_t k = a + 1; k < b; ++k)
            if (const double d = Deviation(Samples, a, b, k); d > largest) {
                largest = d;
                furthest = k;
            }
        if (furthest == a) continue;
        kept[furthest] = true;
        stretches.emplace_back(a, furthest);
        stretches.emplace_back(furthest, b);
    }
    std::vector<std::size_t> indices;
    for (std::size_t k = 0; k < n; ++k)
        if (kept[k]) indices.push_back(k);
    return indices;
}

std::vector<std::int32_t> KeepWithinTravel(std::vector<typMotionSample>& Samples,
                                           const std::vector<typMotorRange>& Ranges) {
    std::vector<bool> moved(Ranges.size(), false);
    for (typMotionSample& s : Samples)
        for (std::size_t m = 0; m < s.Positions.size() && m < Ranges.size(); ++m) {
            const double kept = Ranges[m].Clamped(s.Positions[m]);
            if (kept == s.Positions[m]) continue;
            s.Positions[m] = kept;
            moved[m] = true;
        }
    std::vector<std::int32_t> motors;
    for (std::size_t m = 0; m < moved.size(); ++m)
        if (moved[m]) motors.push_back(static_cast<std::int32_t>(m + 1));
    return motors;
}

std::string WriteRecordedPath(const clsXML& Xml, const std::vector<typMotionSample>& Samples,
                              double Tolerance, RecordedPathSummary* Summary) {
    CheckTolerance(Tolerance);
    const std::vector<typMotionSample> samples = UsableSamples(Samples);
    const std::vector<std::size_t> kept = ThinMotionSamples(samples, Tolerance);
    RecordedPathSummary summary;
    summary.Samples = samples.size();
    summary.Pieces = kept.size() - 1;
    summary.Duration = samples.back().T - samples.front().T;
    std::string out = "<LEG>\r\n";
    for (std::size_t i = 0; i + 1 < kept.size(); ++i) {
        const typMotionSample& from = samples[kept[i]];
        const typMotionSample& to = samples[kept[i + 1]];
        out += Xml.WriteDrive(0, to.T - from.T, PositionsOf(from), SpeedEquations(from, to));
        for (std::size_t k = kept[i] + 1; k < kept[i + 1]; ++k)
            summary.LargestDeviation =
                std::max(summary.LargestDeviation, Deviation(samples, kept[i], kept[i + 1], k));
    }
    out += "</LEG>\r\n";
    if (Summary) *Summary = summary;
    return out;
}

}  // namespace torvane
