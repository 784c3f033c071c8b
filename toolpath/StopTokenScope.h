#pragma once
// One long operation's stop: a stop source of its own, handed to a tool path (and through it to
// its script engine) for the lifetime of the scope and taken back at its end, however it ends.

#include <functional>
#include <stop_token>

namespace torvane {

class clsToolPath;

class StopTokenScope {
  public:
    // PollHook runs about every 10 ms of running script code (empty for none).
    explicit StopTokenScope(clsToolPath& Path, std::function<void()> PollHook = {});
    ~StopTokenScope();
    StopTokenScope(const StopTokenScope&) = delete;
    StopTokenScope& operator=(const StopTokenScope&) = delete;

    // May be called from any thread.
    void Stop() noexcept { source_.request_stop(); }
    bool StopRequested() const noexcept { return source_.stop_requested(); }

  private:
    clsToolPath& path_;
    std::stop_source source_;
};

}  // namespace torvane
