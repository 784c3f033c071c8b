#include "model/NumberText.h"

#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/Error.h"

namespace torvane {
namespace {

constexpr int kSignificantDigits = 15;
// Fixed notation is used for decimal exponents in [kMinFixedExponent, kMaxFixedExponent].
constexpr int kMinFixedExponent = -5 + 1;
constexpr int kMaxFixedExponent = kSignificantDigits - 1;

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

struct Decimal {
    bool negative = false;
    std::string digits;  // significant digits, no trailing zeros, at least one digit
    int exponent = 0;    // value = 0.d1d2d3... * 10^(exponent + 1), i.e. d1 stands at 10^exponent
};

// The value's digits rounded to significant digits (1 to 15).
Decimal ToDecimal(double value, int significant = kSignificantDigits) {
    if (!std::isfinite(value)) Raise(ErrorCode::Overflow, "Overflow");
    Decimal d;
    if (value == 0.0) {
        d.digits = "0";
        return d;
    }
    d.negative = value < 0;
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific,
                             significant - 1);
    std::string s(buf, res.ptr);  // "d.dddddddddddddde+XX"
    // Next to the largest double, rounding to 15 digits can give a number beyond it, which
    // would read back as an overflow. Such values are cut to 15 digits instead.
    if (std::isinf(strtod_l(s.c_str(), nullptr, CLocale()))) {
        res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific,
                            kSignificantDigits + 1);
        s.assign(buf, res.ptr);
        const auto cut = s.find('e');
        s.erase(kSignificantDigits + 1, cut - (kSignificantDigits + 1));  // keep "d." + 14
    }
    const auto e = s.find('e');
    for (std::size_t i = 0; i < e; ++i)
        if (s[i] != '.') d.digits.push_back(s[i]);
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    d.exponent = std::atoi(s.c_str() + e + 1);
    return d;
}

// The digits of a value without its sign, in the form the two number texts share.
// leadingZero selects "0.5" (plain) rather than ".5".
std::string Unsigned(const Decimal& d, bool leadingZero) {
    const int n = static_cast<int>(d.digits.size());
    std::string out;
    if (d.exponent < kMinFixedExponent || d.exponent > kMaxFixedExponent) {
        out.push_back(d.digits[0]);
        if (n > 1) {
            out.push_back('.');
            out.append(d.digits, 1, std::string::npos);
        }
        out.push_back('E');
        out.push_back(d.exponent < 0 ? '-' : '+');
        const int mag = std::abs(d.exponent);
        if (mag < 10) out.push_back('0');
        out += std::to_string(mag);
        return out;
    }
    if (d.exponent < 0) {
        if (leadingZero) out.push_back('0');
        out.push_back('.');
        out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        out += d.digits;
        return out;
    }
    const int intDigits = d.exponent + 1;
    if (n <= intDigits) {
        out = d.digits;
        out.append(static_cast<std::size_t>(intDigits - n), '0');
    } else {
        out.assign(d.digits, 0, static_cast<std::size_t>(intDigits));
        out.push_back('.');
        out.append(d.digits, static_cast<std::size_t>(intDigits), std::string::npos);
    }
    return out;
}

bool IsSkipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Reads "&H..." or "&O..." digits (blanks skipped) from text at position i.
double RadixValue(std::string_view text, std::size_t i, int radix) {
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (IsSkipped(c)) continue;
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (radix == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (radix == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        if (digit >= radix) break;
        value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFull) Raise(ErrorCode::Overflow, "Overflow");
    }
    if (value <= 0xFFFFull) return static_cast<double>(static_cast<std::int16_t>(value));
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

}  // namespace

std::string ShortNumberText(double value, int significantDigits) {
    const Decimal d = ToDecimal(value, std::clamp(significantDigits, 1, kSignificantDigits));
    return (d.negative ? "-" : " ") + Unsigned(d, false);
}

std::string NumberText(double value) {
    const Decimal d = ToDecimal(value);
    return (d.negative ? "-" : " ") + Unsigned(d, false);
}

std::string PlainNumberText(double value) {
    const Decimal d = ToDecimal(value);
    return (d.negative ? "-" : "") + Unsigned(d, true);
}

std::string TrimmedNumberText(double value) {
    return TrimSpaces(NumberText(value));
}

std::string TrimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::optional<double> WholeNumberValue(std::string_view text) {
    const std::string trimmed = TrimSpaces(text);
    std::string_view number = trimmed;
    // from_chars reads a minus sign only; a plus sign may stand before the digits too.
    if (!number.empty() && number.front() == '+') {
        number.remove_prefix(1);
        if (!number.empty() && number.front() == '-') return std::nullopt;
    }
    if (number.empty()) return std::nullopt;
    double value = 0;
    const char* const end = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(number.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

double NumberValue(std::string_view text) {
    std::size_t i = 0;
    auto skip = [&] {
        while (i < text.size() && IsSkipped(text[i])) ++i;
    };
    skip();
    if (i + 1 < text.size() && text[i] == '&') {
        std::size_t j = i + 1;
        while (j < text.size() && IsSkipped(text[j])) ++j;
        if (j < text.size() && (text[j] == 'H' || text[j] == 'h'))
            return RadixValue(text, j + 1, 16);
        if (j < text.size() && (text[j] == 'O' || text[j] == 'o'))
            return RadixValue(text, j + 1, 8);
        return 0.0;
    }
    // Gather the longest numeric prefix without the skipped characters.
    std::string num;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') num.push_back('-');
        ++i;
    }
    bool anyDigit = false;
    bool seenPoint = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (IsSkipped(c)) continue;
        if (c >= '0' && c <= '9') {
            num.push_back(c);
            anyDigit = true;
        } else if (c == '.' && !seenPoint) {
            num.push_back(c);
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit) return 0.0;
    // Optional exponent: E or D, optional sign, at least one digit to count.
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exp = "e";
        while (j < text.size() && IsSkipped(text[j])) ++j;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exp.push_back(text[j++]);
        bool expDigit = false;
        for (; j < text.size(); ++j) {
            const char c = text[j];
            if (IsSkipped(c)) continue;
            if (c < '0' || c > '9') break;
            exp.push_back(c);
            expDigit = true;
        }
        if (expDigit) num += exp;
    }
    errno = 0;
    const double v = strtod_l(num.c_str(), nullptr, CLocale());
    if (std::isinf(v)) Raise(ErrorCode::Overflow, "Overflow");
    return v;
}

}  // namespace torvane
