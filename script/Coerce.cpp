#include "script/Coerce.h"

#include <charconv>
#include <cmath>
#include <cstring>

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
    if (p < t.size() && t[p] == '&') ++p;  // optional Long marker
    const bool shortForm = hex ? count <= 4 : value <= 0xFFFF;
    if (shortForm) {
        out = Value::Integer(static_cast<std::int16_t>(static_cast<std::uint16_t>(value)));
    } else {
        out = Value::Long(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
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
    std::string norm;
    bool integral = false;
    bool overflowSide = false;
    if (!ScanDecimal(text, p, norm, false, integral, overflowSide)) return false;
    double v = 0;
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

double RoundHalfEven(double value) {
    // nearbyint rounds ties to even in the default rounding mode, which the engine never changes.
    return std::nearbyint(value);
}

std::int32_t ToLongRounded(const Value& v) {
    switch (v.Type()) {
        case VarType::Empty:
            return 0;
        case VarType::Integer:
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
