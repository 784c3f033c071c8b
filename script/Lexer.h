#pragma once
// The lexer: turns source text into tokens that keep their line, column and byte offset.
// Keywords and names are case-insensitive; names are interned in lower case.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/Value.h"

namespace vbs {

enum class Tok : std::uint8_t {
    End,
    Eol,
    Colon,
    Comma,
    Dot,
    LParen,
    RParen,
    Plus,
    Minus,
    Star,
    Slash,
    Backslash,
    Caret,
    Amp,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Number,
    String,
    Ident,
    Param,
    // keywords
    And,
    ByRef,
    ByVal,
    Call,
    Case,
    Class,
    Const,
    Dim,
    Do,
    Each,
    Else,
    ElseIf,
    Empty,
    EndKw,
    Eqv,
    Erase,
    Exit,
    False,
    For,
    Function,
    GoTo,
    If,
    Imp,
    In,
    Is,
    Loop,
    Mod,
    New,
    Next,
    Not,
    Nothing,
    Null,
    On,
    Option,
    Or,
    Preserve,
    Private,
    Property,
    Public,
    ReDim,
    Select,
    Set,
    Step,
    Sub,
    Then,
    To,
    True,
    Until,
    Wend,
    While,
    With,
    Xor,
};

// Where a token came from: `part` is one of part::kText (the source itself), part::kSign and
// part::kNumber (the sign and the digits of a bound parameter value, see ScriptError.h).
struct Pos {
    std::int32_t line = 0;
    std::int32_t column = 0;
    std::uint8_t part = 0;
};

struct Token {
    Tok kind = Tok::End;
    bool bracketed = false;  // a [name] identifier
    Pos pos;
    std::uint32_t offset = 0;  // byte offset in the source
    std::uint32_t length = 0;
    std::int32_t index = -1;  // Number/String: literal; Ident: name
};

// What the lexer fills in: tokens plus the literals and names they refer to.
struct TokenStream {
    std::vector<Token> tokens;
    std::vector<Value> literals;
    std::vector<std::string> names;                           // lower case
    std::unordered_map<std::string, std::int32_t> nameIndex;  // built once names grow past
    static constexpr std::size_t kLinearNames = 16;           // this many

    std::int32_t Intern(std::string lowerName);
};

// Replacement of placeholder names by a parameter: every identifier token spelled exactly like
// one of `names` becomes a Param token, preceded by a synthetic sign token when `sign` is '-'
// or '+'.
struct ParamBinding {
    std::span<const std::string_view> names;
    char sign = 0;
};

// Called now and then while a long text is compiled; what it raises ends the compilation.
using CompilePoll = std::function<void()>;

class Lexer {
  public:
    static constexpr std::size_t kMaxIdentifierLength = 255;
    // Tokens scanned between two calls of the poll.
    static constexpr std::size_t kTokensPerPoll = 4096;

    // Raises ScriptError (1030, 1031, 1032, 1033) with position on malformed input.
    static void Tokenize(std::string_view source, TokenStream& out,
                         const ParamBinding* binding = nullptr, const CompilePoll* poll = nullptr);
};

}  // namespace vbs
