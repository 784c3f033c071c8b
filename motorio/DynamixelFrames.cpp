#include "motorio/DynamixelFrames.h"

#include <algorithm>
#include <array>
#include <utility>

namespace torvane::dynamixel {

namespace {

constexpr std::array<std::uint8_t, 4> kHeader{0xFF, 0xFF, 0xFD, 0x00};

constexpr std::array<std::uint16_t, 256> CrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t crc = i << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x8005 : crc << 1;
        table[i] = static_cast<std::uint16_t>(crc);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kCrcTable = CrcTable();

// How far the bytes so far match FF FF FD, given how far they matched before Byte.
int Matched(int Before, std::uint8_t Byte) {
    if (Byte == 0xFF) return Before >= 1 ? 2 : 1;
    return (Before == 2 && Byte == 0xFD) ? 3 : 0;
}

void PutAddressAndLength(std::vector<std::uint8_t>& Into, std::uint16_t Address,
                         std::uint16_t Length) {
    PutLittle(Into, Address, 2);
    PutLittle(Into, Length, 2);
}

}  // namespace

std::uint16_t Crc(std::span<const std::uint8_t> Bytes) {
    std::uint16_t crc = 0;
    for (const std::uint8_t byte : Bytes)
        crc = static_cast<std::uint16_t>((crc << 8) ^ kCrcTable[((crc >> 8) ^ byte) & 0xFF]);
    return crc;
}

std::vector<std::uint8_t> Stuff(std::span<const std::uint8_t> Bytes) {
    std::vector<std::uint8_t> out;
    out.reserve(Bytes.size() + Bytes.size() / 3);
    int matched = 0;
    for (const std::uint8_t byte : Bytes) {
        out.push_back(byte);
        matched = Matched(matched, byte);
        if (matched == 3) {
            out.push_back(0xFD);
            matched = 0;
        }
    }
    return out;
}

std::vector<std::uint8_t> Unstuff(std::span<const std::uint8_t> Bytes) {
    std::vector<std::uint8_t> out;
    out.reserve(Bytes.size());
    int matched = 0;
    for (std::size_t i = 0; i < Bytes.size(); ++i) {
        out.push_back(Bytes[i]);
        matched = Matched(matched, Bytes[i]);
        if (matched == 3) {
            if (i + 1 < Bytes.size() && Bytes[i + 1] == 0xFD) ++i;
            matched = 0;
        }
    }
    return out;
}

std::vector<std::uint8_t> Packet(std::uint8_t Id, std::uint8_t Instruction,
                                 std::span<const std::uint8_t> Params) {
    std::vector<std::uint8_t> body{Instruction};
    body.insert(body.end(), Params.begin(), Params.end());
    const std::vector<std::uint8_t> stuffed = Stuff(body);
    std::vector<std::uint8_t> packet(kHeader.begin(), kHeader.end());
    packet.reserve(kHeaderBytes + stuffed.size() + kCrcBytes);
    packet.push_back(Id);
    PutLittle(packet, static_cast<std::uint32_t>(stuffed.size() + kCrcBytes), 2);
    packet.insert(packet.end(), stuffed.begin(), stuffed.end());
    PutLittle(packet, Crc(packet), 2);
    return packet;
}

std::vector<std::uint8_t> PingPacket(std::uint8_t Id) {
    return Packet(Id, kPing, {});
}

std::vector<std::uint8_t> ReadPacket(std::uint8_t Id, std::uint16_t Address, std::uint16_t Length) {
    std::vector<std::uint8_t> params;
    PutAddressAndLength(params, Address, Length);
    return Packet(Id, kRead, params);
}

std::vector<std::uint8_t> WritePacket(std::uint8_t Id, std::uint16_t Address,
                                      std::span<const std::uint8_t> Data) {
    std::vector<std::uint8_t> params;
    PutLittle(params, Address, 2);
    params.insert(params.end(), Data.begin(), Data.end());
    return Packet(Id, kWrite, params);
}

std::vector<std::uint8_t> SyncReadPacket(std::uint16_t Address, std::uint16_t Length,
                                         std::span<const std::uint8_t> Ids) {
    std::vector<std::uint8_t> params;
    PutAddressAndLength(params, Address, Length);
    params.insert(params.end(), Ids.begin(), Ids.end());
    return Packet(kBroadcastId, kSyncRead, params);
}

std::vector<std::uint8_t> SyncWritePacket(std::uint16_t Address, std::uint16_t Length,
                                          std::span<const std::uint8_t> Ids,
                                          std::span<const std::uint8_t> Data) {
    std::vector<std::uint8_t> params;
    params.reserve(4 + Ids.size() * (1 + Length));
    PutAddressAndLength(params, Address, Length);
    for (std::size_t i = 0; i < Ids.size(); ++i) {
        params.push_back(Ids[i]);
        const auto from = Data.begin() + static_cast<std::ptrdiff_t>(i * Length);
        params.insert(params.end(), from, from + Length);
    }
    return Packet(kBroadcastId, kSyncWrite, params);
}

std::vector<std::uint8_t> StatusPacket(std::uint8_t Id, std::uint8_t Error,
                                       std::span<const std::uint8_t> Data) {
    std::vector<std::uint8_t> params{Error};
    params.insert(params.end(), Data.begin(), Data.end());
    return Packet(Id, kStatus, params);
}

std::string StatusErrorText(std::uint8_t Number) {
    switch (Number) {
        case 0x01:
            return "the instruction failed";
        case 0x02:
            return "unknown instruction";
        case kCrcErrorNumber:
            return "the request arrived with a bad CRC";
        case 0x04:
            return "data range error";
        case 0x05:
            return "data length error";
        case 0x06:
            return "data limit error";
        case 0x07:
            return "access error";
        default:
            return "error " + std::to_string(Number);
    }
}

std::string HardwareErrorText(std::uint8_t Bits) {
    static constexpr std::pair<std::uint8_t, const char*> kFaults[] = {
        {0x20, "overload"},         {0x04, "overheating"},   {0x01, "input voltage"},
        {0x10, "electrical shock"}, {0x08, "motor encoder"},
    };
    std::string text;
    std::uint8_t named = 0;
    for (const auto& [bit, name] : kFaults) {
        if (!(Bits & bit)) continue;
        text += (text.empty() ? "" : ", ") + std::string(name);
        named |= bit;
    }
    if (const std::uint8_t rest = Bits & ~named; rest != 0)
        text +=
            (text.empty() ? "" : ", ") + std::string("unknown fault bits ") + std::to_string(rest);
    return text;
}

void PutLittle(std::vector<std::uint8_t>& Into, std::uint32_t Value, std::size_t Bytes) {
    for (std::size_t i = 0; i < Bytes; ++i)
        Into.push_back(static_cast<std::uint8_t>(Value >> (8 * i)));
}

std::uint32_t GetLittle(std::span<const std::uint8_t> Bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = Bytes.size(); i-- > 0;) value = (value << 8) | Bytes[i];
    return value;
}

std::size_t PacketLength(std::span<const std::uint8_t> Header) {
    if (Header.size() < kHeaderBytes || !std::equal(kHeader.begin(), kHeader.end(), Header.begin()))
        return 0;
    const std::size_t length = GetLittle(Header.subspan(5, 2));
    if (length < 1 + kCrcBytes || length > kLongestLength) return 0;
    return kHeaderBytes + length;
}

Frame ReadFrame(std::span<const std::uint8_t> Bytes) {
    Frame frame;
    const std::size_t prefix = std::min(Bytes.size(), kHeader.size());
    if (!std::equal(Bytes.begin(), Bytes.begin() + static_cast<std::ptrdiff_t>(prefix),
                    kHeader.begin())) {
        // Skip to the next byte that may start a header.
        const auto next = std::find(Bytes.begin() + 1, Bytes.end(), kHeader[0]);
        frame.Is = Frame::State::Noise;
        frame.Consumed = static_cast<std::size_t>(next - Bytes.begin());
        return frame;
    }
    if (Bytes.size() < kHeaderBytes) return frame;
    const std::size_t length = PacketLength(Bytes.first(kHeaderBytes));
    if (length == 0) {
        frame.Is = Frame::State::Noise;
        frame.Consumed = 1;
        return frame;
    }
    if (Bytes.size() < length) return frame;
    frame.Consumed = length;
    frame.Id = Bytes[4];
    const auto covered = Bytes.first(length - kCrcBytes);
    if (Crc(covered) != GetLittle(Bytes.subspan(length - kCrcBytes, kCrcBytes))) {
        frame.Is = Frame::State::BadCrc;
        return frame;
    }
    const std::vector<std::uint8_t> body = Unstuff(covered.subspan(kHeaderBytes));
    frame.Is = Frame::State::Good;
    frame.Instruction = body.front();
    frame.Params.assign(body.begin() + 1, body.end());
    return frame;
}

}  // namespace torvane::dynamixel
