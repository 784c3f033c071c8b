// The parameter binding of EvalSubstituted must mean exactly what substituting the number text
// and evaluating the text means: the same value to the bit, or the same error at the same place.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string_view>
#include <vector>

#include "ScriptTestSupport.h"
#include "script/Coerce.h"

namespace vbs::test {
namespace {

constexpr std::string_view kPlaceholders[] = {"S", "t"};

// Everything observable about an outcome, down to the bits of a floating result.
std::string Outcome(const std::function<Value()>& f) {
    try {
        const Value v = f();
        std::string s = std::to_string(static_cast<int>(v.Type())) + ":";
        if (v.IsDouble()) {
            std::uint64_t bits = 0;
            const double d = v.AsDoubleRaw();
            std::memcpy(&bits, &d, sizeof bits);
            return s + std::to_string(bits);
        }
        if (v.Type() == VarType::Single) {
            std::uint32_t bits = 0;
            const float f32 = v.AsSingle();
            std::memcpy(&bits, &f32, sizeof bits);
            return s + std::to_string(bits);
        }
        if (v.IsNull() || v.IsEmpty() || v.IsArray()) return s;
        return s + v.ToString();
    } catch (const ScriptError& e) {
        return "error " + std::to_string(e.Number()) + " " + e.Description() + " @" +
               std::to_string(e.Line()) + ":" + std::to_string(e.Column());
    }
}

class EquationGenerator {
  public:
    explicit EquationGenerator(std::uint32_t seed) : rng_(seed) {}

    std::string Equation() { return Expr(0); }

    // Parameter values: small integers, subtype boundaries, ordinary and tiny fractions,
    // values that only 15-digit rounding turns into integers, and magnitudes beyond the
    // shortcut of the binding.
    double Number() {
        switch (Pick(10)) {
            case 0:
                return static_cast<double>(static_cast<int>(Pick(11)) - 5);
            case 1:
                return Uniform(-100, 100);
            case 2:
                return Uniform(-1, 1) * 1e-7;
            case 3:
                return Pick(2) ? 1e15 : -3e20;
            case 4:
                return Pick(2) ? 32768.0 : -32768.0;
            case 5:
                return Pick(2) ? 2147483648.0 : -2147483647.0;
            case 6:
                return Pick(2) ? 0.0 : -0.0;
            case 7:
                return (Pick(2) ? 1.0 : -1.0) * (Pick(2) ? 2.9999999999999996 : 0.1 + 0.2);
            case 8:
                return Uniform(-1, 1) * (Pick(2) ? 1e-12 : 1e40);
            default:
                return Uniform(-4, 4);
        }
    }
    std::string ValueText() { return HostNumberText(Number()); }

  private:
    std::size_t Pick(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
    }
    double Uniform(double a, double b) {
        return std::uniform_real_distribution<double>(a, b)(rng_);
    }
    std::string Blank() { return Pick(3) == 0 ? " " : ""; }

    std::string Atom() {
        static const char* kNumbers[] = {"2",      "0.5",   ".5",    "3", "10", "1E3",
                                         "2.5e-1", "32767", "40000", "0", "7",  "1"};
        static const char* kOdd[] = {"2S", "S.5", "Sin(S)", "\"S\"", "St",
                                     "aS", "[S]", "S2",     "1E+S"};
        switch (Pick(12)) {
            case 0:
            case 1:
            case 2:
                return "S";
            case 3:
            case 4:
                return "t";
            case 5:
                if (Pick(8) == 0) return kOdd[Pick(std::size(kOdd))];
                [[fallthrough]];
            default:
                return kNumbers[Pick(std::size(kNumbers))];
        }
    }

    std::string Expr(int depth) {
        static const char* kOps[] = {"+",     "-", "*", "/", "^",  "\\",
                                     " Mod ", "&", "=", "<", "+-", "*-"};
        static const char* kFunctions[] = {"sin", "cos", "sqr", "abs", "exp", "log"};
        const std::size_t choice = depth > 4 ? 0 : Pick(8);
        switch (choice) {
            case 0:
            case 1:
                return Blank() + Atom() + Blank();
            case 2:
            case 3:
            case 4:
                return Expr(depth + 1) + kOps[Pick(std::size(kOps))] + Expr(depth + 1);
            case 5:
                return "-" + Expr(depth + 1);
            case 6:
                return "(" + Expr(depth + 1) + ")";
            default:
                return std::string(kFunctions[Pick(std::size(kFunctions))]) + "(" +
                       Expr(depth + 1) + ")";
        }
    }

    std::mt19937 rng_;
};

TEST(ParameterBinding, AgreesWithTextualSubstitutionOnRandomEquations) {
    Engine fast;
    Engine slow;
    EquationGenerator gen(20261207);
    // Every answer is compared in full in the plain build; under the sanitizers, which look for
    // memory faults, a fifth of the run reaches the same kinds of equation.
#ifdef MECHANON_SANITIZED
    constexpr int kEquations = 20000;
#else
    constexpr int kEquations = 100000;
#endif
    int mismatches = 0;
    for (int i = 0; i < kEquations && mismatches < 10; ++i) {
        const std::string eq = gen.Equation();
        for (int k = 0; k < 2; ++k) {
            const std::string value = gen.ValueText();
            const std::string viaBinding =
                Outcome([&] { return fast.EvalSubstituted(eq, kPlaceholders, value); });
            const std::string text = Engine::Substitute(eq, kPlaceholders, value);
            const std::string viaText = Outcome([&] { return slow.Eval(text); });
            if (viaBinding != viaText) {
                ++mismatches;
                ADD_FAILURE() << "equation \"" << eq << "\" at \"" << value << "\" (text \"" << text
                              << "\")\n  bound:   " << viaBinding << "\n  text:    " << viaText;
            }
        }
        // The same equation at a number the engine binds without its text, and at its
        // negation, which runs the same plain program where the two forms merge.
        const double number = gen.Number();
        for (const double at : {number, -number}) {
            const std::string viaNumber =
                Outcome([&] { return fast.EvalAt(eq, kPlaceholders, at, HostNumberText); });
            const std::string text = Engine::Substitute(eq, kPlaceholders, HostNumberText(at));
            const std::string viaText = Outcome([&] { return slow.Eval(text); });
            if (viaNumber != viaText) {
                ++mismatches;
                ADD_FAILURE() << "equation \"" << eq << "\" at " << at << " (text \"" << text
                              << "\")\n  at number: " << viaNumber << "\n  text:      " << viaText;
            }
        }
    }
    // The binding must really have been used, not only the fallback.
    EXPECT_GT(fast.Stats().bound, fast.Stats().substituted * 2);
    EXPECT_GT(fast.Stats().numeric, fast.Stats().bound / 4);
    EXPECT_GT(fast.Stats().plain, fast.Stats().numeric / 4);
}

// Where plain double arithmetic and the Variant rules could part: a step that overflows and a
// later one that would turn the infinity back into a finite number (x / inf, inf ^ 0, Atn, Exp),
// signed zeros, domain errors, Integer constants next to a Double parameter, signs that the
// text puts before a power, and values that read as integers or lie outside the shortcut.
TEST(ParameterBinding, PlainFormsAgreeWithTheTextAtTheirEdges) {
    const char* equations[] = {
        "1/(S^400)",
        "(S*1E300*S)^0",
        "atn(S*1E308*S)",
        "exp(-(S*1E308*S))",
        "0*(S*1E308*S)",
        "1/exp(S*1000)",
        "S*0",
        "-S*0",
        "0/S",
        "-(S-S)",
        "sqr(-(S-S))",
        "log(S-S)",
        "S^.5",
        "(-S)^.5",
        "(S-S)^-1",
        "2^S^2",
        "-S^2",
        "S^S",
        "int(S)+fix(-S)",
        "abs(S)*-1",
        "sgn(S)*S",
        "S*32767*S+t",
        "1-t^2+S/3",
        "(S+1)*(t-1)/(S*S+1)",
        "4*sin(S/ 5)+-5",
        "(.5* 1*t^2+0)",
        "cos(S)^2+sin(t)^2",
        "tan(S)*exp(S/100)",
    };
    const double values[] = {
        2.5,  -2.5, 0.1 + 0.2, -3.7e-5, 12345.678, -99999999999999.95, 3, -7, 0,
        -0.0, 1e-9, -1e16,     1e-300,  170,       -2.9999999999999996};
    Engine fast;
    Engine slow;
    for (const char* eq : equations) {
        for (const double v : values) {
            const std::string number = HostNumberText(v);
            const std::string text = Engine::Substitute(eq, kPlaceholders, number);
            const std::string expected = Outcome([&] { return slow.Eval(text); });
            EXPECT_EQ(Outcome([&] { return fast.EvalAt(eq, kPlaceholders, v, HostNumberText); }),
                      expected)
                << eq << " at " << number;
            EXPECT_EQ(Outcome([&] { return fast.EvalSubstituted(eq, kPlaceholders, number); }),
                      expected)
                << eq << " at " << number;
        }
    }
    EXPECT_GT(fast.Stats().plain, 200u);
}

// Equations evaluated in turn, as one per motor at each parameter value: fewer than the engine
// keeps at hand, and more, so that the oldest give way and come back.
TEST(ParameterBinding, EquationsInTurnKeepTheirOwnForms) {
    Engine fast;
    Engine slow;
    for (const int count : {3, 11}) {
        std::vector<std::string> equations;
        for (int i = 0; i < count; ++i)
            equations.push_back(std::to_string(i + 2) + "*S^2-t/" + std::to_string(i + 1));
        for (const double v : {1.25, -3.5, 0.1 + 0.2, 7.0, -1e-3}) {
            for (const std::string& eq : equations) {
                const std::string text = Engine::Substitute(eq, kPlaceholders, HostNumberText(v));
                EXPECT_EQ(
                    Outcome([&] { return fast.EvalAt(eq, kPlaceholders, v, HostNumberText); }),
                    Outcome([&] { return slow.Eval(text); }))
                    << text;
            }
        }
    }
}

// The same equation text with other placeholder lists, in turn and back again: each call binds
// its own names, whether one letter each or longer.
TEST(ParameterBinding, EachCallBindsItsOwnPlaceholders) {
    const std::vector<std::vector<std::string_view>> lists = {
        {"S", "t"}, {"S"}, {"t", "S"}, {"u", "t"}, {"Sp", "t"}, {"S", "tt"}, {"S", "t"},
    };
    Engine fast;
    Engine slow;
    slow.AddCode("Dim u, Sp, tt");
    fast.AddCode("Dim u, Sp, tt");
    for (const char* eq : {"S*t+1.5", "Sp*t-u", "S^2*tt"}) {
        for (int round = 0; round < 2; ++round) {
            for (const auto& list : lists) {
                const std::string text = Engine::Substitute(eq, list, HostNumberText(2.75));
                EXPECT_EQ(Outcome([&] { return fast.EvalAt(eq, list, 2.75, HostNumberText); }),
                          Outcome([&] { return slow.Eval(text); }))
                    << eq << " as " << text;
            }
        }
    }
}

TEST(ParameterBinding, NegativeValuesKeepTheirTextualMeaning) {
    Engine engine;
    const struct {
        const char* eq;
        const char* value;
        double expected;
    } cases[] = {
        {"S^2", "-2", -4},   {"2^S", "-2", 0.25},   {"S^2", " 2", 4},     {"2*S+t", " 3", 9},
        {" .6*S", " 5", 3},  {"1-S", "-1", 2},      {"S*S", "-3", 9},     {"-S^2", "-3", 9},
        {"S \\ 2", " 7", 3}, {"S Mod 3", "-7", -1}, {"S^S", "-2", -0.25}, {"abs(S)", "-.25", 0.25},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engine.EvalSubstituted(c.eq, kPlaceholders, c.value).ToDouble(), c.expected)
            << c.eq << " at " << c.value;
        EXPECT_EQ(engine.Eval(Engine::Substitute(c.eq, kPlaceholders, c.value)).ToDouble(),
                  c.expected)
            << c.eq;
    }
}

TEST(ParameterBinding, FallsBackWhereTheTextMeansSomethingElse) {
    Engine engine;
    engine.AddCode("Function Sx(v)\nSx = v * 100\nEnd Function");
    // "Sx" contains the placeholder: the text becomes " 3x( 3)", a syntax error.
    EXPECT_EQ(Outcome([&] { return engine.EvalSubstituted("Sx(S)", "S", " 3"); }),
              Outcome([&] { return engine.Eval(" 3x( 3)"); }));
    // "2S" at -3 reads "2-3".
    EXPECT_EQ(engine.EvalSubstituted("2S", "S", "-3").ToDouble(), -1);
    // Inside a string the placeholder is replaced too; the number itself prints without a blank.
    EXPECT_EQ(engine.EvalSubstituted("\"S=\" & S", "S", " 4").ToString(), " 4=4");
    // A value text that is no plain number is substituted as it is.
    EXPECT_EQ(engine.EvalSubstituted("S", "S", "(1+1)").ToDouble(), 2);
}

TEST(ParameterBinding, ErrorsPointWhereTheSubstitutedTextFails) {
    Engine engine;
    const struct {
        const char* eq;
        const char* value;
    } cases[] = {
        {"1/(S-S)", " 2"},  {"sqr(S)", "-4"},    {"log(t)", " 0"}, {"S + nosuch(S)", "-12.5"},
        {"(S) ^ .5", "-2"}, {"t * S / 0", " 1"}, {"(S)(1)", " 3"}, {"1E300 * S", " 1E+300"},
    };
    for (const auto& c : cases) {
        const std::string text = Engine::Substitute(c.eq, kPlaceholders, c.value);
        const std::string bound =
            Outcome([&] { return engine.EvalSubstituted(c.eq, kPlaceholders, c.value); });
        EXPECT_EQ(bound, Outcome([&] { return engine.Eval(text); })) << c.eq;
        EXPECT_EQ(bound.rfind("error", 0), 0u) << c.eq;
        double number = 0;
        ASSERT_EQ(ParseNumberText(c.value, number), NumberParse::Ok);
        EXPECT_EQ(
            Outcome([&] { return engine.EvalAt(c.eq, kPlaceholders, number, HostNumberText); }),
            bound)
            << c.eq;
    }
}

}  // namespace
}  // namespace vbs::test

namespace vbs::test {
namespace {

// Code added later can hide a built-in the plain-number program calls: the next evaluation
// must call the script's procedure (or fail on the script's variable) as the text would.
TEST(ParameterBinding, ProceduresAddedLaterHideBuiltIns) {
    Engine engine;
    const double before = engine.EvalSubstituted("sin(S)*2", kPlaceholders, " 1").ToDouble();
    EXPECT_EQ(before, std::sin(1.0) * 2);
    EXPECT_EQ(engine.EvalAt("sin(S)*2", kPlaceholders, 1.0, HostNumberText).ToDouble(), before);
    engine.AddCode("Function sin(x)\n  sin = x + 40\nEnd Function");
    EXPECT_EQ(engine.EvalSubstituted("sin(S)*2", kPlaceholders, " 1").ToDouble(), 82);
    EXPECT_EQ(engine.EvalAt("sin(S)*2", kPlaceholders, 1.0, HostNumberText).ToDouble(), 82);
    engine.AddCode("Dim cos\ncos = 3");
    const auto viaText = Outcome([&] { return engine.Eval("cos( 1)"); });
    EXPECT_EQ(Outcome([&] { return engine.EvalSubstituted("cos(S)", kPlaceholders, " 1"); }),
              viaText);
    EXPECT_EQ(Outcome([&] { return engine.EvalAt("cos(S)", kPlaceholders, 1.0, HostNumberText); }),
              viaText);
    engine.Reset();
    EXPECT_EQ(engine.EvalAt("sin(S)*2", kPlaceholders, 1.0, HostNumberText).ToDouble(), before);
}

}  // namespace
}  // namespace vbs::test
