#pragma once
// Equation evaluation for the tool-path engine: the script engine every equation goes through,
// the stop of the long operation running now, and the hand-over of the engine to a drive's
// control thread. The tool-path object and its driver both evaluate through one of these.
//
// Equations are never parsed here: the parameter value is written into the equation text as
// signed number text and the script engine evaluates the result.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string_view>
#include <thread>

#include "model/VbArray.h"
#include "toolpath/clsXML.h"

namespace vbs {
class Engine;
}

namespace torvane {

class PathEvaluator {
  public:
    explicit PathEvaluator(std::shared_ptr<vbs::Engine> Engine);

    const std::shared_ptr<vbs::Engine>& ScriptEval() const noexcept { return scriptEval_; }
    void SetScriptEval(std::shared_ptr<vbs::Engine> Engine) noexcept;
    // The engine to evaluate with on this thread: raises a missing-object error without one, and
    // an invalid-argument error while a control thread owns it and this is another thread.
    vbs::Engine& Engine() const;

    // As clsToolPath describes them.
    double EvalEq(std::string_view InEq, double S);
    DoubleArray EvalEqs(const StringArray& InEqs, double S);
    double EvalMotorPosition(std::int32_t MotorIndex, const typToolPathSubLeg& InSubleg, double t,
                             double StartParametric);
    DoubleArray EvalMotorPositions(const typToolPathSubLeg& InSubleg, double t,
                                   const DoubleArray& StartParametrics);

    // As clsToolPath describes them.
    void SetStopSource(std::stop_source Source, std::function<void()> PollHook = {});
    std::stop_token StopToken() const noexcept { return stop_.get_token(); }
    void RequestStop() noexcept { stop_.request_stop(); }
    void ThrowIfStopped(std::string_view what) const;

    // For a drive: the engine polls Token and no hook while a control thread evaluates;
    // TakeEngineBack restores the operation's own stop and poll hook.
    void HandEngineTo(std::stop_token Token);
    void TakeEngineBack();
    // The thread that alone may evaluate (a drive's control thread); {} for any.
    void EvaluateOnlyOn(std::thread::id Owner) noexcept { engineThread_.store(Owner); }

  private:
    std::shared_ptr<vbs::Engine> scriptEval_;
    std::stop_source stop_{std::nostopstate};
    std::function<void()> pollHook_;
    std::atomic<std::thread::id> engineThread_{};
};

}  // namespace torvane
