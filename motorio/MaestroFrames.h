#pragma once
// The frames of a USB servo controller's compact protocol, apart from the device that carries
// them. A command byte (high bit set) is followed by data bytes of seven bits each. A target is
// a pulse width in quarter-microseconds (6000 is 1500 us), sent as its low seven bits and then
// its bits 7 to 13; a target of 0 stops the pulses of the channel. Replies carry no framing of
// their own: each is a little-endian 16-bit word, in the order the requests were sent.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace torvane {

inline constexpr std::uint8_t MaestroSetTarget = 0x84;
inline constexpr std::uint8_t MaestroSetMultipleTargets = 0x9F;
inline constexpr std::uint8_t MaestroGetPosition = 0x90;
inline constexpr std::uint8_t MaestroGetErrors = 0xA1;

inline constexpr std::int32_t MaestroHighestChannel = 23;
inline constexpr std::int32_t MaestroHighestTarget = 0x3FFF;  // fourteen bits
// The smallest controller has channels 0 to 5 only and no Set Multiple Targets: a channel above
// this one is on a larger controller, which has it.
inline constexpr std::int32_t MaestroHighestChannelOfTheSmallest = 5;
// The bits of the error register that the controller defines (0 to 8).
inline constexpr std::uint16_t MaestroDefinedErrors = 0x01FF;

struct MaestroTarget {
    std::int32_t Channel = 0;
    std::int32_t Target = 0;  // quarter-microseconds; 0 stops the pulses
};

// One frame that sets every target: each run of consecutive channels becomes one Set Multiple
// Targets when Multiple is true and the run is longer than one, every other channel one Set
// Target. Channels may come in any order; an invalid-argument error for a channel outside
// 0..23, a target outside 0..16383 or a channel given twice.
std::vector<std::uint8_t> MaestroTargetsFrame(std::vector<MaestroTarget> Targets, bool Multiple);

// Get Position of each channel in order, then one Get Errors; the replies are 2 bytes per channel
// and 2 for the errors.
std::vector<std::uint8_t> MaestroPositionsRequest(std::span<const std::int32_t> Channels);

// The 16-bit word of a reply (low byte first) at Bytes[At], Bytes[At + 1].
std::uint16_t MaestroReplyWord(std::span<const std::uint8_t> Bytes, std::size_t At);

// Whether a reply can be what the controller sent: a servo's output never exceeds 14 bits and the
// error register has nine bits. Anything else is a garbled reply.
constexpr bool MaestroPlausiblePosition(std::uint16_t Word) noexcept {
    return Word <= MaestroHighestTarget;
}
constexpr bool MaestroPlausibleErrors(std::uint16_t Word) noexcept {
    return (Word & ~MaestroDefinedErrors) == 0;
}

// The errors set in a Get Errors reply, in words, joined with ", " ("serial protocol error").
std::string MaestroErrorNames(std::uint16_t Bits);

}  // namespace torvane
