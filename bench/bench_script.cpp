// Equations per second: the script engine against muparser and Lua 5.4, same expressions, same
// parameter values, same run.
//
// The engine's EvalAt also runs with the three equations in turn, one call each at every value,
// as a tool path evaluates one equation per motor, against three parsed muparser expressions and
// three Lua functions.
//
// Cached path: the engine's EvalSubstituted with the host's number text (made before the clock
// starts, as the host makes it before it calls the engine), and EvalAt with the number itself,
// against muparser evaluating its own parsed expression with the variable set, and against a
// precompiled Lua function called through lua_pcall with the value. A further engine row
// includes making the number text, so the host's share is visible.
//
// Full parse: the engine's Eval of the substituted text, against muparser and Lua parsing the
// same substituted text each time (Lua: "return " .. text, loaded and called).
//
// The ratios printed at the end are peer time per evaluation over engine time per evaluation:
// above 1 means the engine is faster.

#include <benchmark/benchmark.h>
#include <muParser.h>

#include <array>
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

// ---- full parse -------------------------------------------------------------------------------

void BM_EngineFullParse(benchmark::State& state) {
    const Parameters& p = TheParameters();
    const std::string eq = EquationOf(state);
    vbs::Engine engine;
    Measure(state, [&](std::size_t i) {
        return engine.Eval(vbs::Engine::Substitute(eq, kLetters, p.texts[i])).ToDouble();
    });
}

void BM_MuParserReparse(benchmark::State& state) {
    const Parameters& p = TheParameters();
    const std::string eq = EquationOf(state);
    mu::Parser parser;
    Measure(state, [&](std::size_t i) {
        parser.SetExpr(vbs::Engine::Substitute(eq, kLetters, p.texts[i]));
        return parser.Eval();
    });
}

void BM_LuaReparse(benchmark::State& state) {
    const Parameters& p = TheParameters();
    const std::string eq = EquationOf(state);
    LuaState lua;
    Measure(state, [&](std::size_t i) {
        const std::string chunk = "return " + vbs::Engine::Substitute(eq, kLetters, p.texts[i]);
        if (luaL_loadstring(lua.L, chunk.c_str()) != LUA_OK) {
            state.SkipWithError(lua_tostring(lua.L, -1));
            lua_pop(lua.L, 1);
            return 0.0;
        }
        return lua.Call(state, 0);
    });
}

#define EQUATIONS(b) BENCHMARK(b)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)
EQUATIONS(BM_EngineCached)->MinTime(1.0);
EQUATIONS(BM_EngineCachedAtNumber)->MinTime(1.0);
EQUATIONS(BM_EngineCachedWithText)->Iterations(1);
EQUATIONS(BM_MuParserEval)->MinTime(1.0);
EQUATIONS(BM_LuaCall)->MinTime(1.0);
BENCHMARK(BM_EngineAtNumberInTurn)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_MuParserEvalInTurn)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LuaCallInTurn)->Unit(benchmark::kMillisecond)->MinTime(1.0);
EQUATIONS(BM_EngineFullParse)->Iterations(1);
EQUATIONS(BM_MuParserReparse)->Iterations(1);
EQUATIONS(BM_LuaReparse)->Iterations(1);

// Keeps the console output and notes evaluations per second by benchmark name.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto it = run.counters.find("items_per_second");
            if (it != run.counters.end() && !run.error_occurred)
                perSecond_[run.benchmark_name()] = it->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const {
        std::printf("\nRatios (peer time per evaluation / engine time per evaluation):\n");
        for (int k = 0; k < 3; ++k) {
            const std::string arg = "/" + std::to_string(k) + "/";
            std::printf("  \"%s\"\n", kEquations[static_cast<std::size_t>(k)]);
            Ratio("cached   vs muparser eval ", "BM_EngineCached", "BM_MuParserEval", arg);
            Ratio("cached   vs Lua call      ", "BM_EngineCached", "BM_LuaCall", arg);
            Ratio("at number vs muparser eval", "BM_EngineCachedAtNumber", "BM_MuParserEval", arg);
            Ratio("at number vs Lua call     ", "BM_EngineCachedAtNumber", "BM_LuaCall", arg);
            Ratio("cached+text vs muparser   ", "BM_EngineCachedWithText", "BM_MuParserEval", arg);
            Ratio("cached+text vs Lua call   ", "BM_EngineCachedWithText", "BM_LuaCall", arg);
            Ratio("parse    vs muparser parse", "BM_EngineFullParse", "BM_MuParserReparse", arg);
            Ratio("parse    vs Lua parse     ", "BM_EngineFullParse", "BM_LuaReparse", arg);
        }
        std::printf("  the three in turn\n");
        Ratio("at number vs muparser eval", "BM_EngineAtNumberInTurn", "BM_MuParserEvalInTurn",
              "/");
        Ratio("at number vs Lua call     ", "BM_EngineAtNumberInTurn", "BM_LuaCallInTurn", "/");
    }

  private:
    double Find(const std::string& name, const std::string& arg) const {
        for (const auto& [key, value] : perSecond_)
            if (key.rfind(name + arg, 0) == 0) return value;
        return 0;
    }
    void Ratio(const char* what, const std::string& engine, const std::string& peer,
               const std::string& arg) const {
        const double e = Find(engine, arg);
        const double p = Find(peer, arg);
        if (e <= 0 || p <= 0) return;
        std::printf("    %s  %6.2fx   (engine %.3g/s, peer %.3g/s)\n", what, e / p, e, p);
    }
    std::map<std::string, double> perSecond_;
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
