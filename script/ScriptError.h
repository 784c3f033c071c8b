#pragma once
// Errors raised by the script engine: the language's error number and text, and where in the
// source they arose (line and column, both 1-based; 0 when not known).

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vbs {

// Error numbers the engine raises (the language's own numbering).
namespace err {
inline constexpr int kInvalidCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kSubscript = 9;
inline constexpr int kArrayFixed = 10;
inline constexpr int kDivisionByZero = 11;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kOutOfStringSpace = 14;
inline constexpr int kInterrupted = 18;
inline constexpr int kOutOfStack = 28;
inline constexpr int kSubNotDefined = 35;
inline constexpr int kInvalidNull = 94;
inline constexpr int kObjectRequired = 424;
inline constexpr int kCannotCreateObject = 429;
inline constexpr int kNoSuchMember = 438;
inline constexpr int kWrongArgCount = 450;
inline constexpr int kNotACollection = 451;
inline constexpr int kUndefinedVariable = 500;
inline constexpr int kIllegalAssignment = 501;
// Compile (syntax) errors.
inline constexpr int kSyntax = 1002;
inline constexpr int kExpectedLParen = 1005;
inline constexpr int kExpectedRParen = 1006;
inline constexpr int kExpectedRBracket = 1007;
inline constexpr int kExpectedIdentifier = 1010;
inline constexpr int kExpectedEquals = 1011;
inline constexpr int kExpectedIf = 1012;
inline constexpr int kExpectedTo = 1013;
inline constexpr int kExpectedEnd = 1014;
inline constexpr int kExpectedFunction = 1015;
inline constexpr int kExpectedSub = 1016;
inline constexpr int kExpectedThen = 1017;
inline constexpr int kExpectedWend = 1018;
inline constexpr int kExpectedLoop = 1019;
inline constexpr int kExpectedNext = 1020;
inline constexpr int kExpectedCase = 1021;
inline constexpr int kExpectedSelect = 1022;
inline constexpr int kExpectedExpression = 1023;
inline constexpr int kExpectedStatement = 1024;
inline constexpr int kExpectedEndOfStatement = 1025;
inline constexpr int kExpectedIntegerConstant = 1026;
inline constexpr int kExpectedWhileUntil = 1027;
inline constexpr int kIdentifierTooLong = 1030;
inline constexpr int kInvalidNumber = 1031;
inline constexpr int kInvalidCharacter = 1032;
inline constexpr int kUnterminatedString = 1033;
inline constexpr int kInvalidExit = 1039;
inline constexpr int kInvalidForVariable = 1040;
inline constexpr int kNameRedefined = 1041;
inline constexpr int kMustBeFirstStatement = 1042;
inline constexpr int kParenthesesOnSubCall = 1044;
inline constexpr int kExpectedLiteral = 1045;
inline constexpr int kExpectedIn = 1046;
}  // namespace err

// What an error's position marks in an equation whose parameter is bound to a number rather
// than written into the text (see Engine::EvalSubstituted): the equation's own text, the sign
// written before the number, or the number.
namespace part {
inline constexpr int kText = 0;
inline constexpr int kSign = 1;
inline constexpr int kNumber = 2;
}  // namespace part

// The standard text of an error number ("Type mismatch"); "Unknown runtime error" otherwise.
const char* ErrorText(int number);

class ScriptError : public std::runtime_error {
  public:
    ScriptError(int number, std::string description);
    explicit ScriptError(int number);  // with the standard text

    int Number() const { return number_; }
    const std::string& Description() const { return description_; }
    int Line() const { return line_; }
    int Column() const { return column_; }
    bool HasPosition() const { return line_ > 0; }

    // Positions are attached once, by the innermost construct that knows where it is.
    // `source` identifies the compiled text, `part` marks a substituted parameter (see Engine).
    void AttachPosition(int line, int column, const void* source, int part);
    void MovePosition(int line, int column);
    const void* Source() const { return source_; }
    int Part() const { return part_; }

  private:
    static std::string Compose(int number, const std::string& description);
    int number_;
    std::string description_;
    int line_ = 0;
    int column_ = 0;
    const void* source_ = nullptr;
    int part_ = 0;
};

[[noreturn]] void Raise(int number);
[[noreturn]] void Raise(int number, std::string description);

}  // namespace vbs
