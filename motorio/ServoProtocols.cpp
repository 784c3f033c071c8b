#include "model/Error.h"
#include "motorio/FeetechProtocol.h"
#include "motorio/ServoProtocol.h"

namespace torvane {

// Each protocol adds its case here.
std::unique_ptr<ServoProtocol> MakeServoProtocol(DriveKind Kind) {
    switch (Kind) {
        case DriveKind::Feetech:
            return std::make_unique<FeetechProtocol>();
        default:
            break;
    }
    Raise(ErrorCode::InvalidArgument, "No servo bus protocol serves this kind of motor");
}

}  // namespace torvane
