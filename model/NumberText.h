#pragma once
// Numbers as text, the same way everywhere in the system (text boxes, tool-path text, equation
// parameters): "." is the decimal separator in every locale, whatever the process locale is.
//
// NumberText:      at most 15 significant digits, leading blank for values >= 0, "-" otherwise,
//                  no 0 before the point below 1, exponent form for very small or large
//                  magnitudes:  0.5 -> " .5", -0.25 -> "-.25", 1e-5 -> " 1E-05", 1.5e16 ->
//                  " 1.5E+16".
// PlainNumberText: the same digits without the leading blank and with a 0 before the point:
//                  0.6 -> "0.6", -0.25 -> "-0.25".
// NumberValue:     the value of the longest numeric prefix; blanks, tabs and line feeds are
//                  skipped wherever they stand ("1 2" is 12); optional sign, digits with an
//                  optional period, optional exponent with E or D; "&H"/"&O" read hexadecimal or
//                  octal integers in two's complement (16 bits up to &HFFFF, 32 bits up to
//                  &HFFFFFFFF); no numeric prefix reads as 0. A value too large for a double
//                  raises an overflow error.

#include <optional>
#include <string>
#include <string_view>

namespace torvane {

std::string NumberText(double value);
std::string PlainNumberText(double value);
double NumberValue(std::string_view text);
// The value of a text that is one finite number as a whole, blanks around it allowed ("2",
// " -1.5 ", "+3e2", ".5"); nothing for any other text ("", "abc", "1 5", "12a", "1E999"), where
// NumberValue would make a number of whatever prefix it finds.
std::optional<double> WholeNumberValue(std::string_view text);

// NumberText rounded to significantDigits (1 to 15) significant digits, for showing a value
// briefly: 1.23456789 -> " 1.23457" with 6.
std::string ShortNumberText(double value, int significantDigits);

// Number text with leading and trailing blanks removed (" .5" -> ".5").
std::string TrimmedNumberText(double value);

// Removes leading and trailing space characters (only ' ', as the text helpers require).
std::string TrimSpaces(std::string_view text);

}  // namespace torvane
