#pragma once
// Watches the control rounds of a cut: the largest following error (|target - measured|, in the
// motor's position units) so far and which motor had it, and whether a round broke the limit.

#include <string_view>

#include "model/VbArray.h"

namespace torvane {

// The limit as typed: empty (or blanks) means no limit (0); otherwise a number above 0, read by
// its longest numeric prefix. Anything else raises an invalid-argument error that quotes it.
double ReadFollowingErrorLimit(std::string_view InText);

class FollowingErrorWatch {
  public:
    // Forgets what was seen; Limit 0 watches without a limit.
    void Reset(double Limit);
    // Takes one round's positions of motors 1 to n. Returns the first motor (from 1) whose error
    // is above the limit, 0 when none is.
    int Observe(const DoubleArray& Targets, const DoubleArray& Measured);

    double Limit() const noexcept { return limit_; }
    double Largest() const noexcept { return largest_; }
    int LargestMotor() const noexcept { return largestMotor_; }  // 0 before the first round

  private:
    double limit_ = 0;
    double largest_ = 0;
    int largestMotor_ = 0;
};

}  // namespace torvane
