#pragma once
// Expands a tool-path script without freezing the program: the script runs on a worker thread
// while the user-interface thread keeps painting. Input to the windows is held back meanwhile
// (nothing else may use the script engine), except for Escape, which stops the script. When the
// script has run for NoticeAfterMs, a notice says that it runs and offers a Stop button.

#include <QString>
#include <string>

class QWidget;

namespace torvane {
class clsToolPath;
}

namespace mechanon {

// The default time before the running notice appears, milliseconds.
inline constexpr int kScriptNoticeMilliseconds = 2000;
// The notice's text and its window's object name (for finding it).
inline constexpr const char* kScriptRunningText =
    "The script is running.  Press Stop or Escape to stop it.";
inline constexpr const char* kScriptNoticeName = "frmScriptRunning";

// ExpandScript(Script) of ToolPath, run as above. Returns the expanded text; raises what the
// expansion raised, or, when the user stopped it, a script error saying that it was stopped.
// The stop is the run's own: the next run starts afresh. Parent is the notice's parent window.
std::string RunScript(torvane::clsToolPath& ToolPath, const std::string& Script, QWidget* Parent,
                      int NoticeAfterMs = kScriptNoticeMilliseconds);

}  // namespace mechanon
