// Fuzzes the script engine with whole scripts: any text either runs or ends with a ScriptError,
// a stop set after a short time ends every script, and nothing the script builds survives the
// engine. A crash, a sanitizer report, a hang past libFuzzer's timeout or memory past its limit
// is a fault.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string_view>

#include "script/Engine.h"
#include "script/ScriptError.h"

namespace {

// The scripts of tests/script/scripts print through this Sub.
constexpr std::string_view kPrelude = "Dim out__\nSub Print(x)\n  out__ = Len(x)\nEnd Sub\n";
constexpr auto kRunTime = std::chrono::milliseconds(100);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    vbs::Engine engine;
    std::stop_source stop;
    engine.SetStopToken(stop.get_token());
    const auto deadline = std::chrono::steady_clock::now() + kRunTime;
    engine.SetPollHook([&] {
        if (std::chrono::steady_clock::now() > deadline) stop.request_stop();
    });
    try {
        engine.AddCode(kPrelude);
        engine.AddCode(text);
        // Expressions take another way through the parser and the equation cache.
        if (size < 256) engine.Eval(text);
    } catch (const vbs::ScriptError&) {
    }
    return 0;
}
