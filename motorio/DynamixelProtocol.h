#pragma once
// Servos of the Dynamixel X series on one bus, protocol 2.0 (firmware that speaks it): a round
// is one sync write of the goal positions and one sync read of the present positions, each
// servo answering in turn. A servo whose status has the alert bit set has a hardware error; its
// Hardware Error Status is read and named. Positions are the servo's counts (4096 a turn).

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "motorio/ServoProtocol.h"

namespace torvane {

class DynamixelProtocol final : public ServoProtocol {
  public:
    // How long to wait for a reply beyond the time its bytes take on the wire: a USB adapter
    // holds received bytes up to its latency timer (16 ms on many) before passing them on.
    static constexpr std::chrono::microseconds kDefaultMargin{25000};
    explicit DynamixelProtocol(std::chrono::microseconds Margin = kDefaultMargin)
        : margin_(Margin) {}

    DriveKind Kind() const noexcept override { return DriveKind::Dynamixel; }
    std::int32_t DefaultBaud() const noexcept override { return 57600; }
    std::int32_t HighestId() const noexcept override;
    bool Measures() const noexcept override { return true; }
    std::chrono::microseconds ReplyLimit() const noexcept override { return margin_; }

    void WriteGoals(BusPort& Bus, std::span<const std::int32_t> Ids,
                    std::span<const std::int32_t> Counts) override;
    void ReadPositions(BusPort& Bus, std::span<const std::int32_t> Ids,
                       std::span<std::int32_t> Counts) override;
    // One sync write to every servo, then one sync read to confirm it; a servo that does not
    // answer is named once all the others have been told.
    void Torque(BusPort& Bus, std::span<const std::int32_t> Ids, bool On) override;
    std::optional<ServoFound> Ping(BusPort& Bus, std::int32_t Id) override;

  private:
    // The data of each servo's status (error byte first), index for index with Ids.
    using Statuses = std::vector<std::vector<std::uint8_t>>;
    enum class Alert { Raise, Ignore };

    // Sends the request Make builds for a list of ids and gathers one status of DataBytes data
    // from each; servos whose status was corrupt are asked once more. Raises ServoBusError.
    template <typename MakeRequest>
    Statuses Exchange(BusPort& Bus, std::span<const std::uint8_t> Ids, std::size_t DataBytes,
                      Alert OnAlert, const MakeRequest& Make);
    void Check(BusPort& Bus, std::uint8_t Id, std::span<const std::uint8_t> Status, Alert OnAlert);

    std::chrono::microseconds margin_;
};

}  // namespace torvane
