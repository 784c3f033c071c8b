#include "motorio/FeetechProtocol.h"

#include <algorithm>
#include <string>

#include "model/Error.h"

namespace torvane {

using feetech::Bytes;
using feetech::Status;

namespace {

constexpr std::uint8_t kCountBytes = 2;

std::string ServoName(const BusPort& Bus, std::int32_t Id) {
    return "Feetech servo " + std::to_string(Id) + " on " + Bus.Device();
}

std::uint8_t IdByte(std::int32_t Id) {
    if (Id < 0 || Id > feetech::kHighestId)
        Raise(ErrorCode::InvalidArgument, "Feetech servo ids run from 0 to " +
                                              std::to_string(feetech::kHighestId) + ", not " +
                                              std::to_string(Id));
    return static_cast<std::uint8_t>(Id);
}

std::vector<std::uint8_t> IdBytes(std::span<const std::int32_t> Ids) {
    std::vector<std::uint8_t> ids;
    ids.reserve(Ids.size());
    for (const std::int32_t id : Ids) ids.push_back(IdByte(id));
    return ids;
}

[[noreturn]] void NoAnswer(const BusPort& Bus, std::int32_t Id, std::chrono::microseconds Limit) {
    throw ServoBusError(ServoBusError::Kind::Timeout, Id,
                        ServoName(Bus, Id) + " did not answer within " +
                            std::to_string((Limit.count() + 999) / 1000) + " ms");
}

[[noreturn]] void BadChecksum(const BusPort& Bus, std::int32_t Id) {
    throw ServoBusError(ServoBusError::Kind::Checksum, Id,
                        ServoName(Bus, Id) + " answered twice with a bad checksum");
}

void CheckHardware(const BusPort& Bus, const Status& S) {
    if (S.Error == 0) return;
    throw ServoBusError(ServoBusError::Kind::Hardware, S.Id,
                        ServoName(Bus, S.Id) + " reports " + feetech::StatusErrorText(S.Error));
}

// The port's own failures (a device unplugged) as a bus error of the whole bus.
template <class Work>
auto OnDevice(const BusPort& Bus, Work&& Do) {
    try {
        return Do();
    } catch (const Error& e) {
        if (e.Code() != ErrorCode::FileError) throw;
        throw ServoBusError(ServoBusError::Kind::Device, -1,
                            "The servo bus on " + Bus.Device() + " failed: " + e.what());
    }
}

}  // namespace

FeetechProtocol::FeetechProtocol(std::chrono::microseconds ReplyLimit) : replyLimit_(ReplyLimit) {}

std::chrono::microseconds FeetechProtocol::TimeLimit(const BusPort& Bus, std::size_t Bytes) const {
    const double wire = Bus.ByteSeconds() * static_cast<double>(Bytes) * 1e6;
    return replyLimit_ + std::chrono::microseconds(static_cast<long long>(wire));
}

std::vector<Status> FeetechProtocol::Exchange(BusPort& Bus, const Bytes& Request,
                                              std::size_t Replies, std::size_t ReplyBytes) {
    return OnDevice(Bus, [&] {
        Bus.Discard();
        Bus.Write(Request);
        Bytes in(Replies * ReplyBytes);
        const std::size_t got = Bus.Read(in, TimeLimit(Bus, Request.size() + Replies * ReplyBytes));
        std::vector<Status> found;
        std::size_t at = 0;
        while (auto s = feetech::NextStatus(std::span(in).first(got), at))
            found.push_back(std::move(*s));
        return found;
    });
}

void FeetechProtocol::WriteGoals(BusPort& Bus, std::span<const std::int32_t> Ids,
                                 std::span<const std::int32_t> Counts) {
    if (Ids.size() != Counts.size())
        Raise(ErrorCode::InvalidArgument, "Each servo needs one goal position");
    if (Ids.empty()) return;
    const std::vector<std::uint8_t> ids = IdBytes(Ids);
    Bytes data;
    data.reserve(Counts.size() * kCountBytes);
    for (const std::int32_t c : Counts) feetech::PutCount(data, c);
    const Bytes frame =
        feetech::SyncWriteFrame(feetech::address::GoalPosition, kCountBytes, ids, data);
    OnDevice(Bus, [&] { Bus.Write(frame); });
}

std::optional<Status> FeetechProtocol::ReadOne(BusPort& Bus, std::uint8_t Id, std::uint8_t Address,
                                               std::uint8_t Length, int Attempts) {
    const Bytes request = feetech::ReadFrame(Id, Address, Length);
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        const std::vector<Status> got = Exchange(Bus, request, 1, 6u + Length);
        const auto mine = std::find_if(got.begin(), got.end(), [&](const Status& s) {
            return s.Id == Id && s.Params.size() == Length;
        });
        if (mine == got.end()) {
            if (got.empty()) return std::nullopt;
            continue;  // something arrived, but not a whole reply of this servo
        }
        if (mine->ChecksumOk) return *mine;
    }
    BadChecksum(Bus, Id);
}

std::vector<Bytes> FeetechProtocol::SyncRead(BusPort& Bus, std::span<const std::uint8_t> Ids,
                                             std::uint8_t Address, std::uint8_t Length,
                                             bool Faults) {
    const std::size_t replyBytes = 6u + Length;
    const std::vector<Status> got =
        Exchange(Bus, feetech::SyncReadFrame(Address, Length, Ids), Ids.size(), replyBytes);
    std::vector<Bytes> values(Ids.size());
    for (std::size_t k = 0; k < Ids.size(); ++k) {
        const auto mine = std::find_if(got.begin(), got.end(), [&](const Status& s) {
            return s.Id == Ids[k] && s.Params.size() == Length;
        });
        std::optional<Status> status;
        if (mine != got.end() && mine->ChecksumOk)
            status = *mine;
        else if (mine != got.end())
            status = ReadOne(Bus, Ids[k], Address, Length, 1);
        if (!status) NoAnswer(Bus, Ids[k], TimeLimit(Bus, replyBytes));
        if (Faults) CheckHardware(Bus, *status);
        values[k] = std::move(status->Params);
    }
    return values;
}

void FeetechProtocol::ReadPositions(BusPort& Bus, std::span<const std::int32_t> Ids,
                                    std::span<std::int32_t> Counts) {
    if (Ids.size() != Counts.size())
        Raise(ErrorCode::InvalidArgument, "Each servo needs one place for its position");
    if (Ids.empty()) return;
    const std::vector<std::uint8_t> ids = IdBytes(Ids);
    const std::vector<Bytes> values =
        SyncRead(Bus, ids, feetech::address::PresentPosition, kCountBytes, true);
    for (std::size_t k = 0; k < values.size(); ++k)
        Counts[k] = feetech::CountOf(values[k][0], values[k][1]);
}

void FeetechProtocol::Torque(BusPort& Bus, std::span<const std::int32_t> Ids, bool On) {
    if (Ids.empty()) return;
    const std::vector<std::uint8_t> ids = IdBytes(Ids);
    // One synchronous write reaches every servo that listens, even when another one is gone (what
    // matters when torque goes off); the read back then names a servo that did not take it.
    const Bytes data(ids.size(), On ? 1 : 0);
    const Bytes frame = feetech::SyncWriteFrame(feetech::address::TorqueEnable, 1, ids, data);
    OnDevice(Bus, [&] { Bus.Write(frame); });
    // A servo's fault does not matter here: what it reports is whether it took the switch (one
    // that has switched itself off on an overload still reports the overload).
    const std::vector<Bytes> now = SyncRead(Bus, ids, feetech::address::TorqueEnable, 1, false);
    for (std::size_t k = 0; k < ids.size(); ++k) {
        if ((now[k][0] != 0) == On) continue;
        throw ServoBusError(
            ServoBusError::Kind::Hardware, ids[k],
            ServoName(Bus, ids[k]) + " did not switch its torque " + (On ? "on" : "off"));
    }
}

std::optional<ServoFound> FeetechProtocol::Ping(BusPort& Bus, std::int32_t Id) {
    const std::uint8_t id = IdByte(Id);
    std::optional<Status> pong;
    for (int attempt = 0; attempt < 2 && !(pong && pong->ChecksumOk); ++attempt) {
        const std::vector<Status> got = Exchange(Bus, feetech::PingFrame(id), 1, 6);
        if (got.empty()) return std::nullopt;
        pong = got.front();
    }
    if (!pong->ChecksumOk) BadChecksum(Bus, Id);
    // A servo that reports a hardware error is still found: the scan is how one finds it.
    const auto model = ReadOne(Bus, id, feetech::address::Model, 2, 2);
    const auto position = ReadOne(Bus, id, feetech::address::PresentPosition, kCountBytes, 2);
    if (!model || !position) NoAnswer(Bus, Id, TimeLimit(Bus, 8));
    ServoFound found;
    found.Id = Id;
    found.Model = model->Params[0] | (model->Params[1] << 8);
    found.Position = feetech::CountOf(position->Params[0], position->Params[1]);
    return found;
}

}  // namespace torvane
