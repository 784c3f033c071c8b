#pragma once
// The dialogs of the libraries on a terminal, for commands that run without a screen. A message
// is written to standard error. The "Ready?..." of a WAIT block waits for Enter when standard
// input is a terminal and goes on at once (saying so) when it is not; a stop that arrives while
// it waits ends the wait. A question nobody can answer is answered the cautious way: Cancel or
// No. Input boxes and file dialogs are cancelled.

#include <functional>
#include <iosfwd>
#include <string>

#include "platform/UserInterface.h"

namespace mechanon::cli {

class TerminalUserInterface final : public torvane::UserInterface {
  public:
    // wakeFd becomes readable when a stop is requested (-1: none); messages go to err, Enter is
    // awaited on the descriptor input, called between rounds by DoEvents.
    TerminalUserInterface(std::ostream& err, int input, int wakeFd);

    torvane::MsgAnswer MsgBox(const std::string& prompt, torvane::MsgButtons buttons,
                              const std::string& title) override;
    std::string InputBox(const std::string& prompt, const std::string& defaultAnswer,
                         const std::string& title) override;
    std::string FileDialog(bool save, const std::string& initialPath,
                           const std::string& filter) override;
    void DoEvents() override;

    // Called by DoEvents: the long operation's work between its rounds (progress, stops).
    void SetIdleWork(std::function<void()> work) { idle_ = std::move(work); }

  private:
    // Blocks until a line (or the end) arrives on the input or the wake descriptor fires.
    void WaitForEnter();

    std::ostream& err_;
    int input_;
    int wakeFd_;
    std::function<void()> idle_;
};

// The prompt the driver shows for a WAIT block.
inline constexpr const char* kReadyPrompt = "Ready?...";

}  // namespace mechanon::cli
