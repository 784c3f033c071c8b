#pragma once
// The script engine: the one object the host uses. It keeps the code added to it (procedures
// and global variables) until Reset, evaluates expressions, and can be stopped from outside
// through a stop token.
//
// Errors of every kind are raised as ScriptError with the language's error number, its text,
// and the line and column in the text that was passed in (for errors inside an added
// procedure: in that procedure's block).
//
// Engines are independent of one another; one engine is used from one thread at a time (its
// stop source may be set from any thread).

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

#include "script/EquationCache.h"
#include "script/ExpressionCache.h"
#include "script/ScriptError.h"
#include "script/Value.h"

namespace vbs {

class Interpreter;

class Engine {
  public:
    // Compiled expressions kept by their text, from the second time a text is evaluated; the
    // cache is emptied when it reaches this size.
    static constexpr std::size_t kExpressionCacheSize = ExpressionCache::kCapacity;

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
    using NumberTextFunction = EquationCache::NumberTextFunction;
    Value EvalAt(std::string_view equation, std::span<const std::string_view> placeholders,
                 double value, NumberTextFunction numberText);

    // The text EvalSubstituted stands for: each placeholder replaced in turn.
    static std::string Substitute(std::string_view equation,
                                  std::span<const std::string_view> placeholders,
                                  std::string_view valueText);

    // How often EvalSubstituted and EvalAt used the binding and how often the text.
    using Statistics = EquationCache::Statistics;
    Statistics Stats() const { return equations_.Stats(); }

    // The stop of the running code: once its source asks for a stop, the next loop round,
    // procedure call or step of a built-in that loops raises error 18 "User interrupt
    // occurred", which On Error Resume Next does not catch. The host makes one stop source per
    // long operation and hands its token here; a default token never stops.
    void SetStopToken(std::stop_token token);
    // Called from the same places as the stop check, at most about every 10 ms of running code,
    // so a host that runs the engine on its window thread can let its events through (and set
    // the stop source from an Escape key). An error the hook raises ends the running code.
    // An empty function removes the hook.
    void SetPollHook(std::function<void()> hook);

    // The total that the texts and arrays made by running code may hold (default 256 MB): a
    // script that would hold more stops with error 7 "Out of memory", and the engine stays
    // usable (Reset, or dropping the values, gives the memory back).
    void SetMemoryBudget(std::size_t bytes);
    // What the texts and arrays made by running code hold now.
    std::size_t MemoryInUse() const;

  private:
    std::unique_ptr<Interpreter> interpreter_;
    ExpressionCache expressions_;
    EquationCache equations_;
};

// Inline, so the cached equation paths cost no call more than the cache's own.
inline Value Engine::EvalSubstituted(std::string_view equation,
                                     std::span<const std::string_view> placeholders,
                                     std::string_view valueText) {
    return equations_.EvalSubstituted(equation, placeholders, valueText);
}

inline Value Engine::EvalAt(std::string_view equation,
                            std::span<const std::string_view> placeholders, double value,
                            NumberTextFunction numberText) {
    return equations_.EvalAt(equation, placeholders, value, numberText);
}

}  // namespace vbs
