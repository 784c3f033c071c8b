#pragma once
// The control law of a DC motor switched full on or off: forward above the target's dead band,
// backward below it, off inside it.

namespace torvane {

struct DeadBandDrive {
    bool forward;
    bool backward;
    // +1, -1 or 0, as a simulated motor takes it.
    int Direction() const noexcept { return (forward ? 1 : 0) - (backward ? 1 : 0); }
};

inline DeadBandDrive DriveToward(double target, double measured, double deadBand) noexcept {
    return {target > measured + deadBand, target < measured - deadBand};
}

}  // namespace torvane
