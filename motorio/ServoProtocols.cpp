#include "model/Error.h"
#include "motorio/DynamixelProtocol.h"
#include "motorio/FeetechProtocol.h"
#include "motorio/MaestroProtocol.h"
#include "motorio/ServoProtocol.h"

namespace torvane {

// Each protocol adds its case here.
std::unique_ptr<ServoProtocol> MakeServoProtocol(DriveKind Kind) {
    switch (Kind) {
        case DriveKind::Feetech:
            return std::make_unique<FeetechProtocol>();
        case DriveKind::Dynamixel:
            return std::make_unique<DynamixelProtocol>();
        case DriveKind::Maestro:
            return std::make_unique<MaestroProtocol>();
        default:
            break;
    }
    Raise(ErrorCode::InvalidArgument, "No servo bus protocol serves this kind of motor");
}

}  // namespace torvane
