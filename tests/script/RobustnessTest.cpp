// Random input never crashes the engine: every failure comes back as a ScriptError. A
// watchdog stops the running code so that random loops end.

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <stop_token>

#include "ScriptTestSupport.h"

namespace vbs::test {
namespace {

// Stops the engine's running code once a run takes longer than its budget: the engine's poll
// hook looks at the clock while code runs, and the stop source ends it.
class Watchdog {
  public:
    void Arm(Engine& engine, std::chrono::milliseconds budget) {
        stop_ = std::stop_source();
        engine.SetStopToken(stop_.get_token());
        const auto deadline = std::chrono::steady_clock::now() + budget;
        engine.SetPollHook([this, deadline] {
            if (std::chrono::steady_clock::now() > deadline) stop_.request_stop();
        });
    }

  private:
    std::stop_source stop_;
};

// Runs code and reports whether it either worked or failed with an engine error.
void RunGuarded(Engine& engine, const std::string& code, bool asExpression) {
    try {
        if (asExpression) {
            (void)engine.Eval(code);
        } else {
            engine.AddCode(code);
        }
    } catch (const ScriptError& e) {
        ASSERT_GT(e.Number(), 0) << code;
    }
}

// Runs code as an equation in S and t, through the text, the binding and the number paths.
void RunAsEquation(Engine& engine, const std::string& code, int round) {
    static constexpr std::string_view kLetters[] = {"S", "t"};
    const double number = (round % 7 - 3) * 0.75;
    try {
        (void)engine.EvalSubstituted(code, kLetters, HostNumberText(number));
    } catch (const ScriptError& e) {
        ASSERT_GT(e.Number(), 0) << code;
    }
    try {
        (void)engine.EvalAt(code, kLetters, number, HostNumberText);
    } catch (const ScriptError& e) {
        ASSERT_GT(e.Number(), 0) << code;
    }
}

TEST(ScriptRobustness, RandomTokenStreams) {
    static const char* kTokens[] = {
        "If",   "Then",     "Else",    "ElseIf", "End",      "If",    "For",      "Each",  "In",
        "To",   "Step",     "Next",    "Do",     "Loop",     "While", "Wend",     "Until", "Select",
        "Case", "Function", "Sub",     "Exit",   "Dim",      "ReDim", "Preserve", "Const", "Call",
        "On",   "Error",    "Resume",  "GoTo",   "0",        "Not",   "And",      "Or",    "Mod",
        "x",    "y",        "f",       "a",      "(",        ")",     ",",        ".",     ":",
        "\n",   "=",        "<>",      "+",      "-",        "*",     "/",        "\\",    "^",
        "&",    "1",        "2.5",     "\"s\"",  "&HFF",     "Array", "UBound",   "Len",   "Mid",
        "Err",  "Raise",    "Nothing", "Null",   "Empty",    "True",  "_",        "'",     "Rem",
        "[x]",  "1E309",    "\"",      "Option", "Explicit", "ByRef", "ByVal",    "Is",    "Erase",
        "S",    "t",        "sin(",    "S^",     "-S",       "St",    "sqr(t)",
    };
    Watchdog watchdog;
    std::mt19937 rng(5);
    for (int i = 0; i < 4000; ++i) {
        std::string code;
        const int n = 1 + static_cast<int>(rng() % 40);
        for (int k = 0; k < n; ++k) {
            code += kTokens[rng() % std::size(kTokens)];
            code += (rng() % 4 == 0) ? "" : " ";
        }
        Engine engine;
        watchdog.Arm(engine, std::chrono::milliseconds(200));
        RunGuarded(engine, code, false);
        RunGuarded(engine, code, true);
        RunAsEquation(engine, code, i);
        if (HasFatalFailure()) return;
    }
}

TEST(ScriptRobustness, MutatedConformanceScripts) {
    std::vector<std::string> scripts;
    for (const std::string& file : ScriptFiles()) scripts.push_back(ReadFile(file));
    ASSERT_FALSE(scripts.empty());
    static const char kInsert[] = "()=+-*/\\^&:,.\"'_ \nxS1(0)9EeHhoO[]";
    Watchdog watchdog;
    std::mt19937 rng(11);
    for (int i = 0; i < 1200; ++i) {
        std::string code = scripts[rng() % scripts.size()];
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits && !code.empty(); ++e) {
            const std::size_t at = rng() % code.size();
            switch (rng() % 4) {
                case 0:
                    code.erase(at, 1 + rng() % 8);
                    break;
                case 1:
                    code.insert(at, 1, kInsert[rng() % (sizeof kInsert - 1)]);
                    break;
                case 2:
                    code.insert(at, code.substr(rng() % code.size(), rng() % 20));
                    break;
                default:
                    code[at] = static_cast<char>(rng() % 256);
                    break;
            }
        }
        Engine engine;
        engine.AddCode(kPrintPrelude);
        watchdog.Arm(engine, std::chrono::milliseconds(300));
        RunGuarded(engine, code, false);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace vbs::test
