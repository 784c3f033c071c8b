#pragma once
// The dialogs and the event pump the libraries use instead of a toolkit. The program installs a
// Qt implementation at start-up; tests install ScriptedUserInterface.

#include <string>

namespace torvane {

enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgAnswer { OK, Cancel, Yes, No };

class UserInterface {
  public:
    virtual ~UserInterface() = default;

    // A modal message box with the given buttons; an empty title means the default title.
    virtual MsgAnswer MsgBox(const std::string& prompt, MsgButtons buttons = MsgButtons::OK,
                             const std::string& title = {}) = 0;
    // A modal input box; returns the answer, or "" when the user cancels.
    virtual std::string InputBox(const std::string& prompt, const std::string& defaultAnswer,
                                 const std::string& title = {}) = 0;
    // The standard open or save dialog. filter is a list of description|pattern pairs, each item
    // followed by "|" ("Bots files (*.Bots)|*.bot|"). Returns the chosen path, "" on cancel.
    virtual std::string FileDialog(bool save, const std::string& initialPath,
                                   const std::string& filter) = 0;
    // Lets the event loop handle pending events (long loops call this every round).
    virtual void DoEvents() = 0;
};

// The installed host. Before the program installs one, a quiet default is in place that
// writes messages to standard error, answers the first button and cancels every prompt.
UserInterface& Host();
// Installs ui as the host; nullptr restores the default. The caller keeps ownership and must
// keep ui alive while it is installed.
void InstallUserInterface(UserInterface* ui);

// Installs a host for the lifetime of a scope and restores the previous one afterwards.
class ScopedUserInterface {
  public:
    explicit ScopedUserInterface(UserInterface& ui);
    ~ScopedUserInterface();
    ScopedUserInterface(const ScopedUserInterface&) = delete;
    ScopedUserInterface& operator=(const ScopedUserInterface&) = delete;

  private:
    UserInterface* previous_;
};

}  // namespace torvane
