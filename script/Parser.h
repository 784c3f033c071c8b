#pragma once
// The parser: tokens to a compiled Unit. Operator precedence comes from one table of binding
// powers; statements are parsed by recursive descent. Syntax errors raise ScriptError with the
// language's compile-error number and the position of the offending token.

#include <memory>
#include <string_view>

#include "script/Ast.h"
#include "script/Lexer.h"

namespace vbs {

class Parser {
  public:
    // Deepest nesting of expressions and blocks accepted; deeper input raises 28.
    static constexpr int kMaxNesting = 200;
    // Highest expression tree accepted (operator chains count too); higher raises 28.
    static constexpr int kMaxExpressionDepth = 1000;

    // Statements parsed between two calls of the poll.
    static constexpr int kStatementsPerPoll = 256;

    // A block of statements and Function/Sub definitions (AddCode). The poll, when given, is
    // called every kStatementsPerPoll statements or procedures and every Lexer::kTokensPerPoll
    // tokens; what it raises ends the compilation.
    static std::unique_ptr<Unit> ParseProgram(std::string_view source,
                                              const CompilePoll& poll = {});
    // One expression, optionally surrounded by line breaks (Eval). With a binding, placeholder
    // names become the parameter (see Engine::EvalSubstituted).
    static std::unique_ptr<Unit> ParseExpression(std::string_view source,
                                                 const ParamBinding* binding = nullptr);
};

}  // namespace vbs
