#include "toolpath/ControlLoop.h"

#include <pthread.h>
#include <sched.h>

#include <cmath>
#include <limits>
#include <string>

#include "model/Error.h"
#include "model/NumberText.h"

namespace torvane {
namespace {

std::chrono::steady_clock::duration DurationOf(double seconds) {
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(seconds));
}

constexpr double kBetweenRounds = std::numeric_limits<double>::quiet_NaN();

// Real-time scheduling where the system grants it (root, or an rtprio limit): the rounds then
// run before any ordinary thread, the window's and the renderer's included, and the watchdog
// before the rounds, so a round spinning in an endless equation cannot starve it. Without the
// grant the threads run as ordinary ones.
void AskForRealTime(int priority) noexcept {
    sched_param param{};
    param.sched_priority = priority;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}
constexpr int kRoundsPriority = 10;
constexpr int kWatchdogPriority = 11;

}  // namespace

void CheckControlTiming(const ControlTiming& Timing) {
    const bool periodOk = std::isfinite(Timing.Period) && Timing.Period > 0 && Timing.Period <= 1;
    const bool deadlineOk =
        std::isfinite(Timing.Deadline) && Timing.Deadline > Timing.Period && Timing.Deadline <= 10;
    if (periodOk && deadlineOk) return;
    Raise(ErrorCode::InvalidArgument,
          "Invalid procedure call or argument: the control period (" +
              TrimmedNumberText(Timing.Period) + " s) must be above 0 and at most 1 s, and the " +
              "watchdog deadline (" + TrimmedNumberText(Timing.Deadline) +
              " s) above the period and at most 10 s");
}

ControlLoop::ControlLoop(const ControlTiming& Timing, std::stop_source Stop, Steps Steps)
    : clock_(Timing.Pace ? *Timing.Pace : SteadyRounds()),
      period_(Timing.Period),
      deadline_(Timing.Deadline),
      stop_(std::move(Stop)),
      steps_(std::move(Steps)),
      roundStarted_(kBetweenRounds),
      watchdog_([this](std::stop_token token) { Watch(token); }),
      rounds_([this](std::stop_token token) { RunRounds(token); }) {}

ControlLoop::~ControlLoop() {
    rounds_.request_stop();
    if (rounds_.joinable()) rounds_.join();
    watchdog_.request_stop();
    changed_.notify_all();
}

void ControlLoop::RunRounds(const std::stop_token& token) {
    AskForRealTime(kRoundsPriority);
    std::exception_ptr error;
    try {
        if (steps_.Begin) steps_.Begin();
        double next = clock_.Seconds();
        while (!token.stop_requested() && !stop_.stop_requested()) {
            roundStarted_.store(clock_.Seconds());
            const bool more = steps_.Round();
            roundStarted_.store(kBetweenRounds);
            if (!more || overran_.load()) break;
            // The next round starts one period after this one was due; after a late round the
            // schedule starts afresh from now rather than running the missed rounds at once.
            next = std::max(next + period_, clock_.Seconds());
            clock_.SleepUntil(next);
        }
    } catch (...) {
        error = std::current_exception();
    }
    roundStarted_.store(kBetweenRounds);
    if (steps_.End) steps_.End();
    Finish(error);
}

void ControlLoop::Finish(std::exception_ptr error) {
    {
        const std::lock_guard lock(mutex_);
        done_ = true;
        error_ = error;
    }
    changed_.notify_all();
}

void ControlLoop::Watch(const std::stop_token& token) {
    AskForRealTime(kWatchdogPriority);
    // Looks four times per deadline of real time, so a late round is caught within a quarter
    // deadline of it; how late a round is, the loop's clock says.
    const auto look = std::max<std::chrono::steady_clock::duration>(DurationOf(deadline_ / 4),
                                                                    std::chrono::microseconds(50));
    std::unique_lock lock(mutex_);
    while (!token.stop_requested() && !done_) {
        changed_.wait_for(lock, token, look, [] { return false; });
        const double started = roundStarted_.load();
        if (std::isnan(started) || overran_.load()) continue;
        if (!(clock_.Seconds() - started > deadline_)) continue;
        overran_.store(true);
        lock.unlock();
        if (steps_.Overrun) steps_.Overrun();
        stop_.request_stop();
        lock.lock();
    }
}

void ControlLoop::Wait(const std::function<void()>& Idle, double IdleSeconds) {
    const auto idle = DurationOf(IdleSeconds);
    std::unique_lock lock(mutex_);
    while (!done_) {
        lock.unlock();
        if (Idle) Idle();
        lock.lock();
        changed_.wait_for(lock, idle, [this] { return done_; });
    }
    const std::exception_ptr error = error_;
    lock.unlock();
    if (rounds_.joinable()) rounds_.join();
    watchdog_.request_stop();
    changed_.notify_all();
    if (watchdog_.joinable()) watchdog_.join();
    if (error) std::rethrow_exception(error);
}

}  // namespace torvane
