#include "motorio/DynamixelProtocol.h"

#include <algorithm>
#include <array>
#include <optional>

#include "model/Error.h"
#include "motorio/DynamixelFrames.h"

namespace torvane {

namespace dxl = dynamixel;
using Clock = std::chrono::steady_clock;

namespace {

// A servo's status waits this long after the request by default (Return Delay Time 250).
constexpr std::chrono::microseconds kReturnDelay{500};
// The bytes of a status besides its data: header, instruction, error, CRC.
constexpr std::size_t kStatusBytes = dxl::kHeaderBytes + 2 + dxl::kCrcBytes;

// Reads one packet after another from the bus until a deadline.
class StatusReader {
  public:
    StatusReader(BusPort& Bus, Clock::time_point Deadline) : bus_(Bus), deadline_(Deadline) {}

    // The next whole packet (noise skipped); none when the deadline passes first.
    std::optional<dxl::Frame> Next() {
        for (;;) {
            dxl::Frame frame = dxl::ReadFrame(pending_);
            if (frame.Is != dxl::Frame::State::Incomplete) {
                pending_.erase(pending_.begin(),
                               pending_.begin() + static_cast<std::ptrdiff_t>(frame.Consumed));
                if (frame.Is == dxl::Frame::State::Noise) continue;
                return frame;
            }
            const auto now = Clock::now();
            if (now >= deadline_) return std::nullopt;
            const std::size_t have = pending_.size();
            const std::size_t whole =
                have < dxl::kHeaderBytes
                    ? dxl::kHeaderBytes
                    : dxl::PacketLength(std::span(pending_).first(dxl::kHeaderBytes));
            pending_.resize(whole);
            const std::size_t got =
                bus_.Read(std::span(pending_).subspan(have),
                          std::chrono::duration_cast<std::chrono::microseconds>(deadline_ - now));
            pending_.resize(have + got);
        }
    }

  private:
    BusPort& bus_;
    Clock::time_point deadline_;
    std::vector<std::uint8_t> pending_;
};

std::string ServoName(const BusPort& Bus, std::uint8_t Id) {
    return "Dynamixel servo " + std::to_string(Id) + " on " + Bus.Device();
}

// The ids as the protocol sends them; refuses ids beyond its range and ids named twice.
std::vector<std::uint8_t> BusIds(std::span<const std::int32_t> Ids, std::size_t Values) {
    if (Values != Ids.size())
        Raise(ErrorCode::InvalidArgument, "Dynamixel: " + std::to_string(Ids.size()) +
                                              " servos but " + std::to_string(Values) +
                                              " positions");
    std::vector<std::uint8_t> ids;
    ids.reserve(Ids.size());
    for (const std::int32_t id : Ids) {
        if (id < 0 || id > dxl::kHighestId)
            Raise(ErrorCode::InvalidArgument,
                  "Dynamixel: servo id " + std::to_string(id) + " is not between 0 and 252");
        if (std::find(ids.begin(), ids.end(), id) != ids.end())
            Raise(ErrorCode::InvalidArgument,
                  "Dynamixel: servo id " + std::to_string(id) + " is named twice");
        ids.push_back(static_cast<std::uint8_t>(id));
    }
    return ids;
}

std::int32_t Signed(std::span<const std::uint8_t> Bytes) {
    return static_cast<std::int32_t>(dxl::GetLittle(Bytes));
}

// One request's statuses as they come in, index for index with the servos asked.
struct Gathered {
    std::vector<std::vector<std::uint8_t>> Status;
    std::vector<bool> Corrupt;  // a status of this servo had a bad CRC, or it got a bad request
    bool AnyCorrupt = false;    // a packet with a bad CRC came, whoever sent it

    explicit Gathered(std::size_t Servos) : Status(Servos), Corrupt(Servos, false) {}

    std::vector<std::uint8_t> Missing(std::span<const std::uint8_t> Ids) const {
        std::vector<std::uint8_t> missing;
        for (std::size_t i = 0; i < Ids.size(); ++i)
            if (Status[i].empty()) missing.push_back(Ids[i]);
        return missing;
    }

    // Takes Frame as the answer of the servo of Ids it comes from, if that one is still missing.
    void Take(const dxl::Frame& Frame, std::span<const std::uint8_t> Ids, std::size_t DataBytes) {
        std::optional<std::size_t> index;
        for (std::size_t i = 0; i < Ids.size() && !index; ++i)
            if (Ids[i] == Frame.Id && Status[i].empty()) index = i;
        if (Frame.Is == dxl::Frame::State::BadCrc) {
            AnyCorrupt = true;
            if (index) Corrupt[*index] = true;
            return;
        }
        if (!index || Frame.Instruction != dxl::kStatus || Frame.Params.empty()) return;
        const std::uint8_t number = Frame.Params[0] & dxl::kErrorNumberMask;
        if (number == dxl::kCrcErrorNumber) {
            AnyCorrupt = true;
            Corrupt[*index] = true;
            return;
        }
        // A status of another length, and no error, answers some other request.
        if (number == 0 && Frame.Params.size() != 1 + DataBytes) return;
        Status[*index] = Frame.Params;
    }
};

}  // namespace

std::int32_t DynamixelProtocol::HighestId() const noexcept {
    return dxl::kHighestId;
}

template <typename MakeRequest>
DynamixelProtocol::Statuses DynamixelProtocol::Exchange(BusPort& Bus,
                                                        std::span<const std::uint8_t> Ids,
                                                        std::size_t DataBytes, Alert OnAlert,
                                                        const MakeRequest& Make) {
    Gathered gathered(Ids.size());
    std::vector<std::uint8_t> asking(Ids.begin(), Ids.end());
    for (int attempt = 0; attempt < 2 && !asking.empty(); ++attempt) {
        if (attempt > 0 && !gathered.AnyCorrupt) break;
        gathered.AnyCorrupt = false;
        const std::vector<std::uint8_t> request = Make(std::span<const std::uint8_t>(asking));
        Bus.Discard();
        Bus.Write(request);
        const double wire =
            Bus.ByteSeconds() *
            static_cast<double>(request.size() + asking.size() * (kStatusBytes + DataBytes));
        const auto expected = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(wire) + kReturnDelay * asking.size());
        StatusReader reader(Bus, Clock::now() + margin_ + 2 * expected);
        for (std::size_t left = asking.size(); left > 0;) {
            const std::optional<dxl::Frame> frame = reader.Next();
            if (!frame) break;
            gathered.Take(*frame, Ids, DataBytes);
            left = gathered.Missing(Ids).size();
        }
        asking = gathered.Missing(Ids);
    }
    for (std::size_t i = 0; i < Ids.size(); ++i) {
        if (!gathered.Status[i].empty()) continue;
        if (gathered.Corrupt[i])
            throw ServoBusError(ServoBusError::Kind::Checksum, Ids[i],
                                ServoName(Bus, Ids[i]) +
                                    " answered twice with a bad CRC: check the cable, its ground "
                                    "and that every servo on the bus runs at the same baud rate");
        throw ServoBusError(ServoBusError::Kind::Timeout, Ids[i],
                            ServoName(Bus, Ids[i]) +
                                " does not answer: check its id, the baud rate, its power and "
                                "the cable, and that it runs protocol 2.0");
    }
    for (std::size_t i = 0; i < Ids.size(); ++i) Check(Bus, Ids[i], gathered.Status[i], OnAlert);
    return gathered.Status;
}

void DynamixelProtocol::Check(BusPort& Bus, std::uint8_t Id, std::span<const std::uint8_t> Status,
                              Alert OnAlert) {
    const std::uint8_t error = Status[0];
    if (const std::uint8_t number = error & dxl::kErrorNumberMask; number != 0)
        throw ServoBusError(
            ServoBusError::Kind::Hardware, Id,
            ServoName(Bus, Id) + " refused the request: " + dxl::StatusErrorText(number));
    if (!(error & dxl::kAlert) || OnAlert == Alert::Ignore) return;
    std::string what = "its kind could not be read";
    try {
        const std::array<std::uint8_t, 1> id{Id};
        const Statuses status =
            Exchange(Bus, id, 1, Alert::Ignore, [](std::span<const std::uint8_t> Ask) {
                return dxl::ReadPacket(Ask[0], dxl::kHardwareErrorStatus, 1);
            });
        what = dxl::HardwareErrorText(status[0][1]);
    } catch (const ServoBusError&) {
    }
    throw ServoBusError(ServoBusError::Kind::Hardware, Id,
                        ServoName(Bus, Id) + " reports a hardware error: " + what +
                            ". A servo with a hardware error switches its torque off; remove "
                            "the cause, then switch its power off and on to clear it");
}

void DynamixelProtocol::WriteGoals(BusPort& Bus, std::span<const std::int32_t> Ids,
                                   std::span<const std::int32_t> Counts) {
    const std::vector<std::uint8_t> ids = BusIds(Ids, Counts.size());
    if (ids.empty()) return;
    std::vector<std::uint8_t> data;
    data.reserve(4 * ids.size());
    for (const std::int32_t count : Counts)
        dxl::PutLittle(data, static_cast<std::uint32_t>(count), 4);
    Bus.Write(dxl::SyncWritePacket(dxl::kGoalPosition, 4, ids, data));
}

void DynamixelProtocol::ReadPositions(BusPort& Bus, std::span<const std::int32_t> Ids,
                                      std::span<std::int32_t> Counts) {
    const std::vector<std::uint8_t> ids = BusIds(Ids, Counts.size());
    if (ids.empty()) return;
    const Statuses status =
        Exchange(Bus, ids, 4, Alert::Raise, [](std::span<const std::uint8_t> Ask) {
            return dxl::SyncReadPacket(dxl::kPresentPosition, 4, Ask);
        });
    for (std::size_t i = 0; i < ids.size(); ++i)
        Counts[i] = Signed(std::span(status[i]).subspan(1, 4));
}

void DynamixelProtocol::Torque(BusPort& Bus, std::span<const std::int32_t> Ids, bool On) {
    const std::vector<std::uint8_t> ids = BusIds(Ids, Ids.size());
    if (ids.empty()) return;
    const std::vector<std::uint8_t> values(ids.size(), On ? 1 : 0);
    Bus.Write(dxl::SyncWritePacket(dxl::kTorqueEnable, 1, ids, values));
    // Read back: servos set to answer reads only (Status Return Level 1) confirm it too. A servo
    // with a hardware error has switched its torque off already, which is no error for Off.
    const Statuses status = Exchange(Bus, ids, 1, On ? Alert::Raise : Alert::Ignore,
                                     [](std::span<const std::uint8_t> Ask) {
                                         return dxl::SyncReadPacket(dxl::kTorqueEnable, 1, Ask);
                                     });
    for (std::size_t i = 0; i < ids.size(); ++i)
        if ((status[i][1] != 0) != On)
            throw ServoBusError(
                ServoBusError::Kind::Hardware, ids[i],
                ServoName(Bus, ids[i]) + " did not switch its torque " + (On ? "on" : "off"));
}

std::optional<ServoFound> DynamixelProtocol::Ping(BusPort& Bus, std::int32_t Id) {
    const std::vector<std::uint8_t> ids = BusIds(std::span(&Id, 1), 1);
    Statuses ping;
    try {
        ping = Exchange(Bus, ids, 3, Alert::Ignore,
                        [](std::span<const std::uint8_t> Ask) { return dxl::PingPacket(Ask[0]); });
    } catch (const ServoBusError& e) {
        if (e.What() == ServoBusError::Kind::Timeout) return std::nullopt;
        throw;
    }
    const Statuses position =
        Exchange(Bus, ids, 4, Alert::Ignore, [](std::span<const std::uint8_t> Ask) {
            return dxl::ReadPacket(Ask[0], dxl::kPresentPosition, 4);
        });
    return ServoFound{Id,
                      static_cast<std::int32_t>(dxl::GetLittle(std::span(ping[0]).subspan(1, 2))),
                      Signed(std::span(position[0]).subspan(1, 4))};
}

}  // namespace torvane
