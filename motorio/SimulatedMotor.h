#pragma once
// A geared DC motor with an incremental encoder, in encoder steps and seconds. The drive is
// full forward (+1), full backward (-1) or off (0); the shaft has inertia, viscous damping and
// Coulomb friction, so it runs up to speed, coasts to a stop when the drive is off and does not
// start against friction. The encoder reports one quadrature state per whole step.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "platform/SerialLine.h"

namespace torvane {

class SimulatedHand;

struct SimulatedMotorParameters {
    double DriveAcceleration = 1.0e6;     // steps/s^2 at full drive from rest, before friction
    double TimeConstant = 0.004;          // s, viscous damping (inertia over damping)
    double FrictionDeceleration = 5.0e5;  // steps/s^2, Coulomb friction
    double MaxTimeStep = 25e-6;           // s, the longest integration step
    // A scripted hand that may turn the shafts from outside (SimulatedHand.h); none by default.
    std::shared_ptr<const SimulatedHand> Hand;
    // Top speed = (DriveAcceleration - FrictionDeceleration) * TimeConstant steps/s.
    double TopSpeed() const { return (DriveAcceleration - FrictionDeceleration) * TimeConstant; }
};

class SimulatedMotor {
  public:
    explicit SimulatedMotor(SimulatedMotorParameters parameters = {}) : p_(parameters) {}

    void SetDrive(int direction) noexcept { drive_ = direction > 0 ? 1 : (direction < 0 ? -1 : 0); }
    int Drive() const noexcept { return drive_; }

    // Integrates over seconds (ignored when not positive) and calls onEdge(inputs) once per
    // encoder state passed, in order, so a counter that sees every call never loses a step.
    // After SettleSeconds under one drive the motor runs at its steady speed (or stands), so
    // the rest of a longer gap (a suspended machine, a clock set forward) is covered at that
    // speed in one stretch instead of in integration steps.
    template <typename EdgeFn>
    void Advance(double seconds, EdgeFn&& onEdge) {
        if (!(seconds > 0)) return;
        const double fine = std::min(seconds, SettleSeconds());
        const auto substeps = static_cast<std::int64_t>(std::ceil(fine / p_.MaxTimeStep));
        const double h = fine / static_cast<double>(substeps);
        for (std::int64_t i = 0; i < substeps; ++i) {
            Integrate(h);
            EmitEdges(onEdge);
        }
        if (seconds > fine) {
            position_ += velocity_ * (seconds - fine);
            EmitEdges(onEdge);
        }
    }
    // The shaft put at position (steps) from outside, at rest there (a hand turned it); onEdge
    // as for Advance.
    template <typename EdgeFn>
    void TurnTo(double position, EdgeFn&& onEdge) {
        position_ = position;
        velocity_ = 0;
        EmitEdges(onEdge);
    }
    const SimulatedMotorParameters& Parameters() const noexcept { return p_; }

    // Fifty time constants: the speed is within e^-50 of its steady value.
    double SettleSeconds() const noexcept { return std::max(50 * p_.TimeConstant, p_.MaxTimeStep); }

    double Position() const noexcept { return position_; }  // steps, continuous
    double Velocity() const noexcept { return velocity_; }  // steps/s
    std::int64_t Count() const noexcept { return count_; }  // whole steps the encoder shows
    ModemInputs Inputs() const noexcept { return InputsOf(count_); }

    // The quadrature state shown at a step count: 00, 01, 11, 10 repeating (DCD, CTS).
    static ModemInputs InputsOf(std::int64_t count) noexcept;

  private:
    void Integrate(double h) noexcept;
    template <typename EdgeFn>
    void EmitEdges(EdgeFn& onEdge) {
        const auto target = static_cast<std::int64_t>(std::floor(position_));
        while (count_ < target) onEdge(InputsOf(++count_));
        while (count_ > target) onEdge(InputsOf(--count_));
    }

    SimulatedMotorParameters p_;
    int drive_ = 0;
    double position_ = 0.5;  // mid-step, so a motor at rest shows a steady state
    double velocity_ = 0;
    std::int64_t count_ = 0;
};

}  // namespace torvane
