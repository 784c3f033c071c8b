#pragma once
// The syntax tree of a compiled block: expressions in one flat node pool (children by index),
// statements as nested blocks. Every node keeps its source position.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "script/Lexer.h"
#include "script/Operators.h"
#include "script/Value.h"

namespace vbs {

struct BuiltinInfo;
struct Procedure;

enum class NodeKind : std::uint8_t {
    Literal,  // a: literal index
    Param,    // the bound parameter of a fast-path equation
    Missing,  // an omitted argument: f(a, , b)
    Ident,    // a: name
    Call,     // a: name, args: arguments (name(...) : call or array element)
    Index,    // a: base expression, args: subscripts ((expr)(...))
    Member,   // a: base expression, b: member name, args when called
    Unary,    // op: UnaryOp, a: operand
    Binary,   // op: BinaryOp, a, b: operands
    Paren,    // a: inner expression (a ByRef argument in parentheses is passed as a copy)
};

// How a name was last resolved; valid while `generation` matches the engine's.
struct Resolution {
    enum Kind : std::uint8_t {
        None,
        Global,
        Procedure,
        Builtin,
        Constant,
        ImplicitLocal,
        ErrObject,
        Unknown
    };
    std::uint64_t generation = 0;
    Kind kind = None;
    std::int32_t slot = -1;
    const vbs::Procedure* procedure = nullptr;
    const BuiltinInfo* builtin = nullptr;
    const Value* constant = nullptr;
};

struct Node {
    NodeKind kind = NodeKind::Literal;
    std::uint8_t op = 0;
    std::uint16_t depth = 1;  // height of the subtree: evaluation recurses this deep
    std::int32_t a = -1;
    std::int32_t b = -1;
    std::int32_t args = 0;  // first argument in Unit::args
    std::int32_t argc = 0;
    std::int32_t local = -1;          // declared local slot of a procedure, fixed at compile time
    std::int32_t implicitLocal = -1;  // slot used when the name turns out to be no global
    Pos pos;
    mutable Resolution res;
};

struct Stmt;
struct Block {
    std::vector<Stmt> stmts;
};

enum class StmtKind : std::uint8_t {
    Call,
    Assign,
    Dim,
    ReDim,
    Const,
    If,
    For,
    ForEach,
    Do,
    While,
    Select,
    Exit,
    OnErrorResumeNext,
    OnErrorGoTo0,
    Erase,
    Randomize,
};

enum class ExitKind : std::uint8_t { For, Do, Procedure };

struct DimItem {
    std::int32_t node = -1;            // Ident node naming the variable
    std::vector<std::int32_t> bounds;  // Dim: literal upper bounds; ReDim: expressions
    bool isArray = false;
    std::int32_t value = -1;  // Const: expression
};

struct CaseTest {
    enum Kind : std::uint8_t { Equal, Range, Relation };
    Kind kind = Equal;
    BinaryOp op = BinaryOp::Eq;
    std::int32_t e1 = -1;
    std::int32_t e2 = -1;
};

struct CaseClause {
    std::vector<CaseTest> tests;  // empty for Case Else
    Block body;
};

// Loop condition placement of Do loops.
enum class LoopTest : std::uint8_t { None, While, Until };

struct Stmt {
    StmtKind kind = StmtKind::Call;
    Pos pos;
    std::int32_t e[4] = {-1, -1, -1, -1};
    std::uint8_t flag = 0;  // ReDim: Preserve; Exit: ExitKind
    LoopTest pre = LoopTest::None;
    LoopTest post = LoopTest::None;
    std::vector<std::int32_t> list;  // If: conditions
    std::vector<DimItem> items;
    std::vector<Block> blocks;  // If: branches (+ Else); loops: body
    std::vector<CaseClause> cases;
};

struct Parameter {
    std::int32_t name = -1;
    bool byRef = true;
};

struct Unit;

struct Procedure {
    std::int32_t name = -1;
    std::string displayName;
    bool isFunction = false;
    std::vector<Parameter> params;
    Block body;
    std::int32_t localCount = 0;
    std::int32_t returnSlot = -1;  // functions: the slot assigned through the function's name
    std::vector<std::int32_t> constSlots;  // locals declared with Const
    std::vector<DimItem> constants;        // every Const item of the body, defined on entry
    Pos pos;
    const Unit* unit = nullptr;
};

// One compiled text: an AddCode block or an expression.
struct Unit {
    std::vector<Node> nodes;
    std::vector<std::int32_t> args;
    std::vector<Value> literals;
    std::vector<std::string> names;
    Block body;
    std::vector<Procedure> procedures;
    std::vector<std::int32_t> declaredGlobals;  // names declared by Dim/ReDim/Const at top level
    std::vector<DimItem> constants;  // every top-level Const item, defined before the body runs
    std::int32_t root = -1;          // expression units: the expression
    bool optionExplicit = false;
};

}  // namespace vbs
