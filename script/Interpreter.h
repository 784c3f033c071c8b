#pragma once
// The interpreter: runs compiled Units over the global scope of one engine. Run-time errors
// unwind as ScriptError to the caller; On Error Resume Next catches them per procedure.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/Ast.h"
#include "script/MemoryBudget.h"
#include "script/Value.h"

namespace vbs {

struct BuiltinInfo;

// The Err object.
struct ErrState {
    std::int32_t number = 0;
    std::string description;
    std::string source;
};

class Interpreter {
  public:
    // Deepest chain of script procedure calls; deeper recursion raises 28.
    static constexpr int kMaxCallDepth = 1000;
    // Native stack the engine may use below its entry point before it raises 28.
    static constexpr std::size_t kMaxStackBytes = 3u * 1024u * 1024u;

    void SetStopToken(std::stop_token token) { stop_ = std::move(token); }
    void SetPollHook(std::function<void()> hook) { pollHook_ = std::move(hook); }
    // True when the host asked the running code to stop.
    bool StopRequested() const { return stop_.stop_requested(); }
    // Raises error 18 when the host asked the running code to stop, and now and then runs the
    // poll hook. Loops in the interpreter and in the built-ins call it.
    void CheckAbort() const;
    // Drops all globals and procedures.
    void Reset();
    // Registers the unit's procedures and globals, then runs its statements.
    void Run(std::shared_ptr<const Unit> unit);
    // Evaluates an expression unit; `param` is the value of Param nodes.
    Value Evaluate(const Unit& unit, const Value* param);

    // What the texts and arrays of the running code may hold together.
    MemoryBudget& Budget() { return *budget_; }

    // Changes whenever globals or procedures are added or dropped.
    std::uint64_t Generation() const { return generation_; }
    // Whether `lowerName` names a built-in function that no global or procedure hides.
    bool IsUnshadowedBuiltin(const std::string& lowerName) const;

    // For the built-ins.
    ErrState& Err() { return err_; }
    float Random(const Value* arg);
    void Randomize(const Value* seed);

  private:
    enum class Flow : std::uint8_t { Normal, ExitFor, ExitDo, ExitProcedure };

    struct Global {
        Value value;
        bool isConst = false;
    };

    struct Frame {
        const Unit* unit = nullptr;
        const Procedure* procedure = nullptr;
        Value** slots = nullptr;
        const Value* param = nullptr;
        bool resumeNext = false;
    };

    class FrameScope;
    class EntryScope;

    // Expressions.
    Value Eval(std::int32_t node);
    Value EvalNode(const Node& n);
    Value ReadName(const Node& n);
    Value CallName(const Node& n, bool statement);
    Value EvalMember(const Node& n);
    Value IndexArray(const Value& array, const Node& n);
    Value CallProcedure(const Procedure& proc, const Node& n);
    Value CallBuiltin(const BuiltinInfo& b, const Node& n);
    void Subscripts(const Node& n, std::vector<std::int32_t>& out);
    const Resolution& Resolve(const Node& n);
    Value* WriteSlot(const Node& n);
    Value* ReferenceOf(std::int32_t argNode);
    struct ElementReference {
        Value* array = nullptr;
        std::vector<std::int32_t> indices;
        std::size_t offset = 0;
        std::size_t parameter = 0;
    };
    bool ElementOf(std::int32_t argNode, ElementReference& out);
    Value* VariableOf(const Node& n);
    static void WriteBack(const ElementReference& e, const Value& value);
    std::int32_t CreateGlobal(const std::string& name);

    // Statements.
    Flow ExecBlock(const Block& block);
    Flow ExecStmt(const Stmt& s);
    void ExecCall(const Stmt& s);
    Flow ExecIf(const Stmt& s);
    Flow ExecFor(const Stmt& s);
    Flow ExecForEach(const Stmt& s);
    Flow ExecDo(const Stmt& s);
    Flow ExecWhile(const Stmt& s);
    Flow ExecSelect(const Stmt& s);
    void ExecAssign(const Stmt& s);
    bool AssignAppending(const Node& target, std::int32_t valueNode);
    void ExecDim(const Stmt& s);
    void ExecReDim(const Stmt& s);
    void ExecConst(const Stmt& s);
    void DefineConstants(const std::vector<DimItem>& items);
    void ExecErase(const Stmt& s);
    bool Condition(std::int32_t node);
    void CallPollHook() const;
    void RethrowIfInterrupted(const class ScriptError& e) const;
    void CheckStack() const;
    void RecordError(const class ScriptError& e);

    const Unit& CurrentUnit() const { return *frame_->unit; }
    const std::string& NameOf(const Node& n) const { return frame_->unit->names[n.a]; }

    std::shared_ptr<MemoryBudget> budget_ = std::make_shared<MemoryBudget>();
    std::stop_token stop_;
    std::function<void()> pollHook_;
    mutable std::uint32_t pollCount_ = 0;
    mutable std::chrono::steady_clock::time_point lastPoll_{};
    std::deque<Global> globals_;
    std::unordered_map<std::string, std::int32_t> globalIndex_;
    std::unordered_map<std::string, std::shared_ptr<const Procedure>> procedures_;
    std::uint64_t generation_ = 1;
    Frame* frame_ = nullptr;
    int callDepth_ = 0;
    int entryDepth_ = 0;
    std::uintptr_t stackBase_ = 0;
    ErrState err_;
    std::uint32_t rndState_ = 327680;
    float rndLast_ = 0.0f;
    bool rndDrawn_ = false;
};

}  // namespace vbs
