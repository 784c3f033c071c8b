#include "motorio/MaestroProtocol.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/Error.h"
#include "motorio/MaestroFrames.h"

namespace torvane {

namespace {

std::string Controller(const BusPort& Bus) {
    return "The servo controller on " + Bus.Device();
}

void CheckSizes(std::size_t Ids, std::size_t Counts) {
    if (Ids != Counts)
        Raise(ErrorCode::InvalidArgument, "A servo controller was given " + std::to_string(Ids) +
                                              " channels but " + std::to_string(Counts) +
                                              " positions");
}

void CheckChannels(const BusPort& Bus, std::span<const std::int32_t> Ids) {
    for (const std::int32_t id : Ids)
        if (id < 0 || id > MaestroHighestChannel)
            Raise(ErrorCode::InvalidArgument,
                  Controller(Bus) + " has no channel " + std::to_string(id) +
                      "; the id of a servo on it is its channel, 0 to 23");
}

// The smallest controller lacks Set Multiple Targets, so it is only sent to a larger one, known by
// a channel the smallest does not have.
bool HasMultipleTargets(std::span<const std::int32_t> Ids) {
    return std::ranges::any_of(
        Ids, [](std::int32_t id) { return id > MaestroHighestChannelOfTheSmallest; });
}

std::vector<MaestroTarget> Targets(std::span<const std::int32_t> Ids,
                                   std::span<const std::int32_t> Counts) {
    std::vector<MaestroTarget> targets(Ids.size());
    for (std::size_t i = 0; i < Ids.size(); ++i) targets[i] = {Ids[i], Counts[i]};
    return targets;
}

[[noreturn]] void RaiseMissing(const BusPort& Bus, std::span<const std::int32_t> Ids,
                               std::size_t Got) {
    const std::size_t channel = Got / 2;
    if (channel < Ids.size())
        throw ServoBusError(
            ServoBusError::Kind::Timeout, Ids[channel],
            Controller(Bus) + " did not answer for channel " + std::to_string(Ids[channel]));
    throw ServoBusError(ServoBusError::Kind::Timeout, -1,
                        Controller(Bus) + " did not report its errors");
}

// The channel whose reply is garbled (-1 for the error register), if any.
std::optional<std::int32_t> Garbled(std::span<const std::int32_t> Ids,
                                    std::span<const std::uint8_t> Reply) {
    for (std::size_t i = 0; i < Ids.size(); ++i)
        if (!MaestroPlausiblePosition(MaestroReplyWord(Reply, 2 * i))) return Ids[i];
    if (!MaestroPlausibleErrors(MaestroReplyWord(Reply, 2 * Ids.size()))) return -1;
    return std::nullopt;
}

[[noreturn]] void RaiseGarbled(const BusPort& Bus, std::int32_t Channel) {
    const std::string what =
        Channel < 0 ? "its errors" : "the position of channel " + std::to_string(Channel);
    throw ServoBusError(ServoBusError::Kind::Checksum, Channel,
                        Controller(Bus) + " sent a garbled reply for " + what + " twice");
}

void RaiseErrors(const BusPort& Bus, std::uint16_t Errors) {
    if (Errors == 0) return;
    throw ServoBusError(ServoBusError::Kind::Hardware, -1,
                        Controller(Bus) + " reports " + MaestroErrorNames(Errors) +
                            "; it has sent its channels to their home settings");
}

}  // namespace

std::int32_t MaestroProtocol::HighestId() const noexcept {
    return MaestroHighestChannel;
}

std::chrono::microseconds MaestroProtocol::TimeLimit(const BusPort& Bus, std::size_t Bytes) const {
    const double wire = Bus.ByteSeconds() * static_cast<double>(Bytes) * 1e6;
    return replyTime_ + std::chrono::microseconds(static_cast<std::int64_t>(std::ceil(wire)));
}

void MaestroProtocol::WriteGoals(BusPort& Bus, std::span<const std::int32_t> Ids,
                                 std::span<const std::int32_t> Counts) {
    CheckSizes(Ids.size(), Counts.size());
    CheckChannels(Bus, Ids);
    for (std::size_t i = 0; i < Ids.size(); ++i)
        if (Counts[i] < 1 || Counts[i] > MaestroHighestTarget)
            Raise(ErrorCode::InvalidArgument,
                  "The goal of channel " + std::to_string(Ids[i]) + " on " + Bus.Device() + " is " +
                      std::to_string(Counts[i]) +
                      " quarter-microseconds, outside 1 to 16383 (0 would stop its pulses); "
                      "check the scale and zero of its motor line");
    if (Ids.empty()) return;
    Bus.Write(MaestroTargetsFrame(Targets(Ids, Counts), HasMultipleTargets(Ids)));
}

bool MaestroProtocol::AskPositions(BusPort& Bus, std::span<const std::int32_t> Ids,
                                   std::span<std::uint8_t> Reply) const {
    const std::vector<std::uint8_t> request = MaestroPositionsRequest(Ids);
    // Whatever came in unasked (bytes from the controller's RX line in "USB chained" mode, or the
    // late end of a failed exchange) would shift every reply.
    Bus.Discard();
    Bus.Write(request);
    const std::size_t got = Bus.Read(Reply, TimeLimit(Bus, request.size() + Reply.size()));
    if (got < Reply.size()) RaiseMissing(Bus, Ids, got);
    return !Garbled(Ids, Reply);
}

void MaestroProtocol::ReadPositions(BusPort& Bus, std::span<const std::int32_t> Ids,
                                    std::span<std::int32_t> Counts) {
    CheckSizes(Ids.size(), Counts.size());
    CheckChannels(Bus, Ids);
    std::vector<std::uint8_t> reply(2 * Ids.size() + 2);
    // The replies carry no checksum; a word no controller can send is asked for once more.
    if (!AskPositions(Bus, Ids, reply) && !AskPositions(Bus, Ids, reply))
        RaiseGarbled(Bus, *Garbled(Ids, reply));
    RaiseErrors(Bus, MaestroReplyWord(reply, 2 * Ids.size()));
    for (std::size_t i = 0; i < Ids.size(); ++i) Counts[i] = MaestroReplyWord(reply, 2 * i);
}

void MaestroProtocol::Torque(BusPort& Bus, std::span<const std::int32_t> Ids, bool On) {
    CheckChannels(Bus, Ids);
    if (On || Ids.empty()) return;
    const std::vector<std::int32_t> off(Ids.size(), 0);
    Bus.Write(MaestroTargetsFrame(Targets(Ids, off), HasMultipleTargets(Ids)));
}

std::optional<ServoFound> MaestroProtocol::Ping(BusPort& Bus, std::int32_t Id) {
    if (Id < 0 || Id > MaestroHighestChannel) return std::nullopt;
    const std::int32_t channel[] = {Id};
    const std::vector<std::uint8_t> request = MaestroPositionsRequest(channel);
    std::uint8_t reply[4] = {};
    Bus.Discard();
    Bus.Write(request);
    // A channel the controller lacks gets no position, only the errors: two bytes of four.
    if (Bus.Read(reply, TimeLimit(Bus, request.size() + sizeof reply)) < sizeof reply)
        return std::nullopt;
    const std::uint16_t position = MaestroReplyWord(reply, 0);
    if (!MaestroPlausiblePosition(position)) return std::nullopt;
    return ServoFound{Id, 0, position};
}

}  // namespace torvane
