#pragma once
// The arithmetic of re-timing one subleg: a trapezoidal speed profile for the path parameter S
// from StartS to EndS under a speed limit VMax (S per second) and an acceleration limit AMax
// (S per second squared), starting and ending at rest. Numbers in, piece durations and the
// coefficients of each piece's S(t) out; no text and no script engine.

namespace torvane {

struct TrapezoidProfile {
    // Three pieces (accelerate to VMax, cruise, decelerate) when the distance is long enough to
    // reach VMax; otherwise two (accelerate to the midpoint, decelerate from it).
    bool Cruises = false;
    double AccelerateTime = 0;  // T1: seconds to reach VMax from rest
    double CruiseTime = 0;      // seconds at VMax (0 without a cruise)
    double SAccelerated = 0;    // SA: S where the acceleration ends
    double SDecelerating = 0;   // SD: S where the deceleration begins
    double SMid = 0;            // the midpoint of S
    double MidTime = 0;         // TMid: seconds from rest to SMid at AMax
    double VMid = 0;            // the speed reached at SMid (S per second)

    // The duration of piece 0, 1 (or 2), seconds: T1, cruise, T1 with a cruise; TMid, TMid without.
    int PieceCount() const noexcept { return Cruises ? 3 : 2; }
    double PieceDuration(int piece) const noexcept;
};

// The profile of a subleg. AMax 0, EndS below StartS, a zero VMax with a cruise, negative or
// non-finite numbers and durations that overflow raise an error naming the values.
TrapezoidProfile PlanTrapezoid(double StartS, double EndS, double VMax, double AMax);

}  // namespace torvane
