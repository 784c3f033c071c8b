#include "toolpath/PathEvaluator.h"

#include <span>

#include "model/Error.h"
#include "model/NumberText.h"
#include "script/Engine.h"
#include "script/ScriptError.h"
#include "script/Value.h"
#include "toolpath/ScriptErrorText.h"

namespace torvane {
namespace {

// The engine's number of "User interrupt occurred".
constexpr int kUserInterrupt = 18;
// An equation's parameter may be written "S" or "t"; both are replaced, "S" first.
constexpr std::string_view kParameterLetterList[] = {"S", "t"};
constexpr std::span<const std::string_view> kParameterLetters(kParameterLetterList);

}  // namespace

PathEvaluator::PathEvaluator(std::shared_ptr<vbs::Engine> Engine)
    : scriptEval_(std::move(Engine)) {}

void PathEvaluator::SetScriptEval(std::shared_ptr<vbs::Engine> Engine) noexcept {
    scriptEval_ = std::move(Engine);
}

vbs::Engine& PathEvaluator::Engine() const {
    const std::thread::id owner = engineThread_.load();
    if (owner != std::thread::id{} && owner != std::this_thread::get_id())
        Raise(ErrorCode::InvalidArgument,
              "Invalid procedure call or argument: cannot evaluate an equation while a cut is "
              "running; stop the cut first");
    if (!scriptEval_)
        Raise(ErrorCode::MissingObject, "The tool path has no script engine to evaluate with");
    return *scriptEval_;
}

double PathEvaluator::EvalEq(std::string_view InEq, double S) {
    vbs::Engine& engine = Engine();
    // The engine binds the number in place of the letters, making its text only where the
    // equation needs it, with the same result as evaluating the substituted text.
    try {
        return engine.EvalAt(InEq, kParameterLetters, S, &NumberText).ToDouble();
    } catch (const vbs::ScriptError& e) {
        const std::string number = NumberText(S);
        const std::string text = vbs::Engine::Substitute(InEq, kParameterLetters, number);
        throw Error(ErrorCode::ScriptError, e.Number(),
                    EngineMessage(e) + " in equation " + Quote(InEq) + " at S =" + number +
                        ", evaluated as " + Quote(text));
    }
}

DoubleArray PathEvaluator::EvalEqs(const StringArray& InEqs, double S) {
    const std::int32_t upper = InEqs.UBound();
    DoubleArray out = DoubleArray::WithBounds(1, upper < 0 ? 0 : upper);
    for (std::int32_t i = 1; i <= upper; ++i) out(i) = EvalEq(InEqs(i), S);
    return out;
}

double PathEvaluator::EvalMotorPosition(std::int32_t MotorIndex, const typToolPathSubLeg& InSubleg,
                                        double t, double StartParametric) {
    return (EvalEq(InSubleg.ParametricEQs(MotorIndex), t) + InSubleg.StartPoints(MotorIndex)) -
           StartParametric;
}

DoubleArray PathEvaluator::EvalMotorPositions(const typToolPathSubLeg& InSubleg, double t,
                                              const DoubleArray& StartParametrics) {
    const std::int32_t upper = InSubleg.StartPoints.UBound();
    DoubleArray out = DoubleArray::WithBounds(1, upper < 0 ? 0 : upper);
    for (std::int32_t i = 1; i <= upper; ++i)
        out(i) = EvalMotorPosition(i, InSubleg, t, StartParametrics(i));
    return out;
}

void PathEvaluator::SetStopSource(std::stop_source Source, std::function<void()> PollHook) {
    stop_ = std::move(Source);
    pollHook_ = std::move(PollHook);
    if (!scriptEval_) return;
    scriptEval_->SetStopToken(stop_.get_token());
    scriptEval_->SetPollHook(pollHook_);
}

void PathEvaluator::ThrowIfStopped(std::string_view what) const {
    if (!stop_.stop_requested()) return;  // false without a stop state
    throw Error(ErrorCode::ScriptError, kUserInterrupt,
                "User interrupt occurred (script error " + std::to_string(kUserInterrupt) +
                    "): " + std::string(what) + " was stopped");
}

void PathEvaluator::HandEngineTo(std::stop_token Token) {
    if (!scriptEval_) return;
    scriptEval_->SetStopToken(std::move(Token));
    scriptEval_->SetPollHook({});
}

void PathEvaluator::TakeEngineBack() {
    if (!scriptEval_) return;
    scriptEval_->SetStopToken(stop_.get_token());
    scriptEval_->SetPollHook(pollHook_);
}

}  // namespace torvane
