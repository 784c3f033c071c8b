#include "script/NumericProgram.h"

#include <cmath>
#include <string_view>

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
            switch (static_cast<BinaryOp>(n.op)) {
                case BinaryOp::Add:
                    op = Op::Add;
                    break;
                case BinaryOp::Sub:
                    op = Op::Sub;
                    break;
                case BinaryOp::Mul:
                    op = Op::Mul;
                    break;
                case BinaryOp::Div:
                    op = Op::Div;
                    break;
                case BinaryOp::Pow:
                    op = Op::Pow;
                    break;
                default:
                    return false;
            }
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
