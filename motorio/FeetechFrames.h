#pragma once
// The frames of the STS/SCS serial-bus servo protocol, apart from any device: an instruction is
// FF FF ID LEN INSTR PARAMS... SUM, a servo's status FF FF ID LEN ERROR PARAMS... SUM, where LEN
// counts the bytes after it and SUM = ~(ID + LEN + INSTR-or-ERROR + PARAMS) & 0xFF. Values of two
// bytes are little endian with bit 15 as the sign (the magnetic-encoder servos of the STS series).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace torvane::feetech {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kBroadcastId = 0xFE;
constexpr std::int32_t kHighestId = 253;

namespace instruction {
constexpr std::uint8_t Ping = 0x01;
constexpr std::uint8_t Read = 0x02;
constexpr std::uint8_t Write = 0x03;
constexpr std::uint8_t SyncRead = 0x82;
constexpr std::uint8_t SyncWrite = 0x83;
}  // namespace instruction

// Addresses of the servo's memory table.
namespace address {
constexpr std::uint8_t Model = 3;  // two bytes: the model number (777 for the STS3215)
constexpr std::uint8_t Id = 5;
constexpr std::uint8_t TorqueEnable = 40;
constexpr std::uint8_t GoalPosition = 42;
constexpr std::uint8_t PresentPosition = 56;
constexpr std::uint8_t Status = 65;
}  // namespace address

// The error bits of a status.
namespace status {
constexpr std::uint8_t Voltage = 0x01;
constexpr std::uint8_t Sensor = 0x02;  // the magnetic encoder
constexpr std::uint8_t Overheat = 0x04;
constexpr std::uint8_t Overcurrent = 0x08;
constexpr std::uint8_t Overload = 0x20;
}  // namespace status

// The largest count a two-byte value carries either way.
constexpr std::int32_t kLargestCount = 0x7FFF;

std::uint8_t Checksum(std::span<const std::uint8_t> IdToLastParam);
Bytes InstructionFrame(std::uint8_t Id, std::uint8_t Instruction,
                       std::span<const std::uint8_t> Params);
Bytes StatusFrame(std::uint8_t Id, std::uint8_t Error, std::span<const std::uint8_t> Params);

Bytes PingFrame(std::uint8_t Id);
Bytes ReadFrame(std::uint8_t Id, std::uint8_t Address, std::uint8_t Length);
Bytes WriteFrame(std::uint8_t Id, std::uint8_t Address, std::span<const std::uint8_t> Data);
// One frame to every servo of Ids: the same Length bytes at Address, Data holding each servo's
// Length bytes in the order of Ids.
Bytes SyncWriteFrame(std::uint8_t Address, std::uint8_t Length, std::span<const std::uint8_t> Ids,
                     std::span<const std::uint8_t> Data);
// Asks every servo of Ids for Length bytes at Address; each answers with a status of its own, in
// the order of Ids.
Bytes SyncReadFrame(std::uint8_t Address, std::uint8_t Length, std::span<const std::uint8_t> Ids);

// A count as two bytes, little endian, bit 15 the sign; an invalid-argument error beyond
// +-kLargestCount.
void PutCount(Bytes& Into, std::int32_t Count);
std::int32_t CountOf(std::uint8_t Low, std::uint8_t High);

struct Status {
    std::uint8_t Id = 0;
    std::uint8_t Error = 0;
    Bytes Params;
    bool ChecksumOk = true;
};

// The first status frame in Bytes from At on (leading noise skipped); At is moved past it. None
// when no whole frame is left.
std::optional<Status> NextStatus(std::span<const std::uint8_t> Bytes, std::size_t& At);

// The error bits of a status in words ("overload, overheating").
std::string StatusErrorText(std::uint8_t Error);

}  // namespace torvane::feetech
