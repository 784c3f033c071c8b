#include "toolpath/TrapezoidProfile.h"

#include <cmath>
#include <string>

#include "model/Error.h"
#include "model/NumberText.h"

namespace torvane {
namespace {

void CheckLimits(double S0, double S1e, double VMax, double AMax) {
    if (AMax == 0)
        Raise(
            ErrorCode::DivisionByZero,
            "Division by zero: the acceleration limit AMax is 0; re-timing needs a limit above 0");
    if (!std::isfinite(VMax) || !std::isfinite(AMax) || !std::isfinite(S0) || !std::isfinite(S1e))
        Raise(ErrorCode::InvalidArgument,
              "Invalid procedure call or argument: re-timing needs finite limits and parameter "
              "values");
    if (AMax < 0 || VMax < 0)
        Raise(ErrorCode::InvalidArgument,
              "Invalid procedure call or argument: the limits must not be negative (VMax " +
                  TrimmedNumberText(VMax) + ", AMax " + TrimmedNumberText(AMax) + ")");
    if (S1e < S0)
        Raise(ErrorCode::InvalidArgument,
              "Invalid procedure call or argument: the subleg ends before it starts (StartS " +
                  TrimmedNumberText(S0) + ", EndS " + TrimmedNumberText(S1e) + ")");
}

}  // namespace

double TrapezoidProfile::PieceDuration(int piece) const noexcept {
    if (Cruises) return piece == 1 ? CruiseTime : AccelerateTime;
    return MidTime;
}

TrapezoidProfile PlanTrapezoid(double S0, double S1e, double VMax, double AMax) {
    CheckLimits(S0, S1e, VMax, AMax);
    TrapezoidProfile p;
    // The profile's boundaries, in this order of operations, all before the choice of profile:
    // the pieces' texts hold these very numbers, so the order fixes their last bits.
    p.AccelerateTime = VMax / AMax;
    p.SAccelerated = std::pow(p.AccelerateTime, 2) * (AMax * 0.5) + S0;
    p.SDecelerating = S1e - (p.SAccelerated - S0);
    p.SMid = (S1e - S0) / 2 + S0;
    p.MidTime = std::sqrt(((p.SMid - S0) + (p.SMid - S0)) / AMax);
    p.VMid = p.MidTime * AMax;
    p.Cruises = p.SDecelerating > p.SAccelerated;
    if (p.Cruises && VMax == 0)
        Raise(ErrorCode::DivisionByZero,
              "Division by zero: the speed limit VMax is 0, so the subleg can never be crossed");
    p.CruiseTime = p.Cruises ? (p.SDecelerating - p.SAccelerated) / VMax : 0;
    // A tiny VMax against a long subleg gives a duration no number text can hold.
    if (!std::isfinite(p.AccelerateTime) || !std::isfinite(p.MidTime) || !std::isfinite(p.VMid) ||
        !std::isfinite(p.CruiseTime))
        Raise(ErrorCode::Overflow, "Overflow: re-timing the subleg from " + TrimmedNumberText(S0) +
                                       " to " + TrimmedNumberText(S1e) + " with VMax " +
                                       TrimmedNumberText(VMax) + " and AMax " +
                                       TrimmedNumberText(AMax) + " takes too long");
    return p;
}

}  // namespace torvane
