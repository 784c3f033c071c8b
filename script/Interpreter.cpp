#include "script/Interpreter.h"

#include <chrono>
#include <cstring>
#include <utility>

#include "script/Builtins.h"
#include "script/Coerce.h"
#include "script/Operators.h"
#include "script/ScriptError.h"

namespace vbs {

// Makes a frame current for its lifetime.
class Interpreter::FrameScope {
  public:
    FrameScope(Interpreter& in, Frame& frame) : in_(in), saved_(in.frame_) { in.frame_ = &frame; }
    ~FrameScope() { in_.frame_ = saved_; }
    FrameScope(const FrameScope&) = delete;
    FrameScope& operator=(const FrameScope&) = delete;

  private:
    Interpreter& in_;
    Frame* saved_;
};

// Marks the native stack position where the engine was entered from the host.
class Interpreter::EntryScope {
  public:
    explicit EntryScope(Interpreter& in) : in_(in), budget_(in.budget_.get()) {
        if (in_.entryDepth_++ == 0) {
            char probe = 0;
            in_.stackBase_ = reinterpret_cast<std::uintptr_t>(&probe);
            in_.callDepth_ = 0;
        }
    }
    ~EntryScope() { --in_.entryDepth_; }
    EntryScope(const EntryScope&) = delete;
    EntryScope& operator=(const EntryScope&) = delete;

  private:
    Interpreter& in_;
    MemoryBudget::Scope budget_;
};

namespace {

// Small fixed buffer for evaluated arguments of built-in calls.
struct ArgBuffer {
    Value values[kMaxBuiltinArgs];
};

}  // namespace

bool Interpreter::IsUnshadowedBuiltin(const std::string& lowerName) const {
    return FindBuiltin(lowerName) != nullptr && globalIndex_.count(lowerName) == 0 &&
           procedures_.count(lowerName) == 0;
}

void Interpreter::Reset() {
    globals_.clear();
    globalIndex_.clear();
    procedures_.clear();
    ++generation_;
    err_ = ErrState();
}

void Interpreter::CheckAbort() const {
    // The clock is read once every 1024 polls, so the hook costs the loop nothing measurable.
    if (pollHook_ && (++pollCount_ & 1023u) == 0) CallPollHook();
    if (StopRequested()) Raise(err::kInterrupted);
}

void Interpreter::CallPollHook() const {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPoll_ < std::chrono::milliseconds(10)) return;
    lastPoll_ = now;
    pollHook_();
}

// An interruption by the host is never swallowed by On Error Resume Next: whatever error was
// being handled when the flag was seen, the script stops with error 18.
void Interpreter::RethrowIfInterrupted(const ScriptError& e) const {
    if (!StopRequested()) return;
    if (e.Number() == err::kInterrupted) throw e;
    Raise(err::kInterrupted);
}

void Interpreter::CheckStack() const {
    char probe = 0;
    const auto here = reinterpret_cast<std::uintptr_t>(&probe);
    const std::uintptr_t used = stackBase_ > here ? stackBase_ - here : here - stackBase_;
    if (used > kMaxStackBytes) Raise(err::kOutOfStack);
}

std::int32_t Interpreter::CreateGlobal(const std::string& name) {
    const auto it = globalIndex_.find(name);
    if (it != globalIndex_.end()) return it->second;
    const auto index = static_cast<std::int32_t>(globals_.size());
    globals_.emplace_back();
    globalIndex_.emplace(name, index);
    ++generation_;
    return index;
}

void Interpreter::Run(std::shared_ptr<const Unit> unit) {
    EntryScope entry(*this);
    for (const Procedure& p : unit->procedures) {
        procedures_[unit->names[p.name]] = std::shared_ptr<const Procedure>(unit, &p);
    }
    ++generation_;
    for (const std::int32_t name : unit->declaredGlobals) CreateGlobal(unit->names[name]);
    Frame frame;
    frame.unit = unit.get();
    FrameScope scope(*this, frame);
    // Constants are known throughout their scope, wherever they are written.
    DefineConstants(unit->constants);
    ExecBlock(unit->body);
}

Value Interpreter::Evaluate(const Unit& unit, const Value* param) {
    EntryScope entry(*this);
    Frame frame;
    frame.unit = &unit;
    frame.param = param;
    FrameScope scope(*this, frame);
    return Eval(unit.root);
}

// ---- names ----------------------------------------------------------------------------------

const Resolution& Interpreter::Resolve(const Node& n) {
    Resolution& r = n.res;
    if (r.generation == generation_) return r;
    const std::string& name = NameOf(n);
    r = Resolution();
    r.generation = generation_;
    if (const auto g = globalIndex_.find(name); g != globalIndex_.end()) {
        r.kind = Resolution::Global;
        r.slot = g->second;
    } else if (const auto p = procedures_.find(name); p != procedures_.end()) {
        r.kind = Resolution::Procedure;
        r.procedure = p->second.get();
    } else if (const BuiltinInfo* b = FindBuiltin(name)) {
        r.kind = Resolution::Builtin;
        r.builtin = b;
    } else if (const Value* c = FindConstant(name)) {
        r.kind = Resolution::Constant;
        r.constant = c;
    } else if (name == "err") {
        r.kind = Resolution::ErrObject;
    } else if (n.implicitLocal >= 0) {
        r.kind = Resolution::ImplicitLocal;
        r.slot = n.implicitLocal;
    } else {
        r.kind = Resolution::Unknown;
    }
    return r;
}

Value Interpreter::ReadName(const Node& n) {
    if (n.local >= 0) return *frame_->slots[n.local];
    const Resolution& r = Resolve(n);
    switch (r.kind) {
        case Resolution::Global:
            return globals_[static_cast<std::size_t>(r.slot)].value;
        case Resolution::Procedure:
            return CallProcedure(*r.procedure, n);
        case Resolution::Builtin:
            return CallBuiltin(*r.builtin, n);
        case Resolution::Constant:
            return *r.constant;
        case Resolution::ErrObject:
            return Value::Long(err_.number);
        case Resolution::ImplicitLocal:
            if (CurrentUnit().optionExplicit)
                Raise(err::kUndefinedVariable, "Variable is undefined: '" + NameOf(n) + "'");
            return *frame_->slots[r.slot];
        default:
            if (CurrentUnit().optionExplicit)
                Raise(err::kUndefinedVariable, "Variable is undefined: '" + NameOf(n) + "'");
            return Value();
    }
}

Value* Interpreter::WriteSlot(const Node& n) {
    if (n.kind != NodeKind::Ident && n.kind != NodeKind::Call) Raise(err::kIllegalAssignment);
    if (n.local >= 0) {
        const Procedure* proc = frame_->procedure;
        for (const std::int32_t c : proc->constSlots) {
            if (c == n.local) Raise(err::kIllegalAssignment);
        }
        return frame_->slots[n.local];
    }
    const Resolution& r = Resolve(n);
    switch (r.kind) {
        case Resolution::Global: {
            Global& g = globals_[static_cast<std::size_t>(r.slot)];
            if (g.isConst) Raise(err::kIllegalAssignment);
            return &g.value;
        }
        case Resolution::ImplicitLocal:
            if (CurrentUnit().optionExplicit)
                Raise(err::kUndefinedVariable, "Variable is undefined: '" + NameOf(n) + "'");
            return frame_->slots[r.slot];
        case Resolution::Unknown: {
            if (CurrentUnit().optionExplicit)
                Raise(err::kUndefinedVariable, "Variable is undefined: '" + NameOf(n) + "'");
            return &globals_[static_cast<std::size_t>(CreateGlobal(NameOf(n)))].value;
        }
        default:
            Raise(err::kIllegalAssignment);
    }
}

Value* Interpreter::ReferenceOf(std::int32_t argNode) {
    const Node& n = CurrentUnit().nodes[static_cast<std::size_t>(argNode)];
    if (n.kind != NodeKind::Ident) return nullptr;
    if (n.local >= 0) {
        for (const std::int32_t c : frame_->procedure->constSlots) {
            if (c == n.local) return nullptr;
        }
        return frame_->slots[n.local];
    }
    const Resolution& r = Resolve(n);
    switch (r.kind) {
        case Resolution::Global: {
            Global& g = globals_[static_cast<std::size_t>(r.slot)];
            return g.isConst ? nullptr : &g.value;
        }
        case Resolution::ImplicitLocal:
        case Resolution::Unknown:
            if (CurrentUnit().optionExplicit) return nullptr;  // evaluating it raises the error
            return WriteSlot(n);
        default:
            return nullptr;
    }
}

// ---- expressions ----------------------------------------------------------------------------

Value Interpreter::Eval(std::int32_t node) {
    const Node& n = CurrentUnit().nodes[static_cast<std::size_t>(node)];
    try {
        return EvalNode(n);
    } catch (ScriptError& e) {
        e.AttachPosition(n.pos.line, n.pos.column, frame_->unit, n.pos.part);
        throw;
    }
}

Value Interpreter::EvalNode(const Node& n) {
    switch (n.kind) {
        case NodeKind::Literal:
            return CurrentUnit().literals[static_cast<std::size_t>(n.a)];
        case NodeKind::Param:
            return *frame_->param;
        case NodeKind::Missing:
            return Value::Missing();
        case NodeKind::Ident:
            return ReadName(n);
        case NodeKind::Call:
            return CallName(n, false);
        case NodeKind::Index:
            return IndexArray(Eval(n.a), n);
        case NodeKind::Member:
            return EvalMember(n);
        case NodeKind::Unary:
            return ApplyUnary(static_cast<UnaryOp>(n.op), Eval(n.a));
        case NodeKind::Binary: {
            const Value a = Eval(n.a);
            const Value b = Eval(n.b);
            return ApplyBinary(static_cast<BinaryOp>(n.op), a, b);
        }
        case NodeKind::Paren:
            return Eval(n.a);
    }
    return Value();
}

void Interpreter::Subscripts(const Node& n, std::vector<std::int32_t>& out) {
    const Unit& u = CurrentUnit();
    out.clear();
    for (std::int32_t i = 0; i < n.argc; ++i) {
        const Value v = Eval(u.args[static_cast<std::size_t>(n.args + i)]);
        if (v.IsMissing()) Raise(err::kSubscript);
        out.push_back(ToLongRounded(v));
    }
}

Value Interpreter::IndexArray(const Value& array, const Node& n) {
    // Subscripts first: they may call code that assigns the very variable `array` refers to.
    std::vector<std::int32_t> idx;
    Subscripts(n, idx);
    if (!array.IsArray()) Raise(err::kTypeMismatch);
    const ArrayData& a = array.AsArray();
    return a.At(a.Offset(idx.data(), static_cast<int>(idx.size())));
}

Value Interpreter::CallName(const Node& n, bool statement) {
    if (n.local >= 0) return IndexArray(*frame_->slots[n.local], n);
    const Resolution& r = Resolve(n);
    switch (r.kind) {
        case Resolution::Global:
            return IndexArray(globals_[static_cast<std::size_t>(r.slot)].value, n);
        case Resolution::ImplicitLocal:
            return IndexArray(*frame_->slots[r.slot], n);
        case Resolution::Procedure:
            return CallProcedure(*r.procedure, n);
        case Resolution::Builtin:
            return CallBuiltin(*r.builtin, n);
        case Resolution::Constant:
            Raise(err::kTypeMismatch);
        default:
            if (statement)
                Raise(err::kSubNotDefined, "Sub or Function not defined: '" + NameOf(n) + "'");
            Raise(err::kTypeMismatch, "Type mismatch: '" + NameOf(n) + "'");
    }
}

Value Interpreter::CallProcedure(const Procedure& proc, const Node& n) {
    CheckAbort();
    const std::int32_t argc = n.kind == NodeKind::Ident ? 0 : n.argc;
    if (argc != static_cast<std::int32_t>(proc.params.size())) Raise(err::kWrongArgCount);
    if (callDepth_ >= kMaxCallDepth) Raise(err::kOutOfStack);
    CheckStack();
    std::vector<Value> locals(static_cast<std::size_t>(proc.localCount));
    std::vector<Value*> slots(static_cast<std::size_t>(proc.localCount));
    std::vector<ElementReference> elements;
    const Unit& caller = CurrentUnit();
    for (std::int32_t i = 0; i < argc; ++i) {
        const std::int32_t arg = caller.args[static_cast<std::size_t>(n.args + i)];
        const auto k = static_cast<std::size_t>(i);
        if (proc.params[k].byRef) {
            if (Value* ref = ReferenceOf(arg)) {
                slots[k] = ref;
                continue;
            }
            if (ElementReference e; ElementOf(arg, e)) {
                locals[k] = e.array->AsArray().At(e.offset);
                slots[k] = &locals[k];
                e.parameter = k;
                elements.push_back(std::move(e));
                continue;
            }
        }
        locals[k] = Eval(arg);
        if (locals[k].IsMissing()) locals[k] = Value();
        slots[k] = &locals[k];
    }
    for (std::size_t k = static_cast<std::size_t>(argc); k < slots.size(); ++k)
        slots[k] = &locals[k];
    Frame frame;
    frame.unit = proc.unit;
    frame.procedure = &proc;
    frame.slots = slots.data();
    FrameScope scope(*this, frame);
    ++callDepth_;
    struct DepthRestore {
        int& depth;
        ~DepthRestore() { --depth; }
    } restore{callDepth_};
    DefineConstants(proc.constants);
    ExecBlock(proc.body);
    for (const ElementReference& e : elements) WriteBack(e, *slots[e.parameter]);
    if (!proc.isFunction) return Value();
    return std::move(*slots[static_cast<std::size_t>(proc.returnSlot)]);
}

// An array element passed to a ByRef parameter: the callee works on the element's value, which
// is stored back into the element when the call returns.
bool Interpreter::ElementOf(std::int32_t argNode, ElementReference& out) {
    const Node& n = CurrentUnit().nodes[static_cast<std::size_t>(argNode)];
    if (n.kind != NodeKind::Call || n.argc <= 0) return false;
    Value* variable = VariableOf(n);
    if (variable == nullptr || !variable->IsArray()) return false;
    Subscripts(n, out.indices);
    // The subscripts may have run code that assigned the variable.
    if (!variable->IsArray()) Raise(err::kTypeMismatch);
    out.array = variable;
    out.offset =
        variable->AsArray().Offset(out.indices.data(), static_cast<int>(out.indices.size()));
    return true;
}

// The variable a name stands for where it may be written, or nullptr (procedures, constants).
Value* Interpreter::VariableOf(const Node& n) {
    if (n.local >= 0) return frame_->slots[n.local];
    const Resolution& r = Resolve(n);
    switch (r.kind) {
        case Resolution::Global: {
            Global& g = globals_[static_cast<std::size_t>(r.slot)];
            return g.isConst ? nullptr : &g.value;
        }
        case Resolution::ImplicitLocal:
            return frame_->slots[r.slot];
        default:
            return nullptr;
    }
}

// Where the callee resized or replaced the array, the element it was given no longer exists.
void Interpreter::WriteBack(const ElementReference& e, const Value& value) {
    if (!e.array->IsArray()) return;
    const ArrayData& a = e.array->AsArray();
    if (a.Dimensions() != static_cast<int>(e.indices.size())) return;
    for (std::size_t d = 0; d < e.indices.size(); ++d)
        if (e.indices[d] > a.UpperBound(static_cast<int>(d))) return;
    e.array->MutableArray().Set(e.offset, value);
}

Value Interpreter::CallBuiltin(const BuiltinInfo& b, const Node& n) {
    const std::int32_t argc = n.kind == NodeKind::Ident ? 0 : n.argc;
    if (argc < b.minArgs || argc > b.maxArgs) Raise(err::kWrongArgCount);
    const Unit& u = CurrentUnit();
    if (argc > kMaxBuiltinArgs) {
        std::vector<Value> many;
        many.reserve(static_cast<std::size_t>(argc));
        for (std::int32_t i = 0; i < argc; ++i)
            many.push_back(Eval(u.args[static_cast<std::size_t>(n.args + i)]));
        return b.function(*this, many.data(), argc);
    }
    ArgBuffer buffer;
    for (std::int32_t i = 0; i < argc; ++i) {
        buffer.values[i] = Eval(u.args[static_cast<std::size_t>(n.args + i)]);
    }
    return b.function(*this, buffer.values, argc);
}

Value Interpreter::EvalMember(const Node& n) {
    const Node& base = CurrentUnit().nodes[static_cast<std::size_t>(n.a)];
    const bool isErr = base.kind == NodeKind::Ident && base.local < 0 &&
                       Resolve(base).kind == Resolution::ErrObject;
    if (!isErr) {
        const Value object = Eval(n.a);
        Raise(object.IsObject() ? 91 : err::kObjectRequired);
    }
    const std::string& member = CurrentUnit().names[static_cast<std::size_t>(n.b)];
    const Unit& u = CurrentUnit();
    const std::int32_t argc = n.argc < 0 ? 0 : n.argc;
    auto arg = [&](std::int32_t i) { return Eval(u.args[static_cast<std::size_t>(n.args + i)]); };
    if (member == "number") return Value::Long(err_.number);
    if (member == "description") return Value::String(err_.description);
    if (member == "source") return Value::String(err_.source);
    if (member == "clear") {
        err_ = ErrState();
        return Value();
    }
    if (member == "raise") {
        if (argc < 1 || argc > 3) Raise(err::kWrongArgCount);
        const std::int32_t number = ToLongRounded(arg(0));
        if (number == 0) Raise(err::kInvalidCall);
        std::string source = "Script";
        if (argc >= 2) {
            const Value s = arg(1);
            if (!s.IsMissing()) source = s.ToString();
        }
        std::string description = ErrorText(number);
        if (argc >= 3) {
            const Value d = arg(2);
            if (!d.IsMissing()) description = d.ToString();
        }
        err_.source = source;
        throw ScriptError(number, std::move(description));
    }
    Raise(err::kNoSuchMember);
}

// ---- statements -----------------------------------------------------------------------------

void Interpreter::RecordError(const ScriptError& e) {
    err_.number = e.Number();
    err_.description = e.Description();
    if (err_.source.empty()) err_.source = "Script runtime error";
}

Interpreter::Flow Interpreter::ExecBlock(const Block& block) {
    for (const Stmt& s : block.stmts) {
        Flow flow;
        if (frame_->resumeNext) {
            try {
                flow = ExecStmt(s);
            } catch (const ScriptError& e) {
                RethrowIfInterrupted(e);
                RecordError(e);
                continue;
            }
        } else {
            flow = ExecStmt(s);
        }
        if (flow != Flow::Normal) return flow;
    }
    return Flow::Normal;
}

// A statement that is a call, a member reference or a bare procedure name.
void Interpreter::ExecCall(const Stmt& s) {
    const Node& n = CurrentUnit().nodes[static_cast<std::size_t>(s.e[0])];
    try {
        if (n.kind == NodeKind::Member) {
            EvalMember(n);
        } else if (n.kind == NodeKind::Call) {
            CallName(n, true);
        } else if (n.local < 0 && Resolve(n).kind == Resolution::Unknown) {
            Raise(err::kSubNotDefined, "Sub or Function not defined: '" + NameOf(n) + "'");
        } else {
            ReadName(n);
        }
    } catch (ScriptError& e) {
        e.AttachPosition(n.pos.line, n.pos.column, frame_->unit, n.pos.part);
        throw;
    }
}

Interpreter::Flow Interpreter::ExecStmt(const Stmt& s) {
    try {
        switch (s.kind) {
            case StmtKind::Call:
                ExecCall(s);
                return Flow::Normal;
            case StmtKind::Assign:
                ExecAssign(s);
                return Flow::Normal;
            case StmtKind::Dim:
                ExecDim(s);
                return Flow::Normal;
            case StmtKind::ReDim:
                ExecReDim(s);
                return Flow::Normal;
            case StmtKind::Const:
                ExecConst(s);
                return Flow::Normal;
            case StmtKind::If:
                return ExecIf(s);
            case StmtKind::For:
                return ExecFor(s);
            case StmtKind::ForEach:
                return ExecForEach(s);
            case StmtKind::Do:
                return ExecDo(s);
            case StmtKind::While:
                return ExecWhile(s);
            case StmtKind::Select:
                return ExecSelect(s);
            case StmtKind::Exit:
                switch (static_cast<ExitKind>(s.flag)) {
                    case ExitKind::For:
                        return Flow::ExitFor;
                    case ExitKind::Do:
                        return Flow::ExitDo;
                    default:
                        return Flow::ExitProcedure;
                }
            case StmtKind::OnErrorResumeNext:
                frame_->resumeNext = true;
                err_ = ErrState();
                return Flow::Normal;
            case StmtKind::OnErrorGoTo0:
                frame_->resumeNext = false;
                err_ = ErrState();
                return Flow::Normal;
            case StmtKind::Erase:
                ExecErase(s);
                return Flow::Normal;
            case StmtKind::Randomize: {
                if (s.e[0] >= 0) {
                    const Value seed = Eval(s.e[0]);
                    Randomize(&seed);
                } else {
                    Randomize(nullptr);
                }
                return Flow::Normal;
            }
        }
    } catch (ScriptError& e) {
        e.AttachPosition(s.pos.line, s.pos.column, frame_->unit, s.pos.part);
        throw;
    }
    return Flow::Normal;
}

// ---- random numbers -------------------------------------------------------------------------

// The language's 24-bit generator: X = (X * 16598013 + 12820163) mod 2^24, value X / 2^24.
float Interpreter::Random(const Value* arg) {
    if (arg != nullptr && !arg->IsMissing()) {
        const double n = NumberOf(*arg);
        // 0 repeats the last value; before any value, the generator's value for its seed.
        if (n == 0.0) return rndDrawn_ ? rndLast_ : static_cast<float>(rndState_) / 16777216.0f;
        if (n < 0.0) {
            // Reseed from the bits of the Single value, so the same negative argument always
            // starts the same sequence.
            const float f = static_cast<float>(n);
            std::uint32_t bits = 0;
            static_assert(sizeof bits == sizeof f);
            std::memcpy(&bits, &f, sizeof bits);
            rndState_ = (bits + (bits >> 24)) & 0xFFFFFFu;
        }
    }
    rndState_ = (rndState_ * 16598013u + 12820163u) & 0xFFFFFFu;
    rndLast_ = static_cast<float>(rndState_) / 16777216.0f;
    rndDrawn_ = true;
    return rndLast_;
}

void Interpreter::Randomize(const Value* seed) {
    double s = 0;
    if (seed != nullptr) {
        s = NumberOf(*seed);
    } else {
        s = static_cast<double>(std::chrono::steady_clock::now().time_since_epoch().count() %
                                16777216);
    }
    std::uint64_t bits = 0;
    std::memcpy(&bits, &s, sizeof bits);
    rndState_ = static_cast<std::uint32_t>((bits ^ (bits >> 24) ^ (bits >> 48)) & 0xFFFFFFu);
}

}  // namespace vbs
