#pragma once
// The stretch of positions a joint slider covers and the steps it moves in. A motor's travel
// (its lower and upper limit) gives the slider's ends; an end without a limit is put where a user
// could still want the joint: half a turn from the middle (or a whole turn from the limited end)
// for a rotational motor, the robot's size for a linear one.

#include <random>

#include "model/Records.h"
#include "toolpath/RoomMotorList.h"

namespace mechanon {

struct JointSpan {
    double Lower = 0;
    double Upper = 0;
    // The travel the values must stay within: the limits the motor list gives.
    torvane::typMotorRange Travel;

    // Where "Centre" puts the joint: the middle of its travel, or 0 (within the one limit it
    // has) when its travel is open.
    double Centre() const noexcept;
    // A value drawn evenly from the span.
    double Random(std::mt19937& draw) const;
    friend bool operator==(const JointSpan&, const JointSpan&) = default;
};

// Degrees either side of 0 that a rotational motor without limits is shown.
inline constexpr double kOpenTurnDegrees = 180;

// The span of a motor of kind with travel; robotSize (model units, above 0) is what a linear
// motor without limits may move either way.
JointSpan SpanOf(const torvane::typMotorRange& travel, torvane::MotorKind kind, double robotSize);

// The integer positions of a slider over a span: round multiples of a step fine enough that the
// span has at least a thousand of them, the two ends the span's ends exactly.
class SliderSteps {
  public:
    explicit SliderSteps(const JointSpan& span);
    int Minimum() const noexcept { return 0; }
    int Maximum() const noexcept { return maximum_; }
    double Step() const noexcept { return step_; }
    // The position of value (clamped to the span), and the value of a position.
    int PositionOf(double value) const noexcept;
    double ValueAt(int position) const noexcept;

  private:
    // value in steps from 0.
    double Steps(double value) const noexcept;
    JointSpan span_;
    double step_ = 1;
    double perUnit_ = 0;  // steps per unit when the step is below 1, else 0
    double first_ = 0;    // the multiple of the step at position 0
    int maximum_ = 0;
};

}  // namespace mechanon
