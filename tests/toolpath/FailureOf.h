#pragma once
// Runs f, expects it to raise a torvane::Error and returns that error.

#include <gtest/gtest.h>

#include "model/Error.h"

namespace torvane {

template <typename F>
Error FailureOf(F f) {
    try {
        f();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return Error(ErrorCode::InvalidArgument, "none");
}

}  // namespace torvane
