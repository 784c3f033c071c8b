#pragma once
// The joints of a drive whose motors are served by several sets (one per kind of motor, and per
// device where a set serves one device): each round reads every set once and commands every set
// once, and the positions go back to the drive's motor numbers in order.

#include <memory>
#include <vector>

#include "motorio/DrivenJoints.h"

namespace torvane {

class GroupedJoints final : public DrivenJoints {
  public:
    struct Group {
        std::shared_ptr<DrivenJoints> Joints;
        std::vector<int> Motors;  // the drive's motor numbers (from 1) of joints 1, 2, ..., rising
    };
    // Every motor number from 1 to the total in exactly one group.
    explicit GroupedJoints(std::vector<Group> Groups);

    // Each set opens the lines of its motors.
    void Open(const std::vector<JointLine>& Lines) override;
    void Close() noexcept override;
    // Motors 1 to n can be driven when every set can drive its motors among them.
    std::int32_t Count() const override;
    bool Read(std::span<double> Measured) override;
    void Command(std::span<const double> Targets, const BusyJoint& Busy) override;
    bool AllOff() noexcept override;
    void Hold() noexcept override;
    void EmergencyOff() noexcept override;
    bool Measures(std::int32_t Joint) const noexcept override;
    bool LetGo(const std::vector<bool>& Limp) noexcept override;
    // The groups are read and written one after another: their allowances add up.
    double RoundAllowance() const noexcept override;
    void DriveFrom(std::thread::id Driver) noexcept override;

  private:
    struct Slot {
        Group Of;
        std::vector<double> Values;  // a round's positions or targets, sized once
        // How many of the group's motors are among motors 1 to Motors.
        std::size_t Among(std::size_t Motors) const;
    };
    std::vector<Slot> slots_;
    std::int32_t total_ = 0;
};

}  // namespace torvane
