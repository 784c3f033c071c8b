#include "toolpath/VectorMath.h"

#include <cmath>

namespace torvane {
namespace {

template <typename Op>
DoubleArray ElementWise(const DoubleArray& first, const DoubleArray& second, Op op) {
    const std::int32_t upper = first.UBound();
    DoubleArray out = DoubleArray::WithBounds(1, upper < 0 ? 0 : upper);
    for (std::int32_t i = 1; i <= upper; ++i) out(i) = op(first(i), second(i));
    return out;
}

}  // namespace

DoubleArray AddVectors(const DoubleArray& In1, const DoubleArray& In2) {
    return ElementWise(In1, In2, [](double a, double b) { return a + b; });
}

DoubleArray SubtractVectors(const DoubleArray& Subtractee, const DoubleArray& SubtractMe) {
    return ElementWise(Subtractee, SubtractMe, [](double a, double b) { return a - b; });
}

double VectorDistance(const DoubleArray& StartPoints, const DoubleArray& EndPoints) {
    double sum = 0;
    for (std::int32_t i = StartPoints.LBound(); i <= StartPoints.UBound(); ++i) {
        const double d = EndPoints(i) - StartPoints(i);
        sum += d * d;
    }
    return std::sqrt(sum);
}

}  // namespace torvane
