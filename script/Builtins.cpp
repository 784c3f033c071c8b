#include "script/Builtins.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <string>
#include <unordered_map>

#include "script/BuiltinsNumeric.h"
#include "script/BuiltinsText.h"
#include "script/Coerce.h"
#include "script/Interpreter.h"
#include "script/Operators.h"
#include "script/ScriptError.h"

namespace vbs {
namespace {

using namespace builtins;

// ---- text -----------------------------------------------------------------------------------

Value Asc(Interpreter&, const Value* a, int) {
    const std::string s = TextArg(a[0]);
    if (s.empty()) Raise(err::kInvalidCall);
    if (static_cast<unsigned char>(s[0]) < 0x80) return Value::Integer(s[0]);
    // The code page's code of the character; a character the code page lacks has no code there,
    // and gives its own code.
    const char32_t first = Widen(s)[0];
    const int code = ToCodePage(first);
    return Value::FromInteger(code == '?' ? static_cast<std::int64_t>(first) : code);
}

Value AscW(Interpreter&, const Value* a, int) {
    const std::string s = TextArg(a[0]);
    if (s.empty()) Raise(err::kInvalidCall);
    return Value::FromInteger(static_cast<std::int64_t>(Widen(s)[0]));
}

Value Chr(Interpreter&, const Value* a, int) {
    const std::int32_t code = LongArg(a[0]);
    if (code < 0 || code > 255) Raise(err::kInvalidCall);
    std::string out;
    AppendUtf8(out, FromCodePage(code));
    return Value::String(std::move(out));
}

Value ChrW(Interpreter&, const Value* a, int) {
    std::int32_t code = LongArg(a[0]);
    if (code < -32768 || code > 0x10FFFF) Raise(err::kInvalidCall);
    if (code < 0) code += 65536;
    if (code >= 0xD800 && code <= 0xDFFF) Raise(err::kInvalidCall);
    std::string out;
    AppendUtf8(out, static_cast<char32_t>(code));
    return Value::String(std::move(out));
}

Value Len(Interpreter&, const Value* a, int) {
    if (a[0].IsNull()) return a[0];
    const std::string s = a[0].ToString();
    return Value::FromInteger(static_cast<std::int64_t>(IsAscii(s) ? s.size() : Widen(s).size()));
}

Value LCase(Interpreter&, const Value* a, int) {
    if (a[0].IsNull()) return a[0];
    return Value::String(Lower(a[0].ToString()));
}

Value UCase(Interpreter&, const Value* a, int) {
    if (a[0].IsNull()) return a[0];
    return Value::String(Upper(a[0].ToString()));
}

Value Left(Interpreter&, const Value* a, int) {
    if (a[0].IsNull()) return a[0];
    const std::size_t n = CountArg(a[1]);
    return OnText(a[0].ToString(), [n](const auto& s) { return TextValue(s.substr(0, n)); });
}

// Whether a count argument is negative, for the checks made before a Null text is looked at.
bool NegativeCount(const Value& v) {
    return v.IsNumber() && LongArg(v) < 0;
}

Value Right(Interpreter&, const Value* a, int) {
    if (a[0].IsNull()) {
        if (NegativeCount(a[1])) Raise(err::kInvalidCall);
        return a[0];
    }
    const std::size_t n = CountArg(a[1]);
    return OnText(a[0].ToString(), [n](const auto& s) {
        return TextValue(s.substr(s.size() - std::min(n, s.size())));
    });
}

Value Mid(Interpreter&, const Value* a, int count) {
    const bool lengthGiven = Given(a, count, 2);
    if (lengthGiven && a[2].IsNull()) Raise(err::kInvalidNull);
    if (a[0].IsNull()) {
        if ((a[1].IsNumber() && LongArg(a[1]) < 1) || (lengthGiven && NegativeCount(a[2])))
            Raise(err::kInvalidCall);
        return a[0];
    }
    const std::int32_t start = LongArg(a[1]);
    if (start < 1) Raise(err::kInvalidCall);
    const std::size_t length = lengthGiven ? CountArg(a[2]) : std::string::npos;
    return OnText(a[0].ToString(), [&](const auto& s) {
        const auto from = static_cast<std::size_t>(start - 1);
        if (from >= s.size()) return TextValue(s.substr(0, 0));
        return TextValue(s.substr(from, length));
    });
}

template <typename S>
S TrimSpaces(const S& s, bool left, bool right) {
    std::size_t b = 0;
    std::size_t e = s.size();
    if (left) {
        while (b < e && s[b] == ' ') ++b;
    }
    if (right) {
        while (e > b && s[e - 1] == ' ') --e;
    }
    return s.substr(b, e - b);
}

template <bool L, bool R>
Value Trim(Interpreter&, const Value* a, int) {
    if (a[0].IsNull()) return a[0];
    return Value::String(TrimSpaces(a[0].ToString(), L, R));
}

Value InStr(Interpreter&, const Value* a, int count) {
    int i = 0;
    std::int64_t start = 1;
    if (count >= 3) {
        if (a[0].IsNull()) Raise(err::kInvalidNull);
        start = LongArg(a[0]);
        i = 1;
        if (start < 1) Raise(err::kInvalidCall);
    }
    const bool text = count == 4 && TextCompareArg(a, count, 3);
    if (a[i].IsNull() || a[i + 1].IsNull()) return Value::Null();
    const std::string hay = a[i].ToString();
    const std::string needle = a[i + 1].ToString();
    auto search = [&](auto h, auto n) {
        if (text) {
            h = Lower(h);
            n = Lower(n);
        }
        if (h.empty()) return Value::Integer(0);
        // An empty text is found at the start, up to just past the last character.
        if (n.empty())
            return Value::FromInteger(static_cast<std::size_t>(start) > h.size() + 1 ? 0 : start);
        if (static_cast<std::size_t>(start) > h.size()) return Value::Integer(0);
        const std::size_t p = h.find(n, static_cast<std::size_t>(start - 1));
        return Value::FromInteger(p == decltype(h)::npos ? 0 : static_cast<std::int64_t>(p) + 1);
    };
    if (IsAscii(hay) && IsAscii(needle)) return search(hay, needle);
    return search(Widen(hay), Widen(needle));
}

Value InStrRev(Interpreter&, const Value* a, int count) {
    if (a[0].IsNull() || a[1].IsNull()) Raise(err::kInvalidNull);
    std::int64_t start = Given(a, count, 2) ? LongArg(a[2]) : -1;
    if (start == 0 || start < -1) Raise(err::kInvalidCall);
    const bool text = TextCompareArg(a, count, 3);
    const std::string hay = a[0].ToString();
    const std::string needle = a[1].ToString();
    auto search = [&](auto h, auto n) {
        if (text) {
            h = Lower(h);
            n = Lower(n);
        }
        if (start == -1) start = static_cast<std::int64_t>(h.size());
        if (h.empty()) return Value::Integer(0);
        // An empty text is found at the start, up to just past the last character.
        if (n.empty())
            return Value::FromInteger(static_cast<std::size_t>(start) > h.size() + 1 ? 0 : start);
        if (static_cast<std::size_t>(start) > h.size()) return Value::Integer(0);
        if (n.size() > static_cast<std::size_t>(start)) return Value::Integer(0);
        const std::size_t p = h.rfind(n, static_cast<std::size_t>(start) - n.size());
        return Value::FromInteger(p == decltype(h)::npos ? 0 : static_cast<std::int64_t>(p) + 1);
    };
    if (IsAscii(hay) && IsAscii(needle)) return search(hay, needle);
    return search(Widen(hay), Widen(needle));
}

Value StrComp(Interpreter&, const Value* a, int count) {
    if (a[0].IsNull() || a[1].IsNull()) return Value::Null();
    const bool text = TextCompareArg(a, count, 2);
    std::string x = a[0].ToString();
    std::string y = a[1].ToString();
    if (text) {
        x = Lower(x);
        y = Lower(y);
    }
    const int c = x.compare(y);
    return Value::Integer((c > 0) - (c < 0));
}

Value StrReverse(Interpreter&, const Value* a, int) {
    const std::string s = TextArg(a[0]);
    return OnText(s, [](auto t) {
        std::reverse(t.begin(), t.end());
        return TextValue(t);
    });
}

// ---- arrays and types -----------------------------------------------------------------------

Value Bound(const Value* a, int count, bool upper) {
    if (!a[0].IsArray()) Raise(err::kTypeMismatch);
    const ArrayData& arr = a[0].AsArray();
    const std::int32_t dim = Given(a, count, 1) ? LongArg(a[1]) : 1;
    if (!arr.Allocated() || dim < 1 || dim > arr.Dimensions()) Raise(err::kSubscript);
    return Value::Long(upper ? arr.UpperBound(dim - 1) : 0);
}

Value UBound(Interpreter&, const Value* a, int count) {
    return Bound(a, count, true);
}
Value LBound(Interpreter&, const Value* a, int count) {
    return Bound(a, count, false);
}

Value ArrayFn(Interpreter&, const Value* a, int count) {
    std::vector<Value> items(a, a + count);
    for (Value& v : items) {
        if (v.IsMissing()) Raise(err::kInvalidCall);
    }
    return Value::Array(ArrayData::FromList(std::move(items)));
}

Value IsArray(Interpreter&, const Value* a, int) {
    return Value::Boolean(a[0].IsArray());
}
Value IsEmpty(Interpreter&, const Value* a, int) {
    return Value::Boolean(a[0].IsEmpty());
}
Value IsNull(Interpreter&, const Value* a, int) {
    return Value::Boolean(a[0].IsNull());
}
Value IsObject(Interpreter&, const Value* a, int) {
    return Value::Boolean(a[0].IsObject());
}
Value IsNumeric(Interpreter&, const Value* a, int) {
    return Value::Boolean(a[0].IsNumeric());
}
Value TypeNameFn(Interpreter&, const Value* a, int) {
    return Value::String(a[0].TypeName());
}
Value VarTypeFn(Interpreter&, const Value* a, int) {
    return Value::FromInteger(static_cast<std::int64_t>(a[0].Type()));
}

// ---- time ---------------------------------------------------------------------------------

Value Timer(Interpreter&, const Value*, int) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto sinceEpoch = now.time_since_epoch();
    const double fraction =
        static_cast<double>(
            std::chrono::duration_cast<std::chrono::microseconds>(sinceEpoch).count() % 1000000) /
        1e6;
    const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
    return Value::Single(static_cast<float>(seconds));
}

// Scripts get no access to objects outside the engine: no files, processes or network.
Value NoObjects(Interpreter&, const Value*, int) {
    Raise(err::kCannotCreateObject,
          std::string(ErrorText(err::kCannotCreateObject)) +
              ": files, programs and the network are out of reach of scripts");
}

constexpr int kMany = 1 << 20;

const BuiltinInfo kBuiltins[] = {
    {"abs", 1, 1, Abs},
    {"atn", 1, 1, MathFunction<std::atan>},
    {"cos", 1, 1, MathFunction<std::cos>},
    {"exp", 1, 1, Exp},
    {"fix", 1, 1, IntegerPart<std::trunc>},
    {"int", 1, 1, IntegerPart<std::floor>},
    {"log", 1, 1, Log},
    {"round", 1, 2, Round},
    {"sgn", 1, 1, Sgn},
    {"sin", 1, 1, MathFunction<std::sin>},
    {"sqr", 1, 1, Sqr},
    {"tan", 1, 1, MathFunction<std::tan>},
    {"rnd", 0, 1, Rnd},
    {"cbool", 1, 1, CBool},
    {"cbyte", 1, 1, CByte},
    {"cdbl", 1, 1, CDbl},
    {"cint", 1, 1, CInt},
    {"clng", 1, 1, CLng},
    {"csng", 1, 1, CSng},
    {"cstr", 1, 1, CStr},
    {"asc", 1, 1, Asc},
    {"ascw", 1, 1, AscW},
    {"chr", 1, 1, Chr},
    {"chrw", 1, 1, ChrW},
    {"instr", 2, 4, InStr},
    {"instrrev", 2, 4, InStrRev},
    {"lcase", 1, 1, LCase},
    {"ucase", 1, 1, UCase},
    {"left", 2, 2, Left},
    {"right", 2, 2, Right},
    {"mid", 2, 3, Mid},
    {"len", 1, 1, Len},
    {"ltrim", 1, 1, Trim<true, false>},
    {"rtrim", 1, 1, Trim<false, true>},
    {"trim", 1, 1, Trim<true, true>},
    {"replace", 3, 6, Replace},
    {"space", 1, 1, Space},
    {"string", 2, 2, StringFn},
    {"strcomp", 2, 3, StrComp},
    {"strreverse", 1, 1, StrReverse},
    {"split", 1, 4, Split},
    {"join", 1, 2, Join},
    {"filter", 2, 4, Filter},
    {"ubound", 1, 2, UBound},
    {"lbound", 1, 2, LBound},
    {"array", 0, kMany, ArrayFn},
    {"isarray", 1, 1, IsArray},
    {"isempty", 1, 1, IsEmpty},
    {"isnull", 1, 1, IsNull},
    {"isobject", 1, 1, IsObject},
    {"isnumeric", 1, 1, IsNumeric},
    {"typename", 1, 1, TypeNameFn},
    {"vartype", 1, 1, VarTypeFn},
    {"hex", 1, 1, Hex},
    {"oct", 1, 1, Oct},
    {"formatnumber", 1, 5, FormatNumber},
    {"timer", 0, 0, Timer},
    {"createobject", 0, kMany, NoObjects},
    {"getobject", 0, kMany, NoObjects},
};

}  // namespace

const BuiltinInfo* FindBuiltin(std::string_view lowerName) {
    static const std::unordered_map<std::string_view, const BuiltinInfo*> table = [] {
        std::unordered_map<std::string_view, const BuiltinInfo*> t;
        for (const BuiltinInfo& b : kBuiltins) t.emplace(b.name, &b);
        return t;
    }();
    const auto it = table.find(lowerName);
    return it == table.end() ? nullptr : it->second;
}

const Value* FindConstant(std::string_view lowerName) {
    static const std::unordered_map<std::string_view, Value> table = [] {
        // Made once for every engine: charged to none of their budgets.
        const MemoryBudget::Scope uncharged(nullptr);
        std::unordered_map<std::string_view, Value> t;
        t.emplace("vbcrlf", Value::String("\r\n"));
        t.emplace("vbnewline", Value::String("\r\n"));
        t.emplace("vbcr", Value::String("\r"));
        t.emplace("vblf", Value::String("\n"));
        t.emplace("vbtab", Value::String("\t"));
        t.emplace("vbnullstring", Value::String(""));
        t.emplace("vbnullchar", Value::String(std::string(1, '\0')));
        t.emplace("vbformfeed", Value::String("\f"));
        t.emplace("vbverticaltab", Value::String("\v"));
        t.emplace("vbbinarycompare", Value::Integer(0));
        t.emplace("vbtextcompare", Value::Integer(1));
        t.emplace("vbusedefault", Value::Integer(-2));
        t.emplace("vbtrue", Value::Integer(-1));
        t.emplace("vbfalse", Value::Integer(0));
        t.emplace("vbempty", Value::Integer(0));
        t.emplace("vbnull", Value::Integer(1));
        t.emplace("vbinteger", Value::Integer(2));
        t.emplace("vblong", Value::Integer(3));
        t.emplace("vbsingle", Value::Integer(4));
        t.emplace("vbdouble", Value::Integer(5));
        t.emplace("vbcurrency", Value::Integer(6));
        t.emplace("vbdate", Value::Integer(7));
        t.emplace("vbstring", Value::Integer(8));
        t.emplace("vbobject", Value::Integer(9));
        t.emplace("vberror", Value::Integer(10));
        t.emplace("vbboolean", Value::Integer(11));
        t.emplace("vbvariant", Value::Integer(12));
        t.emplace("vbbyte", Value::Integer(17));
        t.emplace("vbarray", Value::Integer(8192));
        t.emplace("vbobjecterror", Value::Long(static_cast<std::int32_t>(0x80040000u)));
        return t;
    }();
    const auto it = table.find(lowerName);
    return it == table.end() ? nullptr : &it->second;
}

}  // namespace vbs
