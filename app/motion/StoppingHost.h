#pragma once
// The installed user interface, wrapped for the length of a graph: every call goes to the
// wrapped one, and once a stop has been asked for, the event pump throws CommandStopped after
// it has let the events run. The animation yields through the event pump at every step, so a
// stop unwinds the graph from its next step, whatever leg it is in.

#include <exception>
#include <functional>

#include "platform/UserInterface.h"

namespace mechanon {

struct CommandStopped final : std::exception {
    const char* what() const noexcept override { return "The command was stopped."; }
};

class StoppingHost final : public torvane::UserInterface {
  public:
    // StopRequested is asked after every DoEvents of Inner.
    StoppingHost(torvane::UserInterface& Inner, std::function<bool()> StopRequested)
        : inner_(Inner), stopRequested_(std::move(StopRequested)) {}

    torvane::MsgAnswer MsgBox(const std::string& prompt, torvane::MsgButtons buttons,
                              const std::string& title) override {
        return inner_.MsgBox(prompt, buttons, title);
    }
    std::string InputBox(const std::string& prompt, const std::string& defaultAnswer,
                         const std::string& title) override {
        return inner_.InputBox(prompt, defaultAnswer, title);
    }
    std::string FileDialog(bool save, const std::string& initialPath,
                           const std::string& filter) override {
        return inner_.FileDialog(save, initialPath, filter);
    }
    void DoEvents() override {
        inner_.DoEvents();
        if (stopRequested_()) throw CommandStopped();
    }

  private:
    torvane::UserInterface& inner_;
    std::function<bool()> stopRequested_;
};

}  // namespace mechanon
