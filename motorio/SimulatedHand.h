#pragma once
// A scripted hand for simulated motors: it grips the shaft of a motor whose lines are off and
// turns it along a curve of time, as a person moving a robot's joint by hand would, so the
// motor's encoder counts every step of the way. Tests and demonstrations of recording a motion
// hand it to the simulated motors through their parameters (SimulatedMotorParameters::Hand).
//
// Every member may be called from any thread.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "motorio/SimulatedMotor.h"

namespace torvane {

class SimulatedHand {
  public:
    // The encoder steps the shaft has been turned by, Seconds after the grip.
    using Curve = std::function<double(double Seconds)>;

    struct Grip {
        std::uint64_t Id = 0;  // a new one for every grip
        double Since = 0;      // the installed clock's time of the grip
        std::shared_ptr<const Curve> Steps;
    };

    // Grips the shaft of the simulated motor on Port now and turns it along Steps from where it
    // stands; a grip already on that port is let go first.
    void Turn(int Port, Curve Steps);
    // Lets go of the shaft on Port: it stays where the hand left it, at rest.
    void Release(int Port);
    // The grip on Port, if any.
    std::optional<Grip> GripOn(int Port) const;

  private:
    mutable std::mutex mutex_;
    std::map<int, Grip> grips_;
    std::uint64_t nextId_ = 1;
};

// What one motor makes of a hand: while the hand grips its port, the shaft follows the hand's
// curve (from where it stood when gripped) instead of its own dynamics.
class HandHold {
  public:
    // True when the hand holds Port; then Motor has been moved through every integration step
    // from From to To (installed-clock seconds), each encoder step reported through OnEdge.
    template <typename EdgeFn>
    bool Follow(const SimulatedHand* Hand, int Port, SimulatedMotor& Motor, double From, double To,
                EdgeFn&& OnEdge);

  private:
    bool Take(const SimulatedHand* Hand, int Port, const SimulatedMotor& Motor);

    std::optional<SimulatedHand::Grip> grip_;
    double gripped_ = 0;  // the shaft's position at the grip, steps
};

template <typename EdgeFn>
bool HandHold::Follow(const SimulatedHand* Hand, int Port, SimulatedMotor& Motor, double From,
                      double To, EdgeFn&& OnEdge) {
    if (!Take(Hand, Port, Motor)) return false;
    if (!(To > From)) return true;
    const double step = Motor.Parameters().MaxTimeStep;
    const double steps = std::min(std::ceil((To - From) / step), 1e6);
    const auto n = static_cast<std::int64_t>(std::max(steps, 1.0));
    const SimulatedHand::Curve& curve = *grip_->Steps;
    for (std::int64_t k = 1; k <= n; ++k) {
        const double t = From + (To - From) * static_cast<double>(k) / static_cast<double>(n);
        Motor.TurnTo(gripped_ + curve(std::max(0.0, t - grip_->Since)), OnEdge);
    }
    return true;
}

}  // namespace torvane
