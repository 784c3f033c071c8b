#include "script/BuiltinsNumeric.h"

#include <charconv>
#include <cmath>
#include <string>

#include "script/Operators.h"

namespace vbs::builtins {

Value Abs(Interpreter&, const Value* a, int) {
    const Value v = ToArithmetic(a[0]);
    switch (v.Type()) {
        case VarType::Null:
            return v;
        case VarType::Byte:
            return v;
        case VarType::Integer:
            return Value::FromInteger(std::abs(std::int64_t{v.AsInt()}));
        case VarType::Long: {
            const std::int64_t r = std::abs(std::int64_t{v.AsInt()});
            return r > INT32_MAX ? Value::Double(static_cast<double>(r))
                                 : Value::Long(static_cast<std::int32_t>(r));
        }
        case VarType::Single:
            return Value::Single(std::fabs(v.AsSingle()));
        default:
            return Value::Double(std::fabs(v.AsDoubleRaw()));
    }
}
Value Exp(Interpreter&, const Value* a, int) {
    if (a[0].IsNull()) return a[0];
    return DoubleResult(std::exp(NumberOf(ToArithmetic(a[0]))));
}

Value Log(Interpreter&, const Value* a, int) {
    if (a[0].IsNull()) return a[0];
    const double x = NumberOf(ToArithmetic(a[0]));
    if (x <= 0.0) Raise(err::kInvalidCall);
    return Value::Double(std::log(x));
}

Value Sqr(Interpreter&, const Value* a, int) {
    if (a[0].IsNull()) return a[0];
    const double x = NumberOf(ToArithmetic(a[0]));
    if (x < 0.0) Raise(err::kInvalidCall);
    return Value::Double(std::sqrt(x));
}

Value Sgn(Interpreter&, const Value* a, int) {
    if (a[0].IsNull()) Raise(err::kInvalidNull);
    const double x = NumberOf(ToArithmetic(a[0]));
    return Value::Integer((x > 0) - (x < 0));
}

// Round at `places` decimals the way the language does: scale, round half to even, scale back.
// The scaled product is rounded to a double first, so Round(3.825, 2) is 3.82 although 3.825 is
// stored slightly above the tie.
static double RoundDecimal(double x, int places) {
    if (places == 0) return RoundHalfEven(x);
    if (places > 22) return x;
    const double scale = std::pow(10.0, places);
    const double y = x * scale;
    if (!std::isfinite(y) || std::fabs(y) >= 4503599627370496.0)
        return x;  // already integral at this scale
    return RoundHalfEven(y) / scale;
}

Value Round(Interpreter&, const Value* a, int count) {
    const Value v = ToArithmetic(a[0]);
    if (v.IsNull()) return v;
    int places = 0;
    if (Given(a, count, 1)) {
        places = LongArg(a[1]);
        if (places < 0) Raise(err::kInvalidCall);
    }
    switch (v.Type()) {
        case VarType::Integer:
        case VarType::Byte:
        case VarType::Long:
            return v;
        case VarType::Single:
            return Value::Single(static_cast<float>(RoundDecimal(v.AsSingle(), places)));
        default:
            return Value::Double(RoundDecimal(v.AsDoubleRaw(), places));
    }
}

Value Rnd(Interpreter& in, const Value* a, int count) {
    return Value::Single(in.Random(count > 0 ? &a[0] : nullptr));
}

// ---- conversions ----------------------------------------------------------------------------

Value CBool(Interpreter&, const Value* a, int) {
    if (a[0].IsNull()) Raise(err::kInvalidNull);
    return Value::Boolean(a[0].ToBool());
}

Value CDbl(Interpreter&, const Value* a, int) {
    return Value::Double(a[0].ToDouble());
}

Value CSng(Interpreter&, const Value* a, int) {
    const double d = a[0].ToDouble();
    const auto f = static_cast<float>(d);
    if (!std::isfinite(f)) Raise(err::kOverflow);
    return Value::Single(f);
}

Value CInt(Interpreter&, const Value* a, int) {
    const double r = RoundHalfEven(a[0].ToDouble());
    if (!(r >= -32768.0 && r <= 32767.0)) Raise(err::kOverflow);
    return Value::Integer(static_cast<std::int32_t>(r));
}

Value CLng(Interpreter&, const Value* a, int) {
    const double r = RoundHalfEven(a[0].ToDouble());
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) Raise(err::kOverflow);
    return Value::Long(static_cast<std::int32_t>(r));
}

Value CByte(Interpreter&, const Value* a, int) {
    // True is all bits set: the byte 255.
    if (a[0].IsBoolean()) return Value::Byte(a[0].AsBool() ? 255 : 0);
    const double r = RoundHalfEven(a[0].ToDouble());
    if (!(r >= 0.0 && r <= 255.0)) Raise(err::kOverflow);
    return Value::Byte(static_cast<std::uint8_t>(r));
}

Value CStr(Interpreter&, const Value* a, int) {
    return Value::String(a[0].ToString());
}

// ---- formatting, bases, time ----------------------------------------------------------------

static Value Radix(const Value& v, int bitsPerDigit) {
    if (v.IsNull()) return v;
    std::uint32_t bits = 0;
    const bool narrow =
        v.IsEmpty() || v.IsBoolean() || v.Type() == VarType::Integer || v.Type() == VarType::Byte;
    const std::int32_t n = ToLongRounded(v);
    bits = narrow ? static_cast<std::uint16_t>(n) : static_cast<std::uint32_t>(n);
    if (narrow && n >= 0) bits = static_cast<std::uint32_t>(n);
    const char* digits = "0123456789ABCDEF";
    std::string out;
    const std::uint32_t mask = (1u << bitsPerDigit) - 1;
    do {
        out += digits[bits & mask];
        bits >>= bitsPerDigit;
    } while (bits != 0);
    std::reverse(out.begin(), out.end());
    return Value::String(std::move(out));
}

Value Hex(Interpreter&, const Value* a, int) {
    return Radix(a[0], 4);
}
Value Oct(Interpreter&, const Value* a, int) {
    return Radix(a[0], 3);
}

// Whether a tri-state argument (-2 default, -1 true, 0 false) is on.
static bool TriState(const Value* a, int count, int i, bool byDefault) {
    if (!Given(a, count, i)) return byDefault;
    const std::int32_t v = LongArg(a[i]);
    if (v == -2) return byDefault;
    if (v != -1 && v != 0) Raise(err::kInvalidCall);
    return v == -1;
}

// |x| with `digits` decimals, ties rounded away from zero.
static std::string FixedAwayFromZero(double x, int digits) {
    char buf[1024];  // 309 integer digits, the point, 255 + 30 decimals
    auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, digits + 30);
    std::string exact(buf, res.ptr);
    const std::size_t dot = exact.find('.');
    const std::string tail = exact.substr(dot + 1 + static_cast<std::size_t>(digits));
    const bool tie = tail[0] == '5' && tail.find_first_not_of('0', 1) == std::string::npos;
    if (tie) x = std::nextafter(x, HUGE_VAL);
    res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, digits);
    return std::string(buf, res.ptr);
}

Value FormatNumber(Interpreter&, const Value* a, int count) {
    if (a[0].IsNull()) Raise(err::kTypeMismatch);
    const double x = NumberOf(ToArithmetic(a[0]));
    std::int32_t digits = Given(a, count, 1) ? LongArg(a[1]) : -1;
    if (digits == -1) digits = 2;
    if (digits < 0 || digits > 255) Raise(err::kInvalidCall);
    const bool leadingZero = TriState(a, count, 2, true);
    const bool parens = TriState(a, count, 3, false);
    const bool group = TriState(a, count, 4, true);
    std::string text = FixedAwayFromZero(std::fabs(x), digits);
    const std::size_t dot = text.find('.');
    std::string whole = text.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? std::string() : text.substr(dot);
    const bool zero = text.find_first_not_of("0.") == std::string::npos;
    if (whole == "0" && !leadingZero && !fraction.empty()) whole.clear();
    if (group && whole.size() > 3) {
        std::string grouped;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            if (i > 0 && (whole.size() - i) % 3 == 0) grouped += ',';
            grouped += whole[i];
        }
        whole = grouped;
    }
    std::string out = whole + fraction;
    if (x < 0 && !zero) out = parens ? "(" + out + ")" : "-" + out;
    return Value::String(std::move(out));
}

}  // namespace vbs::builtins
