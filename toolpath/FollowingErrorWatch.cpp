#include "toolpath/FollowingErrorWatch.h"

#include <cmath>
#include <string>

#include "model/Error.h"
#include "model/NumberText.h"

namespace torvane {

double ReadFollowingErrorLimit(std::string_view InText) {
    const std::string text = TrimSpaces(InText);
    if (text.empty()) return 0;
    double limit = 0;
    try {
        limit = NumberValue(text);
    } catch (const Error&) {
        limit = 0;  // too large for a number: refused below like any other bad text
    }
    if (!(limit > 0) || !std::isfinite(limit))
        Raise(ErrorCode::InvalidArgument,
              "The following-error limit \"" + text +
                  "\" is not a number above 0.  Type the largest distance a motor may "
                  "fall behind its target, in its own units, or leave it empty for no "
                  "limit.");
    return limit;
}

void FollowingErrorWatch::Reset(double Limit) {
    limit_ = Limit;
    largest_ = 0;
    largestMotor_ = 0;
}

int FollowingErrorWatch::Observe(const DoubleArray& Targets, const DoubleArray& Measured) {
    if (!Targets.IsAllocated() || !Measured.IsAllocated()) return 0;
    const int motors = std::min(Targets.UBound(), Measured.UBound());
    int broken = 0;
    for (int i = 1; i <= motors; ++i) {
        const double error = std::abs(Targets(i) - Measured(i));
        if (error > largest_ || largestMotor_ == 0) {
            largest_ = error;
            largestMotor_ = i;
        }
        // A target that cannot be evaluated to a number breaks any limit.
        if (limit_ > 0 && broken == 0 && !(error <= limit_)) broken = i;
    }
    return broken;
}

}  // namespace torvane
