#include "script/Operators.h"

#include <cmath>
#include <string>

#include "script/Coerce.h"
#include "script/ScriptError.h"

namespace vbs {
namespace {

// Rank of an arithmetic operand after ToArithmetic: Integer 0, Long 1, Single 2, Double 3.
int Rank(const Value& v) {
    switch (v.Type()) {
        case VarType::Integer:
        case VarType::Byte:
            return 0;
        case VarType::Long:
            return 1;
        case VarType::Single:
            return 2;
        default:
            return 3;
    }
}

double CheckedDouble(double r) {
    if (!std::isfinite(r)) Raise(err::kOverflow);
    return r;
}

template <typename IntOp, typename FloatOp>
Value Arithmetic(const Value& a0, const Value& b0, IntOp intOp, FloatOp floatOp) {
    if (a0.IsDouble() && b0.IsDouble()) {
        return Value::Double(CheckedDouble(floatOp(a0.AsDoubleRaw(), b0.AsDoubleRaw())));
    }
    if (a0.IsNull() || b0.IsNull()) return Value::Null();
    const Value a = ToArithmetic(a0);
    const Value b = ToArithmetic(b0);
    int rank = std::max(Rank(a), Rank(b));
    if (rank == 2 && (Rank(a) == 1 || Rank(b) == 1)) rank = 3;  // Single with Long gives Double
    switch (rank) {
        case 0: {
            const std::int64_t r = intOp(std::int64_t{a.AsInt()}, std::int64_t{b.AsInt()});
            // Byte with Byte stays a Byte while the result fits one.
            if (a.Type() == VarType::Byte && b.Type() == VarType::Byte && r >= 0 && r <= 255)
                return Value::Byte(static_cast<std::uint8_t>(r));
            return Value::FromInteger(r);
        }
        case 1: {
            const std::int64_t r = intOp(std::int64_t{a.AsInt()}, std::int64_t{b.AsInt()});
            if (r >= INT32_MIN && r <= INT32_MAX) return Value::Long(static_cast<std::int32_t>(r));
            return Value::Double(static_cast<double>(r));
        }
        case 2: {
            const float fa =
                a.Type() == VarType::Single ? a.AsSingle() : static_cast<float>(a.AsInt());
            const float fb =
                b.Type() == VarType::Single ? b.AsSingle() : static_cast<float>(b.AsInt());
            const float r = floatOp(fa, fb);
            if (std::isfinite(r)) return Value::Single(r);
            return Value::Double(
                CheckedDouble(floatOp(static_cast<double>(fa), static_cast<double>(fb))));
        }
        default:
            return Value::Double(CheckedDouble(floatOp(NumberOf(a), NumberOf(b))));
    }
}

Value Add(const Value& a, const Value& b) {
    if (a.IsString() && b.IsString()) {
        CheckStringLength(a.AsString().size() + b.AsString().size());
        return Value::String(a.AsString() + b.AsString());
    }
    if (a.IsEmpty() && b.IsString()) return b;
    if (b.IsEmpty() && a.IsString()) return a;
    return Arithmetic(
        a, b, [](auto x, auto y) { return x + y; }, [](auto x, auto y) { return x + y; });
}

Value Divide(const Value& a, const Value& b) {
    if (a.IsNull() || b.IsNull()) return Value::Null();
    const double x = NumberOf(ToArithmetic(a));
    const double y = NumberOf(ToArithmetic(b));
    if (y == 0.0) Raise(x == 0.0 ? err::kOverflow : err::kDivisionByZero);
    return Value::Double(CheckedDouble(x / y));
}

Value Power(const Value& a, const Value& b) {
    if (a.IsNull() || b.IsNull()) return Value::Null();
    const double x = NumberOf(ToArithmetic(a));
    const double y = NumberOf(ToArithmetic(b));
    if (x == 0.0 && y < 0.0) Raise(err::kDivisionByZero);
    if (x < 0.0 && y != std::floor(y)) Raise(err::kInvalidCall);
    return Value::Double(CheckedDouble(RaiseToPower(x, y)));
}

// Operands of '\' and Mod: 32-bit when either is wider than Integer, else 16-bit.
bool WideIntegerOperand(const Value& v) {
    switch (v.Type()) {
        case VarType::Empty:
        case VarType::Boolean:
        case VarType::Integer:
        case VarType::Byte:
            return false;
        default:
            return true;
    }
}

Value IntegerDivision(const Value& a, const Value& b, bool mod) {
    if (a.IsNull() || b.IsNull()) return Value::Null();
    const bool wide = WideIntegerOperand(a) || WideIntegerOperand(b);
    const std::int64_t x = ToLongRounded(a);
    const std::int64_t y = ToLongRounded(b);
    if (y == 0) Raise(err::kDivisionByZero);
    const std::int64_t r = mod ? x % y : x / y;
    if (!wide) return Value::FromInteger(r);
    if (r < INT32_MIN || r > INT32_MAX) Raise(err::kOverflow);
    return Value::Long(static_cast<std::int32_t>(r));
}

Value Concat(const Value& a, const Value& b) {
    if (a.IsNull() && b.IsNull()) return Value::Null();
    if (a.IsString() && b.IsString()) {
        CheckStringLength(a.AsString().size() + b.AsString().size());
        std::string s;
        s.reserve(a.AsString().size() + b.AsString().size());
        s += a.AsString();
        s += b.AsString();
        return Value::String(std::move(s));
    }
    std::string s = a.ToConcatString();
    const std::string t = b.ToConcatString();
    CheckStringLength(s.size() + t.size());
    s += t;
    return Value::String(std::move(s));
}

bool NumberLike(const Value& v) {
    return v.IsNumber() || v.IsEmpty();
}

// -1, 0 or 1; operands are not Null.
int Compare(const Value& a, const Value& b) {
    if (a.IsArray() || b.IsArray() || a.IsObject() || b.IsObject()) Raise(err::kTypeMismatch);
    if (NumberLike(a) && NumberLike(b)) {
        if (a.IsIntegral() && b.IsIntegral())
            return (a.AsInt() > b.AsInt()) - (a.AsInt() < b.AsInt());
        double x = NumberOf(a);
        double y = NumberOf(b);
        // A Single meets a Double at the Single's precision: CSng(0.1) = 0.1.
        if ((a.Type() == VarType::Single && b.IsDouble()) ||
            (a.IsDouble() && b.Type() == VarType::Single)) {
            x = static_cast<float>(x);
            y = static_cast<float>(y);
        }
        return (x > y) - (x < y);
    }
    if ((a.IsString() || a.IsEmpty()) && (b.IsString() || b.IsEmpty())) {
        static const std::string kEmpty;
        const std::string& x = a.IsString() ? a.AsString() : kEmpty;
        const std::string& y = b.IsString() ? b.AsString() : kEmpty;
        const int c = x.compare(y);
        return (c > 0) - (c < 0);
    }
    // A number is always less than a text.
    return a.IsString() ? 1 : -1;
}

Value Comparison(BinaryOp op, const Value& a, const Value& b) {
    if (a.IsNull() || b.IsNull()) return Value::Null();
    const int c = Compare(a, b);
    switch (op) {
        case BinaryOp::Eq:
            return Value::Boolean(c == 0);
        case BinaryOp::Ne:
            return Value::Boolean(c != 0);
        case BinaryOp::Lt:
            return Value::Boolean(c < 0);
        case BinaryOp::Gt:
            return Value::Boolean(c > 0);
        case BinaryOp::Le:
            return Value::Boolean(c <= 0);
        default:
            return Value::Boolean(c >= 0);
    }
}

// A logical result of the width its operands call for.
Value TypedLogical(std::int32_t r, bool boolean, bool narrow) {
    if (boolean) return Value::Boolean(r != 0);
    return narrow ? Value::Integer(r) : Value::Long(r);
}

bool NarrowLogical(const Value& v) {
    return v.IsEmpty() || v.IsBoolean() || v.Type() == VarType::Integer ||
           v.Type() == VarType::Byte;
}

std::int32_t LogicalOp(BinaryOp op, std::int32_t x, std::int32_t y) {
    switch (op) {
        case BinaryOp::And:
            return x & y;
        case BinaryOp::Or:
            return x | y;
        case BinaryOp::Xor:
            return x ^ y;
        case BinaryOp::Eqv:
            return ~(x ^ y);
        default:
            return ~x | y;  // Imp
    }
}

Value Logical(BinaryOp op, const Value& a, const Value& b) {
    if (a.IsBoolean() && b.IsBoolean())
        return Value::Boolean(LogicalOp(op, a.AsInt(), b.AsInt()) != 0);
    if (a.IsNull() || b.IsNull()) {
        if (a.IsNull() && b.IsNull()) return Value::Null();
        const Value& other = a.IsNull() ? b : a;
        const std::int32_t k = ToLongRounded(other);
        const bool boolean = other.IsBoolean();
        const bool narrow = NarrowLogical(other);
        switch (op) {
            case BinaryOp::And:
                return k == 0 ? TypedLogical(0, boolean, narrow) : Value::Null();
            case BinaryOp::Or:
                return k == -1 ? TypedLogical(-1, boolean, narrow) : Value::Null();
            case BinaryOp::Imp:
                // Null Imp True is True; False Imp Null is True; everything else is unknown.
                if (a.IsNull()) return k == -1 ? TypedLogical(-1, boolean, narrow) : Value::Null();
                return k == 0 ? TypedLogical(-1, boolean, narrow) : Value::Null();
            default:
                return Value::Null();
        }
    }
    const std::int32_t x = ToLongRounded(a);
    const std::int32_t y = ToLongRounded(b);
    const bool narrow = NarrowLogical(a) && NarrowLogical(b);
    return TypedLogical(LogicalOp(op, x, y), false, narrow);
}

Value IsOperator(const Value& a, const Value& b) {
    if (!a.IsObject() || !b.IsObject()) Raise(err::kObjectRequired);
    return Value::Boolean(true);  // the only object is Nothing
}

}  // namespace

double RaiseToPower(double x, double y) {
    return y == 2.0 ? x * x : std::pow(x, y);
}

Value ApplyBinary(BinaryOp op, const Value& a, const Value& b) {
    switch (op) {
        case BinaryOp::Add:
            return Add(a, b);
        case BinaryOp::Sub:
            return Arithmetic(
                a, b, [](auto x, auto y) { return x - y; }, [](auto x, auto y) { return x - y; });
        case BinaryOp::Mul:
            return Arithmetic(
                a, b, [](auto x, auto y) { return x * y; }, [](auto x, auto y) { return x * y; });
        case BinaryOp::Div:
            return Divide(a, b);
        case BinaryOp::IntDiv:
            return IntegerDivision(a, b, false);
        case BinaryOp::Mod:
            return IntegerDivision(a, b, true);
        case BinaryOp::Pow:
            return Power(a, b);
        case BinaryOp::Concat:
            return Concat(a, b);
        case BinaryOp::Eq:
        case BinaryOp::Ne:
        case BinaryOp::Lt:
        case BinaryOp::Gt:
        case BinaryOp::Le:
        case BinaryOp::Ge:
            return Comparison(op, a, b);
        case BinaryOp::Is:
            return IsOperator(a, b);
        default:
            return Logical(op, a, b);
    }
}

Value ApplyUnary(UnaryOp op, const Value& a) {
    if (a.IsNull()) return a;
    switch (op) {
        case UnaryOp::Plus:
            if (a.IsArray() || a.IsObject()) Raise(err::kTypeMismatch);
            return a;
        case UnaryOp::Neg: {
            switch (a.Type()) {
                case VarType::Double:
                    return Value::Double(-a.AsDoubleRaw());
                case VarType::Empty:
                    return Value::Integer(0);
                case VarType::Boolean:
                case VarType::Integer:
                case VarType::Byte:
                    return Value::FromInteger(-std::int64_t{a.AsInt()});
                case VarType::Long: {
                    const std::int64_t r = -std::int64_t{a.AsInt()};
                    if (r > INT32_MAX) return Value::Double(static_cast<double>(r));
                    return Value::Long(static_cast<std::int32_t>(r));
                }
                case VarType::Single:
                    return Value::Single(-a.AsSingle());
                default:
                    return Value::Double(-NumberOf(ToArithmetic(a)));
            }
        }
        case UnaryOp::Not: {
            if (a.IsBoolean()) return Value::Boolean(!a.AsBool());
            // A text that is no number converts as a condition does: "True", "#FALSE#" and so on.
            double number = 0;
            if (a.IsString() && ParseNumberText(a.AsString(), number) != NumberParse::Ok)
                return Value::Boolean(!a.ToBool());
            return TypedLogical(~ToLongRounded(a), false, NarrowLogical(a));
        }
    }
    return a;
}

bool ValuesEqual(const Value& a, const Value& b) {
    const Value r = Comparison(BinaryOp::Eq, a, b);
    return r.IsBoolean() && r.AsBool();
}

}  // namespace vbs
