#include <chrono>
#include <cstdio>

#include "platform/Clock.h"
#include "platform/UserInterface.h"

namespace torvane {
namespace {

class QuietUserInterface final : public UserInterface {
  public:
    MsgAnswer MsgBox(const std::string& prompt, MsgButtons buttons, const std::string&) override {
        std::fprintf(stderr, "%s\n", prompt.c_str());
        switch (buttons) {
            case MsgButtons::OK:
            case MsgButtons::OKCancel:
                return MsgAnswer::OK;
            case MsgButtons::YesNo:
            case MsgButtons::YesNoCancel:
                return MsgAnswer::Yes;
        }
        return MsgAnswer::OK;
    }
    std::string InputBox(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    std::string FileDialog(bool, const std::string&, const std::string&) override { return {}; }
    void DoEvents() override {}
};

QuietUserInterface g_quiet;
UserInterface* g_ui = &g_quiet;

SteadyClock g_steady;
Clock* g_clock = &g_steady;

}  // namespace

UserInterface& Host() {
    return *g_ui;
}
void InstallUserInterface(UserInterface* ui) {
    g_ui = ui ? ui : &g_quiet;
}

ScopedUserInterface::ScopedUserInterface(UserInterface& ui) : previous_(&Host()) {
    InstallUserInterface(&ui);
}
ScopedUserInterface::~ScopedUserInterface() {
    InstallUserInterface(previous_);
}

double SteadyClock::Seconds() const {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

Clock& SystemClock() {
    return *g_clock;
}
void InstallClock(Clock* clock) {
    g_clock = clock ? clock : &g_steady;
}

}  // namespace torvane
