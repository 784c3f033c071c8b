#pragma once
// Helpers shared by the script tests.

#include <string>
#include <string_view>
#include <vector>

#include "script/Engine.h"

namespace vbs::test {

// "Type:text" of a value ("Integer:7", "Double:0.25", "Null", "Empty"), or "error N" when
// evaluating raises.
std::string Describe(const Value& v);
std::string EvalDescribed(Engine& engine, std::string_view expression);

// A number as the host writes it into equations: 15 significant digits, "." as decimal point,
// a leading blank for values of zero or more, no 0 before the point below 1.
std::string HostNumberText(double v);

// The script files of the conformance suite, in tests/script/scripts.
std::vector<std::string> ScriptFiles();
std::string ReadFile(const std::string& path);

// Prelude that gives conformance scripts a Print statement collecting lines in `out__`.
inline constexpr std::string_view kPrintPrelude =
    "Dim out__\nSub Print(x)\n  out__ = out__ & x & vbLf\nEnd Sub\n";

}  // namespace vbs::test
