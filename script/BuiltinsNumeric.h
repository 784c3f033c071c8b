#pragma once

// The numeric built-ins (math, conversions, number formatting and bases) and the argument
// helpers they share with the rest of the built-in table.

#include <cmath>
#include <cstdint>
#include <string>

#include "script/Coerce.h"
#include "script/Interpreter.h"
#include "script/ScriptError.h"
#include "script/Value.h"

namespace vbs::builtins {

inline bool Given(const Value* args, int count, int i) {
    return i < count && !args[i].IsMissing();
}

inline std::int32_t LongArg(const Value& v) {
    if (v.IsMissing()) Raise(err::kInvalidCall);
    return ToLongRounded(v);
}

inline Value DoubleResult(double r) {
    if (!std::isfinite(r)) Raise(err::kOverflow);
    return Value::Double(r);
}

// ---- math -----------------------------------------------------------------------------------

template <double (*F)(double)>
Value MathFunction(Interpreter&, const Value* a, int) {
    if (a[0].IsNull()) return a[0];
    return DoubleResult(F(NumberOf(ToArithmetic(a[0]))));
}

template <double (*F)(double)>
Value IntegerPart(Interpreter&, const Value* a, int) {
    const Value v = ToArithmetic(a[0]);
    switch (v.Type()) {
        case VarType::Null:
        case VarType::Integer:
        case VarType::Byte:
        case VarType::Long:
            return v;
        case VarType::Single:
            return Value::Single(static_cast<float>(F(v.AsSingle())));
        default:
            return Value::Double(F(v.AsDoubleRaw()));
    }
}

Value Abs(Interpreter&, const Value* a, int);
Value Exp(Interpreter&, const Value* a, int);
Value Log(Interpreter&, const Value* a, int);
Value Sqr(Interpreter&, const Value* a, int);
Value Sgn(Interpreter&, const Value* a, int);
Value Round(Interpreter&, const Value* a, int count);
Value Rnd(Interpreter& in, const Value* a, int count);
Value CBool(Interpreter&, const Value* a, int);
Value CDbl(Interpreter&, const Value* a, int);
Value CSng(Interpreter&, const Value* a, int);
Value CInt(Interpreter&, const Value* a, int);
Value CLng(Interpreter&, const Value* a, int);
Value CByte(Interpreter&, const Value* a, int);
Value CStr(Interpreter&, const Value* a, int);
Value Hex(Interpreter&, const Value* a, int);
Value Oct(Interpreter&, const Value* a, int);
Value FormatNumber(Interpreter&, const Value* a, int count);

}  // namespace vbs::builtins
