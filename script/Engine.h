#pragma once
// The script engine: the one object the host uses. It keeps the code added to it (procedures
// and global variables) until Reset, evaluates expressions, and can be stopped from outside
// through its abort flag.
//
// Errors of every kind are raised as ScriptError with the language's error number, its text,
// and the line and column in the text that was passed in (for errors inside an added
// procedure: in that procedure's block).
//
// Engines are independent of one another; one engine is used from one thread at a time (the
// abort flag may be set from any thread).

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/ScriptError.h"
#include "script/Value.h"

namespace vbs {

class Interpreter;
class NumericProgram;
struct Unit;

class Engine {
  public:
    // Compiled expressions kept by their text, from the second time a text is evaluated; the
    // cache is emptied when it reaches this size.
    static constexpr std::size_t kExpressionCacheSize = 1024;

    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Drops all added code and global variables.
    void Reset();
    // Compiles a block of statements and Function/Sub definitions and runs its statements at
    // once; its procedures and globals stay for later code and expressions. A syntax error
    // rejects the whole block before any of it runs.
    void AddCode(std::string_view text);
    // Evaluates one expression (line breaks around it are allowed) with the current globals and
    // procedures. The compiled form is cached by the text once the text comes back.
    Value Eval(std::string_view expression);

    // Evaluates `equation` as if every occurrence of each placeholder name (exact,
    // case-sensitive, in the order given) had been replaced by `valueText` and the result
    // passed to Eval: the value, or the error with its number, text, line and column, is the
    // same to the bit. `valueText` is a number as the host writes it: optional blanks, an
    // optional sign, then a decimal number literal (" 3", "-.25", " 1E+15").
    //
    // The equation is compiled once per sign of the value, with the placeholder bound to the
    // number, so no text is built or parsed per call; equations of numbers, + - * / ^ and the
    // math built-ins then run as a plain-number program with the same results. The sign token
    // stays in the token stream exactly where the text would put it, so "S^2" at "-2" is
    // -(2^2) = -4 as in the text. This binding is used only where it provably means the same as the
    // text; otherwise the call substitutes the text and evaluates it. The binding is used when
    //   - every placeholder is a name (a letter, then letters, digits or "_"), no placeholder
    //     occurs inside `valueText`, and `valueText` has the form above;
    //   - every occurrence of a placeholder in the equation is a whole name token: not part of a
    //     longer name, number, string literal, comment or [bracketed] name, and not touching a
    //     letter, digit, "_" or "." on either side ("2S", "S.5", "Sin", "\"S\"" all fall back);
    //   - the equation compiles in the bound form (texts with syntax errors fall back, so the
    //     error comes from the substituted text itself).
    // Errors raised while evaluating the bound form are reported at the column they would have
    // in the substituted text.
    Value EvalSubstituted(std::string_view equation, std::span<const std::string_view> placeholders,
                          std::string_view valueText);
    Value EvalSubstituted(std::string_view equation, std::string_view placeholder,
                          std::string_view valueText);

    // EvalSubstituted(equation, placeholders, numberText(value)): the same value or error, to
    // the bit. `numberText` (not null) is the host's number text, which must round to 15
    // significant digits (as the host's does); where the equation runs as a plain-number program
    // the value is bound without making the text at all, and otherwise the text is made and
    // substituted.
    using NumberTextFunction = std::string (*)(double);
    Value EvalAt(std::string_view equation, std::span<const std::string_view> placeholders,
                 double value, NumberTextFunction numberText);

    // The text EvalSubstituted stands for: each placeholder replaced in turn.
    static std::string Substitute(std::string_view equation,
                                  std::span<const std::string_view> placeholders,
                                  std::string_view valueText);

    // How often EvalSubstituted and EvalAt used the binding and how often the text.
    struct Statistics {
        std::size_t bound = 0;
        std::size_t substituted = 0;
        std::size_t numeric = 0;  // of the bound ones: given by the plain-number program
        std::size_t plain = 0;    // of the numeric ones: by its plain form, in doubles only
    };
    Statistics Stats() const {
        Statistics s = stats_;
        s.bound += plainAtNumber_;
        s.numeric += plainAtNumber_;
        s.plain += plainAtNumber_;
        return s;
    }

    // The flag that stops a running script: when set, the next loop round or procedure call
    // raises error 18 "User interrupt occurred", which On Error Resume Next does not catch.
    // The engine never clears it.
    std::atomic<bool>& AbortFlag();
    // Uses an external flag instead of the engine's own (nullptr returns to the own flag).
    void SetAbortFlag(std::atomic<bool>* flag);
    // A stop token polled with the abort flag, with the same effect: the host makes one stop
    // source per long operation and hands its token here. A default token never stops.
    void SetStopToken(std::stop_token token);
    // Called from the same places as the stop check, at most about every 10 ms of running code,
    // so a host that runs the engine on its window thread can let its events through (and set
    // the stop source from an Escape key). An error the hook raises ends the running code.
    // An empty function removes the hook.
    void SetPollHook(std::function<void()> hook);

  private:
    struct Occurrence {
        int line;
        int column;
        int length;
    };
    struct Equation {
        std::vector<std::string> placeholders;
        // The placeholders' letters where every one is a single letter (0 otherwise), for a
        // cheaper comparison on every call.
        std::array<char, 4> letters{};
        bool bindable = false;
        std::vector<Occurrence> occurrences;
        // A placeholder could occur inside a number text ("E", "e1"): each value text is checked.
        bool placeholderMayBeInNumber = false;
        std::shared_ptr<const Unit> forms[3];  // by sign: none, '-', '+'
        bool formFailed[3] = {false, false, false};
        // The plain-number form of each bound form, where it has one (see NumericProgram).
        std::shared_ptr<NumericProgram> programs[3];
        // For EvalAt, by sign of the value (none, '-'): the program whose plain form gives the
        // value, called with the sign; one program for both where the forms merge.
        NumericProgram* plain[2] = {nullptr, nullptr};
        bool plainPrepared = false;
    };
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };

    const Unit& Compiled(std::string_view expression);
    bool SeenRecently(std::string_view expression);
    Equation& EquationFor(std::string_view equation,
                          std::span<const std::string_view> placeholders);
    static bool SamePlaceholders(const Equation& eq,
                                 std::span<const std::string_view> placeholders);
    // The equation among the recent ones, or nullptr.
    Equation* Recent(std::string_view equation, std::span<const std::string_view> placeholders);
    Equation* RecentOtherThanLast(std::string_view equation,
                                  std::span<const std::string_view> placeholders);
    void PreparePlainForms(std::string_view equation, Equation& eq);
    Value EvalAtOtherwise(std::string_view equation, std::span<const std::string_view> placeholders,
                          double value, NumberTextFunction numberText);
    void Analyse(std::string_view equation, Equation& eq) const;
    const Unit* Form(std::string_view equation, Equation& eq, int signIndex);
    // The plain-number program of a bound form, compiling the form first; nullptr where the
    // form does not compile or has no such program.
    NumericProgram* ProgramFor(std::string_view equation, Equation& eq, int signIndex);
    void MapErrorColumn(ScriptError& e, const Equation& eq, std::string_view valueText,
                        std::size_t signAt, std::size_t numberAt) const;

    Statistics stats_;
    std::size_t plainAtNumber_ = 0;  // EvalAt's shortcut, counted once rather than three times

    std::atomic<bool> ownAbort_{false};
    std::atomic<bool>* abort_ = &ownAbort_;
    std::unique_ptr<Interpreter> interpreter_;
    std::unordered_map<std::string, std::shared_ptr<const Unit>, TextHash, std::equal_to<>>
        expressions_;
    std::unordered_map<std::string, Equation, TextHash, std::equal_to<>> equations_;
    // Hashes of texts recently evaluated once and not kept (0: none).
    std::array<std::size_t, 64> recentMisses_{};
    std::size_t nextMiss_ = 0;
    // The most recent hits, checked before hashing.
    const std::string* lastExpressionKey_ = nullptr;
    const Unit* lastExpression_ = nullptr;
    // Equations used recently, checked before hashing: the tool path evaluates a few equations
    // (one per motor) in turn at each parameter value. `lastRecent_` is the latest hit.
    struct RecentEquation {
        const std::string* key = nullptr;
        Equation* equation = nullptr;
    };
    static constexpr std::size_t kRecentEquations = 8;
    std::array<RecentEquation, kRecentEquations> recent_{};
    std::size_t lastRecent_ = 0;
    std::size_t nextRecent_ = 0;
};

}  // namespace vbs
