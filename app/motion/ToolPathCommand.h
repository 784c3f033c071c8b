#pragma once
// A long tool-path command on the window thread (a graph, re-timing, a plot, a drive): marked as
// running, so Escape stops it and a second command is refused, with a stop of its own handed to
// the tool path and its script engine, which lets window events through while script code runs.
// Stop, Escape and closing the program all request that one stop; every loop of the command and
// every evaluation polls it.

#include <QWidget>

#include "app/motion/RunningCommand.h"
#include "platform/UserInterface.h"
#include "toolpath/StopTokenScope.h"

namespace mechanon {

class ToolPathCommand {
  public:
    explicit ToolPathCommand(torvane::clsToolPath& Path, bool BlockInput = false,
                             QWidget* Allowed = nullptr)
        : stop_(Path, [] { torvane::Host().DoEvents(); }),
          running_([this] { stop_.Stop(); }, BlockInput, Allowed) {}

    void Stop() { running_.RequestStop(); }
    bool StopRequested() const noexcept { return stop_.StopRequested(); }

  private:
    torvane::StopTokenScope stop_;
    RunningCommand running_;
};

}  // namespace mechanon
