#include "app/motion/JointTravel.h"

#include <algorithm>
#include <cmath>

namespace mechanon {
namespace {

// A slider has at least this many steps from end to end (and fewer than ten times as many).
constexpr double kLeastSteps = 1000;

// A count of steps that misses a whole number by rounding alone is that whole number.
double Whole(double steps, double (*round)(double)) {
    const double nearest = std::round(steps);
    return std::abs(steps - nearest) < 1e-6 ? nearest : round(steps);
}

}  // namespace

double JointSpan::Centre() const noexcept {
    if (Travel.Lower && Travel.Upper) return (*Travel.Lower + *Travel.Upper) / 2;
    return Travel.Clamped(0);
}

double JointSpan::Random(std::mt19937& draw) const {
    if (!(Upper > Lower)) return Lower;
    return std::uniform_real_distribution<double>(Lower, Upper)(draw);
}

JointSpan SpanOf(const torvane::typMotorRange& travel, torvane::MotorKind kind, double robotSize) {
    const double half = kind == torvane::MotorKind::Linear ? robotSize : kOpenTurnDegrees;
    JointSpan span;
    span.Travel = travel;
    if (travel.Lower && travel.Upper) {
        span.Lower = *travel.Lower;
        span.Upper = *travel.Upper;
    } else if (travel.Lower) {
        span.Lower = *travel.Lower;
        span.Upper = *travel.Lower + 2 * half;
    } else if (travel.Upper) {
        span.Lower = *travel.Upper - 2 * half;
        span.Upper = *travel.Upper;
    } else {
        span.Lower = -half;
        span.Upper = half;
    }
    return span;
}

SliderSteps::SliderSteps(const JointSpan& span) : span_(span) {
    const double width = span.Upper - span.Lower;
    if (!(width > 0) || !std::isfinite(width)) return;  // one position: the lower end
    step_ = std::pow(10.0, std::floor(std::log10(width / kLeastSteps)));
    // The step as a whole number of steps per unit where it is below 1, so that values are
    // written as the decimals they are (3 / 10, not 3 * 0.1).
    perUnit_ = step_ < 1 ? std::round(1 / step_) : 0;
    first_ = Whole(Steps(span.Lower), std::floor);
    maximum_ = static_cast<int>(Whole(Steps(span.Upper), std::ceil) - first_);
}

int SliderSteps::PositionOf(double value) const noexcept {
    if (maximum_ == 0) return 0;
    const double clamped = std::clamp(value, span_.Lower, span_.Upper);
    const double k = std::round(Steps(clamped));
    return std::clamp(static_cast<int>(k - first_), 0, maximum_);
}

double SliderSteps::Steps(double value) const noexcept {
    return perUnit_ > 0 ? value * perUnit_ : value / step_;
}

double SliderSteps::ValueAt(int position) const noexcept {
    if (maximum_ == 0) return span_.Lower;
    const double k = first_ + std::clamp(position, 0, maximum_);
    const double value = perUnit_ > 0 ? k / perUnit_ : k * step_;
    return std::clamp(value, span_.Lower, span_.Upper);
}

}  // namespace mechanon
