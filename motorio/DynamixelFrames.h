#pragma once
// The packets of the Dynamixel bus, protocol 2.0, as pure code: no device, no time. A packet is
//   FF FF FD 00  ID  LEN_L LEN_H  INST  PARAMS...  CRC_L CRC_H
// where LEN counts the bytes after it (instruction, parameters as sent, CRC), the instruction and
// parameters are byte-stuffed (every FF FF FD among them is sent as FF FF FD FD, so the header
// never appears inside a packet) and the CRC-16 (polynomial 0x8005, no reflection, start 0)
// covers everything before it as sent. A status packet is an instruction packet whose
// instruction is 0x55 and whose first parameter is the error byte.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace torvane::dynamixel {

constexpr std::uint8_t kBroadcastId = 0xFE;
constexpr std::int32_t kHighestId = 252;

// Instructions.
constexpr std::uint8_t kPing = 0x01;
constexpr std::uint8_t kRead = 0x02;
constexpr std::uint8_t kWrite = 0x03;
constexpr std::uint8_t kStatus = 0x55;
constexpr std::uint8_t kSyncRead = 0x82;
constexpr std::uint8_t kSyncWrite = 0x83;

// The control table of the X series.
constexpr std::uint16_t kModelNumber = 0;  // 2 bytes
constexpr std::uint16_t kFirmware = 6;     // 1 byte
constexpr std::uint16_t kTorqueEnable = 64;
constexpr std::uint16_t kHardwareErrorStatus = 70;
constexpr std::uint16_t kGoalPosition = 116;     // 4 bytes, signed
constexpr std::uint16_t kPresentPosition = 132;  // 4 bytes, signed

// The error byte of a status: the alert bit says the servo has a hardware error (its Hardware
// Error Status tells which); the rest is the number of what went wrong with the instruction.
constexpr std::uint8_t kAlert = 0x80;
constexpr std::uint8_t kErrorNumberMask = 0x7F;
constexpr std::uint8_t kCrcErrorNumber = 0x03;

// The bytes every packet has besides its instruction and parameters.
constexpr std::size_t kHeaderBytes = 7;  // FF FF FD 00 ID LEN_L LEN_H
constexpr std::size_t kCrcBytes = 2;
// Longer packets than this are no packets of ours: a length field beyond it is noise.
constexpr std::size_t kLongestLength = 1024;

std::uint16_t Crc(std::span<const std::uint8_t> Bytes);

// Instruction and parameters as sent, and back.
std::vector<std::uint8_t> Stuff(std::span<const std::uint8_t> Bytes);
std::vector<std::uint8_t> Unstuff(std::span<const std::uint8_t> Bytes);

// A whole packet to Id: header, length, stuffed instruction and parameters, CRC.
std::vector<std::uint8_t> Packet(std::uint8_t Id, std::uint8_t Instruction,
                                 std::span<const std::uint8_t> Params);

std::vector<std::uint8_t> PingPacket(std::uint8_t Id);
std::vector<std::uint8_t> ReadPacket(std::uint8_t Id, std::uint16_t Address, std::uint16_t Length);
std::vector<std::uint8_t> WritePacket(std::uint8_t Id, std::uint16_t Address,
                                      std::span<const std::uint8_t> Data);
// One request that has each servo of Ids answer, in that order, with Length bytes from Address.
std::vector<std::uint8_t> SyncReadPacket(std::uint16_t Address, std::uint16_t Length,
                                         std::span<const std::uint8_t> Ids);
// One packet that writes Data (Length bytes for each servo of Ids, one after the other) to
// Address of every servo; nobody answers.
std::vector<std::uint8_t> SyncWritePacket(std::uint16_t Address, std::uint16_t Length,
                                          std::span<const std::uint8_t> Ids,
                                          std::span<const std::uint8_t> Data);
// The answer of servo Id: its error byte, then Data.
std::vector<std::uint8_t> StatusPacket(std::uint8_t Id, std::uint8_t Error,
                                       std::span<const std::uint8_t> Data);

// What a status's error number says went wrong with the instruction ("data range error").
std::string StatusErrorText(std::uint8_t Number);
// The faults of a Hardware Error Status, named ("overload, overheating"); empty for none.
std::string HardwareErrorText(std::uint8_t Bits);

// Little-endian values as the control table holds them.
void PutLittle(std::vector<std::uint8_t>& Into, std::uint32_t Value, std::size_t Bytes);
std::uint32_t GetLittle(std::span<const std::uint8_t> Bytes);

// One packet read from the start of a stream of bytes.
struct Frame {
    enum class State {
        Incomplete,  // the bytes so far are the start of a packet: wait for more
        Noise,       // the first Consumed bytes start no packet: drop them
        BadCrc,      // a whole packet of Consumed bytes whose CRC is wrong
        Good,        // a whole packet of Consumed bytes
    };
    State Is = State::Incomplete;
    std::size_t Consumed = 0;
    std::uint8_t Id = 0;
    std::uint8_t Instruction = 0;
    std::vector<std::uint8_t> Params;  // unstuffed; a status's error byte first
};

// Reads the packet at the start of Bytes.
Frame ReadFrame(std::span<const std::uint8_t> Bytes);
// The whole length of the packet whose first kHeaderBytes are Header (0 when they start none).
std::size_t PacketLength(std::span<const std::uint8_t> Header);

}  // namespace torvane::dynamixel
