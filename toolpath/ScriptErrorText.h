#pragma once
// How the tool-path engine words the script engine's failures in its own errors.

#include <string>
#include <string_view>

#include "script/ScriptError.h"

namespace torvane {

inline std::string Quote(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

inline std::string EngineMessage(const vbs::ScriptError& e) {
    return e.Description() + " (script error " + std::to_string(e.Number()) + ")";
}

}  // namespace torvane
