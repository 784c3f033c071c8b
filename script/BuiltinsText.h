#pragma once
// The text helpers the built-ins share, and the built-ins that make or copy whole texts or lists
// of texts (Replace, Space, String, Split, Join, Filter). Those charge every copy they make to
// the run's memory budget before they make it (error 7 when it does not fit) and look at the
// stop token at a bounded stride of work, so a single call on a text of tens of millions of
// characters neither passes the budget nor outlasts a stop.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "script/BuiltinsNumeric.h"
#include "script/Interpreter.h"
#include "script/MemoryBudget.h"
#include "script/Value.h"

namespace vbs::builtins {

// How many steps of a built-in's loop over a long text run between two stop checks.
inline constexpr std::size_t kStepsPerCheck = 4096;

// Text of an argument that may not be Null (94 otherwise).
std::string TextArg(const Value& v);
// Text positions count characters. Text is UTF-8 inside; pure ASCII text is handled byte-wise,
// other text through a 32-bit copy. Widen polls `in` (when given) as it goes.
bool IsAscii(const std::string& s);
std::u32string Widen(const std::string& s, const Interpreter* in = nullptr);
void AppendUtf8(std::string& out, char32_t cp);
Value TextValue(std::string s);
Value TextValue(const std::u32string& s, const Interpreter* in = nullptr);
// Windows-1252 code to Unicode and back ('?' for what the code page lacks).
char32_t FromCodePage(int code);
int ToCodePage(char32_t cp);
// The optional compare argument at i: true for a text (case-blind) comparison.
bool TextCompareArg(const Value* args, int count, int i);
// A count argument: 5 (invalid call) when negative.
std::size_t CountArg(const Value& v);

template <typename F>
Value OnText(const std::string& s, F f) {
    if (IsAscii(s)) return f(s);
    return f(Widen(s));
}

template <typename S>
S Lower(S s) {
    for (auto& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<typename S::value_type>(c + 32);
    }
    return s;
}

template <typename S>
S Upper(S s) {
    for (auto& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<typename S::value_type>(c - 32);
    }
    return s;
}

// The copies one built-in call holds while it works: charged to the run's budget before they are
// made, given back when the call returns. Outside a run nothing is charged.
class TextScratch {
  public:
    explicit TextScratch(const Interpreter& in) : in_(in) {}

    const Interpreter& In() const { return in_; }
    // Charges bytes more (error 7, nothing charged, when they do not fit).
    void Take(std::size_t bytes);
    void Give(std::size_t bytes);
    // Makes room in out for `more` characters more, charging its new storage first (the old
    // storage is held too while it is copied), and polls the stop.
    template <typename S>
    void Reserve(S& out, std::size_t more);
    // The finished text as a value: its storage is handed over to the value, which charges it
    // (a 32-bit text is made UTF-8 first, that copy charged while both are held).
    Value Result(std::string&& out);
    Value Result(std::u32string&& out);
    // Makes room for one element more in list, charging its new storage first.
    void Grow(std::vector<Value>& list);
    // The finished list as an array value, which charges its elements.
    Value Result(std::vector<Value>&& list);

  private:
    const Interpreter& in_;
    Charge charge_;
    std::size_t bytes_ = 0;
};

template <typename S>
void TextScratch::Reserve(S& out, std::size_t more) {
    in_.CheckAbort();
    const std::size_t need = out.size() + more;
    if (need <= out.capacity()) return;
    CheckStringLength(need);
    constexpr std::size_t unit = sizeof(typename S::value_type);
    const std::size_t held = out.capacity() * unit;
    const std::size_t grown = std::max(need, std::min(2 * out.capacity(), kMaxStringLength));
    Take(grown * unit);
    out.reserve(grown);
    Give(held);
}

// Number of bytes of an argument's text, for charging its copy before it is made.
std::size_t TextBytes(const Value& v);

Value Replace(Interpreter& in, const Value* a, int count);
Value Space(Interpreter& in, const Value* a, int count);
Value StringFn(Interpreter& in, const Value* a, int count);
Value Split(Interpreter& in, const Value* a, int count);
Value Join(Interpreter& in, const Value* a, int count);
Value Filter(Interpreter& in, const Value* a, int count);
const ArrayData& OneDimensional(const Value& v);

}  // namespace vbs::builtins
