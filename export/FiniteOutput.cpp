#include "export/FiniteOutput.h"

#include <cfloat>
#include <cmath>

#include "model/Error.h"

namespace mechanon {

bool IsWritable(double value, bool singlePrecision) {
    return std::isfinite(value) && (!singlePrecision || std::fabs(value) <= FLT_MAX);
}

double Writable(double value, bool singlePrecision, const std::string& what) {
    if (!IsWritable(value, singlePrecision))
        torvane::Raise(torvane::ErrorCode::Overflow,
                       "The export would write " + what +
                           " that is not a finite number: a size, position or angle of the "
                           "robot is too large for its placed parts to be computed.");
    return value;
}

}  // namespace mechanon
