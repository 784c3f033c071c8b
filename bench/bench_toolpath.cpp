// Expanding a tool-path script that generates 10,000 DRIVE blocks, and re-timing those sublegs
// into trapezoids. Each benchmark also runs the script-engine work alone in the same iteration,
// so the share of the time spent inside the engine is a ratio measured in one run.

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "model/NumberText.h"
#include "script/Engine.h"
#include "toolpath/TextHelpers.h"
#include "toolpath/clsToolPath.h"

namespace {

// The time this thread spent computing: on a machine shared with other work, the ratios and
// rates then measure this code, not the scheduler.
struct ThreadClock {
    using duration = std::chrono::nanoseconds;
    static duration now() {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
    }
};
using Clock = ThreadClock;
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
    "  Drive = \"<DRIVE>\" & vbCrLf & vbTab & \"StartS= \" & Num(s0) & vbCrLf & vbTab & \"EndS= \" "
    "& "
    "Num(s1) & vbCrLf & vbTab & Num(p1) & \" , \" & Num(p2) & vbCrLf & vbTab & e1 & \",\" & e2 & "
    "vbCrLf & \"</DRIVE>\" & vbCrLf\r\n"
    "End Function\r\n"
    "Function Blocks(first, last)\r\n"
    "  Dim i, r\r\n"
    "  For i = first To last\r\n"
    "    r = r & Drive(0, 1 + (i Mod 7), i * 0.5, -i, \".6*S\", \"sin(S/3)*2\")\r\n"
    "  Next\r\n"
    "  Blocks = \"<LEG>\" & vbCrLf & r & \"</LEG>\" & vbCrLf\r\n"
    "End Function\r\n";

constexpr int kBlocksPerLeg = 1000;

std::string Call(int leg) {
    return "Blocks(" + std::to_string(leg * kBlocksPerLeg + 1) + ", " +
           std::to_string(leg * kBlocksPerLeg + kBlocksPerLeg) + ")";
}

// Ten EVALCODE blocks, each generating a leg of a thousand DRIVE blocks. The code blocks stand
// at the top level of the script: a LEG of the script is copied as it is, code blocks inside
// it included.
std::string Script() {
    std::string script = "<ADDCODE>\r\n" + kCode + "</ADDCODE>\r\n";
    for (int k = 0; k < kBlocks / kBlocksPerLeg; ++k)
        script += "<EVALCODE>" + Call(k) + "</EVALCODE>";
    return script + "\r\n";
}

double Seconds(ThreadClock::duration d) {
    return std::chrono::duration<double>(d).count();
}

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
        for (int k = 0; k < kBlocks / kBlocksPerLeg; ++k)
            benchmark::DoNotOptimize(engine->Eval(Call(k)));
        const auto t1 = Clock::now();
        const std::string out = tp.ExpandScript(script);
        const auto t2 = Clock::now();
        outSize = out.size();
        engineSeconds += Seconds(t1 - t0);
        totalSeconds += Seconds(t2 - t1);
    }
    state.counters["blocks/s"] =
        benchmark::Counter(static_cast<double>(kBlocks) * state.iterations() / totalSeconds);
    state.counters["engine_share"] = engineSeconds / totalSeconds;
    state.counters["text_bytes"] = static_cast<double>(outSize);
}
BENCHMARK(BM_ExpandScript)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every subleg of every leg of the expanded text, in order.
std::vector<torvane::typToolPathSubLeg> SublegsOf(torvane::clsToolPath& tp,
                                                  const std::string& text) {
    std::vector<torvane::typToolPathSubLeg> out;
    const torvane::VbArray<torvane::typXML> pieces = tp.XMLClass().SplitXML(text, "LEG");
    for (const torvane::typXML& piece : pieces.Items()) {
        if (piece.Tag != "LEG") continue;
        const auto sublegs = tp.XMLClass().ParseXMLSublegs(piece.Contents);
        out.insert(out.end(), sublegs.Items().begin(), sublegs.Items().end());
    }
    return out;
}

void BM_RetimeSublegs(benchmark::State& state) {
    const auto engine = std::make_shared<vbs::Engine>();
    torvane::clsToolPath tp(engine);
    const std::vector<torvane::typToolPathSubLeg> sublegs =
        SublegsOf(tp, tp.ExpandScript(Script()));
    if (sublegs.size() != static_cast<std::size_t>(kBlocks)) {
        state.SkipWithError("the script did not generate the expected blocks");
        return;
    }

    // What the re-timing hands to the engine: every equation of every piece but the last, at the
    // piece's start and at its end, with the parameter given as the equations get it.
    struct Evaluation {
        std::string equation;
        std::string number;
    };
    std::vector<Evaluation> evaluations;
    for (const auto& subleg : sublegs) {
        const auto pieces = tp.TripleSubleg(subleg, tp.cVMax, tp.cAMax);
        for (std::int32_t k = 1; k < pieces.UBound(); ++k)
            for (const std::string& eq : pieces(k).ParametricEQs.Items())
                for (double s : {pieces(k).StartS, pieces(k).EndS})
                    evaluations.push_back({eq, torvane::NumberText(s)});
    }
    constexpr std::string_view kLetterList[] = {"S", "t"};

    double engineSeconds = 0;
    double totalSeconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        for (const Evaluation& e : evaluations)
            benchmark::DoNotOptimize(
                engine->EvalSubstituted(e.equation, kLetterList, e.number).ToDouble());
        const auto t1 = Clock::now();
        for (const auto& subleg : sublegs)
            benchmark::DoNotOptimize(tp.TripleSubleg(subleg, tp.cVMax, tp.cAMax));
        const auto t2 = Clock::now();
        engineSeconds += Seconds(t1 - t0);
        totalSeconds += Seconds(t2 - t1);
    }
    state.counters["sublegs/s"] =
        benchmark::Counter(static_cast<double>(kBlocks) * state.iterations() / totalSeconds);
    state.counters["engine_share"] = engineSeconds / totalSeconds;
    state.counters["evaluations"] = static_cast<double>(evaluations.size());
}
BENCHMARK(BM_RetimeSublegs)->Unit(benchmark::kMillisecond)->UseRealTime();

// A script of many LEG blocks and nothing else, the case whose cost once grew with the square of
// the script: expanding it is compared in every iteration with its peers, copying the same text
// and splitting it into its pieces, and with expanding a quarter of it (linear: about 4). Ratios
// are of the medians over the iterations.
std::string LegBlocks(int count) {
    std::string script;
    for (int i = 0; i < count; ++i)
        script += "<LEG>\r\n<DRIVE>\r\n\tStartS= 0\r\n\tEndS= 1\r\n\t " + std::to_string(i) +
                  "\r\n\tS\r\n</DRIVE>\r\n</LEG>\r\n";
    return script;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void BM_ExpandLegBlocks(benchmark::State& state) {
    const auto engine = std::make_shared<vbs::Engine>();
    torvane::clsToolPath tp(engine);
    constexpr int kLegBlocks = 16000;
    const std::string script = LegBlocks(kLegBlocks);
    const std::string quarter = LegBlocks(kLegBlocks / 4);
    std::vector<double> copy, split, expand, expandQuarter;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        std::string copied = script;
        benchmark::DoNotOptimize(copied.data());
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(tp.XMLClass().SplitXML(script, "LEG,ADDCODE,EVALCODE"));
        const auto t2 = Clock::now();
        benchmark::DoNotOptimize(tp.ExpandScript(script));
        const auto t3 = Clock::now();
        benchmark::DoNotOptimize(tp.ExpandScript(quarter));
        const auto t4 = Clock::now();
        copy.push_back(Seconds(t1 - t0));
        split.push_back(Seconds(t2 - t1));
        expand.push_back(Seconds(t3 - t2));
        expandQuarter.push_back(Seconds(t4 - t3));
    }
    state.counters["expand_ms"] = Median(expand) * 1e3;
    state.counters["expand_per_copy"] = Median(expand) / Median(copy);
    state.counters["expand_per_split"] = Median(expand) / Median(split);
    state.counters["full_per_quarter"] = Median(expand) / Median(expandQuarter);
}
BENCHMARK(BM_ExpandLegBlocks)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(15);

}  // namespace

BENCHMARK_MAIN();
