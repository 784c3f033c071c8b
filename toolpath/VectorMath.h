#pragma once
// Element-wise vector helpers on motor-position arrays (model units or degrees per motor).
// clsToolPath offers them as members; clsXML needs the distance to parametrise straight lines.

#include "model/VbArray.h"

namespace torvane {

// In1(i) + In2(i) for i from 1 to the upper bound of In1; element 0, if any, is ignored.
// An In2 shorter than In1 raises a subscript error.
DoubleArray AddVectors(const DoubleArray& In1, const DoubleArray& In2);

// Subtractee(i) - SubtractMe(i) for i from 1 to the upper bound of Subtractee.
DoubleArray SubtractVectors(const DoubleArray& Subtractee, const DoubleArray& SubtractMe);

// Euclidean distance over the bounds of StartPoints; a shorter EndPoints raises a subscript error.
double VectorDistance(const DoubleArray& StartPoints, const DoubleArray& EndPoints);

}  // namespace torvane
