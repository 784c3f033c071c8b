#pragma once
// A compiled equation that computes with plain numbers instead of Variants: the shortcut of
// Engine::EvalSubstituted for equations built only from number literals, the bound parameter,
// unary signs, + - * / ^, parentheses and the pure one-argument math built-ins.
//
// Each value keeps the subtype the Variant would have (Integer, Long or Double), with the same
// overflow promotion, so the result is the Variant the interpreter would return, to the bit.
// The program does not raise errors: where the interpreter would raise one, Run reports failure
// and the caller evaluates the syntax tree, which raises it with its number and position.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "script/Ast.h"
#include "script/Interpreter.h"
#include "script/Value.h"

namespace vbs {

class NumericProgram {
  public:
    // The program of an expression unit, or nullptr when it uses anything outside the subset.
    // Built-in names are taken as built-ins only while `interpreter` has no global or procedure
    // of that name; Valid tells whether that holds, and must be asked before each Run.
    static std::shared_ptr<NumericProgram> Compile(const Unit& unit,
                                                   const Interpreter& interpreter);

    // Whether the names the program treats as built-ins still are built-ins.
    bool Valid(const Interpreter& interpreter) {
        return checkedGeneration_ == interpreter.Generation() || Recheck(interpreter);
    }

    // The value at parameter `param` (an Integer, Long or Double), or false where the
    // interpreter would raise an error.
    bool Run(const Value& param, Value& result);

    enum class Op : std::uint8_t {
        Constant,
        Param,
        Neg,
        Add,
        Sub,
        Mul,
        Div,
        Pow,  // both operands on the stack
        AddK,
        SubK,
        MulK,
        DivK,
        PowK,  // right operand the instruction's constant
        Sin,
        Cos,
        Tan,
        Atn,
        Exp,
        Log,
        Sqr,
        Abs,
        Int,
        Fix,
        Sgn,
    };

    // A number with the Variant subtype it stands for: 0 Integer, 1 Long, 3 Double (the ranks
    // of the arithmetic promotion). Integers are held exactly in `v`.
    struct Number {
        double v = 0;
        std::uint8_t rank = 0;
    };

  private:
    struct Instruction {
        Op op;
        Number constant;
    };

    bool Emit(const Unit& unit, std::int32_t node, int depth);
    bool Recheck(const Interpreter& interpreter);

    std::vector<Instruction> code_;
    std::vector<std::string> builtinNames_;  // checked by Valid
    std::vector<Number> stack_;
    std::uint64_t checkedGeneration_ = 0;
    int depth_ = 0;
    int maxDepth_ = 0;
};

}  // namespace vbs
