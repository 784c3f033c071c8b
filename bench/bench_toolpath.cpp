// Expanding a tool-path script that generates 10,000 DRIVE blocks, and re-timing those sublegs
// into trapezoids. Each benchmark also runs the script-engine work alone in the same iteration,
// so the share of the time spent inside the engine is a ratio measured in one run.

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "model/NumberText.h"
#include "script/Engine.h"
#include "toolpath/TextHelpers.h"
#include "toolpath/clsToolPath.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBlocks = 10000;

const std::string kCode =
    "Function Num(x)\r\n"
    "  If x >= 0 Then\r\n"
    "    Num = \" \" & x\r\n"
    "  Else\r\n"
    "    Num = \"\" & x\r\n"
    "  End If\r\n"
    "End Function\r\n"
    "Function Drive(s0, s1, p1, p2, e1, e2)\r\n"
    "  Drive = \"<DRIVE>\" & vbCrLf & vbTab & \"StartS= \" & Num(s0) & vbCrLf & vbTab & \"EndS= \" & "
    "Num(s1) & vbCrLf & vbTab & Num(p1) & \" , \" & Num(p2) & vbCrLf & vbTab & e1 & \",\" & e2 & "
    "vbCrLf & \"</DRIVE>\" & vbCrLf\r\n"
    "End Function\r\n"
    "Function Blocks(first, last)\r\n"
    "  Dim i, r\r\n"
    "  For i = first To last\r\n"
    "    r = r & Drive(0, 1 + (i Mod 7), i * 0.5, -i, \".6*S\", \"sin(S/3)*2\")\r\n"
    "  Next\r\n"
    "  Blocks = r\r\n"
    "End Function\r\n";

// Ten EVALCODE blocks of a thousand DRIVE blocks each, all in one leg.
std::string Script() {
    std::string script = "<ADDCODE>\r\n" + kCode + "</ADDCODE>\r\n<LEG>\r\n";
    for (int k = 0; k < kBlocks / 1000; ++k)
        script += "<EVALCODE>Blocks(" + std::to_string(k * 1000 + 1) + ", " +
                  std::to_string(k * 1000 + 1000) + ")</EVALCODE>";
    return script + "\r\n</LEG>\r\n";
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_ExpandScript(benchmark::State& state) {
    const auto engine = std::make_shared<vbs::Engine>();
    torvane::clsToolPath tp(engine);
    const std::string script = Script();
    double engineSeconds = 0;
    double totalSeconds = 0;
    std::size_t outSize = 0;
    for (auto _ : state) {
        // The engine's part alone: what the expansion hands to the engine.
        const auto t0 = Clock::now();
        engine->Reset();
        engine->AddCode("\r\n" + kCode);
        for (int k = 0; k < kBlocks / 1000; ++k)
            benchmark::DoNotOptimize(engine->Eval("Blocks(" + std::to_string(k * 1000 + 1) + ", " +
                                                  std::to_string(k * 1000 + 1000) + ")"));
        const auto t1 = Clock::now();
        const std::string out = tp.ExpandScript(script);
        const auto t2 = Clock::now();
        outSize = out.size();
        engineSeconds += Seconds(t1 - t0);
        totalSeconds += Seconds(t2 - t1);
    }
    state.counters["blocks/s"] = benchmark::Counter(static_cast<double>(kBlocks) * state.iterations() / totalSeconds);
    state.counters["engine_share"] = engineSeconds / totalSeconds;
    state.counters["text_bytes"] = static_cast<double>(outSize);
}
BENCHMARK(BM_ExpandScript)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RetimeSublegs(benchmark::State& state) {
    const auto engine = std::make_shared<vbs::Engine>();
    torvane::clsToolPath tp(engine);
    const std::string expanded = tp.ExpandScript(Script());
    const auto legs = tp.XMLClass().SplitXML(expanded, "LEG");
    const auto sublegs = tp.XMLClass().ParseXMLSublegs(legs(2).Contents);
    if (sublegs.UBound() != kBlocks) {
        state.SkipWithError("the script did not generate the expected blocks");
        return;
    }

    // The texts the re-timing hands to the engine: every equation of every piece but the last,
    // at the piece's start and at its end (substituted exactly as the equations are).
    std::vector<std::string> texts;
    for (const auto& subleg : sublegs.Items()) {
        const auto pieces = tp.TripleSubleg(subleg, tp.cVMax, tp.cAMax);
        for (std::int32_t k = 1; k < pieces.UBound(); ++k)
            for (const std::string& eq : pieces(k).ParametricEQs.Items())
                for (double s : {pieces(k).StartS, pieces(k).EndS}) {
                    const std::string n = torvane::NumberText(s);
                    texts.push_back(torvane::ReplaceAll(torvane::ReplaceAll(eq, "S", n), "t", n));
                }
    }

    double engineSeconds = 0;
    double totalSeconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        for (const std::string& text : texts) benchmark::DoNotOptimize(engine->Eval(text).ToDouble());
        const auto t1 = Clock::now();
        for (const auto& subleg : sublegs.Items())
            benchmark::DoNotOptimize(tp.TripleSubleg(subleg, tp.cVMax, tp.cAMax));
        const auto t2 = Clock::now();
        engineSeconds += Seconds(t1 - t0);
        totalSeconds += Seconds(t2 - t1);
    }
    state.counters["sublegs/s"] = benchmark::Counter(static_cast<double>(kBlocks) * state.iterations() / totalSeconds);
    state.counters["engine_share"] = engineSeconds / totalSeconds;
    state.counters["evaluations"] = static_cast<double>(texts.size());
}
BENCHMARK(BM_RetimeSublegs)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
