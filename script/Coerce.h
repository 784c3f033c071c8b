#pragma once
// Every conversion between subtypes lives here: text to number, number to text, rounding to
// integers, and the numeric view of an operand. Rounding modes are explicit in the names.

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "script/Value.h"

namespace vbs {

enum class NumberParse { Ok, Invalid, Overflow };

// Reads a whole text as a number: blanks around it, one sign, digits with an optional "."
// (always "." whatever the locale), an exponent with e, E, d or D, or &H / &O forms.
NumberParse ParseNumberText(std::string_view text, double& out);

// Scans one number literal of the source at `pos` (digits, ".", exponent, &H, &O) and advances
// `pos`. Integer literals become Integer, Long or Double by size, others Double. Returns false
// on a malformed literal.
bool ScanNumberLiteral(std::string_view text, std::size_t& pos, Value& out);

// What the lexer reads from a number text of `value` rounded to 15 significant digits (the
// host's number text, whatever its notation): `negative` for the "-" the text starts with, and
// the literal after it, Integer or Long when the text is an integer that fits, Double
// otherwise. Computed without the text; returns false, for the caller to use the text, where
// that is not cheap (magnitudes below 1E-8 or from 1E+37, infinities, NaN).
bool FifteenDigitLiteral(double value, bool& negative, Value& literal);

namespace detail {
inline constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
// Binary exponents of the magnitudes FifteenDigitMagnitude takes: 2^-26 up to below 1E+15.
inline constexpr int kLowestBinaryExponent = -26;
inline constexpr int kHighestBinaryExponent = 49;
// For a magnitude with binary exponent b, whose decimal exponent is e0 = floor(b * log10(2))
// or e0 + 1: 10^(14 - e0) and 10^(13 - e0) (NaN where that is below 10^0), the scales that give
// it 15 digits before the point in either case.
struct DecimalScales {
    double first;
    double second;
};
inline constexpr auto kDecimalScales = [] {
    std::array<DecimalScales, kHighestBinaryExponent - kLowestBinaryExponent + 1> scales{};
    for (int b = kLowestBinaryExponent; b <= kHighestBinaryExponent; ++b) {
        const int k = 14 - ((b * 78913) >> 18);  // (b * 78913) >> 18 is floor(b * log10(2))
        scales[b - kLowestBinaryExponent] = {
            kExactPowersOfTen[k],
            k > 0 ? kExactPowersOfTen[k - 1] : std::numeric_limits<double>::quiet_NaN()};
    }
    return scales;
}();
}  // namespace detail

// The number a text of `magnitude` rounded to 15 significant digits reads as, computed without
// the text, for magnitudes from 2^-26 (about 1.5E-08) up to below 1E+15; false for all others
// (0 included), and in rare cases at the edge of a decade, for the caller to use the text.
//
// The text's digits are the integer m nearest to magnitude * 10^k (ties to even), k = 14 - e for
// the decimal exponent e, and the text reads as the double nearest to m / 10^k. Here 0 <= k <= 22
// and m <= 10^15 < 2^53, so m and 10^k are exact doubles and the division rounds correctly to
// that very double. The product p = magnitude * 10^k is rounded, but rounding is monotonic and
// half-integers below 2^52 are doubles, so p lies on the same side of each half-integer as the
// exact product, or on it: only a p that is itself a half-integer needs the product's exact
// remainder to tell which way m goes.
inline bool FifteenDigitMagnitude(double magnitude, double& rounded) {
    if (!(magnitude >= 0x1p-26 && magnitude < 1e15)) return false;
    const int binaryExponent = static_cast<int>(std::bit_cast<std::uint64_t>(magnitude) >> 52) -
                               1023;  // the magnitude is positive and normal here
    const detail::DecimalScales& scales =
        detail::kDecimalScales[binaryExponent - detail::kLowestBinaryExponent];
    // Both products at once, then the one below 1E+15: a short chain of dependent steps.
    const double p1 = magnitude * scales.first;
    const double p2 = magnitude * scales.second;
    // Chosen by masks, not by a branch that values on both sides of a decade would mispredict.
    const std::uint64_t second = 0 - static_cast<std::uint64_t>(p1 >= 1e15);  // all ones or 0
    auto choose = [second](double ifFirst, double ifSecond) {
        return std::bit_cast<double>((std::bit_cast<std::uint64_t>(ifSecond) & second) |
                                     (std::bit_cast<std::uint64_t>(ifFirst) & ~second));
    };
    const double p = choose(p1, p2);
    const double power = choose(scales.first, scales.second);
    // Below 1E+14 only where p1 reached 1E+15 by its own rounding: the text route settles it.
    if (!(p >= 1e14)) return false;
    // p + 2^52 has no fraction bits left, so the addition rounds p to an integer, ties to even
    // (the engine keeps the default rounding mode), and the subtraction is exact.
    constexpr double kTwo52 = 4503599627370496.0;
    double m = (p + kTwo52) - kTwo52;
    if (std::fabs(m - p) == 0.5) [[unlikely]] {
        const double remainder = std::fma(magnitude, power, -p);
        if (remainder != 0) m = remainder > 0 ? p + 0.5 : p - 0.5;
    }
    rounded = m / power;
    return true;
}

// The language's number-to-text rule: rounded to `significantDigits` (15 for Double, 7 for
// Single), trailing zeros dropped, exponent form for very large or small magnitudes, "."
// always the decimal point.
std::string FormatFloat(double value, int significantDigits);

// Round half to even, as CInt, CLng, Round and the integer operators do.
double RoundHalfEven(double value);

// Banker's-rounded 32-bit value of a numeric operand; raises 6 outside the Long range, 13 for
// non-numbers and 94 for Null.
std::int32_t ToLongRounded(const Value& v);

// The number an arithmetic operand stands for: Empty and Boolean become Integer, text becomes
// Double (13 when it does not read as a number); numbers and Null pass through; others raise 13.
Value ToArithmetic(const Value& v);

// As a double, with the same rules as ToArithmetic (Null raises 94).
double NumberOf(const Value& v);

}  // namespace vbs
