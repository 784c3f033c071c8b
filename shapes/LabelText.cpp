#include "shapes/LabelText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "shapes/ShapeError.h"

namespace primora {
namespace {

constexpr int kSignificantDigits = 15;
// Decimal exponents of the leading digit outside this range are written in exponent form.
constexpr int kMinFixedExponent = -4;
constexpr int kMaxFixedExponent = kSignificantDigits - 1;

}  // namespace

std::string LabelText(double value) {
    if (!std::isfinite(value)) throw ShapeError(ShapeErrorCode::Overflow, "Overflow");
    if (value == 0) return " 0";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                   std::chars_format::scientific, kSignificantDigits - 1);
    const std::string sci(buf, res.ptr);  // "d.dddddddddddddde+XX"
    const auto e = sci.find('e');
    std::string digits;
    for (std::size_t i = 0; i < e; ++i)
        if (sci[i] != '.') digits.push_back(sci[i]);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    const int exponent = std::atoi(sci.c_str() + e + 1);
    const int n = static_cast<int>(digits.size());

    std::string out = value < 0 ? "-" : " ";
    if (exponent < kMinFixedExponent || exponent > kMaxFixedExponent) {
        out.push_back(digits[0]);
        if (n > 1) out += "." + digits.substr(1);
        out += exponent < 0 ? "E-" : "E+";
        const int magnitude = std::abs(exponent);
        if (magnitude < 10) out.push_back('0');
        out += std::to_string(magnitude);
    } else if (exponent < 0) {
        out += "." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else if (n <= exponent + 1) {
        out += digits + std::string(static_cast<std::size_t>(exponent + 1 - n), '0');
    } else {
        out += digits.substr(0, static_cast<std::size_t>(exponent + 1)) + "." +
               digits.substr(static_cast<std::size_t>(exponent + 1));
    }
    return out;
}

}  // namespace primora
