#include "motorio/SimulatedHand.h"

#include "motorio/SimulatedMotor.h"
#include "platform/Clock.h"

namespace torvane {

void SimulatedHand::Turn(int Port, Curve Steps) {
    const double now = SystemClock().Seconds();
    const std::lock_guard lock(mutex_);
    grips_[Port] = Grip{nextId_++, now, std::make_shared<const Curve>(std::move(Steps))};
}

void SimulatedHand::Release(int Port) {
    const std::lock_guard lock(mutex_);
    grips_.erase(Port);
}

std::optional<SimulatedHand::Grip> SimulatedHand::GripOn(int Port) const {
    const std::lock_guard lock(mutex_);
    const auto it = grips_.find(Port);
    if (it == grips_.end()) return std::nullopt;
    return it->second;
}

bool HandHold::Take(const SimulatedHand* Hand, int Port, const SimulatedMotor& Motor) {
    std::optional<SimulatedHand::Grip> grip = Hand ? Hand->GripOn(Port) : std::nullopt;
    if (!grip) {
        grip_.reset();
        return false;
    }
    if (!grip_ || grip_->Id != grip->Id) gripped_ = Motor.Position();
    grip_ = std::move(grip);
    return true;
}

}  // namespace torvane
