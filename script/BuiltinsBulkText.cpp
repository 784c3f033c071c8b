// The built-ins that make or copy whole texts or lists of texts. Every copy is charged to the
// run's budget before it is made, and every loop looks at the stop token as it goes.

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "script/BuiltinsText.h"
#include "script/ScriptError.h"

namespace vbs::builtins {
namespace {

struct ReplaceOptions {
    std::size_t start = 1;  // characters, from 1
    std::int64_t limit = -1;
    bool text = false;
};

// Replace over one text form (bytes for ASCII, 32-bit characters otherwise): the part of s from
// start with up to limit occurrences of f replaced by w.
template <typename S>
Value ReplaceIn(TextScratch& scratch, const S& s, const S& f0, const S& w,
                const ReplaceOptions& o) {
    constexpr std::size_t unit = sizeof(typename S::value_type);
    if (o.start > s.size()) return TextValue(std::string());
    const std::size_t from = o.start - 1;
    S out;
    if (!f0.empty() && o.limit != 0) {
        if (o.text) scratch.Take(s.size() * unit);
        const S hay = o.text ? Lower(s) : S();
        const S& seen = o.text ? hay : s;
        const S f = o.text ? Lower(f0) : f0;
        std::size_t pos = from;
        for (std::int64_t done = 0; o.limit < 0 || done < o.limit; ++done) {
            const std::size_t hit = seen.find(f, pos);
            if (hit == S::npos) break;
            scratch.Reserve(out, hit - pos + w.size());
            out.append(s, pos, hit - pos);
            out += w;
            pos = hit + f.size();
        }
        scratch.Reserve(out, s.size() - pos);
        out.append(s, pos, S::npos);
    } else {
        scratch.Reserve(out, s.size() - from);
        out.append(s, from, S::npos);
    }
    return scratch.Result(std::move(out));
}

}  // namespace

Value Replace(Interpreter& in, const Value* a, int count) {
    TextScratch scratch(in);
    scratch.Take(TextBytes(a[0]) + TextBytes(a[1]) + TextBytes(a[2]));
    const std::string source = TextArg(a[0]);
    const std::string find = TextArg(a[1]);
    const std::string with = TextArg(a[2]);
    const std::int64_t start = Given(a, count, 3) ? LongArg(a[3]) : 1;
    const std::int64_t limit = Given(a, count, 4) ? LongArg(a[4]) : -1;
    if (start < 1 || limit < -1) Raise(err::kInvalidCall);
    const ReplaceOptions options{static_cast<std::size_t>(start), limit,
                                 TextCompareArg(a, count, 5)};
    if (IsAscii(source) && IsAscii(find) && IsAscii(with))
        return ReplaceIn(scratch, source, find, with, options);
    scratch.Take(sizeof(char32_t) * (source.size() + find.size() + with.size()));
    return ReplaceIn(scratch, Widen(source, &in), Widen(find), Widen(with), options);
}

Value Space(Interpreter& in, const Value* a, int) {
    const std::size_t n = CountArg(a[0]);
    CheckStringLength(n);
    TextScratch scratch(in);
    scratch.Take(n);
    return scratch.Result(std::string(n, ' '));
}

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
    TextScratch scratch(in);
    scratch.Take(n * unit.size());
    std::string out;
    out.reserve(n * unit.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (i % kStepsPerCheck == 0) in.CheckAbort();
        out += unit;
    }
    return scratch.Result(std::move(out));
}

Value Split(Interpreter& in, const Value* a, int count) {
    TextScratch scratch(in);
    scratch.Take(TextBytes(a[0]));
    const std::string s = TextArg(a[0]);
    const std::string delim = Given(a, count, 1) ? TextArg(a[1]) : std::string(" ");
    const std::int64_t limit = Given(a, count, 2) ? LongArg(a[2]) : -1;
    if (limit < -1) Raise(err::kInvalidCall);
    const bool text = TextCompareArg(a, count, 3);
    std::vector<Value> parts;
    // Each part is charged while it is cut out, then handed to its value.
    const auto cut = [&](std::size_t pos, std::size_t length) {
        scratch.Grow(parts);
        scratch.Take(std::min(length, s.size() - pos));
        parts.push_back(scratch.Result(s.substr(pos, length)));
    };
    if (!s.empty() && limit != 0) {
        if (delim.empty()) {
            cut(0, s.size());
        } else {
            if (text) scratch.Take(s.size());
            const std::string hay = text ? Lower(s) : std::string();
            const std::string& seen = text ? hay : s;
            const std::string d = text ? Lower(delim) : delim;
            std::size_t pos = 0;
            for (;;) {
                in.CheckAbort();
                if (limit > 0 && static_cast<std::int64_t>(parts.size()) == limit - 1) break;
                const std::size_t hit = seen.find(d, pos);
                if (hit == std::string::npos) break;
                cut(pos, hit - pos);
                pos = hit + d.size();
            }
            cut(pos, std::string::npos);
        }
    }
    return scratch.Result(std::move(parts));
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
    TextScratch scratch(in);
    std::string out;
    for (std::size_t i = 0; i < arr.Size(); ++i) {
        const std::string item = arr.At(i).ToConcatString();
        scratch.Reserve(out, (i > 0 ? delim.size() : 0) + item.size());
        if (i > 0) out += delim;
        out += item;
    }
    return scratch.Result(std::move(out));
}

Value Filter(Interpreter& in, const Value* a, int count) {
    if (a[0].IsNull() || a[1].IsNull()) Raise(err::kInvalidNull);
    const ArrayData& arr = OneDimensional(a[0]);
    const std::string value = a[1].ToString();
    const bool include = Given(a, count, 2) ? a[2].ToBool() : true;
    const bool text = TextCompareArg(a, count, 3);
    TextScratch scratch(in);
    std::vector<Value> out;
    const std::string needle = text ? Lower(value) : value;
    for (const Value& item : arr.Items()) {
        in.CheckAbort();
        const std::string s = item.ToConcatString();
        const bool hit = (text ? Lower(s) : s).find(needle) != std::string::npos;
        if (hit != include) continue;
        scratch.Grow(out);
        scratch.Take(s.size());
        out.push_back(scratch.Result(std::string(s)));
    }
    return scratch.Result(std::move(out));
}

}  // namespace vbs::builtins
