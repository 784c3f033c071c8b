#include "script/NumericProgram.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <string_view>
#include <utility>

#include "script/Builtins.h"
#include "script/Interpreter.h"
#include "script/Operators.h"

namespace vbs {
namespace {

using Number = NumericProgram::Number;
using Op = NumericProgram::Op;

constexpr std::uint8_t kInteger = 0;
constexpr std::uint8_t kLong = 1;
constexpr std::uint8_t kDouble = 3;

struct FunctionOp {
    std::string_view name;
    Op op;
};

constexpr FunctionOp kFunctions[] = {
    {"sin", Op::Sin}, {"cos", Op::Cos}, {"tan", Op::Tan}, {"atn", Op::Atn},
    {"exp", Op::Exp}, {"log", Op::Log}, {"sqr", Op::Sqr}, {"abs", Op::Abs},
    {"int", Op::Int}, {"fix", Op::Fix}, {"sgn", Op::Sgn},
};

// The subtype Value::FromInteger gives an exact integer amount.
Number FromInteger(std::int64_t i) {
    if (i >= -32768 && i <= 32767) return {static_cast<double>(i), kInteger};
    if (i >= INT32_MIN && i <= INT32_MAX) return {static_cast<double>(i), kLong};
    return {static_cast<double>(i), kDouble};
}

bool Finite(double r, Number& out) {
    if (!std::isfinite(r)) return false;
    out = {r, kDouble};
    return true;
}

// + - * with the promotion of Operators' Arithmetic: Integer op Integer is Integer when it fits,
// Long when it fits, else Double; Long results that overflow are Double; a Double operand gives
// a Double that must be finite.
template <typename F>
bool Arithmetic(const Number& a, const Number& b, F f, Number& out) {
    const std::uint8_t rank = a.rank > b.rank ? a.rank : b.rank;
    if (rank == kDouble) return Finite(f(a.v, b.v), out);
    const std::int64_t r = f(static_cast<std::int64_t>(a.v), static_cast<std::int64_t>(b.v));
    if (rank == kInteger) {
        out = FromInteger(r);
    } else {
        out = {static_cast<double>(r), r >= INT32_MIN && r <= INT32_MAX ? kLong : kDouble};
    }
    return true;
}

Number Negate(const Number& a) {
    if (a.rank == kDouble) return {-a.v, kDouble};
    if (a.rank == kInteger) return FromInteger(-static_cast<std::int64_t>(a.v));
    const std::int64_t r = -static_cast<std::int64_t>(a.v);
    return {static_cast<double>(r), r > INT32_MAX ? kDouble : kLong};
}

Number Absolute(const Number& a) {
    if (a.rank == kDouble) return {std::fabs(a.v), kDouble};
    if (a.rank == kInteger) return FromInteger(std::abs(static_cast<std::int64_t>(a.v)));
    const std::int64_t r = std::abs(static_cast<std::int64_t>(a.v));
    return {static_cast<double>(r), r > INT32_MAX ? kDouble : kLong};
}

bool Function(Op op, const Number& a, Number& out) {
    const double x = a.v;
    switch (op) {
        case Op::Sin:
            return Finite(std::sin(x), out);
        case Op::Cos:
            return Finite(std::cos(x), out);
        case Op::Tan:
            return Finite(std::tan(x), out);
        case Op::Atn:
            return Finite(std::atan(x), out);
        case Op::Exp:
            return Finite(std::exp(x), out);
        case Op::Log:
            if (x <= 0.0) return false;
            out = {std::log(x), kDouble};
            return true;
        case Op::Sqr:
            if (x < 0.0) return false;
            out = {std::sqrt(x), kDouble};
            return true;
        case Op::Abs:
            out = Absolute(a);
            return true;
        case Op::Int:
            out = a.rank == kDouble ? Number{std::floor(x), kDouble} : a;
            return true;
        case Op::Fix:
            out = a.rank == kDouble ? Number{std::trunc(x), kDouble} : a;
            return true;
        case Op::Sgn:
            out = {static_cast<double>((x > 0) - (x < 0)), kInteger};
            return true;
        default:
            return false;
    }
}

// a op b for the binary operators; false where the interpreter raises an error.
inline bool Binary(Op op, const Number& a, const Number& b, Number& out) {
    switch (op) {
        case Op::Add:
            return Arithmetic(
                a, b, [](auto x, auto y) { return x + y; }, out);
        case Op::Sub:
            return Arithmetic(
                a, b, [](auto x, auto y) { return x - y; }, out);
        case Op::Mul:
            return Arithmetic(
                a, b, [](auto x, auto y) { return x * y; }, out);
        case Op::Div:
            return b.v != 0.0 && Finite(a.v / b.v, out);
        case Op::Pow: {
            const double x = a.v;
            const double y = b.v;
            if ((x == 0.0 && y < 0.0) || (x < 0.0 && y != std::floor(y))) return false;
            return Finite(RaiseToPower(x, y), out);
        }
        default:
            return false;
    }
}

// The entry for `key` of a small translation table, false where it has none.
template <typename From, typename To, std::size_t N>
bool Translate(const std::pair<From, To> (&table)[N], From key, To& out) {
    for (const auto& [from, to] : table) {
        if (from == key) {
            out = to;
            return true;
        }
    }
    return false;
}

// The program's operation for an operator of the subset.
bool ArithmeticOp(BinaryOp op, Op& out) {
    static constexpr std::pair<BinaryOp, Op> kTable[] = {
        {BinaryOp::Add, Op::Add}, {BinaryOp::Sub, Op::Sub}, {BinaryOp::Mul, Op::Mul},
        {BinaryOp::Div, Op::Div}, {BinaryOp::Pow, Op::Pow},
    };
    return Translate(kTable, op, out);
}

// The number a literal node stands for, looking through parentheses.
const Value* LiteralOf(const Unit& unit, std::int32_t index) {
    const Node* n = &unit.nodes[static_cast<std::size_t>(index)];
    while (n->kind == NodeKind::Paren) n = &unit.nodes[static_cast<std::size_t>(n->a)];
    return n->kind == NodeKind::Literal ? &unit.literals[static_cast<std::size_t>(n->a)] : nullptr;
}

bool AsNumber(const Value& v, Number& out) {
    switch (v.Type()) {
        case VarType::Integer:
            out = {static_cast<double>(v.AsInt()), kInteger};
            return true;
        case VarType::Long:
            out = {static_cast<double>(v.AsInt()), kLong};
            return true;
        case VarType::Double:
            out = {v.AsDoubleRaw(), kDouble};
            return true;
        default:
            return false;
    }
}

Value AsValue(const Number& n) {
    switch (n.rank) {
        case kInteger:
            return Value::Integer(static_cast<std::int32_t>(n.v));
        case kLong:
            return Value::Long(static_cast<std::int32_t>(n.v));
        default:
            return Value::Double(n.v);
    }
}

}  // namespace

std::shared_ptr<NumericProgram> NumericProgram::Compile(const Unit& unit,
                                                        const Interpreter& interpreter) {
    if (unit.root < 0) return nullptr;
    auto program = std::make_shared<NumericProgram>();
    if (!program->Emit(unit, unit.root, 1)) return nullptr;
    program->checkedGeneration_ = interpreter.Generation() - 1;  // Valid checks the names
    program->stack_.resize(static_cast<std::size_t>(program->maxDepth_));
    program->CompilePlain(unit);
    return program;
}

bool NumericProgram::Recheck(const Interpreter& interpreter) {
    for (const std::string& name : builtinNames_)
        if (!interpreter.IsUnshadowedBuiltin(name)) return false;
    checkedGeneration_ = interpreter.Generation();
    return true;
}

// Post-order code; `depth` is the stack height once the node's value is pushed.
bool NumericProgram::Emit(const Unit& unit, std::int32_t index, int depth) {
    const Node& n = unit.nodes[static_cast<std::size_t>(index)];
    if (depth > maxDepth_) maxDepth_ = depth;
    switch (n.kind) {
        case NodeKind::Literal: {
            Instruction in{Op::Constant, {}};
            if (!AsNumber(unit.literals[static_cast<std::size_t>(n.a)], in.constant)) return false;
            code_.push_back(in);
            return true;
        }
        case NodeKind::Param:
            code_.push_back({Op::Param, {}});
            return true;
        case NodeKind::Paren:
            return Emit(unit, n.a, depth);
        case NodeKind::Unary:
            switch (static_cast<UnaryOp>(n.op)) {
                case UnaryOp::Plus:
                    return Emit(unit, n.a, depth);
                case UnaryOp::Neg:
                    if (!Emit(unit, n.a, depth)) return false;
                    code_.push_back({Op::Neg, {}});
                    return true;
                default:
                    return false;
            }
        case NodeKind::Binary: {
            Op op;
            if (!ArithmeticOp(static_cast<BinaryOp>(n.op), op)) return false;
            if (!Emit(unit, n.a, depth)) return false;
            // A constant right operand rides on the instruction: one push and one step fewer.
            Instruction in{op, {}};
            if (const Value* k = LiteralOf(unit, n.b); k != nullptr && AsNumber(*k, in.constant)) {
                in.op = static_cast<Op>(static_cast<int>(op) +
                                        (static_cast<int>(Op::AddK) - static_cast<int>(Op::Add)));
                code_.push_back(in);
                return true;
            }
            if (!Emit(unit, n.b, depth + 1)) return false;
            code_.push_back(in);
            return true;
        }
        case NodeKind::Call: {
            if (n.argc != 1 || n.local >= 0) return false;
            const std::string& name = unit.names[static_cast<std::size_t>(n.a)];
            for (const FunctionOp& f : kFunctions) {
                if (f.name != name) continue;
                if (!Emit(unit, unit.args[static_cast<std::size_t>(n.args)], depth)) return false;
                code_.push_back({f.op, {}});
                builtinNames_.push_back(name);
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

namespace {

using PlainOp = NumericProgram::PlainOp;

// The plain operation of a binary operator with a constant right operand (`right`) or left one.
PlainOp WithConstant(Op op, bool right, double k) {
    switch (op) {
        case Op::Add:
            return PlainOp::AddK;
        case Op::Sub:
            return right ? PlainOp::SubK : PlainOp::KSub;
        case Op::Mul:
            return PlainOp::MulK;
        case Op::Div:
            return right ? PlainOp::DivK : PlainOp::KDiv;
        default:
            // RaiseToPower squares by one multiplication; x ^ 2 never fails but for overflow.
            return !right ? PlainOp::KPow : k == 2.0 ? PlainOp::Square : PlainOp::PowK;
    }
}

PlainOp WithStack(Op op) {
    switch (op) {
        case Op::Add:
            return PlainOp::Add;
        case Op::Sub:
            return PlainOp::Sub;
        case Op::Mul:
            return PlainOp::Mul;
        case Op::Div:
            return PlainOp::Div;
        default:
            return PlainOp::Pow;
    }
}

// The plain form of a function, false for Sgn (an Integer result).
bool PlainFunction(Op op, PlainOp& out) {
    static constexpr std::pair<Op, PlainOp> kTable[] = {
        {Op::Sin, PlainOp::Sin}, {Op::Cos, PlainOp::Cos}, {Op::Tan, PlainOp::Tan},
        {Op::Atn, PlainOp::Atn}, {Op::Exp, PlainOp::Exp}, {Op::Log, PlainOp::Log},
        {Op::Sqr, PlainOp::Sqr}, {Op::Abs, PlainOp::Abs}, {Op::Int, PlainOp::Int},
        {Op::Fix, PlainOp::Fix},
    };
    return Translate(kTable, op, out);
}

bool IsStackOperation(PlainOp op) {
    return op == PlainOp::Add || op == PlainOp::Sub || op == PlainOp::Mul || op == PlainOp::Div ||
           op == PlainOp::Pow;
}

}  // namespace

// The subset is the one Emit accepted, so only the shapes Emit takes appear here; constants are
// folded with Number arithmetic, which keeps their subtypes and fails where they would raise.
bool NumericProgram::EmitPlain(const Unit& unit, std::int32_t index, PlainPart& out) const {
    const Node& n = unit.nodes[static_cast<std::size_t>(index)];
    switch (n.kind) {
        case NodeKind::Literal:
            out.constant = true;
            return AsNumber(unit.literals[static_cast<std::size_t>(n.a)], out.value);
        case NodeKind::Param:
            out.code.push_back({PlainOp::Param});
            return true;
        case NodeKind::Paren:
            return EmitPlain(unit, n.a, out);
        case NodeKind::Unary:
            if (!EmitPlain(unit, n.a, out)) return false;
            if (static_cast<UnaryOp>(n.op) == UnaryOp::Neg) {
                if (out.constant) {
                    out.value = Negate(out.value);
                } else {
                    out.code.push_back({PlainOp::Neg});
                }
            }
            return true;
        case NodeKind::Binary: {
            Op op = Op::Pow;
            ArithmeticOp(static_cast<BinaryOp>(n.op), op);  // Emit took only these operators
            PlainPart left;
            PlainPart right;
            if (!EmitPlain(unit, n.a, left) || !EmitPlain(unit, n.b, right)) return false;
            if (left.constant && right.constant) {
                out.constant = true;
                return Binary(op, left.value, right.value, out.value);
            }
            if (right.constant) {
                out.code = std::move(left.code);
                out.code.push_back({WithConstant(op, true, right.value.v), right.value.v});
            } else if (left.constant) {
                out.code = std::move(right.code);
                out.code.push_back({WithConstant(op, false, left.value.v), left.value.v});
            } else {
                out.code = std::move(left.code);
                out.code.push_back({PlainOp::Push});
                out.code.insert(out.code.end(), right.code.begin(), right.code.end());
                out.code.push_back({WithStack(op)});
            }
            return true;
        }
        case NodeKind::Call: {
            const std::string& name = unit.names[static_cast<std::size_t>(n.a)];
            Op function = Op::Sgn;
            for (const FunctionOp& f : kFunctions)
                if (f.name == name) function = f.op;
            if (!EmitPlain(unit, unit.args[static_cast<std::size_t>(n.args)], out)) return false;
            if (out.constant) return Function(function, out.value, out.value);
            PlainOp plain;
            if (!PlainFunction(function, plain)) return false;
            out.code.push_back({plain});
            return true;
        }
        default:
            return false;
    }
}

void NumericProgram::CompilePlain(const Unit& unit) {
    PlainPart part;
    // A program without the parameter is a constant of its own subtype: Run gives it.
    if (!EmitPlain(unit, unit.root, part) || part.constant) return;
    std::size_t depth = 0;
    std::size_t maxDepth = 0;
    for (const PlainInstruction& in : part.code) {
        if (in.op == PlainOp::Push) maxDepth = std::max(maxDepth, ++depth);
        if (IsStackOperation(in.op)) --depth;
    }
    // The code of every part with the parameter begins by loading it; RunPlain starts there.
    assert(part.code.front().op == PlainOp::Param);
    plain_.assign(part.code.begin() + 1, part.code.end());
    plainStack_.resize(maxDepth);
    hasPlain_ = true;
}

bool NumericProgram::MergeNegative(const NumericProgram& negative) {
    auto same = [](const PlainInstruction& a, const PlainInstruction& b) {
        return a.op == b.op &&
               std::bit_cast<std::uint64_t>(a.k) == std::bit_cast<std::uint64_t>(b.k);
    };
    // Any way of matching the negative code as this code plus negations will do: with sign -1
    // the merged code performs exactly the negative code's steps, with sign 1 exactly this one's.
    std::vector<PlainInstruction> merged;
    std::size_t i = 0;
    for (const PlainInstruction& in : negative.plain_) {
        if (i < plain_.size() && same(plain_[i], in)) {
            merged.push_back(plain_[i++]);
        } else if (in.op == PlainOp::Neg) {
            merged.push_back({PlainOp::Sign});
        } else {
            return false;
        }
    }
    if (i != plain_.size()) return false;
    plain_ = std::move(merged);
    return true;
}

bool NumericProgram::Run(const Value& param, Value& result) {
    Number p;
    if (!AsNumber(param, p)) return false;
    Number* top = stack_.data() - 1;
    for (const Instruction& in : code_) {
        bool ok = true;
        switch (in.op) {
            case Op::Constant:
                *++top = in.constant;
                break;
            case Op::Param:
                *++top = p;
                break;
            case Op::Neg:
                *top = Negate(*top);
                break;
            case Op::Add:
            case Op::Sub:
            case Op::Mul:
            case Op::Div:
            case Op::Pow:
                --top;
                ok = Binary(in.op, top[0], top[1], top[0]);
                break;
            case Op::AddK:
                ok = Binary(Op::Add, *top, in.constant, *top);
                break;
            case Op::SubK:
                ok = Binary(Op::Sub, *top, in.constant, *top);
                break;
            case Op::MulK:
                ok = Binary(Op::Mul, *top, in.constant, *top);
                break;
            case Op::DivK:
                ok = Binary(Op::Div, *top, in.constant, *top);
                break;
            case Op::PowK:
                ok = Binary(Op::Pow, *top, in.constant, *top);
                break;
            default:
                ok = Function(in.op, *top, *top);
                break;
        }
        if (!ok) return false;
    }
    result = AsValue(*top);
    return true;
}

}  // namespace vbs
