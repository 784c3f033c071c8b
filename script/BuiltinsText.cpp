#include "script/BuiltinsText.h"

#include <utility>

#include "script/ScriptError.h"

namespace vbs::builtins {
namespace {

// The UTF-8 length of cp.
std::size_t Utf8Length(char32_t cp) {
    return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

}  // namespace

std::string TextArg(const Value& v) {
    if (v.IsMissing()) Raise(err::kInvalidCall);
    return v.ToString();
}

bool IsAscii(const std::string& s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::u32string Widen(const std::string& s, const Interpreter* in) {
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0, steps = 0; i < s.size(); ++steps) {
        if (in && steps % kStepsPerCheck == 0) in->CheckAbort();
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

Value TextValue(std::string s) {
    return Value::String(std::move(s));
}

Value TextValue(const std::u32string& s, const Interpreter* in) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (in && i % kStepsPerCheck == 0) in->CheckAbort();
        AppendUtf8(out, s[i]);
    }
    return Value::String(std::move(out));
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

std::size_t CountArg(const Value& v) {
    const std::int32_t n = LongArg(v);
    if (n < 0) Raise(err::kInvalidCall);
    return static_cast<std::size_t>(n);
}

std::size_t TextBytes(const Value& v) {
    return v.IsString() ? v.AsString().size() : 0;
}

// ---- scratch --------------------------------------------------------------------------------

void TextScratch::Take(std::size_t bytes) {
    const std::size_t total = bytes_ + bytes;
    charge_.Resize(total);
    bytes_ = total;
}

void TextScratch::Give(std::size_t bytes) {
    bytes_ -= std::min(bytes, bytes_);
    charge_.Resize(bytes_);
}

Value TextScratch::Result(std::string&& out) {
    Give(out.capacity());
    return TextValue(std::move(out));
}

Value TextScratch::Result(std::u32string&& out) {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i % kStepsPerCheck == 0) in_.CheckAbort();
        bytes += Utf8Length(out[i]);
    }
    CheckStringLength(bytes);
    Take(bytes);
    std::string text;
    text.reserve(bytes);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i % kStepsPerCheck == 0) in_.CheckAbort();
        AppendUtf8(text, out[i]);
    }
    Give(out.capacity() * sizeof(char32_t));
    std::u32string().swap(out);
    return Result(std::move(text));
}

void TextScratch::Grow(std::vector<Value>& list) {
    if (list.size() < list.capacity()) return;
    in_.CheckAbort();
    if (list.size() >= kMaxArrayElements) Raise(err::kOutOfMemory);
    const std::size_t held = list.capacity() * sizeof(Value);
    const std::size_t grown = std::max<std::size_t>(16, 2 * list.capacity());
    Take(grown * sizeof(Value));
    list.reserve(grown);
    Give(held);
}

Value TextScratch::Result(std::vector<Value>&& list) {
    Give(list.capacity() * sizeof(Value));
    return Value::Array(ArrayData::FromList(std::move(list)));
}

}  // namespace vbs::builtins
