#include <memory>
#include <utility>
#include <vector>

#include "script/Coerce.h"
#include "script/Interpreter.h"
#include "script/Operators.h"
#include "script/ScriptError.h"

// The interpreter's compound statements (If, loops, Select Case), assignments and declarations.

namespace vbs {

// ---- statements -----------------------------------------------------------------------------

bool Interpreter::Condition(std::int32_t node) {
    return Eval(node).ToBool();
}

Interpreter::Flow Interpreter::ExecIf(const Stmt& s) {
    for (std::size_t i = 0; i < s.list.size(); ++i) {
        bool taken = false;
        if (frame_->resumeNext) {
            // A condition that fails under On Error Resume Next enters its branch.
            try {
                taken = Condition(s.list[i]);
            } catch (const ScriptError& e) {
                RethrowIfInterrupted(e);
                RecordError(e);
                taken = true;
            }
        } else {
            taken = Condition(s.list[i]);
        }
        if (taken) return ExecBlock(s.blocks[i]);
    }
    if (s.blocks.size() > s.list.size()) return ExecBlock(s.blocks.back());
    return Flow::Normal;
}

Interpreter::Flow Interpreter::ExecFor(const Stmt& s) {
    const Value start = ToArithmetic(Eval(s.e[1]));
    const Value end = ToArithmetic(Eval(s.e[2]));
    const Value step = s.e[3] >= 0 ? ToArithmetic(Eval(s.e[3])) : Value::Integer(1);
    if (start.IsNull() || end.IsNull() || step.IsNull()) Raise(err::kInvalidNull);
    const double last = NumberOf(end);
    const bool down = NumberOf(step) < 0;
    const Node& var = CurrentUnit().nodes[static_cast<std::size_t>(s.e[0])];
    *WriteSlot(var) = start;
    for (;;) {
        CheckAbort();
        Value* counter = WriteSlot(var);
        const double v = NumberOf(*counter);
        if (down ? v < last : v > last) return Flow::Normal;
        const Flow flow = ExecBlock(s.blocks[0]);
        if (flow == Flow::ExitFor) return Flow::Normal;
        if (flow != Flow::Normal) return flow;
        counter = WriteSlot(var);
        *counter = ApplyBinary(BinaryOp::Add, *counter, step);
    }
}

Interpreter::Flow Interpreter::ExecForEach(const Stmt& s) {
    const Value collection = Eval(s.e[1]);
    if (!collection.IsArray()) Raise(err::kNotACollection);
    const Node& var = CurrentUnit().nodes[static_cast<std::size_t>(s.e[0])];
    for (const Value& item : collection.AsArray().Items()) {
        CheckAbort();
        *WriteSlot(var) = item;
        const Flow flow = ExecBlock(s.blocks[0]);
        if (flow == Flow::ExitFor) return Flow::Normal;
        if (flow != Flow::Normal) return flow;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::ExecDo(const Stmt& s) {
    for (;;) {
        CheckAbort();
        if (s.pre != LoopTest::None && Condition(s.e[0]) != (s.pre == LoopTest::While))
            return Flow::Normal;
        const Flow flow = ExecBlock(s.blocks[0]);
        if (flow == Flow::ExitDo) return Flow::Normal;
        if (flow != Flow::Normal) return flow;
        if (s.post != LoopTest::None && Condition(s.e[0]) != (s.post == LoopTest::While))
            return Flow::Normal;
    }
}

Interpreter::Flow Interpreter::ExecWhile(const Stmt& s) {
    for (;;) {
        CheckAbort();
        if (!Condition(s.e[0])) return Flow::Normal;
        const Flow flow = ExecBlock(s.blocks[0]);
        if (flow != Flow::Normal) return flow;
    }
}

Interpreter::Flow Interpreter::ExecSelect(const Stmt& s) {
    const Value subject = Eval(s.e[0]);
    for (const CaseClause& clause : s.cases) {
        bool match = clause.tests.empty();
        for (const CaseTest& t : clause.tests) {
            switch (t.kind) {
                case CaseTest::Equal:
                    match = ValuesEqual(subject, Eval(t.e1));
                    break;
                case CaseTest::Range: {
                    const Value low = Eval(t.e1);
                    const Value high = Eval(t.e2);
                    match = ApplyBinary(BinaryOp::Ge, subject, low).ToBool() &&
                            ApplyBinary(BinaryOp::Le, subject, high).ToBool();
                    break;
                }
                case CaseTest::Relation:
                    match = ApplyBinary(t.op, subject, Eval(t.e1)).ToBool();
                    break;
            }
            if (match) break;
        }
        if (match) return ExecBlock(clause.body);
    }
    return Flow::Normal;
}

// "v = v & x" with v holding a text: appends x to v's own text when nothing else refers to
// it, instead of copying the whole text every time (scripts build leg texts this way, and the
// copying made that quadratic). Gives exactly what the plain assignment gives; returns false,
// having evaluated nothing but the read of v, where the shortcut does not apply.
bool Interpreter::AssignAppending(const Node& target, std::int32_t valueNode) {
    const Unit& u = CurrentUnit();
    const Node& rhs = u.nodes[static_cast<std::size_t>(valueNode)];
    if (rhs.kind != NodeKind::Binary || static_cast<BinaryOp>(rhs.op) != BinaryOp::Concat)
        return false;
    const Node& left = u.nodes[static_cast<std::size_t>(rhs.a)];
    if (left.kind != NodeKind::Ident || left.a != target.a) return false;
    // Only a variable: reading a procedure's name would call it, and the fallback again.
    if (left.local < 0) {
        const Resolution::Kind kind = Resolve(left).kind;
        if (kind != Resolution::Global && kind != Resolution::ImplicitLocal) return false;
    }
    Value before = Eval(rhs.a);
    if (!before.IsString()) return false;
    std::string tail;
    try {
        const Value right = Eval(rhs.b);
        tail = right.IsString() ? right.AsString() : right.ToConcatString();
        CheckStringLength(before.AsString().size() + tail.size());
    } catch (ScriptError& e) {
        e.AttachPosition(rhs.pos.line, rhs.pos.column, frame_->unit, rhs.pos.part);
        throw;
    }
    Value* slot = WriteSlot(target);
    if (slot->SharesTextWith(before)) {
        before = Value();  // let the variable hold the only reference again
        slot->AppendText(tail);
    } else {
        // The right operand changed the variable: the result is still its old text & x.
        before.AppendText(tail);
        *slot = std::move(before);
    }
    return true;
}

void Interpreter::ExecAssign(const Stmt& s) {
    const Node& target = CurrentUnit().nodes[static_cast<std::size_t>(s.e[0])];
    if (target.kind == NodeKind::Ident && AssignAppending(target, s.e[1])) return;
    Value value = Eval(s.e[1]);
    if (target.kind == NodeKind::Ident) {
        *WriteSlot(target) = std::move(value);
        return;
    }
    if (target.kind != NodeKind::Call) Raise(err::kIllegalAssignment);
    std::vector<std::int32_t> idx;
    Subscripts(target, idx);
    if (target.local < 0) {
        const Resolution::Kind k = Resolve(target).kind;
        if (k != Resolution::Global && k != Resolution::ImplicitLocal) {
            if (k == Resolution::Unknown)
                Raise(err::kTypeMismatch, "Type mismatch: '" + NameOf(target) + "'");
            Raise(err::kIllegalAssignment);
        }
    }
    Value* slot = WriteSlot(target);
    if (!slot->IsArray()) Raise(err::kTypeMismatch);
    ArrayData& a = slot->MutableArray();
    a.Set(a.Offset(idx.data(), static_cast<int>(idx.size())), std::move(value));
}

void Interpreter::ExecDim(const Stmt& s) {
    for (const DimItem& item : s.items) {
        Value* slot = WriteSlot(CurrentUnit().nodes[static_cast<std::size_t>(item.node)]);
        if (item.isArray) {
            *slot = Value::Array(std::make_shared<ArrayData>(item.bounds, !item.bounds.empty()));
        }
    }
}

void Interpreter::ExecReDim(const Stmt& s) {
    for (const DimItem& item : s.items) {
        const Node& name = CurrentUnit().nodes[static_cast<std::size_t>(item.node)];
        // A fixed array refuses before its new bounds are looked at.
        if (const Value* v = WriteSlot(name); v->IsArray() && v->AsArray().Fixed())
            Raise(err::kArrayFixed);
        std::vector<std::int32_t> bounds;
        for (const std::int32_t e : item.bounds) bounds.push_back(ToLongRounded(Eval(e)));
        Value* slot = WriteSlot(name);
        if (slot->IsArray()) {
            slot->MutableArray().Redimension(std::move(bounds), s.flag != 0);
        } else {
            *slot = Value::Array(std::make_shared<ArrayData>(std::move(bounds)));
        }
    }
}

void Interpreter::ExecConst(const Stmt& s) {
    DefineConstants(s.items);
}

void Interpreter::DefineConstants(const std::vector<DimItem>& items) {
    for (const DimItem& item : items) {
        const Node& n = CurrentUnit().nodes[static_cast<std::size_t>(item.node)];
        Value v = Eval(item.value);
        if (n.local >= 0) {
            *frame_->slots[n.local] = std::move(v);
            continue;
        }
        Global& g = globals_[static_cast<std::size_t>(CreateGlobal(NameOf(n)))];
        g.value = std::move(v);
        g.isConst = true;
    }
}

void Interpreter::ExecErase(const Stmt& s) {
    for (const DimItem& item : s.items) {
        Value* slot = WriteSlot(CurrentUnit().nodes[static_cast<std::size_t>(item.node)]);
        if (!slot->IsArray()) Raise(err::kTypeMismatch);
        slot->MutableArray().Erase();
    }
}

}  // namespace vbs
