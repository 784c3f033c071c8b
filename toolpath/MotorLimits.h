#pragma once
// Re-timing within each motor's own limits. All motors of a subleg follow one profile of the path
// parameter S, so they start and end every piece together; the profile's limits are lowered until
// no motor is asked for more than its own speed and acceleration.

#include <cstdint>

#include "model/VbArray.h"
#include "toolpath/clsXML.h"
#include "toolpath/typMotorProperties.h"

namespace torvane {

class clsToolPath;

struct PathLimits {
    double VMax = 0;  // S per second
    double AMax = 0;  // S per second squared
    // The motor of the list whose own limits lowered them last (from 1); 0 when none did.
    std::int32_t LimitedBy = 0;
};

// The limits of S for one subleg: at most VMax and AMax, and low enough that motor i of the
// subleg, moving p_i(S), keeps |p_i'| * dS/dt within Motors(i).MaxV and
// |p_i'| * d2S/dt2 + |p_i''| * (dS/dt)^2 within Motors(i).MaxA. The slopes are measured on the
// equations at kLimitSamples steps over the subleg, with a margin for what lies between them.
// Motors without limits (0) and motors beyond the list add no bound. Evaluation errors are raised
// as the tool path raises them.
inline constexpr int kLimitSamples = 64;
PathLimits LimitsWithinMotors(clsToolPath& Path, const typToolPathSubLeg& Subleg, double VMax,
                              double AMax, const VbArray<typMotorProperties>& Motors);

// True when a motor of the list carries limits of its own.
bool AnyMotorLimits(const VbArray<typMotorProperties>& Motors) noexcept;

}  // namespace torvane
