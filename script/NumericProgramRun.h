#pragma once
// The loop that runs a plain-number program, kept apart from the class's interface and included
// only where programs are run, so the run is inlined into its caller.

#include <cmath>

#include "script/NumericProgram.h"
#include "script/Operators.h"

namespace vbs {

// Every failure of the interpreter on this subset is a step whose result is not finite (a
// division by zero, the logarithm or square root out of its domain, a power without a real
// value, an overflow), and every step with such a result fails there, so one flag that turns
// NaN at the first infinite or NaN step, and stays so, tells whether the interpreter succeeds.
// Inlined where it is called: the call would cost about as much as a short program.
[[gnu::always_inline]] inline bool NumericProgram::RunPlain(double param, double& result,
                                                            double sign) {
    double x = param;
    double* top = plainStack_.data();
    double notFinite = 0;  // NaN once a step gave infinity or NaN
    for (const PlainInstruction& in : plain_) {
        switch (in.op) {
            case PlainOp::Param:
                x = param;
                break;
            case PlainOp::Push:
                *top++ = x;
                continue;
            // Finite stays finite in these steps: the flag need not look.
            case PlainOp::Sign:
                x = x * sign;  // exact: the same double as a negation, or x itself
                continue;
            case PlainOp::Neg:
                x = -x;
                continue;
            case PlainOp::AddK:
                x = x + in.k;
                break;
            case PlainOp::SubK:
                x = x - in.k;
                break;
            case PlainOp::KSub:
                x = in.k - x;
                break;
            case PlainOp::MulK:
                x = x * in.k;
                break;
            case PlainOp::DivK:
                x = x / in.k;
                break;
            case PlainOp::KDiv:
                x = in.k / x;
                break;
            case PlainOp::PowK:
                x = RaiseToPower(x, in.k);
                break;
            case PlainOp::KPow:
                x = RaiseToPower(in.k, x);
                break;
            case PlainOp::Square:
                x = x * x;
                break;
            case PlainOp::Add:
                x = *--top + x;
                break;
            case PlainOp::Sub:
                x = *--top - x;
                break;
            case PlainOp::Mul:
                x = *--top * x;
                break;
            case PlainOp::Div:
                x = *--top / x;
                break;
            case PlainOp::Pow:
                x = RaiseToPower(*--top, x);
                break;
            case PlainOp::Sin:
                x = std::sin(x);
                break;
            case PlainOp::Cos:
                x = std::cos(x);
                break;
            case PlainOp::Tan:
                x = std::tan(x);
                break;
            case PlainOp::Atn:
                x = std::atan(x);
                break;
            case PlainOp::Exp:
                x = std::exp(x);
                break;
            case PlainOp::Log:
                x = std::log(x);
                break;
            case PlainOp::Sqr:
                x = std::sqrt(x);
                break;
            case PlainOp::Abs:
                x = std::fabs(x);
                break;
            case PlainOp::Int:
                x = std::floor(x);
                break;
            case PlainOp::Fix:
                x = std::trunc(x);
                break;
        }
        notFinite += x * 0.0;
    }
    if (notFinite != 0.0) return false;  // NaN
    result = x;
    return true;
}

}  // namespace vbs
