#pragma once
// The STS/SCS serial-bus servos as a ServoProtocol: goals in one synchronous write, present
// positions in one synchronous read (a status from each servo in turn), torque through the
// torque-enable byte, and a ping that also reads the model number and the position.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>

#include "motorio/FeetechFrames.h"
#include "motorio/ServoProtocol.h"

namespace torvane {

class FeetechProtocol final : public ServoProtocol {
  public:
    // ReplyLimit: how long a servo may take to answer, beyond the time its reply takes on the
    // wire. A servo answers within half a millisecond, but a USB adapter holds what it receives
    // up to its latency timer (16 ms on many until set to 1). A drive's watchdog allows a round
    // on the bus twice this (BusServoJoints::RoundAllowance), so a silent servo is named by its
    // own timeout, even after one repeat of a spoilt reply.
    explicit FeetechProtocol(std::chrono::microseconds ReplyLimit = std::chrono::milliseconds(25));

    DriveKind Kind() const noexcept override { return DriveKind::Feetech; }
    std::int32_t DefaultBaud() const noexcept override { return 1000000; }
    std::int32_t HighestId() const noexcept override { return feetech::kHighestId; }
    bool Measures() const noexcept override { return true; }
    std::chrono::microseconds ReplyLimit() const noexcept override { return replyLimit_; }

    void WriteGoals(BusPort& Bus, std::span<const std::int32_t> Ids,
                    std::span<const std::int32_t> Counts) override;
    void ReadPositions(BusPort& Bus, std::span<const std::int32_t> Ids,
                       std::span<std::int32_t> Counts) override;
    void Torque(BusPort& Bus, std::span<const std::int32_t> Ids, bool On) override;
    std::optional<ServoFound> Ping(BusPort& Bus, std::int32_t Id) override;

  private:
    // Length bytes at Address of every servo of Ids, in the order of Ids, by one synchronous
    // read; a servo whose status came with a bad checksum is asked once more on its own. With
    // Faults a status's error bits raise a hardware error.
    std::vector<feetech::Bytes> SyncRead(BusPort& Bus, std::span<const std::uint8_t> Ids,
                                         std::uint8_t Address, std::uint8_t Length, bool Faults);
    // Length bytes at Address of one servo, asked for up to Attempts times while the replies come
    // with a bad checksum (then a checksum error). None when the servo does not answer.
    std::optional<feetech::Status> ReadOne(BusPort& Bus, std::uint8_t Id, std::uint8_t Address,
                                           std::uint8_t Length, int Attempts);
    // Sends Request and gathers the statuses that arrive for Replies frames of ReplyBytes each.
    std::vector<feetech::Status> Exchange(BusPort& Bus, const feetech::Bytes& Request,
                                          std::size_t Replies, std::size_t ReplyBytes);
    std::chrono::microseconds TimeLimit(const BusPort& Bus, std::size_t Bytes) const;

    std::chrono::microseconds replyLimit_;
};

}  // namespace torvane
