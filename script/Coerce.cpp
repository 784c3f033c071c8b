#include "script/Coerce.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>

#include "script/ScriptError.h"

namespace vbs {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decimal digits with optional point and exponent starting at `pos`; the text is copied into
// `norm` in the form from_chars reads. Returns false when no digit is found or the exponent is
// incomplete. `allowD` accepts d/D as exponent marker (text conversion, not source literals).
bool ScanDecimal(std::string_view t, std::size_t& pos, std::string& norm, bool allowD,
                 bool& integral, bool& overflowSide) {
    std::size_t p = pos;
    int digits = 0;
    int intDigits = 0;
    bool seenNonZero = false;
    integral = true;
    while (p < t.size() && IsDigit(t[p])) {
        if (t[p] != '0') seenNonZero = true;
        if (seenNonZero) ++intDigits;
        norm += t[p++];
        ++digits;
    }
    if (p < t.size() && t[p] == '.') {
        integral = false;
        norm += '.';
        ++p;
        while (p < t.size() && IsDigit(t[p])) {
            norm += t[p++];
            ++digits;
        }
    }
    if (digits == 0) return false;
    long exponent = 0;
    if (p < t.size() && (t[p] == 'e' || t[p] == 'E' || (allowD && (t[p] == 'd' || t[p] == 'D')))) {
        integral = false;
        std::size_t q = p + 1;
        bool negative = false;
        if (q < t.size() && (t[q] == '+' || t[q] == '-')) negative = t[q++] == '-';
        if (q >= t.size() || !IsDigit(t[q])) return false;
        norm += 'e';
        if (negative) norm += '-';
        while (q < t.size() && IsDigit(t[q])) {
            if (exponent < 100000) exponent = exponent * 10 + (t[q] - '0');
            norm += t[q++];
        }
        if (negative) exponent = -exponent;
        p = q;
    }
    overflowSide = intDigits + exponent > 0;
    pos = p;
    return true;
}

NumberParse ConvertDecimal(const std::string& norm, bool overflowSide, double& out) {
    double v = 0;
    const auto res = std::from_chars(norm.data(), norm.data() + norm.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        if (overflowSide) return NumberParse::Overflow;
        out = 0.0;
        return NumberParse::Ok;
    }
    if (res.ec != std::errc() || res.ptr != norm.data() + norm.size()) return NumberParse::Invalid;
    out = v;
    return NumberParse::Ok;
}

// &H / &O digits after the prefix; the value is two's complement of 16 bits for short forms,
// of 32 bits otherwise.
bool ScanRadix(std::string_view t, std::size_t& pos, Value& out) {
    if (pos + 1 >= t.size() || t[pos] != '&') return false;
    const char kind = t[pos + 1];
    const bool hex = kind == 'h' || kind == 'H';
    const bool oct = kind == 'o' || kind == 'O';
    if (!hex && !oct) return false;
    std::size_t p = pos + 2;
    std::uint64_t value = 0;
    int count = 0;
    while (p < t.size()) {
        const int d = HexDigit(t[p]);
        if (d < 0 || (oct && d > 7)) break;
        value = value * (hex ? 16 : 8) + static_cast<unsigned>(d);
        if (value > 0xFFFFFFFFull) return false;
        ++count;
        ++p;
    }
    if (count == 0) return false;
    // No type suffix: a following '&' is the concatenation operator ("&H10&x" is "16" & x).
    const bool shortForm = hex ? count <= 4 : value <= 0xFFFF;
    if (shortForm) {
        out = Value::Integer(static_cast<std::int16_t>(static_cast<std::uint16_t>(value)));
    } else {
        out = Value::Long(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
    }
    pos = p;
    return true;
}

// The value of eight digit values 0..9 in the bytes of `v`, the byte at the lowest address the
// most significant (little-endian order): pairs, then quadruples, then the whole, in three
// multiplications.
std::uint64_t EightDigitValue(std::uint64_t v) {
    v = (v * 10) + (v >> 8);
    return (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
            (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
           32;
}

// How many of the eight bytes of `v` (little-endian order) are decimal digits before the first
// that is not. A byte is a digit when its high nibble is 3 and adding 6 leaves it so; the
// addition carries only out of non-digits, so it can spoil only bytes after the first of them.
int LeadingDigits(std::uint64_t v) {
    const std::uint64_t notThree =
        ((v & 0xF0F0F0F0F0F0F0F0) | (((v + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) >> 4)) ^
        0x3333333333333333;
    return notThree == 0 ? 8 : std::countr_zero(notThree) / 8;
}

// A decimal literal (digits, optional "." and digits, optional e/E exponent) of at most 19
// significant digits whose value is one exact operation on doubles: m * 10^k or m / 10^k with
// m < 2^53 and k <= 22 is rounded once, so it is the value from_chars gives. Number texts the
// host writes (15 digits) nearly always qualify. Returns false, leaving `pos`, for any other
// text; ScanDecimal then decides.
bool ScanShortDecimal(std::string_view t, std::size_t& pos, double& out) {
    static constexpr std::uint64_t kIntegerPowersOfTen[] = {
        1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::size_t p = pos;
    std::uint64_t mantissa = 0;  // stays below 10^19: past 2^53 the shortcut is off anyway
    int digits = 0;
    int scale = 0;
    // The digits before the point, then those after it, eight at a time where the text has them
    // (the 15-digit fractions of number texts): all the digits among eight bytes at once, so
    // that runs of any length cost no loop exit to mispredict. One loop for both runs keeps the
    // counts in registers.
    for (int run = 0; run < 2; ++run) {
        const bool fraction = run == 1;
        if (fraction) {
            if (p >= t.size() || t[p] != '.') break;
            ++p;
        }
        for (;;) {
            if (std::endian::native == std::endian::little && p + 8 <= t.size() &&
                mantissa < 100000000000ULL) {
                std::uint64_t v = 0;
                std::memcpy(&v, t.data() + p, 8);
                const int n = LeadingDigits(v);
                if (n > 0) {
                    // The n digits moved up to the most significant places, zeros before them.
                    std::uint64_t d = v - 0x3030303030303030;
                    if (n < 8) d = (d & ((std::uint64_t{1} << (8 * n)) - 1)) << (8 * (8 - n));
                    mantissa = mantissa * kIntegerPowersOfTen[n] + EightDigitValue(d);
                    p += static_cast<std::size_t>(n);
                    digits += n;
                    if (fraction) scale -= n;
                }
                if (n < 8) break;
                continue;
            }
            if (p >= t.size() || !IsDigit(t[p])) break;
            if (mantissa >= 1000000000000000000ULL) return false;
            mantissa = mantissa * 10 + static_cast<unsigned>(t[p++] - '0');
            ++digits;
            if (fraction) --scale;
        }
    }
    if (digits == 0) return false;
    if (p < t.size() && (t[p] == 'e' || t[p] == 'E')) {
        std::size_t q = p + 1;
        bool negative = false;
        if (q < t.size() && (t[q] == '+' || t[q] == '-')) negative = t[q++] == '-';
        if (q >= t.size() || !IsDigit(t[q])) return false;
        int exponent = 0;
        while (q < t.size() && IsDigit(t[q])) {
            if (exponent > 1000) return false;
            exponent = exponent * 10 + (t[q++] - '0');
        }
        scale += negative ? -exponent : exponent;
        p = q;
    }
    if (mantissa > (std::uint64_t{1} << 53)) return false;
    const auto m = static_cast<double>(mantissa);
    if (mantissa == 0) {
        out = 0.0;
    } else if (scale >= 0 && scale <= 22) {
        out = m * kPowersOfTen[scale];
    } else if (scale < 0 && scale >= -22) {
        out = m / kPowersOfTen[-scale];
    } else {
        return false;
    }
    pos = p;
    return true;
}

}  // namespace

NumberParse ParseNumberText(std::string_view text, double& out) {
    std::size_t p = 0;
    while (p < text.size() && IsBlank(text[p])) ++p;
    std::size_t end = text.size();
    while (end > p && IsBlank(text[end - 1])) --end;
    text = text.substr(0, end);
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
        while (p < text.size() && IsBlank(text[p])) ++p;
    }
    if (p < text.size() && text[p] == '&') {
        Value v;
        if (!ScanRadix(text, p, v) || p != text.size()) return NumberParse::Invalid;
        out = negative ? -static_cast<double>(v.AsInt()) : static_cast<double>(v.AsInt());
        return NumberParse::Ok;
    }
    std::string norm;
    bool integral = false;
    bool overflowSide = false;
    if (!ScanDecimal(text, p, norm, true, integral, overflowSide) || p != text.size()) {
        return NumberParse::Invalid;
    }
    double v = 0;
    const NumberParse r = ConvertDecimal(norm, overflowSide, v);
    if (r != NumberParse::Ok) return r;
    out = negative ? -v : v;
    return NumberParse::Ok;
}

bool ScanNumberLiteral(std::string_view text, std::size_t& pos, Value& out) {
    if (pos < text.size() && text[pos] == '&') return ScanRadix(text, pos, out);
    std::size_t p = pos;
    // Fast route for plain digit runs that fit a Long: no text copy needed.
    std::int64_t small = 0;
    while (p < text.size() && IsDigit(text[p]) && small <= 2147483647)
        small = small * 10 + (text[p++] - '0');
    const bool more =
        p < text.size() && (IsDigit(text[p]) || text[p] == '.' || text[p] == 'e' || text[p] == 'E');
    if (p > pos && !more && small <= 2147483647) {
        out = small <= 32767 ? Value::Integer(static_cast<std::int32_t>(small))
                             : Value::Long(static_cast<std::int32_t>(small));
        pos = p;
        return true;
    }
    p = pos;
    double v = 0;
    if (ScanShortDecimal(text, p, v)) {
        out = Value::Double(v);
        pos = p;
        return true;
    }
    p = pos;
    std::string norm;
    bool integral = false;
    bool overflowSide = false;
    if (!ScanDecimal(text, p, norm, false, integral, overflowSide)) return false;
    if (ConvertDecimal(norm, overflowSide, v) != NumberParse::Ok) return false;
    out = Value::Double(v);
    pos = p;
    return true;
}

std::string FormatFloat(double value, int significantDigits) {
    if (value == 0.0 || !std::isfinite(value)) {
        if (std::isnan(value)) return "NaN";
        if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
        return "0";
    }
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific,
                                   significantDigits - 1);
    std::string_view s(buf, static_cast<std::size_t>(res.ptr - buf));
    std::string out;
    if (s.front() == '-') {
        out += '-';
        s.remove_prefix(1);
    }
    const std::size_t e = s.find('e');
    std::string digits;
    for (const char c : s.substr(0, e)) {
        if (c != '.') digits += c;
    }
    int exponent = 0;
    std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    const int n = static_cast<int>(digits.size());
    const int p = significantDigits;
    if (exponent >= p || (exponent < 0 && (-exponent - 1) + n > p)) {
        out += digits[0];
        if (n > 1) {
            out += '.';
            out.append(digits, 1, std::string::npos);
        }
        out += exponent < 0 ? "E-" : "E+";
        const int a = std::abs(exponent);
        if (a < 10) out += '0';
        out += std::to_string(a);
    } else if (exponent >= 0) {
        if (n <= exponent + 1) {
            out += digits;
            out.append(static_cast<std::size_t>(exponent + 1 - n), '0');
        } else {
            out.append(digits, 0, static_cast<std::size_t>(exponent + 1));
            out += '.';
            out.append(digits, static_cast<std::size_t>(exponent + 1), std::string::npos);
        }
    } else {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    }
    return out;
}

namespace {

// The literal the lexer reads from the 15-digit text of `v`: an integer that fits a Long is an
// Integer or a Long, all else a Double. m / 10^k is an integer exactly when 10^k divides m:
// otherwise it lies at least 1/m (relatively) from one, far more than its rounding moves it.
Value LiteralOfRounded(double v, bool integral) {
    if (integral && v <= 2147483647.0) {
        return v <= 32767.0 ? Value::Integer(static_cast<std::int32_t>(v))
                            : Value::Long(static_cast<std::int32_t>(v));
    }
    return Value::Double(v);
}

}  // namespace

bool FifteenDigitLiteral(double value, bool& negative, Value& literal) {
    const auto& kPowersOfTen = detail::kExactPowersOfTen;
    negative = false;
    if (value == 0.0) {
        literal = Value::Integer(0);  // also -0, which the host writes " 0"
        return true;
    }
    if (!std::isfinite(value)) return false;
    negative = value < 0;
    const double a = std::fabs(value);
    if (double rounded = 0; FifteenDigitMagnitude(a, rounded)) {
        literal = LiteralOfRounded(rounded, std::trunc(rounded) == rounded);
        return true;
    }
    // Decimal exponent of the leading digit: an estimate from the binary exponent, corrected
    // when the scaled value falls outside 15 digits.
    const auto bits = std::bit_cast<std::uint64_t>(a);
    const int binaryExponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;  // a is normal here
    // floor(binaryExponent * log10(2)) is the exponent or one below it; one comparison with
    // the power of ten above settles it (up to the last bit, which the loop corrects).
    static constexpr int kLowestPower = -10;
    static constexpr double kBoundaries[] = {
        1e-10, 1e-9, 1e-8, 1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0,  1e1,  1e2,
        1e3,   1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
        1e16,  1e17, 1e18, 1e19, 1e20, 1e21, 1e22, 1e23, 1e24, 1e25, 1e26, 1e27, 1e28,
        1e29,  1e30, 1e31, 1e32, 1e33, 1e34, 1e35, 1e36, 1e37, 1e38, 1e39};
    int e = (binaryExponent * 78913) >> 18;
    if (e + 1 - kLowestPower < 0 ||
        e + 1 - kLowestPower >= static_cast<int>(std::size(kBoundaries)))
        return false;
    e += a >= kBoundaries[e + 1 - kLowestPower] ? 1 : 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int k = 14 - e;  // a * 10^k has 15 digits before the point
        if (k < -22 || k > 22) return false;
        const double power = kPowersOfTen[k < 0 ? -k : k];
        const double p = k >= 0 ? a * power : a / power;
        if (p < 1e14) {
            --e;
            continue;
        }
        if (p >= 1e15) {
            ++e;
            continue;
        }
        // Round the exact a * 10^k to an integer, half to even, as the correctly rounded
        // text does. p is within half an ulp of it and p's fraction is a multiple of its ulp,
        // so only a fraction of exactly one half needs the exact residual to decide.
        auto whole = static_cast<std::int64_t>(p);  // p < 1e15: truncation is floor
        const double fraction = p - static_cast<double>(whole);
        bool up = fraction > 0.5;
        if (fraction == 0.5) {
            const double residual = k >= 0 ? std::fma(a, power, -p) : std::fma(-p, power, a);
            up = residual > 0 || (residual == 0 && whole % 2 != 0);
        }
        if (up) ++whole;
        const auto m = static_cast<double>(whole);
        const double v = k >= 0 ? m / power : m * power;
        literal = LiteralOfRounded(v, k <= 0 || std::trunc(v) == v);
        return true;
    }
    return false;
}

double RoundHalfEven(double value) {
    // nearbyint rounds ties to even in the default rounding mode, which the engine never changes.
    return std::nearbyint(value);
}

std::int32_t ToLongRounded(const Value& v) {
    switch (v.Type()) {
        case VarType::Empty:
            return 0;
        case VarType::Integer:
        case VarType::Byte:
        case VarType::Long:
        case VarType::Boolean:
            return v.AsInt();
        case VarType::Null:
            Raise(err::kInvalidNull);
        default:
            break;
    }
    const double r = RoundHalfEven(NumberOf(v));
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) Raise(err::kOverflow);
    return static_cast<std::int32_t>(r);
}

Value ToArithmetic(const Value& v) {
    switch (v.Type()) {
        case VarType::Empty:
            return Value::Integer(0);
        case VarType::Boolean:
            return Value::Integer(v.AsInt());
        case VarType::Integer:
        case VarType::Byte:
        case VarType::Long:
        case VarType::Single:
        case VarType::Double:
        case VarType::Null:
            return v;
        case VarType::String: {
            double d = 0;
            const NumberParse r = ParseNumberText(v.AsString(), d);
            if (r == NumberParse::Overflow) Raise(err::kOverflow);
            if (r != NumberParse::Ok) Raise(err::kTypeMismatch);
            return Value::Double(d);
        }
        default:
            Raise(err::kTypeMismatch);
    }
}

double NumberOf(const Value& v) {
    switch (v.Type()) {
        case VarType::Empty:
            return 0.0;
        case VarType::Integer:
        case VarType::Byte:
        case VarType::Long:
        case VarType::Boolean:
            return v.AsInt();
        case VarType::Single:
            return v.AsSingle();
        case VarType::Double:
            return v.AsDoubleRaw();
        case VarType::Null:
            Raise(err::kInvalidNull);
        default:
            return ToArithmetic(v).AsDoubleRaw();
    }
}

}  // namespace vbs
