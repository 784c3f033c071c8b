#include "script/Lexer.h"

#include <cctype>
#include <utility>

#include "script/Coerce.h"
#include "script/ScriptError.h"

namespace vbs {
namespace {

struct Keyword {
    const char* text;
    Tok kind;
};

constexpr Keyword kKeywords[] = {
    {"and", Tok::And},         {"byref", Tok::ByRef},
    {"byval", Tok::ByVal},     {"call", Tok::Call},
    {"case", Tok::Case},       {"class", Tok::Class},
    {"const", Tok::Const},     {"dim", Tok::Dim},
    {"do", Tok::Do},           {"each", Tok::Each},
    {"else", Tok::Else},       {"elseif", Tok::ElseIf},
    {"empty", Tok::Empty},     {"end", Tok::EndKw},
    {"eqv", Tok::Eqv},         {"erase", Tok::Erase},
    {"exit", Tok::Exit},       {"false", Tok::False},
    {"for", Tok::For},         {"function", Tok::Function},
    {"goto", Tok::GoTo},       {"if", Tok::If},
    {"imp", Tok::Imp},         {"in", Tok::In},
    {"is", Tok::Is},           {"loop", Tok::Loop},
    {"mod", Tok::Mod},         {"new", Tok::New},
    {"next", Tok::Next},       {"not", Tok::Not},
    {"nothing", Tok::Nothing}, {"null", Tok::Null},
    {"on", Tok::On},           {"option", Tok::Option},
    {"or", Tok::Or},           {"preserve", Tok::Preserve},
    {"private", Tok::Private}, {"property", Tok::Property},
    {"public", Tok::Public},   {"redim", Tok::ReDim},
    {"select", Tok::Select},   {"set", Tok::Set},
    {"step", Tok::Step},       {"sub", Tok::Sub},
    {"then", Tok::Then},       {"to", Tok::To},
    {"true", Tok::True},       {"until", Tok::Until},
    {"wend", Tok::Wend},       {"while", Tok::While},
    {"with", Tok::With},       {"xor", Tok::Xor},
};

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsNameChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == '_';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

Tok KeywordOf(const std::string& lower) {
    if (lower.size() < 2 || lower.size() > 8) return Tok::Ident;
    for (const Keyword& k : kKeywords) {
        if (k.text[0] == lower[0] && lower == k.text) return k.kind;
    }
    return Tok::Ident;
}

class Scanner {
  public:
    Scanner(std::string_view src, TokenStream& out, const ParamBinding* binding,
            const CompilePoll* poll)
        : src_(src), out_(out), binding_(binding), poll_(poll) {}

    void Run() {
        out_.tokens.reserve(out_.tokens.size() + src_.size() / 2 + 4);
        for (std::size_t steps = 1; p_ < src_.size(); ++steps) {
            ScanOne();
            if (poll_ && *poll_ && steps % Lexer::kTokensPerPoll == 0) (*poll_)();
        }
        Push(Tok::End, p_, 0);
    }

  private:
    [[noreturn]] void Fail(int number, std::size_t at) {
        ScriptError e(number);
        e.AttachPosition(line_, static_cast<int>(at - lineStart_) + 1, nullptr, 0);
        throw e;
    }

    Token& Push(Tok kind, std::size_t start, std::size_t length, std::uint8_t part = part::kText) {
        Token t;
        t.kind = kind;
        t.pos = {line_, static_cast<std::int32_t>(start - lineStart_) + 1, part};
        t.offset = static_cast<std::uint32_t>(start);
        t.length = static_cast<std::uint32_t>(length);
        out_.tokens.push_back(t);
        return out_.tokens.back();
    }

    bool AtStatementStart() const {
        if (out_.tokens.empty()) return true;
        const Tok k = out_.tokens.back().kind;
        return k == Tok::Eol || k == Tok::Colon;
    }

    void SkipToLineEnd() {
        while (p_ < src_.size() && src_[p_] != '\n' && src_[p_] != '\r') ++p_;
    }

    void NewLine() {
        const std::size_t start = p_;
        if (src_[p_] == '\r' && p_ + 1 < src_.size() && src_[p_ + 1] == '\n') ++p_;
        ++p_;
        Push(Tok::Eol, start, p_ - start);
        ++line_;
        lineStart_ = p_;
    }

    // " _" at the end of a line joins the next line to this statement.
    bool LineContinuation() {
        std::size_t q = p_ + 1;
        while (q < src_.size() && IsBlank(src_[q])) ++q;
        if (q < src_.size() && src_[q] != '\n' && src_[q] != '\r') return false;
        if (p_ > 0 && !IsBlank(src_[p_ - 1])) return false;
        p_ = q;
        if (p_ < src_.size()) {
            if (src_[p_] == '\r' && p_ + 1 < src_.size() && src_[p_ + 1] == '\n') ++p_;
            ++p_;
            ++line_;
            lineStart_ = p_;
        }
        return true;
    }

    void ScanOne() {
        const char c = src_[p_];
        if (IsBlank(c)) {
            ++p_;
            return;
        }
        if (c == '\n' || c == '\r') return NewLine();
        if (c == '\'') return SkipToLineEnd();
        if (IsLetter(c)) return ScanName();
        if (IsDigit(c) || (c == '.' && p_ + 1 < src_.size() && IsDigit(src_[p_ + 1])))
            return ScanNumber();
        if (c == '&' && p_ + 1 < src_.size() &&
            (src_[p_ + 1] == 'h' || src_[p_ + 1] == 'H' || src_[p_ + 1] == 'o' ||
             src_[p_ + 1] == 'O')) {
            const std::size_t save = p_;
            Value v;
            if (ScanNumberLiteral(src_, p_, v)) {
                // A letter may end the digits ("&h01or&h02"); a digit or "_" may not.
                if (p_ < src_.size() && (IsDigit(src_[p_]) || src_[p_] == '_'))
                    Fail(err::kInvalidNumber, save);
                if (LongSuffixFollows()) {
                    v = Value::Long(static_cast<std::int32_t>(RadixBits(save, p_)));
                    ++p_;
                }
                Push(Tok::Number, save, p_ - save).index = AddLiteral(std::move(v));
                return;
            }
            p_ = save;  // '&' followed by a name: the concatenation operator
        }
        if (c == '"') return ScanString();
        if (c == '[') return ScanBracketName();
        if (c == '_' && LineContinuation()) return;
        ScanOperator();
    }

    // Whether the '&' at p_ after a hex or octal literal is its Long suffix ("&hFFFF&" is
    // 65535) rather than the concatenation operator: it is the operator only where an operand
    // follows it ("&H10&x" is "16" & x).
    bool LongSuffixFollows() const {
        if (p_ >= src_.size() || src_[p_] != '&') return false;
        std::size_t q = p_ + 1;
        while (q < src_.size() && IsBlank(src_[q])) ++q;
        if (q >= src_.size()) return true;
        const char c = src_[q];
        if (c == '&') {  // "&h10& & x" concatenates the Long; "&h10&&h20" keeps the old reading
            const char k = q + 1 < src_.size() ? static_cast<char>(src_[q + 1] | 0x20) : 0;
            return k != 'h' && k != 'o';
        }
        if (IsLetter(c)) {
            std::size_t end = q;
            while (end < src_.size() && IsNameChar(src_[end])) ++end;
            std::string word(src_.substr(q, end - q));
            for (char& ch : word)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            static constexpr const char* kNoOperand[] = {"and", "or",   "xor",  "eqv",
                                                         "imp", "mod",  "is",   "then",
                                                         "to",  "step", "else", "elseif"};
            for (const char* k : kNoOperand)
                if (word == k) return true;
            return false;
        }
        return std::string_view(")],:'*/\\^=<>\r\n").find(c) != std::string_view::npos;
    }

    // The 32 bits of the hex or octal digits in src_[from, to) (after "&h" or "&o").
    std::uint32_t RadixBits(std::size_t from, std::size_t to) const {
        const bool hex = src_[from + 1] == 'h' || src_[from + 1] == 'H';
        std::uint32_t bits = 0;
        for (std::size_t i = from + 2; i < to; ++i) {
            const char c = src_[i];
            const unsigned d = IsDigit(c) ? static_cast<unsigned>(c - '0')
                                          : static_cast<unsigned>((c | 0x20) - 'a' + 10);
            bits = bits * (hex ? 16u : 8u) + d;
        }
        return bits;
    }

    void ScanOperator() {
        const std::size_t start = p_;
        const char c = src_[p_++];
        const char next = p_ < src_.size() ? src_[p_] : 0;
        Tok kind;
        switch (c) {
            case ':':
                kind = Tok::Colon;
                break;
            case ',':
                kind = Tok::Comma;
                break;
            case '.':
                kind = Tok::Dot;
                break;
            case '(':
                kind = Tok::LParen;
                break;
            case ')':
                kind = Tok::RParen;
                break;
            case '+':
                kind = Tok::Plus;
                break;
            case '-':
                kind = Tok::Minus;
                break;
            case '*':
                kind = Tok::Star;
                break;
            case '/':
                kind = Tok::Slash;
                break;
            case '\\':
                kind = Tok::Backslash;
                break;
            case '^':
                kind = Tok::Caret;
                break;
            case '&':
                kind = Tok::Amp;
                break;
            case '=':
                // "=>" and "=<" are other spellings of ">=" and "<=".
                if (next == '>' || next == '<') {
                    ++p_;
                    kind = next == '>' ? Tok::Ge : Tok::Le;
                } else
                    kind = Tok::Eq;
                break;
            case '<':
                if (next == '>') {
                    ++p_;
                    kind = Tok::Ne;
                } else if (next == '=') {
                    ++p_;
                    kind = Tok::Le;
                } else
                    kind = Tok::Lt;
                break;
            case '>':
                if (next == '<') {  // "><" is "<>"
                    ++p_;
                    kind = Tok::Ne;
                } else if (next == '=') {
                    ++p_;
                    kind = Tok::Ge;
                } else
                    kind = Tok::Gt;
                break;
            default:
                Fail(err::kInvalidCharacter, start);
        }
        Push(kind, start, p_ - start);
    }

    std::int32_t AddLiteral(Value v) {
        out_.literals.push_back(std::move(v));
        return static_cast<std::int32_t>(out_.literals.size()) - 1;
    }

    void ScanNumber() {
        const std::size_t start = p_;
        Value v;
        if (!ScanNumberLiteral(src_, p_, v)) Fail(err::kInvalidNumber, start);
        if (p_ < src_.size() && IsLetter(src_[p_])) {
            // "12abc" is no number; a following keyword needs a blank in between.
            Fail(err::kInvalidNumber, start);
        }
        Push(Tok::Number, start, p_ - start).index = AddLiteral(std::move(v));
    }

    void ScanString() {
        const std::size_t start = p_++;
        std::string text;
        for (;;) {
            if (p_ >= src_.size() || src_[p_] == '\n' || src_[p_] == '\r')
                Fail(err::kUnterminatedString, start);
            const char c = src_[p_++];
            if (c == '"') {
                if (p_ < src_.size() && src_[p_] == '"') {
                    text += '"';
                    ++p_;
                    continue;
                }
                break;
            }
            text += c;
        }
        Push(Tok::String, start, p_ - start).index = AddLiteral(Value::String(std::move(text)));
    }

    void ScanBracketName() {
        const std::size_t start = p_++;
        std::string name;
        while (p_ < src_.size() && src_[p_] != ']') {
            if (src_[p_] == '\n' || src_[p_] == '\r') Fail(err::kExpectedRBracket, start);
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(src_[p_++])));
        }
        if (p_ >= src_.size()) Fail(err::kExpectedRBracket, start);
        ++p_;
        if (name.size() > Lexer::kMaxIdentifierLength) Fail(err::kIdentifierTooLong, start);
        Token& t = Push(Tok::Ident, start, p_ - start);
        t.bracketed = true;
        t.index = out_.Intern(std::move(name));
    }

    bool IsPlaceholder(std::string_view word) const {
        if (binding_ == nullptr) return false;
        for (const std::string_view n : binding_->names) {
            if (n == word) return true;
        }
        return false;
    }

    void ScanName() {
        const std::size_t start = p_;
        while (p_ < src_.size() && IsNameChar(src_[p_])) ++p_;
        const std::size_t length = p_ - start;
        if (length > Lexer::kMaxIdentifierLength) Fail(err::kIdentifierTooLong, start);
        const std::string_view word = src_.substr(start, length);
        if (IsPlaceholder(word)) {
            if (binding_->sign != 0)
                Push(binding_->sign == '-' ? Tok::Minus : Tok::Plus, start, length, part::kSign);
            Push(Tok::Param, start, length, part::kNumber);
            return;
        }
        std::string lower(word);
        for (char& ch : lower) ch = static_cast<char>(ch | ((ch >= 'A' && ch <= 'Z') ? 0x20 : 0));
        const Tok kind = KeywordOf(lower);
        if (kind == Tok::Ident && lower == "rem") {
            if (AtStatementStart() &&
                (p_ >= src_.size() || IsBlank(src_[p_]) || src_[p_] == '\n' || src_[p_] == '\r')) {
                SkipToLineEnd();
                return;
            }
        }
        Token& t = Push(kind, start, length);
        if (kind == Tok::Ident) t.index = out_.Intern(std::move(lower));
    }

    std::string_view src_;
    TokenStream& out_;
    const ParamBinding* binding_;
    const CompilePoll* poll_;
    std::size_t p_ = 0;
    std::size_t lineStart_ = 0;
    std::int32_t line_ = 1;
};

}  // namespace

std::int32_t TokenStream::Intern(std::string lowerName) {
    // Equations name a handful of things: a plain search beats building an index for them.
    if (nameIndex.empty()) {
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == lowerName) return static_cast<std::int32_t>(i);
        if (names.size() < kLinearNames) {
            names.push_back(std::move(lowerName));
            return static_cast<std::int32_t>(names.size()) - 1;
        }
        for (std::size_t i = 0; i < names.size(); ++i)
            nameIndex.emplace(names[i], static_cast<std::int32_t>(i));
    }
    const auto it = nameIndex.find(lowerName);
    if (it != nameIndex.end()) return it->second;
    const auto index = static_cast<std::int32_t>(names.size());
    names.push_back(lowerName);
    nameIndex.emplace(std::move(lowerName), index);
    return index;
}

void Lexer::Tokenize(std::string_view source, TokenStream& out, const ParamBinding* binding,
                     const CompilePoll* poll) {
    Scanner(source, out, binding, poll).Run();
}

}  // namespace vbs
