#pragma once
// Hobby servos behind a USB servo controller, through its compact protocol on the controller's
// command port. The id of a servo is the channel it is plugged into (0 to 23) and its counts are
// the pulse width in quarter-microseconds (6000 is 1500 us, the middle of a hobby servo).
//
// A hobby servo reports nothing back: what the controller tells is the pulse width it outputs on
// a channel, which follows the target at the channel's speed limit. So ReadPositions reports
// where the servos are told to be, not where they are, and Measures() is false. A channel whose
// pulses are stopped reports 0.
//
// Torque off stops the pulses of a channel (a target of 0); most servos then go limp. There is no
// torque on as such: the pulses start again with the channel's next goal, which the drive writes
// in every round. The controller sends every channel to its home setting when it detects an error;
// ReadPositions asks for the errors in the same exchange and reports them.

#include <chrono>

#include "motorio/ServoProtocol.h"

namespace torvane {

class MaestroProtocol final : public ServoProtocol {
  public:
    // How long the controller may take to answer beyond the time the bytes need on the wire: its
    // USB port answers within a few milliseconds, and the watchdog's deadline is 20 ms.
    static constexpr std::chrono::microseconds DefaultReplyTime{10'000};

    explicit MaestroProtocol(std::chrono::microseconds ReplyTime = DefaultReplyTime)
        : replyTime_(ReplyTime) {}

    DriveKind Kind() const noexcept override { return DriveKind::Maestro; }
    // The command port ignores the rate in "USB dual port" mode; in "USB chained" mode it is the
    // rate of the controller's TX line.
    std::int32_t DefaultBaud() const noexcept override { return 115200; }
    std::int32_t HighestId() const noexcept override;
    bool Measures() const noexcept override { return false; }
    std::chrono::microseconds ReplyLimit() const noexcept override { return replyTime_; }

    // A goal outside 1..16383 is refused before anything is sent (0 would stop the pulses).
    void WriteGoals(BusPort& Bus, std::span<const std::int32_t> Ids,
                    std::span<const std::int32_t> Counts) override;
    // The output of each channel, and the controller's errors, in one exchange.
    void ReadPositions(BusPort& Bus, std::span<const std::int32_t> Ids,
                       std::span<std::int32_t> Counts) override;
    void Torque(BusPort& Bus, std::span<const std::int32_t> Ids, bool On) override;
    // Every channel of a connected controller answers; the controller reports no model (0). The
    // errors are read and cleared with it, so that a scan that asked for a channel the controller
    // lacks leaves no error for the next drive.
    std::optional<ServoFound> Ping(BusPort& Bus, std::int32_t Id) override;

  private:
    std::chrono::microseconds TimeLimit(const BusPort& Bus, std::size_t Bytes) const;
    // One exchange of ReadPositions into Reply; false when a reply is garbled.
    bool AskPositions(BusPort& Bus, std::span<const std::int32_t> Ids,
                      std::span<std::uint8_t> Reply) const;

    std::chrono::microseconds replyTime_;
};

}  // namespace torvane
