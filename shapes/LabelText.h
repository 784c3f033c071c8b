#pragma once
// The text of a grid label: the number with a leading blank for zero and positive values, a
// minus sign otherwise, at most 15 significant digits, no 0 before the point below 1, and
// exponent form for very small or very large magnitudes (" .5", "-4", " 1E-05"), as numbers are
// joined into text everywhere else in the system.

#include <string>

namespace primora {

std::string LabelText(double value);

}  // namespace primora
