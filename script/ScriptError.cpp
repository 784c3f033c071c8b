#include "script/ScriptError.h"

#include <utility>

namespace vbs {

const char* ErrorText(int number) {
    switch (number) {
        case 5:
            return "Invalid procedure call or argument";
        case 6:
            return "Overflow";
        case 7:
            return "Out of memory";
        case 9:
            return "Subscript out of range";
        case 10:
            return "This array is fixed or temporarily locked";
        case 11:
            return "Division by zero";
        case 13:
            return "Type mismatch";
        case 14:
            return "Out of string space";
        case 17:
            return "Can't perform requested operation";
        case 18:
            return "User interrupt occurred";
        case 28:
            return "Out of stack space";
        case 35:
            return "Sub or Function not defined";
        case 51:
            return "Internal error";
        case 91:
            return "Object variable not set";
        case 92:
            return "For loop not initialized";
        case 94:
            return "Invalid use of Null";
        case 424:
            return "Object required";
        case 429:
            return "Objects cannot be created by scripts";
        case 438:
            return "Object doesn't support this property or method";
        case 450:
            return "Wrong number of arguments or invalid property assignment";
        case 451:
            return "Object not a collection";
        case 500:
            return "Variable is undefined";
        case 501:
            return "Illegal assignment";
        case 505:
            return "Invalid or unqualified reference";
        case 1001:
            return "Out of memory";
        case 1002:
            return "Syntax error";
        case 1003:
            return "Expected ':'";
        case 1005:
            return "Expected '('";
        case 1006:
            return "Expected ')'";
        case 1007:
            return "Expected ']'";
        case 1010:
            return "Expected identifier";
        case 1011:
            return "Expected '='";
        case 1012:
            return "Expected 'If'";
        case 1013:
            return "Expected 'To'";
        case 1014:
            return "Expected 'End'";
        case 1015:
            return "Expected 'Function'";
        case 1016:
            return "Expected 'Sub'";
        case 1017:
            return "Expected 'Then'";
        case 1018:
            return "Expected 'Wend'";
        case 1019:
            return "Expected 'Loop'";
        case 1020:
            return "Expected 'Next'";
        case 1021:
            return "Expected 'Case'";
        case 1022:
            return "Expected 'Select'";
        case 1023:
            return "Expected expression";
        case 1024:
            return "Expected statement";
        case 1025:
            return "Expected end of statement";
        case 1026:
            return "Expected integer constant";
        case 1027:
            return "Expected 'While' or 'Until'";
        case 1028:
            return "Expected 'While', 'Until' or end of statement";
        case 1030:
            return "Identifier too long";
        case 1031:
            return "Invalid number";
        case 1032:
            return "Invalid character";
        case 1033:
            return "Unterminated string constant";
        case 1037:
            return "Invalid use of 'Me' keyword";
        case 1038:
            return "'loop' without 'do'";
        case 1039:
            return "Invalid 'exit' statement";
        case 1040:
            return "Invalid 'for' loop control variable";
        case 1041:
            return "Name redefined";
        case 1042:
            return "Must be first statement on the line";
        case 1044:
            return "Cannot use parentheses when calling a Sub";
        case 1045:
            return "Expected literal constant";
        case 1046:
            return "Expected 'In'";
        case 1055:
            return "Unexpected 'Next'";
        default:
            return "Unknown runtime error";
    }
}

ScriptError::ScriptError(int number, std::string description)
    : std::runtime_error(Compose(number, description)),
      number_(number),
      description_(std::move(description)) {}

ScriptError::ScriptError(int number) : ScriptError(number, ErrorText(number)) {}

std::string ScriptError::Compose(int number, const std::string& description) {
    return description + " (error " + std::to_string(number) + ")";
}

void ScriptError::AttachPosition(int line, int column, const void* source, int part) {
    if (HasPosition()) return;
    line_ = line;
    column_ = column;
    source_ = source;
    part_ = part;
}

void ScriptError::MovePosition(int line, int column) {
    line_ = line;
    column_ = column;
    source_ = nullptr;
    part_ = part::kText;
}

void Raise(int number) {
    throw ScriptError(number);
}
void Raise(int number, std::string description) {
    throw ScriptError(number, std::move(description));
}

}  // namespace vbs
