// Equations per second, parse once and evaluate many times, for every engine in the same run:
// the script engine, muparser and Lua 5.4, against the limit of the same expression written in
// C++. Each engine gets the equation once and then the parameter values, as its users drive it:
// muparser evaluates its parsed expression with the variable set, Lua calls a precompiled
// function through lua_pcall, and the script engine is called as the tool path calls it:
// EvalAt with the number (the equation is bound and cached on the first call), and
// EvalSubstituted with the host's number text (made before the clock starts).
//
// The three equations also run in turn, one call each at every value, as a tool path evaluates
// one equation per motor. A last pair of rows compiles 20,000 and 200,000 functions: linear
// compilation takes the same time per function for both.
//
// Every row runs five repetitions; the ratios printed at the end come from the medians of the
// repetitions: the peer's (or the limit's) time per evaluation over the engine's, so above 1
// means the engine is faster, and the engine over the limit shows how far it is from plain C++.

#include <benchmark/benchmark.h>
#include <muParser.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <lua.hpp>
#include <map>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "script/Coerce.h"
#include "script/Engine.h"

namespace {

constexpr std::array<const char*, 3> kEquations = {" 4*sin(S/ 5)+-5", "(.5* 1*t^2+0)", "S^2"};
constexpr std::string_view kLetterList[] = {"S", "t"};
constexpr std::span<const std::string_view> kLetters(kLetterList);
constexpr std::size_t kValues = 1000000;

// The host's number text: 15 significant digits, "." always, a blank before values >= 0, no 0
// before the point of magnitudes below 1.
std::string HostText(double v) {
    std::string s = vbs::FormatFloat(v, 15);
    const bool negative = s[0] == '-';
    if (negative) s.erase(0, 1);
    if (s.size() > 1 && s[0] == '0' && s[1] == '.') s.erase(0, 1);
    return (negative ? "-" : " ") + s;
}

struct Parameters {
    std::vector<double> values;
    std::vector<std::string> texts;
};

// Parameter values as a tool path meets them: arbitrary doubles of both signs, with full
// precision; each value is the one its text stands for, so every engine sees the same number.
const Parameters& TheParameters() {
    static const Parameters p = [] {
        Parameters r;
        std::mt19937_64 rng(20261207);
        std::uniform_real_distribution<double> dist(-100.0, 100.0);
        r.values.reserve(kValues);
        r.texts.reserve(kValues);
        for (std::size_t i = 0; i < kValues; ++i) {
            r.texts.push_back(HostText(dist(rng)));
            double v = 0;
            vbs::ParseNumberText(r.texts.back(), v);
            r.values.push_back(v);
        }
        return r;
    }();
    return p;
}

std::string EquationOf(const benchmark::State& state) {
    return kEquations[static_cast<std::size_t>(state.range(0))];
}

// Calls evaluate(i) for every parameter value i and reports evaluations per second.
template <typename F>
void Measure(benchmark::State& state, F evaluate) {
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < kValues; ++i) sink += evaluate(i);
    benchmark::DoNotOptimize(sink);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kValues));
    state.SetLabel(EquationOf(state));
}

// A Lua state with sin as a global, as the equations name it.
struct LuaState {
    LuaState() : L(luaL_newstate()) {
        luaL_openlibs(L);
        luaL_dostring(L, "sin = math.sin; cos = math.cos");
    }
    ~LuaState() { lua_close(L); }
    LuaState(const LuaState&) = delete;
    LuaState& operator=(const LuaState&) = delete;

    // Calls the function on the stack top with `arguments` and pops its number; a failure
    // ends the benchmark with Lua's message.
    double Call(benchmark::State& state, int arguments) {
        if (lua_pcall(L, arguments, 1, 0) != LUA_OK) {
            state.SkipWithError(lua_tostring(L, -1));
            lua_pop(L, 1);
            return 0;
        }
        const double r = lua_tonumber(L, -1);
        lua_pop(L, 1);
        return r;
    }
    lua_State* L;
};

// ---- cached path ------------------------------------------------------------------------------

void BM_EngineCached(benchmark::State& state) {
    const Parameters& p = TheParameters();
    const std::string eq = EquationOf(state);
    vbs::Engine engine;
    Measure(state, [&](std::size_t i) {
        return engine.EvalSubstituted(eq, kLetters, p.texts[i]).ToDouble();
    });
    if (engine.Stats().substituted != 0) state.SkipWithError("the binding was not used");
}

// The host hands the number itself: EvalAt binds it without making its text.
void BM_EngineCachedAtNumber(benchmark::State& state) {
    const Parameters& p = TheParameters();
    const std::string eq = EquationOf(state);
    vbs::Engine engine;
    Measure(state, [&](std::size_t i) {
        return engine.EvalAt(eq, kLetters, p.values[i], HostText).ToDouble();
    });
    if (engine.Stats().substituted != 0) state.SkipWithError("the number was not bound");
}

void BM_EngineCachedWithText(benchmark::State& state) {
    const Parameters& p = TheParameters();
    const std::string eq = EquationOf(state);
    vbs::Engine engine;
    Measure(state, [&](std::size_t i) {
        return engine.EvalSubstituted(eq, kLetters, HostText(p.values[i])).ToDouble();
    });
}

void BM_MuParserEval(benchmark::State& state) {
    const Parameters& p = TheParameters();
    mu::Parser parser;
    double s = 0;
    parser.DefineVar("S", &s);
    parser.DefineVar("t", &s);
    parser.SetExpr(EquationOf(state));
    Measure(state, [&](std::size_t i) {
        s = p.values[i];
        return parser.Eval();
    });
}

void BM_LuaCall(benchmark::State& state) {
    const Parameters& p = TheParameters();
    LuaState lua;
    const std::string chunk =
        "local sin = math.sin\nreturn function(S, t) return " + EquationOf(state) + " end";
    if (luaL_dostring(lua.L, chunk.c_str()) != LUA_OK) {
        state.SkipWithError(lua_tostring(lua.L, -1));
        return;
    }
    const int function = luaL_ref(lua.L, LUA_REGISTRYINDEX);
    Measure(state, [&](std::size_t i) {
        lua_rawgeti(lua.L, LUA_REGISTRYINDEX, function);
        lua_pushnumber(lua.L, p.values[i]);
        lua_pushnumber(lua.L, p.values[i]);
        return lua.Call(state, 2);
    });
}

// ---- the three equations in turn ---------------------------------------------------------------
// As a tool path evaluates one equation per motor at each parameter value: every call names
// another equation than the one before.

// Calls evaluate(i, k) for every parameter value i and equation k.
template <typename F>
void MeasureInTurn(benchmark::State& state, F evaluate) {
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < kValues; ++i)
            for (std::size_t k = 0; k < kEquations.size(); ++k) sink += evaluate(i, k);
    benchmark::DoNotOptimize(sink);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kValues * 3));
}

void BM_EngineAtNumberInTurn(benchmark::State& state) {
    const Parameters& p = TheParameters();
    const std::vector<std::string> eqs(kEquations.begin(), kEquations.end());
    vbs::Engine engine;
    MeasureInTurn(state, [&](std::size_t i, std::size_t k) {
        return engine.EvalAt(eqs[k], kLetters, p.values[i], HostText).ToDouble();
    });
    if (engine.Stats().substituted != 0) state.SkipWithError("the number was not bound");
}

void BM_MuParserEvalInTurn(benchmark::State& state) {
    const Parameters& p = TheParameters();
    std::array<mu::Parser, kEquations.size()> parsers;
    double s = 0;
    for (std::size_t k = 0; k < parsers.size(); ++k) {
        parsers[k].DefineVar("S", &s);
        parsers[k].DefineVar("t", &s);
        parsers[k].SetExpr(kEquations[k]);
    }
    MeasureInTurn(state, [&](std::size_t i, std::size_t k) {
        s = p.values[i];
        return parsers[k].Eval();
    });
}

void BM_LuaCallInTurn(benchmark::State& state) {
    const Parameters& p = TheParameters();
    LuaState lua;
    std::array<int, kEquations.size()> functions{};
    for (std::size_t k = 0; k < functions.size(); ++k) {
        const std::string chunk = "local sin = math.sin\nreturn function(S, t) return " +
                                  std::string(kEquations[k]) + " end";
        if (luaL_dostring(lua.L, chunk.c_str()) != LUA_OK) {
            state.SkipWithError(lua_tostring(lua.L, -1));
            return;
        }
        functions[k] = luaL_ref(lua.L, LUA_REGISTRYINDEX);
    }
    MeasureInTurn(state, [&](std::size_t i, std::size_t k) {
        lua_rawgeti(lua.L, LUA_REGISTRYINDEX, functions[k]);
        lua_pushnumber(lua.L, p.values[i]);
        lua_pushnumber(lua.L, p.values[i]);
        return lua.Call(state, 2);
    });
}

// ---- the limit: the same expressions in C++ ------------------------------------------------

double PlainEquation(std::size_t k, double x) {
    switch (k) {
        case 0:
            return 4 * std::sin(x / 5) + -5;
        case 1:
            return .5 * 1 * (x * x) + 0;
        default:
            return x * x;
    }
}

void BM_PlainCpp(benchmark::State& state) {
    const Parameters& p = TheParameters();
    const auto k = static_cast<std::size_t>(state.range(0));
    Measure(state, [&](std::size_t i) {
        double x = p.values[i];
        benchmark::DoNotOptimize(x);  // keeps the value from being folded across calls
        return PlainEquation(k, x);
    });
}

void BM_PlainCppInTurn(benchmark::State& state) {
    const Parameters& p = TheParameters();
    MeasureInTurn(state, [&](std::size_t i, std::size_t k) {
        double x = p.values[i];
        benchmark::DoNotOptimize(x);
        return PlainEquation(k, x);
    });
}

// ---- compiling many functions -------------------------------------------------------------------

void BM_CompileFunctions(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::string code;
    for (std::size_t i = 0; i < n; ++i) {
        const std::string name = "F" + std::to_string(i);
        code += "Function " + name + "(x)\n  " + name + " = x + 1\nEnd Function\n";
    }
    for (auto _ : state) {
        vbs::Engine engine;
        engine.AddCode(code);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

constexpr int kRepetitions = 5;
#define EQUATIONS(b)                    \
    BENCHMARK(b)                        \
        ->DenseRange(0, 2)              \
        ->Unit(benchmark::kMillisecond) \
        ->MinTime(0.3)                  \
        ->Repetitions(kRepetitions)
#define IN_TURN(b) \
    BENCHMARK(b)->Unit(benchmark::kMillisecond)->MinTime(0.3)->Repetitions(kRepetitions)
EQUATIONS(BM_EngineCachedAtNumber);
EQUATIONS(BM_EngineCached);
EQUATIONS(BM_MuParserEval);
EQUATIONS(BM_LuaCall);
EQUATIONS(BM_PlainCpp);
BENCHMARK(BM_EngineCachedWithText)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(kRepetitions);
IN_TURN(BM_EngineAtNumberInTurn);
IN_TURN(BM_MuParserEvalInTurn);
IN_TURN(BM_LuaCallInTurn);
IN_TURN(BM_PlainCppInTurn);
BENCHMARK(BM_CompileFunctions)
    ->Arg(20000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

// Keeps the console output and collects evaluations per second of every repetition by row.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto it = run.counters.find("items_per_second");
            if (it == run.counters.end() || run.error_occurred) continue;
            // With --benchmark_report_aggregates_only only the aggregates come here.
            if (run.run_type == Run::RT_Iteration)
                perSecond_[run.run_name.str()].push_back(it->second.value);
            else if (run.aggregate_name == "median")
                medians_[run.run_name.str()] = it->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const {
        std::printf(
            "\nRatios of medians of %d repetitions (time per evaluation of the peer or\n"
            "limit over the engine's; the limit is the expression written in C++):\n",
            kRepetitions);
        for (int k = 0; k < 3; ++k) {
            const std::string arg = "/" + std::to_string(k);
            std::printf("  \"%s\"\n", kEquations[static_cast<std::size_t>(k)]);
            for (const char* engine :
                 {"BM_EngineCachedAtNumber", "BM_EngineCached", "BM_EngineCachedWithText"}) {
                std::printf("    %s\n", engine);
                Ratio("      vs muparser eval", engine + arg, "BM_MuParserEval" + arg);
                Ratio("      vs Lua call     ", engine + arg, "BM_LuaCall" + arg);
                Ratio("      vs C++ (limit)  ", engine + arg, "BM_PlainCpp" + arg);
            }
            Ratio("    muparser vs C++   ", "BM_MuParserEval" + arg, "BM_PlainCpp" + arg);
            Ratio("    Lua vs C++        ", "BM_LuaCall" + arg, "BM_PlainCpp" + arg);
        }
        std::printf("  the three in turn\n");
        Ratio("    at number vs muparser eval", "BM_EngineAtNumberInTurn", "BM_MuParserEvalInTurn");
        Ratio("    at number vs Lua call     ", "BM_EngineAtNumberInTurn", "BM_LuaCallInTurn");
        Ratio("    at number vs C++ (limit)  ", "BM_EngineAtNumberInTurn", "BM_PlainCppInTurn");
        std::printf("  compiling functions (1.0 is linear)\n");
        Ratio("    200,000 vs 20,000 per function", "BM_CompileFunctions/200000",
              "BM_CompileFunctions/20000");
    }

  private:
    // The median of a row's repetitions; 0 where the row did not run.
    double Median(const std::string& row) const {
        for (const auto& [name, value] : medians_)
            if (name == row || name.rfind(row + "/", 0) == 0) return value;
        for (const auto& [name, values] : perSecond_) {
            if (name != row && name.rfind(row + "/", 0) != 0) continue;
            std::vector<double> v = values;
            std::sort(v.begin(), v.end());
            const std::size_t n = v.size();
            return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
        }
        return 0;
    }
    void Ratio(const char* what, const std::string& engine, const std::string& peer) const {
        const double e = Median(engine);
        const double p = Median(peer);
        if (e <= 0 || p <= 0) return;
        std::printf("%s  %6.2fx   (engine %.3g/s, peer %.3g/s)\n", what, e / p, e, p);
    }
    std::map<std::string, std::vector<double>> perSecond_;
    std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
