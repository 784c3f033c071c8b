#pragma once
// Jogging the motors of the active room: each new set of joint values is driven onto the motors
// (simulated or real, as the room's motor list and Simulate Motors say) as a short path from
// where they stand, re-timed within the motors' speed and acceleration limits. The drive runs as
// any drive does, as a stoppable command with the window thread's events let through; a new set
// of values while one runs stops it and drives to the new values from where the motors then
// stand. Escape stops the jog as it stops any drive.

#include <QObject>
#include <functional>
#include <optional>
#include <vector>

namespace mechanon {

class clsBots;
class ToolPathCommand;

class JointJog final : public QObject {
  public:
    // Why a jog ended before reaching its values.
    enum class End { Failed, Stopped };
    // ended is told once when a jog fails (after its message) or is stopped by the user; values
    // given afterwards start a new jog.
    JointJog(clsBots& bots, std::function<void(End)> ended);
    ~JointJog() override;

    // Drives the motors to values (motor 1 at [0]), starting once the window thread is free.
    void MoveTo(std::vector<double> values);
    // Stops the running jog and forgets the values not yet driven to.
    void Stop();
    // True from MoveTo until the motors have arrived, failed or were stopped.
    bool Busy() const noexcept { return running_ || pending_.has_value(); }

  private:
    void RunPending();
    // Drives to values; false when the user stopped it.
    bool DriveTo(const std::vector<double>& values);

    clsBots& bots_;
    std::function<void(End)> ended_;
    std::optional<std::vector<double>> pending_;
    bool scheduled_ = false;
    bool running_ = false;
    bool retargeting_ = false;
    ToolPathCommand* command_ = nullptr;  // the drive under way, while one is
};

}  // namespace mechanon
