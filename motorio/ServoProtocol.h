#pragma once
// One protocol of servos on a serial bus: the frames of a control round (every goal position in
// one synchronous write, every present position in one synchronous read where the protocol has
// one), torque, and the ping a scan makes. Positions are in the servo's own counts. Framing
// (checksums, packets) is pure code in each protocol's files, tested byte for byte; this
// interface is what a bus's joints and a scan use.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

#include "motorio/BusPort.h"
#include "motorio/DriveKind.h"

namespace torvane {

// A servo that does not answer, answers with a bad checksum, or reports a hardware error. The
// message names the device and the servo; Id is the servo's (-1 for the bus as a whole).
class ServoBusError : public std::runtime_error {
  public:
    enum class Kind { Timeout, Checksum, Hardware, Device };
    ServoBusError(Kind kind, std::int32_t id, const std::string& message)
        : std::runtime_error(message), kind_(kind), id_(id) {}
    Kind What() const noexcept { return kind_; }
    std::int32_t Id() const noexcept { return id_; }

  private:
    Kind kind_;
    std::int32_t id_;
};

struct ServoFound {
    std::int32_t Id = 0;
    std::int32_t Model = 0;     // the model number the servo reports (0 where it reports none)
    std::int32_t Position = 0;  // counts
};

class ServoProtocol {
  public:
    virtual ~ServoProtocol() = default;
    virtual DriveKind Kind() const noexcept = 0;
    virtual std::int32_t DefaultBaud() const noexcept = 0;
    virtual std::int32_t HighestId() const noexcept = 0;
    // Whether ReadPositions measures the servos (false: it reports the targets the device
    // outputs, as a hobby servo controller does).
    virtual bool Measures() const noexcept = 0;
    // How long an exchange waits for a reply beyond the time its bytes take on the wire.
    virtual std::chrono::microseconds ReplyLimit() const noexcept = 0;

    // Goal positions of the servos Ids (counts, index for index) in one synchronous write.
    virtual void WriteGoals(BusPort& Bus, std::span<const std::int32_t> Ids,
                            std::span<const std::int32_t> Counts) = 0;
    // Present positions of Ids into Counts, index for index, in one synchronous read where the
    // protocol has one. A reply with a bad checksum is asked for once more within the call; a
    // second failure, a missing reply or hardware-error bits raise ServoBusError naming the servo.
    virtual void ReadPositions(BusPort& Bus, std::span<const std::int32_t> Ids,
                               std::span<std::int32_t> Counts) = 0;
    // Torque (the output of a channel) on or off for Ids.
    virtual void Torque(BusPort& Bus, std::span<const std::int32_t> Ids, bool On) = 0;
    // The servo with id Id, when one answers within the protocol's time limit.
    virtual std::optional<ServoFound> Ping(BusPort& Bus, std::int32_t Id) = 0;
};

// The protocol of a servo-bus kind; an invalid-argument error for other kinds. Its replies may
// take ExtraReplyTime() beyond the protocol's own limit.
std::unique_ptr<ServoProtocol> MakeServoProtocol(DriveKind Kind);

// Time a servo is allowed for its reply beyond its protocol's own limit, in the protocols made
// after it is set: none in the program. Tests whose servos are emulated by a thread of a busy
// machine allow more, since that thread answers only once it gets a core. Any thread.
void SetExtraReplyTime(std::chrono::microseconds Extra) noexcept;
std::chrono::microseconds ExtraReplyTime() noexcept;

}  // namespace torvane
