#pragma once
// The one failure type of the Torvane library. Every operation that "raises to the caller"
// throws torvane::Error with a code; windows catch it at their event handler and show it.

#include <stdexcept>
#include <string>

namespace torvane {

enum class ErrorCode {
    InvalidArgument = 5,  // invalid procedure call or argument
    Overflow = 6,
    SubscriptOutOfRange = 9,
    DivisionByZero = 11,
    TypeMismatch = 13,
    FileError = 75,      // a file or folder could not be opened, read or written
    MissingObject = 91,  // a reference that must point somewhere points nowhere
    DuplicateKey = 457,
    FileFormat = 321,    // a file's content cannot be read as the format it claims
    ScriptError = 1000,  // an error of the script engine; Number() holds the engine's number
};

class Error : public std::runtime_error {
  public:
    Error(ErrorCode code, const std::string& message)
        : std::runtime_error(message), code_(code), number_(static_cast<int>(code)) {}
    // For script errors: the engine's own error number travels with the message.
    Error(ErrorCode code, int number, const std::string& message)
        : std::runtime_error(message), code_(code), number_(number) {}

    ErrorCode Code() const noexcept { return code_; }
    int Number() const noexcept { return number_; }

    // Where in the text the failing command read the fault lies: 1-based line and column, 0 when
    // not known. A window marks that place in the box the text came from.
    int Line() const noexcept { return line_; }
    int Column() const noexcept { return column_; }
    Error& At(int line, int column = 0) noexcept {
        line_ = line;
        column_ = column;
        return *this;
    }

  private:
    ErrorCode code_;
    int number_;
    int line_ = 0;
    int column_ = 0;
};

[[noreturn]] inline void Raise(ErrorCode code, const std::string& message) {
    throw Error(code, message);
}

}  // namespace torvane
