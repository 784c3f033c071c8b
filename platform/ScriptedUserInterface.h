#pragma once
// A UserInterface for tests: answers come from queues the test fills, and every message,
// prompt and dialog shown is recorded, so a test can assert "X was shown once".

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/UserInterface.h"

namespace torvane {

class ScriptedUserInterface final : public UserInterface {
  public:
    enum class Kind { Message, Input, OpenDialog, SaveDialog };
    struct Shown {
        Kind kind;
        std::string text;    // prompt, or the initial path of a file dialog
        MsgButtons buttons;  // for messages
        std::string extra;   // default answer of an input box, filter of a file dialog
    };

    // Queued answers, used in order. With an empty queue a message box answers its first
    // button (OK or Yes), an input box and a file dialog answer "" (cancel).
    std::deque<MsgAnswer> messageAnswers;
    std::deque<std::string> inputAnswers;
    std::deque<std::string> fileAnswers;
    // Called on every DoEvents, after the count is raised.
    std::function<void()> onDoEvents;

    std::vector<Shown> shown;
    int doEventsCalls = 0;

    MsgAnswer MsgBox(const std::string& prompt, MsgButtons buttons,
                     const std::string& title) override;
    std::string InputBox(const std::string& prompt, const std::string& defaultAnswer,
                         const std::string& title) override;
    std::string FileDialog(bool save, const std::string& initialPath,
                           const std::string& filter) override;
    void DoEvents() override;

    // The texts of all message boxes shown, in order.
    std::vector<std::string> Messages() const;
    // How many times a message box with exactly this text was shown.
    int CountMessage(const std::string& text) const;
    void Clear();
};

}  // namespace torvane
