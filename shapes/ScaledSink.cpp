#include "shapes/ScaledSink.h"

#include <cmath>

namespace primora {

void ScaledSink::Normal(double x, double y, double z) {
    // The cofactors give the stretched facet's normal as its corners wind; a mirroring factor
    // turns that winding over, so the sign of the factors puts the normal outward again.
    const bool mirrored = ((sx_ < 0) != (sy_ < 0)) != (sz_ < 0);
    const double sign = mirrored ? -1 : 1;
    const double nx = sign * x * sy_ * sz_, ny = sign * y * sx_ * sz_, nz = sign * z * sx_ * sy_;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    // A surface flattened on two axes has no direction left to face; keep the one given.
    if (!(length > 0)) return target_.Normal(x, y, z);
    target_.Normal(nx / length, ny / length, nz / length);
}

}  // namespace primora
