#include "motorio/SimulatedJoints.h"

#include <cmath>

#include "model/Error.h"
#include "motorio/DeadBand.h"
#include "platform/Clock.h"

namespace torvane {

SimulatedJoints::SimulatedJoints(SimulatedMotorParameters Parameters) : parameters_(Parameters) {}

SimulatedJoints::~SimulatedJoints() {
    AllOff();
}

bool SimulatedJoints::AreTheseLines(const std::vector<JointLine>& Lines) const {
    if (Lines.size() != joints_.size()) return false;
    for (std::size_t k = 0; k < Lines.size(); ++k)
        if (Lines[k].Port != joints_[k].Line.Port || Lines[k].Device != joints_[k].Line.Device)
            return false;
    return true;
}

void SimulatedJoints::Open(const std::vector<JointLine>& Lines) {
    const std::lock_guard lock(mutex_);
    AdvanceLocked();
    AllOffLocked();
    if (AreTheseLines(Lines)) {
        for (std::size_t k = 0; k < Lines.size(); ++k)
            joints_[k].Encoder.PositionScale(Lines[k].Scale);
        return;
    }
    std::vector<Joint> joints;
    for (const JointLine& line : Lines) {
        Joint joint{line, SimulatedMotor(parameters_), clsQuadEncoder(), HandHold()};
        joint.Encoder.PositionScale(line.Scale);
        const ModemInputs inputs = joint.Motor.Inputs();
        joint.Encoder.ZeroPosition(inputs.DCD, inputs.CTS);
        joints.push_back(std::move(joint));
    }
    joints_ = std::move(joints);
}

void SimulatedJoints::Close() noexcept {
    const std::lock_guard lock(mutex_);
    joints_.clear();
}

std::int32_t SimulatedJoints::Count() const {
    const std::lock_guard lock(mutex_);
    return static_cast<std::int32_t>(joints_.size());
}

SimulatedMotor SimulatedJoints::Motor(std::int32_t Joint) const {
    const std::lock_guard lock(mutex_);
    if (Joint < 1 || static_cast<std::size_t>(Joint) > joints_.size())
        Raise(ErrorCode::SubscriptOutOfRange,
              "Subscript out of range: no simulated motor " + std::to_string(Joint));
    return joints_[static_cast<std::size_t>(Joint - 1)].Motor;
}

void SimulatedJoints::AdvanceLocked() {
    const double now = SystemClock().Seconds();
    const double from = lastSeconds_;
    lastSeconds_ = now;
    for (Joint& joint : joints_) {
        const auto onEdge = [&joint](ModemInputs inputs) {
            joint.Encoder.RefreshPosition(inputs.DCD, inputs.CTS);
        };
        if (!joint.Hand.Follow(parameters_.Hand.get(), joint.Line.Port, joint.Motor, from, now,
                               onEdge))
            joint.Motor.Advance(now - from, onEdge);
    }
}

bool SimulatedJoints::Read(std::span<double> Measured) {
    const std::lock_guard lock(mutex_);
    AdvanceLocked();
    TakeEmergencyLocked();
    if (joints_.size() < Measured.size()) return false;
    for (std::size_t k = 0; k < Measured.size(); ++k)
        Measured[k] = joints_[k].Encoder.ScaledPosition();
    return true;
}

void SimulatedJoints::Command(std::span<const double> Targets, const BusyJoint& Busy) {
    const std::lock_guard lock(mutex_);
    AdvanceLocked();  // the old drives acted until now
    for (std::size_t k = 0; k < Targets.size(); ++k) {
        Busy.Mark(static_cast<int>(k + 1));
        if (k >= joints_.size())
            Raise(ErrorCode::SubscriptOutOfRange,
                  "Subscript out of range: no simulated motor " + std::to_string(k + 1));
        Joint& joint = joints_[k];
        const clsQuadEncoder& encoder = joint.Encoder;
        joint.Motor.SetDrive(
            DriveToward(Targets[k], encoder.ScaledPosition(), std::abs(encoder.PositionScale()))
                .Direction());
    }
    TakeEmergencyLocked();
}

void SimulatedJoints::AllOffLocked() noexcept {
    for (Joint& joint : joints_) joint.Motor.SetDrive(0);
}

void SimulatedJoints::TakeEmergencyLocked() noexcept {
    if (emergency_.exchange(false)) AllOffLocked();
}

bool SimulatedJoints::AllOff() noexcept {
    const std::lock_guard lock(mutex_);
    emergency_.store(false);
    try {
        AdvanceLocked();  // the drives acted until now
    } catch (...) {
        // Off whatever the motors' last stretch reported.
    }
    AllOffLocked();
    return true;
}

void SimulatedJoints::EmergencyOff() noexcept {
    emergency_.store(true);
    if (!mutex_.try_lock()) return;  // the call holding the set switches them off
    const std::lock_guard lock(mutex_, std::adopt_lock);
    TakeEmergencyLocked();
}

}  // namespace torvane
