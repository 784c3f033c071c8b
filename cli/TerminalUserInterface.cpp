#include "cli/TerminalUserInterface.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>

namespace mechanon::cli {
namespace {

torvane::MsgAnswer CautiousAnswer(torvane::MsgButtons buttons) {
    switch (buttons) {
        case torvane::MsgButtons::OK:
            return torvane::MsgAnswer::OK;
        case torvane::MsgButtons::OKCancel:
        case torvane::MsgButtons::YesNoCancel:
            return torvane::MsgAnswer::Cancel;
        case torvane::MsgButtons::YesNo:
            return torvane::MsgAnswer::No;
    }
    return torvane::MsgAnswer::Cancel;
}

}  // namespace

TerminalUserInterface::TerminalUserInterface(std::ostream& err, int input, int wakeFd)
    : err_(err), input_(input), wakeFd_(wakeFd) {}

torvane::MsgAnswer TerminalUserInterface::MsgBox(const std::string& prompt,
                                                 torvane::MsgButtons buttons,
                                                 const std::string& title) {
    if (prompt != kReadyPrompt) {
        err_ << (title.empty() ? std::string() : title + ": ") << prompt << "\n" << std::flush;
        return CautiousAnswer(buttons);
    }
    if (::isatty(input_) != 1) {
        err_ << prompt << " (no terminal on standard input: going on)\n" << std::flush;
        return torvane::MsgAnswer::OK;
    }
    err_ << prompt << " press Enter to go on, Ctrl+C to stop\n" << std::flush;
    WaitForEnter();
    return torvane::MsgAnswer::OK;
}

void TerminalUserInterface::WaitForEnter() {
    pollfd watched[2] = {{input_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    const nfds_t count = wakeFd_ >= 0 ? 2 : 1;
    while (true) {
        const int ready = ::poll(watched, count, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || (count == 2 && watched[1].revents != 0)) return;
        if (watched[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return;
        char ch = 0;
        const ssize_t got = ::read(input_, &ch, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0 || ch == '\n') return;
    }
}

std::string TerminalUserInterface::InputBox(const std::string& prompt, const std::string&,
                                            const std::string&) {
    err_ << prompt << " (no answer without a screen)\n" << std::flush;
    return {};
}

std::string TerminalUserInterface::FileDialog(bool, const std::string&, const std::string&) {
    return {};
}

void TerminalUserInterface::DoEvents() {
    if (idle_) idle_();
}

}  // namespace mechanon::cli
