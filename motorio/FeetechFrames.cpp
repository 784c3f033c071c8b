#include "motorio/FeetechFrames.h"

#include <cstdlib>

#include "model/Error.h"

namespace torvane::feetech {

namespace {

constexpr std::uint8_t kHeader = 0xFF;
constexpr std::size_t kMostParams = 253;  // LEN is one byte and counts two more

Bytes Frame(std::uint8_t Id, std::uint8_t Code, std::span<const std::uint8_t> Params) {
    if (Params.size() > kMostParams)
        Raise(ErrorCode::InvalidArgument, "A servo bus frame cannot carry " +
                                              std::to_string(Params.size()) + " parameter bytes");
    Bytes f{kHeader, kHeader, Id, static_cast<std::uint8_t>(Params.size() + 2), Code};
    f.insert(f.end(), Params.begin(), Params.end());
    f.push_back(Checksum(std::span(f).subspan(2)));
    return f;
}

}  // namespace

std::uint8_t Checksum(std::span<const std::uint8_t> IdToLastParam) {
    unsigned sum = 0;
    for (const std::uint8_t b : IdToLastParam) sum += b;
    return static_cast<std::uint8_t>(~sum & 0xFF);
}

Bytes InstructionFrame(std::uint8_t Id, std::uint8_t Instruction,
                       std::span<const std::uint8_t> Params) {
    return Frame(Id, Instruction, Params);
}

Bytes StatusFrame(std::uint8_t Id, std::uint8_t Error, std::span<const std::uint8_t> Params) {
    return Frame(Id, Error, Params);
}

Bytes PingFrame(std::uint8_t Id) {
    return Frame(Id, instruction::Ping, {});
}

Bytes ReadFrame(std::uint8_t Id, std::uint8_t Address, std::uint8_t Length) {
    const std::uint8_t params[] = {Address, Length};
    return Frame(Id, instruction::Read, params);
}

Bytes WriteFrame(std::uint8_t Id, std::uint8_t Address, std::span<const std::uint8_t> Data) {
    Bytes params{Address};
    params.insert(params.end(), Data.begin(), Data.end());
    return Frame(Id, instruction::Write, params);
}

Bytes SyncWriteFrame(std::uint8_t Address, std::uint8_t Length, std::span<const std::uint8_t> Ids,
                     std::span<const std::uint8_t> Data) {
    if (Data.size() != Ids.size() * Length)
        Raise(ErrorCode::InvalidArgument,
              "A synchronous write needs " + std::to_string(Length) + " bytes for each servo");
    Bytes params{Address, Length};
    for (std::size_t k = 0; k < Ids.size(); ++k) {
        params.push_back(Ids[k]);
        const auto mine = Data.subspan(k * Length, Length);
        params.insert(params.end(), mine.begin(), mine.end());
    }
    return Frame(kBroadcastId, instruction::SyncWrite, params);
}

Bytes SyncReadFrame(std::uint8_t Address, std::uint8_t Length, std::span<const std::uint8_t> Ids) {
    Bytes params{Address, Length};
    params.insert(params.end(), Ids.begin(), Ids.end());
    return Frame(kBroadcastId, instruction::SyncRead, params);
}

void PutCount(Bytes& Into, std::int32_t Count) {
    if (Count > kLargestCount || Count < -kLargestCount)
        Raise(ErrorCode::InvalidArgument, "A servo position of " + std::to_string(Count) +
                                              " counts is beyond the servo's range of +-" +
                                              std::to_string(kLargestCount));
    const unsigned magnitude = static_cast<unsigned>(std::abs(Count));
    const unsigned word = Count < 0 ? (0x8000u | magnitude) : magnitude;
    Into.push_back(static_cast<std::uint8_t>(word & 0xFF));
    Into.push_back(static_cast<std::uint8_t>(word >> 8));
}

std::int32_t CountOf(std::uint8_t Low, std::uint8_t High) {
    const std::int32_t magnitude = ((High & 0x7F) << 8) | Low;
    return (High & 0x80) ? -magnitude : magnitude;
}

std::optional<Status> NextStatus(std::span<const std::uint8_t> Bytes, std::size_t& At) {
    for (std::size_t start = At; start + 1 < Bytes.size(); ++start) {
        if (Bytes[start] != kHeader || Bytes[start + 1] != kHeader) continue;
        if (start + 4 > Bytes.size()) return std::nullopt;
        const std::uint8_t id = Bytes[start + 2];
        if (id == kHeader) continue;  // a third FF: the header starts one later
        const std::size_t length = Bytes[start + 3];
        if (length < 2) continue;
        const std::size_t end = start + 4 + length;  // one past the checksum
        if (end > Bytes.size()) return std::nullopt;
        Status s;
        s.Id = id;
        s.Error = Bytes[start + 4];
        s.Params.assign(Bytes.begin() + static_cast<std::ptrdiff_t>(start + 5),
                        Bytes.begin() + static_cast<std::ptrdiff_t>(end - 1));
        s.ChecksumOk = Checksum(Bytes.subspan(start + 2, length + 1)) == Bytes[end - 1];
        At = end;
        return s;
    }
    return std::nullopt;
}

std::string StatusErrorText(std::uint8_t Error) {
    static constexpr struct {
        std::uint8_t Bit;
        const char* Text;
    } kBits[] = {
        {status::Voltage, "input voltage out of range"},
        {status::Sensor, "position sensor fault"},
        {status::Overheat, "overheating"},
        {status::Overcurrent, "overcurrent"},
        {status::Overload, "overload"},
    };
    std::string text;
    std::uint8_t known = 0;
    for (const auto& b : kBits) {
        known |= b.Bit;
        if (!(Error & b.Bit)) continue;
        if (!text.empty()) text += ", ";
        text += b.Text;
    }
    if (Error & ~known) {
        if (!text.empty()) text += ", ";
        text += "error bits " + std::to_string(Error & ~known);
    }
    return text;
}

}  // namespace torvane::feetech
