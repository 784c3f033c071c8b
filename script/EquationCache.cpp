#include "script/EquationCache.h"

#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "script/Ast.h"
#include "script/Coerce.h"
#include "script/Interpreter.h"
#include "script/Lexer.h"
#include "script/NumericProgramRun.h"
#include "script/Parser.h"

namespace vbs {
namespace {

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsName(std::string_view s) {
    if (s.empty() || !((s[0] >= 'a' && s[0] <= 'z') || (s[0] >= 'A' && s[0] <= 'Z'))) return false;
    for (const char c : s) {
        if (!IsNameChar(c)) return false;
    }
    return true;
}

std::size_t CountOccurrences(std::string_view text, std::string_view word) {
    std::size_t count = 0;
    for (std::size_t p = text.find(word); p != std::string_view::npos; p = text.find(word, p + 1))
        ++count;
    return count;
}

// The parts of a host number text: blanks, optional sign, one decimal literal, nothing else.
struct ValueText {
    char sign = 0;
    std::size_t signAt = 0;
    std::size_t numberAt = 0;
    Value number;
};

bool ReadValueText(std::string_view text, ValueText& out) {
    std::size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
    if (p < text.size() && (text[p] == '-' || text[p] == '+')) {
        out.sign = text[p];
        out.signAt = p++;
    }
    out.numberAt = p;
    if (p >= text.size() || !((text[p] >= '0' && text[p] <= '9') || text[p] == '.')) return false;
    return ScanNumberLiteral(text, p, out.number) && p == text.size();
}

std::uint64_t Load8(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::uint16_t Load2(const char* p) {
    std::uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::uint32_t Load4(const char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

bool SameLongText(const char* x, const char* y, std::size_t n) {
    if (n > 64) return std::memcmp(x, y, n) == 0;
    for (std::size_t i = 0; i + 8 < n; i += 8)
        if (Load8(x + i) != Load8(y + i)) return false;
    return Load8(x + n - 8) == Load8(y + n - 8);  // overlaps the last full word
}

// Equality of the texts the equation cache compares on every call (equations, one-letter
// placeholder names), in a few compares instead of a library call.
inline bool SameText(std::string_view a, std::string_view b) {
    const std::size_t n = a.size();
    if (n != b.size()) return false;
    const char* x = a.data();
    const char* y = b.data();
    if (n > 8) return SameLongText(x, y, n);
    // Two loads that overlap as much as needed cover 2 to 8 bytes.
    if (n >= 4) return ((Load4(x) ^ Load4(y)) | (Load4(x + n - 4) ^ Load4(y + n - 4))) == 0;
    if (n >= 2) return ((Load2(x) ^ Load2(y)) | (Load2(x + n - 2) ^ Load2(y + n - 2))) == 0;
    return n == 0 || x[0] == y[0];
}

bool SameNames(const std::vector<std::string>& names, std::span<const std::string_view> others) {
    for (std::size_t i = 0; i < others.size(); ++i) {
        if (!SameText(names[i], others[i])) return false;
    }
    return true;
}

// Whether a positive number is an integer that fits a Long: its text then reads as an Integer
// or a Long, not a Double.
bool FitsLong(double magnitude) {
    return magnitude <= 2147483647.0 &&
           static_cast<double>(static_cast<std::int32_t>(magnitude)) == magnitude;
}

}  // namespace

EquationCache::EquationCache(Interpreter& interpreter, ExpressionCache& expressions)
    : interpreter_(interpreter), expressions_(expressions) {}

EquationCache::~EquationCache() = default;

int EquationCache::IndexOfSign(char sign) {
    return sign == '-' ? kMinus : sign == '+' ? kPlus : kNoSign;
}

std::string EquationCache::Substitute(std::string_view equation,
                                      std::span<const std::string_view> placeholders,
                                      std::string_view valueText) {
    std::string text(equation);
    for (const std::string_view p : placeholders) {
        if (p.empty()) continue;
        std::string next;
        std::size_t from = 0;
        for (std::size_t hit = text.find(p); hit != std::string::npos; hit = text.find(p, from)) {
            next.append(text, from, hit - from);
            next += valueText;
            from = hit + p.size();
        }
        next.append(text, from, std::string::npos);
        text = std::move(next);
    }
    return text;
}

void EquationCache::Analyse(std::string_view equation, Equation& eq) {
    eq.bindable = false;
    eq.occurrences.clear();
    std::vector<std::string_view> names(eq.placeholders.begin(), eq.placeholders.end());
    if (names.empty()) return;
    std::size_t expected = 0;
    for (const std::string_view n : names) {
        if (!IsName(n)) return;
        expected += CountOccurrences(equation, n);
    }
    TokenStream ts;
    const ParamBinding binding{names, 0};
    try {
        Lexer::Tokenize(equation, ts, &binding);
    } catch (const ScriptError&) {
        return;
    }
    for (const Token& t : ts.tokens) {
        if (t.kind != Tok::Param) continue;
        const std::size_t before = t.offset;
        const std::size_t after = t.offset + t.length;
        if (before > 0 && (IsNameChar(equation[before - 1]) || equation[before - 1] == '.')) return;
        if (after < equation.size() && (IsNameChar(equation[after]) || equation[after] == '.'))
            return;
        eq.occurrences.push_back({t.pos.line, t.pos.column, static_cast<int>(t.length)});
    }
    eq.bindable = eq.occurrences.size() == expected;
    for (const std::string_view n : names)
        if (n.find_first_not_of("eE0123456789") == std::string_view::npos)
            eq.placeholderMayBeInNumber = true;
}

// Inline, with the rare general case out of line: no call and no saved registers for the
// common one-letter names.
inline bool EquationCache::SamePlaceholders(const Equation& eq,
                                            std::span<const std::string_view> placeholders) {
    if (eq.placeholders.size() != placeholders.size()) return false;
    if (eq.letters[0] == 0) return SameNames(eq.placeholders, placeholders);
    for (std::size_t i = 0; i < placeholders.size(); ++i) {
        if (placeholders[i].size() != 1 || placeholders[i][0] != eq.letters[i]) return false;
    }
    return true;
}

inline EquationCache::Equation* EquationCache::Recent(
    std::string_view equation, std::span<const std::string_view> placeholders) {
    if (const RecentEquation& last = recent_[lastRecent_];
        last.key != nullptr && SameText(*last.key, equation) &&
        SamePlaceholders(*last.equation, placeholders))
        return last.equation;
    return RecentOtherThanLast(equation, placeholders);
}

EquationCache::Equation* EquationCache::RecentOtherThanLast(
    std::string_view equation, std::span<const std::string_view> placeholders) {
    for (std::size_t i = 0; i < kRecentEquations; ++i) {
        const RecentEquation& r = recent_[i];
        if (i != lastRecent_ && r.key != nullptr && SameText(*r.key, equation) &&
            SamePlaceholders(*r.equation, placeholders)) {
            lastRecent_ = i;
            return r.equation;
        }
    }
    return nullptr;
}

EquationCache::Equation& EquationCache::EquationFor(
    std::string_view equation, std::span<const std::string_view> placeholders) {
    if (Equation* recent = Recent(equation, placeholders); recent != nullptr) return *recent;
    auto it = equations_.find(equation);
    if (it == equations_.end()) {
        if (equations_.size() >= ExpressionCache::kCapacity) {
            equations_.clear();
            recent_ = {};
        }
        it = equations_.emplace(std::string(equation), Equation()).first;
    }
    Equation& eq = it->second;
    if (!SamePlaceholders(eq, placeholders) || (eq.placeholders.empty() && !placeholders.empty())) {
        eq = Equation();
        eq.placeholders.assign(placeholders.begin(), placeholders.end());
        if (placeholders.size() <= eq.letters.size()) {
            for (std::size_t i = 0; i < placeholders.size(); ++i) {
                if (placeholders[i].size() != 1 || placeholders[i][0] == 0) {
                    eq.letters = {};
                    break;
                }
                eq.letters[i] = placeholders[i][0];
            }
        }
        Analyse(equation, eq);
    }
    lastRecent_ = nextRecent_;
    recent_[lastRecent_] = {&it->first, &eq};
    nextRecent_ = (nextRecent_ + 1) % kRecentEquations;
    return eq;
}

const Unit* EquationCache::Form(std::string_view equation, Equation& eq, int signIndex) {
    if (eq.formFailed[signIndex]) return nullptr;
    if (!eq.forms[signIndex]) {
        std::vector<std::string_view> names(eq.placeholders.begin(), eq.placeholders.end());
        const char signs[kSigns] = {0, '-', '+'};
        const ParamBinding binding{names, signs[signIndex]};
        try {
            eq.forms[signIndex] = Parser::ParseExpression(equation, &binding);
        } catch (const ScriptError&) {
            eq.formFailed[signIndex] = true;
            return nullptr;
        }
        eq.programs[signIndex] = NumericProgram::Compile(*eq.forms[signIndex], interpreter_);
    }
    return eq.forms[signIndex].get();
}

NumericProgram* EquationCache::ProgramFor(std::string_view equation, Equation& eq, int signIndex) {
    if (eq.forms[signIndex] == nullptr && Form(equation, eq, signIndex) == nullptr) return nullptr;
    return eq.programs[signIndex].get();
}

void EquationCache::MapErrorColumn(ScriptError& e, const Equation& eq, std::string_view valueText,
                                   std::size_t signAt, std::size_t numberAt) {
    int column = e.Column();
    for (const Occurrence& o : eq.occurrences) {
        if (o.line == e.Line() && o.column < e.Column())
            column += static_cast<int>(valueText.size()) - o.length;
    }
    if (e.Part() == part::kSign) column += static_cast<int>(signAt);
    if (e.Part() == part::kNumber) column += static_cast<int>(numberAt);
    e.MovePosition(e.Line(), column);
}

Value EquationCache::EvalSubstituted(std::string_view equation,
                                     std::span<const std::string_view> placeholders,
                                     std::string_view valueText) {
    Equation& eq = EquationFor(equation, placeholders);
    ValueText value;
    bool fast = eq.bindable && ReadValueText(valueText, value);
    if (fast && eq.placeholderMayBeInNumber) {
        for (const std::string& p : eq.placeholders) {
            if (valueText.find(p) != std::string_view::npos) fast = false;
        }
    }
    const int signIndex = IndexOfSign(value.sign);
    const Unit* form = fast ? Form(equation, eq, signIndex) : nullptr;
    if (form == nullptr) {
        ++stats_.substituted;
        return expressions_.Eval(Substitute(equation, placeholders, valueText));
    }
    ++stats_.bound;
    // Where the plain-number program cannot give the value (it would be an error), the tree
    // gives it, or raises the error with its position.
    if (NumericProgram* program = eq.programs[signIndex].get();
        program != nullptr && program->Valid(interpreter_)) {
        if (value.number.IsDouble() && program->HasPlainForm()) {
            if (double result = 0; program->RunPlain(value.number.AsDoubleRaw(), result)) {
                ++stats_.numeric;
                ++stats_.plain;
                return Value::Double(result);
            }
        } else if (Value result; program->Run(value.number, result)) {
            ++stats_.numeric;
            return result;
        }
    }
    try {
        return interpreter_.Evaluate(*form, &value.number);
    } catch (ScriptError& e) {
        if (e.Source() == form) MapErrorColumn(e, eq, valueText, value.signAt, value.numberAt);
        throw;
    }
}

Value EquationCache::EvalAt(std::string_view equation,
                            std::span<const std::string_view> placeholders, double value,
                            NumberTextFunction numberText) {
    assert(numberText != nullptr);
    // The common case, an equation used recently and a value whose text reads as a Double (not
    // an integer that fits a Long): bound through the plain form with no Variant on the way,
    // and for the latest equation without any call. Nothing here branches on the sign: with
    // random signs such a branch would be mispredicted every other time.
    if (Equation* eq = Recent(equation, placeholders); eq != nullptr) {
        NumericProgram* program = eq->plain[value < 0 ? 1 : 0];
        double magnitude = 0;
        double result = 0;
        if (program != nullptr && program->CheckedFor(interpreter_) &&
            FifteenDigitMagnitude(std::fabs(value), magnitude) && !FitsLong(magnitude) &&
            program->RunPlain(magnitude, result, std::copysign(1.0, value))) {
            ++plainAtNumber_;
            return Value::Double(result);
        }
    }
    return EvalAtOtherwise(equation, placeholders, value, numberText);
}

void EquationCache::PreparePlainForms(std::string_view equation, Equation& eq) {
    eq.plainPrepared = true;
    NumericProgram* positive = ProgramFor(equation, eq, kNoSign);
    NumericProgram* negative = ProgramFor(equation, eq, kMinus);
    if (positive != nullptr && positive->HasPlainForm()) eq.plain[0] = positive;
    if (negative != nullptr && negative->HasPlainForm()) eq.plain[1] = negative;
    // One program for both signs keeps the sign of the value out of the control flow.
    if (eq.plain[0] != nullptr && eq.plain[1] != nullptr && positive->MergeNegative(*negative))
        eq.plain[1] = positive;
}

Value EquationCache::EvalAtOtherwise(std::string_view equation,
                                     std::span<const std::string_view> placeholders, double value,
                                     NumberTextFunction numberText) {
    Equation& eq = EquationFor(equation, placeholders);
    bool negative = false;
    Value number;
    if (eq.bindable && !eq.placeholderMayBeInNumber &&
        FifteenDigitLiteral(value, negative, number)) {
        if (!eq.plainPrepared) PreparePlainForms(equation, eq);
        const int signIndex = negative ? kMinus : kNoSign;
        if (NumericProgram* program = ProgramFor(equation, eq, signIndex);
            program != nullptr && program->Valid(interpreter_)) {
            Value result;
            if (NumericProgram* plain = eq.plain[signIndex];
                number.IsDouble() && plain != nullptr && plain->Valid(interpreter_)) {
                if (double r = 0; plain->RunPlain(number.AsDoubleRaw(), r, negative ? -1.0 : 1.0)) {
                    ++stats_.plain;
                    result = Value::Double(r);
                } else {
                    return EvalSubstituted(equation, placeholders, numberText(value));
                }
            } else if (!program->Run(number, result)) {
                return EvalSubstituted(equation, placeholders, numberText(value));
            }
            ++stats_.bound;
            ++stats_.numeric;
            return result;
        }
    }
    return EvalSubstituted(equation, placeholders, numberText(value));
}

}  // namespace vbs
