#include "script/Builtins.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <string>
#include <unordered_map>

#include "script/BuiltinsNumeric.h"
#include "script/Coerce.h"
#include "script/Interpreter.h"
#include "script/Operators.h"
#include "script/ScriptError.h"

namespace vbs {
namespace {

using namespace builtins;

// ---- helpers --------------------------------------------------------------------------------

// Text of an argument that may not be Null (94 otherwise).
std::string TextArg(const Value& v) {
    if (v.IsMissing()) Raise(err::kInvalidCall);
    return v.ToString();
}

// Text positions count characters. Text is UTF-8 inside; pure ASCII text is handled byte-wise,
// other text through a 32-bit copy.
bool IsAscii(const std::string& s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::u32string Widen(const std::string& s) {
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        char32_t cp = c;
        int extra = 0;
        if (c >= 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else if (c >= 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if (c >= 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        }
        ++i;
        for (int k = 0; k < extra && i < s.size(); ++k, ++i)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
        out += cp;
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

Value TextValue(const std::string& s) {
    return Value::String(s);
}
Value TextValue(const std::u32string& s) {
    std::string out;
    for (const char32_t c : s) AppendUtf8(out, c);
    return Value::String(std::move(out));
}

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

// Windows-1252 codes 128..159 as Unicode; the rest of 0..255 maps to itself.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

char32_t FromCodePage(int code) {
    if (code >= 128 && code < 160) return kCp1252High[code - 128];
    return static_cast<char32_t>(code);
}

int ToCodePage(char32_t cp) {
    if (cp < 128 || (cp >= 160 && cp < 256)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == cp) return 128 + i;
    }
    return '?';
}

bool TextCompareArg(const Value* args, int count, int i) {
    if (!Given(args, count, i)) return false;
    const std::int32_t mode = LongArg(args[i]);
    if (mode != 0 && mode != 1) Raise(err::kInvalidCall);
    return mode == 1;
}

// ---- text -----------------------------------------------------------------------------------

Value Asc(Interpreter&, const Value* a, int) {
    const std::string s = TextArg(a[0]);
    if (s.empty()) Raise(err::kInvalidCall);
    if (static_cast<unsigned char>(s[0]) < 0x80) return Value::Integer(s[0]);
    return Value::Integer(ToCodePage(Widen(s)[0]));
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

std::size_t CountArg(const Value& v) {
    const std::int32_t n = LongArg(v);
    if (n < 0) Raise(err::kInvalidCall);
    return static_cast<std::size_t>(n);
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
        if (n.empty()) return Value::FromInteger(start);
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
        if (n.empty()) return Value::FromInteger(start);
        if (static_cast<std::size_t>(start) > h.size()) return Value::Integer(0);
        if (n.size() > static_cast<std::size_t>(start)) return Value::Integer(0);
        const std::size_t p = h.rfind(n, static_cast<std::size_t>(start) - n.size());
        return Value::FromInteger(p == decltype(h)::npos ? 0 : static_cast<std::int64_t>(p) + 1);
    };
    if (IsAscii(hay) && IsAscii(needle)) return search(hay, needle);
    return search(Widen(hay), Widen(needle));
}

Value Replace(Interpreter& in, const Value* a, int count) {
    const std::string source = TextArg(a[0]);
    const std::string find = TextArg(a[1]);
    const std::string with = TextArg(a[2]);
    const std::int64_t start = Given(a, count, 3) ? LongArg(a[3]) : 1;
    const std::int64_t limit = Given(a, count, 4) ? LongArg(a[4]) : -1;
    if (start < 1 || limit < -1) Raise(err::kInvalidCall);
    const bool text = TextCompareArg(a, count, 5);
    auto run = [&](const auto& s0, const auto& f0, const auto& w) {
        using S = std::decay_t<decltype(s0)>;
        if (static_cast<std::size_t>(start) > s0.size()) return TextValue(S());
        const S s = s0.substr(static_cast<std::size_t>(start - 1));
        if (f0.empty() || limit == 0) return TextValue(s);
        const S hay = text ? Lower(s) : s;
        const S f = text ? Lower(f0) : f0;
        S out;
        std::size_t pos = 0;
        std::int64_t done = 0;
        while (limit < 0 || done < limit) {
            in.CheckAbort();
            const std::size_t hit = hay.find(f, pos);
            if (hit == S::npos) break;
            out.append(s, pos, hit - pos);
            out += w;
            CheckStringLength(out.size());
            pos = hit + f.size();
            ++done;
        }
        out.append(s, pos, S::npos);
        return TextValue(out);
    };
    if (IsAscii(source) && IsAscii(find) && IsAscii(with)) return run(source, find, with);
    return run(Widen(source), Widen(find), Widen(with));
}

Value Space(Interpreter&, const Value* a, int) {
    const std::size_t n = CountArg(a[0]);
    CheckStringLength(n);
    return Value::String(std::string(n, ' '));
}

// How many steps of a built-in's loop over a long text run between two stop checks.
constexpr std::size_t kStepsPerCheck = 4096;

Value StringFn(Interpreter& in, const Value* a, int) {
    if (a[0].IsNull() || a[1].IsNull()) return Value::Null();
    const std::size_t n = CountArg(a[0]);
    std::string unit;
    if (a[1].IsString()) {
        if (a[1].AsString().empty()) Raise(err::kInvalidCall);
        const std::u32string w = Widen(a[1].AsString());
        AppendUtf8(unit, w[0]);
    } else {
        const std::int32_t code = LongArg(a[1]);
        AppendUtf8(unit, FromCodePage(((code % 256) + 256) % 256));
    }
    CheckStringLength(n * unit.size());
    std::string out;
    out.reserve(n * unit.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (i % kStepsPerCheck == 0) in.CheckAbort();
        out += unit;
    }
    return Value::String(std::move(out));
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

Value Split(Interpreter& in, const Value* a, int count) {
    const std::string s = TextArg(a[0]);
    const std::string delim = Given(a, count, 1) ? TextArg(a[1]) : std::string(" ");
    const std::int64_t limit = Given(a, count, 2) ? LongArg(a[2]) : -1;
    if (limit < -1) Raise(err::kInvalidCall);
    const bool text = TextCompareArg(a, count, 3);
    std::vector<Value> parts;
    if (!s.empty() && limit != 0) {
        if (delim.empty()) {
            parts.push_back(Value::String(s));
        } else {
            const std::string hay = text ? Lower(s) : s;
            const std::string d = text ? Lower(delim) : delim;
            std::size_t pos = 0;
            for (;;) {
                in.CheckAbort();
                if (limit > 0 && static_cast<std::int64_t>(parts.size()) == limit - 1) break;
                const std::size_t hit = hay.find(d, pos);
                if (hit == std::string::npos) break;
                parts.push_back(Value::String(s.substr(pos, hit - pos)));
                if (parts.size() > kMaxArrayElements) Raise(err::kOutOfMemory);
                pos = hit + d.size();
            }
            parts.push_back(Value::String(s.substr(pos)));
        }
    }
    return Value::Array(ArrayData::FromList(std::move(parts)));
}

const ArrayData& OneDimensional(const Value& v) {
    if (!v.IsArray()) Raise(err::kTypeMismatch);
    const ArrayData& a = v.AsArray();
    if (a.Dimensions() != 1) Raise(err::kSubscript);
    return a;
}

Value Join(Interpreter& in, const Value* a, int count) {
    const ArrayData& arr = OneDimensional(a[0]);
    const std::string delim = Given(a, count, 1) ? TextArg(a[1]) : std::string(" ");
    std::string out;
    for (std::size_t i = 0; i < arr.Size(); ++i) {
        in.CheckAbort();
        if (i > 0) out += delim;
        out += arr.At(i).ToConcatString();
        CheckStringLength(out.size());
    }
    return Value::String(std::move(out));
}

Value Filter(Interpreter& in, const Value* a, int count) {
    if (a[0].IsNull() || a[1].IsNull()) Raise(err::kInvalidNull);
    const ArrayData& arr = OneDimensional(a[0]);
    const std::string value = a[1].ToString();
    const bool include = Given(a, count, 2) ? a[2].ToBool() : true;
    const bool text = TextCompareArg(a, count, 3);
    std::vector<Value> out;
    const std::string needle = text ? Lower(value) : value;
    for (const Value& item : arr.Items()) {
        in.CheckAbort();
        const std::string s = item.ToConcatString();
        const bool hit = (text ? Lower(s) : s).find(needle) != std::string::npos;
        if (hit == include) out.push_back(Value::String(s));
    }
    return Value::Array(ArrayData::FromList(std::move(out)));
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
