#pragma once
// The equation fast path behind Engine::EvalSubstituted and Engine::EvalAt: equations compiled
// once per sign of the value with the placeholder bound to the number, kept by their text, and
// run as plain-number programs where they have one. Engine.h documents what the two calls
// mean; this class only makes them fast.

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/ExpressionCache.h"
#include "script/ScriptError.h"
#include "script/Value.h"

namespace vbs {

class Interpreter;
class NumericProgram;
struct Unit;

class EquationCache {
  public:
    using NumberTextFunction = std::string (*)(double);

    // How often the binding was used and how often the text.
    struct Statistics {
        std::size_t bound = 0;
        std::size_t substituted = 0;
        std::size_t numeric = 0;  // of the bound ones: given by the plain-number program
        std::size_t plain = 0;    // of the numeric ones: by its plain form, in doubles only
    };

    // Texts that cannot be bound are evaluated through `expressions`.
    EquationCache(Interpreter& interpreter, ExpressionCache& expressions);
    ~EquationCache();
    EquationCache(const EquationCache&) = delete;
    EquationCache& operator=(const EquationCache&) = delete;

    Value EvalSubstituted(std::string_view equation, std::span<const std::string_view> placeholders,
                          std::string_view valueText);
    Value EvalAt(std::string_view equation, std::span<const std::string_view> placeholders,
                 double value, NumberTextFunction numberText);

    static std::string Substitute(std::string_view equation,
                                  std::span<const std::string_view> placeholders,
                                  std::string_view valueText);

    Statistics Stats() const {
        Statistics s = stats_;
        s.bound += plainAtNumber_;
        s.numeric += plainAtNumber_;
        s.plain += plainAtNumber_;
        return s;
    }

  private:
    // The forms of an equation, by the sign written before the value.
    enum SignIndex : int { kNoSign = 0, kMinus = 1, kPlus = 2, kSigns = 3 };

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
        std::shared_ptr<const Unit> forms[kSigns];
        bool formFailed[kSigns] = {false, false, false};
        // The plain-number form of each bound form, where it has one (see NumericProgram).
        std::shared_ptr<NumericProgram> programs[kSigns];
        // For EvalAt, by sign of the value (kNoSign, kMinus): the program whose plain form gives
        // the value, called with the sign; one program for both where the forms merge.
        NumericProgram* plain[2] = {nullptr, nullptr};
        bool plainPrepared = false;
    };

    static int IndexOfSign(char sign);
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
    static void Analyse(std::string_view equation, Equation& eq);
    const Unit* Form(std::string_view equation, Equation& eq, int signIndex);
    // The plain-number program of a bound form, compiling the form first; nullptr where the
    // form does not compile or has no such program.
    NumericProgram* ProgramFor(std::string_view equation, Equation& eq, int signIndex);
    static void MapErrorColumn(ScriptError& e, const Equation& eq, std::string_view valueText,
                               std::size_t signAt, std::size_t numberAt);

    Interpreter& interpreter_;
    ExpressionCache& expressions_;
    Statistics stats_;
    std::size_t plainAtNumber_ = 0;  // EvalAt's shortcut, counted once rather than three times
    std::unordered_map<std::string, Equation, TextHash, std::equal_to<>> equations_;
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
