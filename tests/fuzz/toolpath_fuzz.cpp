// Fuzzes the tool-path reader, re-timing and the motor-properties parser with one input: the
// text before the first line "---" is a motor-properties text, the rest a tool path. The parser
// either takes the whole text or raises and leaves the motor list and limits as they were; the
// path's legs and DRIVE blocks are read, every subleg is evaluated and re-timed with the parsed
// limits, and every failure is a library error. A stop set after a short time ends any
// equation that runs too long.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>

#include "model/Error.h"
#include "script/Engine.h"
#include "script/ScriptError.h"
#include "toolpath/clsToolPath.h"
#include "toolpath/clsXML.h"

namespace {

using torvane::clsToolPath;
using torvane::typToolPathSubLeg;

constexpr auto kRunTime = std::chrono::milliseconds(100);

// A parse that fails must leave the motor list and the limits exactly as they were.
void ParseProperties(clsToolPath& path, std::string_view text) {
    const auto motorsBefore = path.MotorsProperties();
    const double vBefore = path.cVMax, aBefore = path.cAMax;
    try {
        path.ParseMotorsProperties(text);
    } catch (const torvane::Error&) {
        if (!(path.MotorsProperties() == motorsBefore) || path.cVMax != vBefore ||
            path.cAMax != aBefore) {
            __builtin_trap();
        }
    }
}

void ReadAndRetime(clsToolPath& path, std::string_view text) {
    const auto pieces = path.XMLClass().SplitXML(text, "LEG,WAIT,DRIVE");
    for (const auto& piece : pieces.Items()) {
        if (piece.Tag != "LEG" && piece.Tag != "DRIVE") continue;
        const std::string leg =
            piece.Tag == "DRIVE" ? "<DRIVE>" + piece.Contents + "</DRIVE>" : piece.Contents;
        const auto sublegs = path.XMLClass().ParseXMLSublegs(leg);
        for (const typToolPathSubLeg& subleg : sublegs.Items()) {
            const auto start = path.EvalEqs(subleg.ParametricEQs, subleg.StartS);
            path.EvalMotorPositions(subleg, subleg.EndS, start);
            path.TripleSubleg(subleg, path.cVMax, path.cAMax);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find("\n---\n");
    const std::string_view properties = cut == std::string_view::npos ? "" : input.substr(0, cut);
    const std::string_view toolPath = cut == std::string_view::npos ? input : input.substr(cut + 5);

    auto engine = std::make_shared<vbs::Engine>();
    std::stop_source stop;
    engine->SetStopToken(stop.get_token());
    const auto deadline = std::chrono::steady_clock::now() + kRunTime;
    engine->SetPollHook([&] {
        if (std::chrono::steady_clock::now() > deadline) stop.request_stop();
    });
    clsToolPath path(engine);
    ParseProperties(path, properties);
    try {
        ReadAndRetime(path, toolPath);
    } catch (const torvane::Error&) {
    } catch (const vbs::ScriptError&) {
    }
    return 0;
}
