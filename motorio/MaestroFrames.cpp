#include "motorio/MaestroFrames.h"

#include <algorithm>
#include <array>

#include "model/Error.h"

namespace torvane {

namespace {

void CheckTarget(const MaestroTarget& t) {
    if (t.Channel < 0 || t.Channel > MaestroHighestChannel)
        Raise(ErrorCode::InvalidArgument, "A servo controller has no channel " +
                                              std::to_string(t.Channel) + " (it has 0 to 23)");
    if (t.Target < 0 || t.Target > MaestroHighestTarget)
        Raise(ErrorCode::InvalidArgument, "The target " + std::to_string(t.Target) +
                                              " of channel " + std::to_string(t.Channel) +
                                              " is outside 0 to 16383 quarter-microseconds");
}

void AppendSevenBitPair(std::vector<std::uint8_t>& Frame, std::int32_t Value) {
    Frame.push_back(static_cast<std::uint8_t>(Value & 0x7F));
    Frame.push_back(static_cast<std::uint8_t>((Value >> 7) & 0x7F));
}

void AppendSetTarget(std::vector<std::uint8_t>& Frame, const MaestroTarget& t) {
    Frame.push_back(MaestroSetTarget);
    Frame.push_back(static_cast<std::uint8_t>(t.Channel));
    AppendSevenBitPair(Frame, t.Target);
}

void AppendSetMultipleTargets(std::vector<std::uint8_t>& Frame,
                              std::span<const MaestroTarget> Run) {
    Frame.push_back(MaestroSetMultipleTargets);
    Frame.push_back(static_cast<std::uint8_t>(Run.size()));
    Frame.push_back(static_cast<std::uint8_t>(Run.front().Channel));
    for (const MaestroTarget& t : Run) AppendSevenBitPair(Frame, t.Target);
}

// The length of the run of consecutive channels that starts at From.
std::size_t RunLength(std::span<const MaestroTarget> Sorted, std::size_t From) {
    std::size_t end = From + 1;
    while (end < Sorted.size() && Sorted[end].Channel == Sorted[end - 1].Channel + 1) ++end;
    return end - From;
}

}  // namespace

std::vector<std::uint8_t> MaestroTargetsFrame(std::vector<MaestroTarget> Targets, bool Multiple) {
    for (const MaestroTarget& t : Targets) CheckTarget(t);
    std::ranges::sort(Targets, {}, &MaestroTarget::Channel);
    const auto twice = std::ranges::adjacent_find(Targets, {}, &MaestroTarget::Channel);
    if (twice != Targets.end())
        Raise(ErrorCode::InvalidArgument,
              "Channel " + std::to_string(twice->Channel) + " is given two targets at once");
    std::vector<std::uint8_t> frame;
    const std::span<const MaestroTarget> sorted(Targets);
    for (std::size_t at = 0; at < sorted.size();) {
        const std::size_t run = Multiple ? RunLength(sorted, at) : 1;
        if (run > 1)
            AppendSetMultipleTargets(frame, sorted.subspan(at, run));
        else
            AppendSetTarget(frame, sorted[at]);
        at += run;
    }
    return frame;
}

std::vector<std::uint8_t> MaestroPositionsRequest(std::span<const std::int32_t> Channels) {
    std::vector<std::uint8_t> request;
    request.reserve(2 * Channels.size() + 1);
    for (const std::int32_t channel : Channels) {
        CheckTarget({channel, 0});
        request.push_back(MaestroGetPosition);
        request.push_back(static_cast<std::uint8_t>(channel));
    }
    request.push_back(MaestroGetErrors);
    return request;
}

std::uint16_t MaestroReplyWord(std::span<const std::uint8_t> Bytes, std::size_t At) {
    return static_cast<std::uint16_t>(Bytes[At] | (Bytes[At + 1] << 8));
}

std::string MaestroErrorNames(std::uint16_t Bits) {
    static constexpr std::array<const char*, 9> names = {
        "serial signal error (a byte at a wrong baud rate)",
        "serial overrun error",
        "serial receive buffer full",
        "serial CRC error",
        "serial protocol error (a command it does not know)",
        "serial timeout (no command within its serial timeout)",
        "script stack error",
        "script call stack error",
        "script program counter error",
    };
    std::string text;
    for (std::size_t bit = 0; bit < 16; ++bit) {
        if (!(Bits & (1u << bit))) continue;
        if (!text.empty()) text += ", ";
        text += bit < names.size() ? std::string(names[bit]) : "error bit " + std::to_string(bit);
    }
    return text;
}

}  // namespace torvane
