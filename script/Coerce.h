#pragma once
// Every conversion between subtypes lives here: text to number, number to text, rounding to
// integers, and the numeric view of an operand. Rounding modes are explicit in the names.

#include <cstdint>
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
