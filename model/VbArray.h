#pragma once
// An array with an explicit lower bound and an "unallocated" state, as the robot file and the
// text helpers need them: sizes and colours indexed 1 to 3, text pieces indexed from 0,
// subpart records at lower bound 0 or 1. Access is checked and throws the model's subscript
// error. The template is the one the shape library uses too (common/LowerBoundArray.h).

#include <string>

#include "common/LowerBoundArray.h"
#include "model/Error.h"

namespace torvane {

struct VbSubscriptFault {
    [[noreturn]] static void Raise() {
        torvane::Raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
    }
};

template <typename T>
using VbArray = common::LowerBoundArray<T, VbSubscriptFault>;

using DoubleArray = VbArray<double>;
using StringArray = VbArray<std::string>;

}  // namespace torvane
