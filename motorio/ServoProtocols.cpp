#include <algorithm>
#include <atomic>

#include "model/Error.h"
#include "motorio/DynamixelProtocol.h"
#include "motorio/FeetechProtocol.h"
#include "motorio/MaestroProtocol.h"
#include "motorio/ServoProtocol.h"

namespace torvane {
namespace {

std::atomic<std::chrono::microseconds::rep> g_extraReply{0};

// A protocol with its own reply limit and the extra time on top.
template <typename Protocol>
std::unique_ptr<ServoProtocol> Made() {
    return std::make_unique<Protocol>(Protocol().ReplyLimit() + ExtraReplyTime());
}

}  // namespace

void SetExtraReplyTime(std::chrono::microseconds Extra) noexcept {
    g_extraReply.store(std::max<std::chrono::microseconds::rep>(0, Extra.count()));
}

std::chrono::microseconds ExtraReplyTime() noexcept {
    return std::chrono::microseconds(g_extraReply.load());
}

// Each protocol adds its case here.
std::unique_ptr<ServoProtocol> MakeServoProtocol(DriveKind Kind) {
    switch (Kind) {
        case DriveKind::Feetech:
            return Made<FeetechProtocol>();
        case DriveKind::Dynamixel:
            return Made<DynamixelProtocol>();
        case DriveKind::Maestro:
            return Made<MaestroProtocol>();
        default:
            break;
    }
    Raise(ErrorCode::InvalidArgument, "No servo bus protocol serves this kind of motor");
}

}  // namespace torvane
