#include "motorio/ServoScan.h"

#include "model/Error.h"
#include "motorio/SerialBusPort.h"

namespace torvane {
namespace {

// One id: a reply that cannot be read is asked for once more before it counts as trouble.
void PingOne(BusPort& Bus, ServoProtocol& Protocol, std::int32_t Id, ServoScanResult& Result) {
    for (int attempt = 0;; ++attempt) {
        try {
            if (const std::optional<ServoFound> found = Protocol.Ping(Bus, Id))
                Result.Servos.push_back(*found);
            return;
        } catch (const ServoBusError& e) {
            if (e.What() == ServoBusError::Kind::Device) Raise(ErrorCode::FileError, e.what());
            Bus.Discard();
            if (e.What() == ServoBusError::Kind::Timeout) return;
            if (attempt == 1) {
                Result.Troubles.push_back(e.what());
                return;
            }
        }
    }
}

}  // namespace

ServoScale DefaultServoScale(DriveKind Kind) {
    switch (Kind) {
        case DriveKind::Feetech:
        case DriveKind::Dynamixel:
            return {4096.0 / 360, 2048};  // 4096 counts a turn
        case DriveKind::Maestro:
            return {4000.0 / 90, 6000};
        default:
            Raise(ErrorCode::InvalidArgument, "No servo bus protocol serves this kind of motor");
    }
}

ServoScanResult ScanServos(BusPort& Bus, ServoProtocol& Protocol, std::int32_t LastId,
                           std::stop_token Cancel,
                           const std::function<void(std::int32_t)>& Progress) {
    if (LastId > Protocol.HighestId())
        Raise(ErrorCode::InvalidArgument, "The highest id of this protocol is " +
                                              std::to_string(Protocol.HighestId()) + ", not " +
                                              std::to_string(LastId));
    const std::int32_t last = LastId < 0 ? Protocol.HighestId() : LastId;
    ServoScanResult result;
    for (std::int32_t id = 0; id <= last; ++id) {
        if (Cancel.stop_requested()) {
            result.Cancelled = true;
            break;
        }
        if (Progress) Progress(id);
        PingOne(Bus, Protocol, id, result);
    }
    return result;
}

ServoScanResult ScanDevice(DriveKind Kind, const std::string& Device, std::int32_t Baud,
                           std::int32_t LastId, std::stop_token Cancel,
                           const std::function<void(std::int32_t)>& Progress, std::string* Advice) {
    const std::unique_ptr<ServoProtocol> protocol = MakeServoProtocol(Kind);
    if (Baud < 0) Raise(ErrorCode::InvalidArgument, "A baud rate cannot be negative");
    const std::unique_ptr<BusPort> bus =
        OpenSerialBus(Device, Baud > 0 ? Baud : protocol->DefaultBaud());
    if (Advice) *Advice = LatencyTimerAdvice(Device);
    return ScanServos(*bus, *protocol, LastId, std::move(Cancel), Progress);
}

}  // namespace torvane
