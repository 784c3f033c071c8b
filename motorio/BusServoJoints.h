#pragma once
// The servos of one protocol on one serial device, as a drive's joints: every round reads all
// their present positions in one exchange and writes all their goals in one, converting between
// the servos' counts and the motors' positions by each line's zero count and scale
// (position = (count - Zero) / Scale).
//
// Torque: Open leaves new servos limp; the first Command of a drive switches torque on after the
// first goals are written, so a servo never jumps towards a goal left over from before. Hold
// makes every servo keep where it stands now, torque on (a drive's end, Stop, a trip); AllOff
// makes them limp (teaching by hand, an explicit "torque off"); the program's end leaves them
// as they are, so a held robot stays up. EmergencyOff, from the
// watchdog's thread, cannot use the bus under a round: it only withholds any further goal, and
// the servos keep their last goal by themselves. A servo that reports a hardware error (overload,
// heat, voltage) has its torque switched off at once, and the round raises naming it.
//
// Threads: the set belongs to one thread at a time (the drive's control thread while it runs);
// only EmergencyOff may be called from any thread.

#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "motorio/BusPort.h"
#include "motorio/DrivenJoints.h"
#include "motorio/ServoProtocol.h"

namespace torvane {

class BusServoJoints final : public DrivenJoints {
  public:
    // Opens a device at a baud rate (OpenSerialBus, or a test's own).
    using BusOpener = std::function<std::unique_ptr<BusPort>(const std::string&, std::int32_t)>;

    BusServoJoints(std::string Device, std::unique_ptr<ServoProtocol> Protocol,
                   BusOpener Opener = OpenSerialBus);
    // The device closed; the servos stay as they are (held ones keep holding).
    ~BusServoJoints() override;
    BusServoJoints(const BusServoJoints&) = delete;
    BusServoJoints& operator=(const BusServoJoints&) = delete;

    // Every line must be a servo of this set's kind on its device, each with an id of its own,
    // a scale other than 0 and one baud rate for all. The device stays open for the same baud;
    // servos held by the last drive stay held while they are on the list, the others are made
    // limp. A servo that does not answer raises naming it, leaving no joint to drive.
    void Open(const std::vector<JointLine>& Lines) override;
    void Close() noexcept override;
    std::int32_t Count() const override;
    bool Read(std::span<double> Measured) override;
    void Command(std::span<const double> Targets, const BusyJoint& Busy) override;
    bool AllOff() noexcept override;
    void Hold() noexcept override;
    // The servos marked go limp; the others hold where they stand, torque on.
    bool LetGo(const std::vector<bool>& Limp) noexcept override;
    void EmergencyOff() noexcept override;
    void DriveFrom(std::thread::id) noexcept override {}
    bool Measures(std::int32_t) const noexcept override { return protocol_->Measures(); }
    // A read waits for the replies, and asks once more for a garbled one.
    double RoundAllowance() const noexcept override;

    const std::string& Device() const noexcept { return device_; }
    DriveKind Kind() const noexcept { return protocol_->Kind(); }
    // How many servos have torque on (since a drive's first goals to them).
    std::size_t TorqueOn() const noexcept { return held_.size(); }

  private:
    void CheckLines(const std::vector<JointLine>& Lines) const;
    std::int32_t BaudOf(const std::vector<JointLine>& Lines) const;
    void ReadCounts();
    // Runs a bus exchange, raising what goes wrong as the library's error with the protocol's
    // message; a servo reporting a hardware error is switched off first.
    template <class Exchange>
    void OnBus(Exchange&& Run);

    const std::string device_;
    const std::unique_ptr<ServoProtocol> protocol_;
    const BusOpener opener_;
    std::unique_ptr<BusPort> bus_;
    std::int32_t baud_ = 0;
    std::vector<JointLine> lines_;
    std::vector<std::int32_t> ids_;
    std::vector<std::int32_t> counts_;  // present positions, as last read
    std::vector<std::int32_t> goals_;
    std::set<std::int32_t> held_;  // the ids of the servos with torque on
    bool lost_ = false;            // the device failed (unplugged): the next Open opens it anew
    std::atomic<bool> withhold_{false};  // an EmergencyOff came: no goals until the drive ends
};

}  // namespace torvane
