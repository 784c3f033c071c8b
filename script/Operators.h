#pragma once
// The operators of the language over Variants: arithmetic with overflow promotion (Integer to
// Long to Double), concatenation, comparison, and the bitwise logical operators.

#include <cstdint>

#include "script/Value.h"

namespace vbs {

enum class BinaryOp : std::uint8_t {
    Add,
    Sub,
    Mul,
    Div,
    IntDiv,
    Mod,
    Pow,
    Concat,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Is,
    And,
    Or,
    Xor,
    Eqv,
    Imp,
};

enum class UnaryOp : std::uint8_t { Neg, Plus, Not };

Value ApplyBinary(BinaryOp op, const Value& a, const Value& b);

// x ^ y for operands that are allowed (not 0 to a negative power, not a negative base to a
// fraction); the caller checks that the result is finite. A square is x * x: the exactly
// rounded square, and the same in every path that evaluates '^'.
double RaiseToPower(double x, double y);
Value ApplyUnary(UnaryOp op, const Value& a);

// The '=' test of Select Case: Null never matches.
bool ValuesEqual(const Value& a, const Value& b);

}  // namespace vbs
