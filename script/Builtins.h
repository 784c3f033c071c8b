#pragma once
// The built-in functions and constants of the language.

#include <string_view>

#include "script/Value.h"

namespace vbs {

class Interpreter;

// Arguments arrive evaluated; an omitted one is Value::Missing(). The argument count has been
// checked against minArgs..maxArgs.
using BuiltinFunction = Value (*)(Interpreter& in, const Value* args, int count);

struct BuiltinInfo {
    const char* name;  // lower case
    int minArgs;
    int maxArgs;
    BuiltinFunction function;
};

inline constexpr int kMaxBuiltinArgs = 6;

const BuiltinInfo* FindBuiltin(std::string_view lowerName);
const Value* FindConstant(std::string_view lowerName);

}  // namespace vbs
