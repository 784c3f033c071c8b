#pragma once
// The arrays the shape members receive and return: an explicit lower bound and an "unallocated"
// state in which no bounds can be read. Sizes and colours are read at indices 1 to 3; the
// program's text parsing gives lower bound 1, but lower bound 0 with an ignored element 0 is
// accepted too. Access is checked and throws the shape library's subscript error. The template
// is the one the model uses too (common/LowerBoundArray.h); the library links no model code.

#include <cstdint>

#include "common/LowerBoundArray.h"
#include "shapes/ShapeError.h"

namespace primora {

struct ShapeSubscriptFault {
    [[noreturn]] static void Raise() {
        throw ShapeError(ShapeErrorCode::SubscriptOutOfRange, "Subscript out of range");
    }
};

template <typename T>
using BoundedArray = common::LowerBoundArray<T, ShapeSubscriptFault>;

using DoubleArray = BoundedArray<double>;
using ByteArray = BoundedArray<std::uint8_t>;

}  // namespace primora
