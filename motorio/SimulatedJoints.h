#pragma once
// Simulated geared DC motors with quadrature encoders (SimulatedMotor), one per joint, driven by
// the same dead-band switching as the line-driven motors but with no port involved. The motors run
// in real time on the installed clock; every call brings them up to the present first, and every
// encoder sees every step.
//
// Every member may be called from any thread: the set guards its motors with a mutex of its own.
// EmergencyOff does not wait for a call running elsewhere; that call switches the motors off
// as it returns.

#include <atomic>
#include <mutex>
#include <vector>

#include "motorio/DrivenJoints.h"
#include "motorio/SimulatedHand.h"
#include "motorio/SimulatedMotor.h"
#include "motorio/clsQuadEncoder.h"

namespace torvane {

class SimulatedJoints final : public DrivenJoints {
  public:
    explicit SimulatedJoints(SimulatedMotorParameters Parameters = {});
    // Every motor off.
    ~SimulatedJoints() override;
    SimulatedJoints(const SimulatedJoints&) = delete;
    SimulatedJoints& operator=(const SimulatedJoints&) = delete;

    // A joint is known by its line's port (or device): the same lines keep their motors where
    // they stand; other lines get new motors at rest, their encoders at 0.
    void Open(const std::vector<JointLine>& Lines) override;
    void Close() noexcept override;
    std::int32_t Count() const override;
    bool Read(std::span<double> Measured) override;
    void Command(std::span<const double> Targets, const BusyJoint& Busy) override;
    bool AllOff() noexcept override;
    void EmergencyOff() noexcept override;
    void DriveFrom(std::thread::id) noexcept override {}

    // A copy of joint j's motor (from 1), for a test to compare with its encoder.
    SimulatedMotor Motor(std::int32_t Joint) const;

  private:
    struct Joint {
        JointLine Line;
        SimulatedMotor Motor;
        clsQuadEncoder Encoder;
        HandHold Hand;  // the parameters' scripted hand, while it turns this joint's shaft
    };
    bool AreTheseLines(const std::vector<JointLine>& Lines) const;
    void AdvanceLocked();
    void AllOffLocked() noexcept;
    void TakeEmergencyLocked() noexcept;

    const SimulatedMotorParameters parameters_;
    mutable std::mutex mutex_;
    std::vector<Joint> joints_;
    double lastSeconds_ = 0;
    std::atomic<bool> emergency_{false};  // an EmergencyOff found the set in use
};

}  // namespace torvane
