#include "motorio/SimulatedMotor.h"

namespace torvane {

ModemInputs SimulatedMotor::InputsOf(std::int64_t count) noexcept {
    switch (((count % 4) + 4) % 4) {
        case 0:
            return {false, false};
        case 1:
            return {false, true};
        case 2:
            return {true, true};
        default:
            return {true, false};
    }
}

void SimulatedMotor::Integrate(double h) noexcept {
    const double push = p_.DriveAcceleration * drive_;
    double acceleration = push - velocity_ / p_.TimeConstant;
    if (velocity_ == 0) {
        // Static friction: the shaft starts only when the drive overcomes it.
        if (std::abs(push) <= p_.FrictionDeceleration) return;
        acceleration -= std::copysign(p_.FrictionDeceleration, push);
    } else {
        acceleration -= std::copysign(p_.FrictionDeceleration, velocity_);
    }
    const double before = velocity_;
    double after = before + acceleration * h;
    // Friction stops the shaft; it does not turn it round within one step.
    if (before != 0 && after * before <= 0) after = 0;
    position_ += 0.5 * (before + after) * h;
    velocity_ = after;
}

}  // namespace torvane
