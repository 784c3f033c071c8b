#include "toolpath/PathEvaluator.h"

#include <cmath>
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

// The value of evaluate, an evaluation for motor `motor`: a script error it raises names the motor.
template <typename Evaluate>
double NamingMotor(std::int32_t motor, Evaluate evaluate) {
    try {
        return evaluate();
    } catch (const Error& e) {
        if (e.Code() != ErrorCode::ScriptError || e.Number() == kUserInterrupt) throw;
        throw Error(e.Code(), e.Number(), "Motor " + std::to_string(motor) + ": " + e.what());
    }
}

// True when the character at the 1-based column of text divides.
bool DividesAt(std::string_view text, int column) {
    if (column < 1 || static_cast<std::size_t>(column) > text.size()) return false;
    const char c = text[static_cast<std::size_t>(column - 1)];
    return c == '/' || c == '\\';
}

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
    double value = 0;
    try {
        value = engine.EvalAt(InEq, kParameterLetters, S, &NumberText).ToDouble();
    } catch (const vbs::ScriptError& e) {
        const std::string number = NumberText(S);
        const std::string text = vbs::Engine::Substitute(InEq, kParameterLetters, number);
        // The language calls 0/0 an overflow; in a motion it is the division by zero it reads as.
        const bool zeroByZero = e.Number() == vbs::err::kOverflow && DividesAt(text, e.Column());
        const int errorNumber = zeroByZero ? vbs::err::kDivisionByZero : e.Number();
        const std::string what = zeroByZero
                                     ? std::string(vbs::ErrorText(errorNumber)) +
                                           " (script error " + std::to_string(errorNumber) + ")"
                                     : EngineMessage(e);
        throw Error(ErrorCode::ScriptError, errorNumber,
                    what + " in equation " + Quote(InEq) + " at S =" + number + ", evaluated as " +
                        Quote(text));
    }
    if (!std::isfinite(value))
        throw Error(ErrorCode::ScriptError, vbs::err::kOverflow,
                    "Overflow (script error 6): equation " + Quote(InEq) +
                        " has no finite value at S =" + NumberText(S));
    return value;
}

DoubleArray PathEvaluator::EvalEqs(const StringArray& InEqs, double S) {
    const std::int32_t upper = InEqs.UBound();
    DoubleArray out = DoubleArray::WithBounds(1, upper < 0 ? 0 : upper);
    for (std::int32_t i = 1; i <= upper; ++i)
        out(i) = NamingMotor(i, [&] { return EvalEq(InEqs(i), S); });
    return out;
}

double PathEvaluator::EvalMotorPosition(std::int32_t MotorIndex, const typToolPathSubLeg& InSubleg,
                                        double t, double StartParametric) {
    const double position = NamingMotor(MotorIndex, [&] {
        return (EvalEq(InSubleg.ParametricEQs(MotorIndex), t) + InSubleg.StartPoints(MotorIndex)) -
               StartParametric;
    });
    if (!std::isfinite(position))
        throw Error(ErrorCode::ScriptError, vbs::err::kOverflow,
                    "Motor " + std::to_string(MotorIndex) +
                        ": Overflow (script error 6): the position of equation " +
                        Quote(InSubleg.ParametricEQs(MotorIndex)) +
                        " is not finite at S =" + NumberText(t));
    return position;
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
