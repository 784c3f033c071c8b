#pragma once
// A compiled equation that computes with plain numbers instead of Variants: the shortcut of
// Engine::EvalSubstituted for equations built only from number literals, the bound parameter,
// unary signs, + - * / ^, parentheses and the pure one-argument math built-ins.
//
// Each value keeps the subtype the Variant would have (Integer, Long or Double), with the same
// overflow promotion, so the result is the Variant the interpreter would return, to the bit.
// The program does not raise errors: where the interpreter would raise one, Run reports failure
// and the caller evaluates the syntax tree, which raises it with its number and position.
//
// Most equations also get a plain form for a parameter of subtype Double: when the parameter is
// a Double, every value that depends on it is a Double too (a Double operand makes + - * a
// Double, and / ^ and the functions always give one), so only the parts without the parameter
// need subtypes, and those are folded into constants when the program is built. The plain form
// is then a short run of double operations on one accumulator; Sgn, whose result is an Integer,
// keeps an equation out of it.

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "script/Ast.h"
#include "script/Interpreter.h"
#include "script/Operators.h"
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
        return CheckedFor(interpreter) || Recheck(interpreter);
    }
    // Whether Valid found them so and no code has been added or removed since.
    bool CheckedFor(const Interpreter& interpreter) const {
        return checkedGeneration_ == interpreter.Generation();
    }

    // The value at parameter `param` (an Integer, Long or Double), or false where the
    // interpreter would raise an error.
    bool Run(const Value& param, Value& result);

    // Whether RunPlain may be used (for a Double parameter only).
    bool HasPlainForm() const { return hasPlain_; }
    // The value at a Double parameter `param`, the Double that Run would give, or false where
    // the interpreter would raise an error. `sign` (1 or -1) matters only after MergeNegative.
    // Defined in NumericProgramRun.h.
    bool RunPlain(double param, double& result, double sign = 1.0);

    // Makes this program (the form of an equation for values written without a sign) serve
    // also for values written with "-", given that form's program: true when the negative
    // form's plain code is this one's with negations inserted, which then become
    // multiplications by RunPlain's `sign`. Both programs need plain forms.
    bool MergeNegative(const NumericProgram& negative);

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

    // The plain form's operations on the accumulator `x`, with the instruction's constant `k`
    // and, for the two-operand forms, the left operand taken from the stack.
    enum class PlainOp : std::uint8_t {
        Param,  // x = parameter
        Push,   // push x
        Sign,   // x * sign, where the two forms of a merged program differ by a negation
        Neg,
        AddK,  // x + k (also k + x: the same double)
        SubK,  // x - k
        KSub,  // k - x
        MulK,  // x * k (also k * x)
        DivK,
        KDiv,
        PowK,
        KPow,
        Square,  // x ^ 2
        Add,
        Sub,
        Mul,
        Div,
        Pow,
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
    };

  private:
    struct Instruction {
        Op op;
        Number constant;
    };
    struct PlainInstruction {
        PlainOp op;
        double k = 0;
    };
    // A subtree of the plain form: a constant folded with subtypes, or code that leaves the
    // subtree's Double value in the accumulator.
    struct PlainPart {
        bool constant = false;
        Number value;
        std::vector<PlainInstruction> code;
    };

    bool Emit(const Unit& unit, std::int32_t node, int depth);
    bool EmitPlain(const Unit& unit, std::int32_t node, PlainPart& out) const;
    void CompilePlain(const Unit& unit);
    bool Recheck(const Interpreter& interpreter);

    std::vector<Instruction> code_;
    std::vector<PlainInstruction> plain_;
    std::vector<double> plainStack_;
    bool hasPlain_ = false;
    std::vector<std::string> builtinNames_;  // checked by Valid
    std::vector<Number> stack_;
    std::uint64_t checkedGeneration_ = 0;
    int depth_ = 0;
    int maxDepth_ = 0;
};

}  // namespace vbs
