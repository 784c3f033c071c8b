#include "motorio/Termination.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>

namespace torvane {
namespace {

// Lock-free atomics only: the handler may touch nothing else.
std::atomic<bool> requested{false};
std::atomic<int> wakeRead{-1};
std::atomic<int> wakeWrite{-1};
// Each slot holds a descriptor plus 1; 0 (as static storage starts) is a free slot.
std::atomic<int> descriptors[kMaxLineDescriptors];
std::atomic<bool> installed{false};

void AllLinesOffNow() noexcept {
    for (std::atomic<int>& slot : descriptors) {
        const int fd = slot.load() - 1;
        if (fd < 0) continue;
        int both = TIOCM_DTR | TIOCM_RTS;
        ::ioctl(fd, TIOCMBIC, &both);  // async-signal-safe; a failure leaves hang-up on close
    }
}

void OnTerminate(int signal) {
    AllLinesOffNow();
    if (requested.exchange(true)) {
        // The second signal: the user means it. End as the signal would have.
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    const int fd = wakeWrite.load();
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
}

}  // namespace

int InstallTerminationHandlers() noexcept {
    if (!installed.exchange(true)) {
        int ends[2] = {-1, -1};
        if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
            wakeRead = ends[0];
            wakeWrite = ends[1];
        }
        struct sigaction action {};
        action.sa_handler = OnTerminate;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    }
    return wakeRead.load();
}

bool TerminationRequested() noexcept {
    return requested.load(std::memory_order_relaxed);
}

void ClearTerminationRequest() noexcept {
    requested = false;
    char buffer[64];
    const int fd = wakeRead.load();
    if (fd >= 0)
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
}

void RegisterLineDescriptor(int fd) noexcept {
    for (std::atomic<int>& slot : descriptors) {
        int empty = 0;
        if (slot.compare_exchange_strong(empty, fd + 1)) return;
    }
}

void UnregisterLineDescriptor(int fd) noexcept {
    for (std::atomic<int>& slot : descriptors) {
        int mine = fd + 1;
        if (slot.compare_exchange_strong(mine, 0)) return;
    }
}

}  // namespace torvane
