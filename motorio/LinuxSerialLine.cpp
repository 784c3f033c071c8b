#include "motorio/LinuxSerialLine.h"

#include <fcntl.h>
#include <grp.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

#include "model/Error.h"
#include "motorio/Termination.h"

namespace torvane {
namespace {

// The signal that wakes a watcher out of its wait when the line closes. Its handler does
// nothing; what matters is that the wait returns with EINTR.
int WakeSignal() {
    return SIGRTMIN + 4;
}

void InstallWakeHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;  // no SA_RESTART: the wait must return
        sigaction(WakeSignal(), &action, nullptr);
    });
}

std::string ErrnoText(int e) {
    return std::strerror(e);
}

// ENOIOCTLCMD leaks out of some USB serial drivers as 515.
bool IsUnsupported(int e) {
    return e == EINVAL || e == ENOTTY || e == 515;
}

}  // namespace

std::string LinuxSerialLine::OpenFailureText(int e, const std::string& device) {
    switch (e) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "does not exist (is the adapter plugged in?)";
        case EBUSY:
            return "is busy: another program holds it";
        case EACCES:
        case EPERM: {
            struct stat info {};
            const group* owner =
                ::stat(device.c_str(), &info) == 0 ? ::getgrgid(info.st_gid) : nullptr;
            const std::string name = owner ? owner->gr_name : "that owns the device";
            return "cannot be opened: you have no permission to use it.  Join the group " + name +
                   " (for example: sudo usermod -aG " + (owner ? name : "dialout") +
                   " $USER), then log in again";
        }
        default:
            return "cannot be opened";
    }
}

LinuxSerialLine::LinuxSerialLine(std::string devicePath) : fixedPath_(std::move(devicePath)) {}

LinuxSerialLine::~LinuxSerialLine() {
    Close();
}

std::string LinuxSerialLine::DevicePathOf(int portNumber) {
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

std::string LinuxSerialLine::DeviceName() const {
    return device_.empty() ? (fixedPath_.empty() ? DevicePathOf(port_) : fixedPath_) : device_;
}

void LinuxSerialLine::FailOpen(const std::string& why, int savedErrno) {
    const std::string who = fixedPath_.empty()
                                ? "Serial port " + std::to_string(port_) + " (" + device_ + ")"
                                : "Serial device " + device_;
    const std::string message =
        who + " " + why + (savedErrno ? " (" + ErrnoText(savedErrno) + ")" : "");
    if (fd_ >= 0) {
        if (settingsSaved_) tcsetattr(fd_, TCSANOW, &savedSettings_);
        ::close(fd_);
        fd_ = -1;
    }
    settingsSaved_ = false;
    Raise(ErrorCode::FileError, message);
}

void LinuxSerialLine::Open(int portNumber, ChangeHandler onChange) {
    if (IsOpen()) Raise(ErrorCode::FileError, DeviceName() + " is already open");
    port_ = portNumber;
    if (fixedPath_.empty() && portNumber < 1)
        Raise(ErrorCode::FileError, "Serial port " + std::to_string(portNumber) +
                                        " does not exist (ports are numbered from 1)");
    device_ = fixedPath_.empty() ? DevicePathOf(portNumber) : fixedPath_;

    // Non-blocking, so the open does not wait for a carrier.
    fd_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        const int e = errno;
        FailOpen(OpenFailureText(e, device_), e);
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) FailOpen("is in use by another program", errno);
    if (tcgetattr(fd_, &savedSettings_) != 0) FailOpen("is not a serial device", errno);
    settingsSaved_ = true;

    // 9600 baud, no parity, 8 data bits, 1 stop bit; modem lines do not gate the port. Hang-up
    // on close makes the kernel drop DTR and RTS when the last descriptor goes, so a motor stops
    // even when the program dies without closing its ports.
    termios settings = savedSettings_;
    cfmakeraw(&settings);
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    settings.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD | HUPCL;
    if (tcsetattr(fd_, TCSANOW, &settings) != 0) FailOpen("refuses the line settings", errno);

    // A pseudo-terminal and some adapters have no modem-control lines: refuse them here rather
    // than drive nothing.
    int status = 0;
    if (::ioctl(fd_, TIOCMGET, &status) != 0)
        FailOpen("offers no modem-control lines (DTR, RTS, DCD, CTS)", errno);
    int both = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd_, TIOCMBIC, &both) != 0)
        FailOpen("offers no modem-control lines (DTR, RTS, DCD, CTS)", errno);

    InstallWakeHandler();
    RegisterLineDescriptor(fd_);  // SIGINT and SIGTERM switch its lines off at once
    onChange_ = std::move(onChange);
    stop_ = false;
    watcherDone_ = false;
    lastReported_ = -1;
    waitsForChanges_ = true;
    try {
        watcher_ = std::thread([this] { Watch(); });
    } catch (const std::system_error& e) {
        UnregisterLineDescriptor(fd_);
        FailOpen("cannot be watched", e.code().value());
    }
}

void LinuxSerialLine::Watch() {
    // Only the wake signal may interrupt this thread; everything else goes to the others.
    sigset_t only;
    sigfillset(&only);
    sigdelset(&only, WakeSignal());
    pthread_sigmask(SIG_SETMASK, &only, nullptr);

    ModemInputs last{};
    bool first = true;
    while (!stop_.load()) {
        int status = 0;
        if (::ioctl(fd_, TIOCMGET, &status) != 0) break;
        const ModemInputs now{(status & TIOCM_CAR) != 0, (status & TIOCM_CTS) != 0};
        if (first || !(now == last)) {
            if (onChange_) onChange_(now);
            last = now;
            first = false;
            lastReported_ = (now.DCD ? 1 : 0) | (now.CTS ? 2 : 0);
        }
        if (waitsForChanges_.load()) {
            if (::ioctl(fd_, TIOCMIWAIT, TIOCM_CAR | TIOCM_CTS) == 0) continue;
            const int e = errno;
            if (e == EINTR) continue;
            if (!IsUnsupported(e)) break;
            waitsForChanges_ = false;  // fall back to polling
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }
    watcherDone_ = true;
}

void LinuxSerialLine::Poll() {
    if (fd_ < 0 || !watcher_.joinable() || watcherDone_.load()) return;
    const int reported = lastReported_.load();
    if (reported < 0) return;  // the watcher has not started reporting yet
    int status = 0;
    if (::ioctl(fd_, TIOCMGET, &status) != 0) return;
    const int now = ((status & TIOCM_CAR) ? 1 : 0) | ((status & TIOCM_CTS) ? 2 : 0);
    if (now != reported) pthread_kill(watcher_.native_handle(), WakeSignal());
}

void LinuxSerialLine::StopWatcher() noexcept {
    if (!watcher_.joinable()) return;
    stop_ = true;
    // The wake signal may arrive just before the watcher enters its wait; repeat until it is out.
    while (!watcherDone_.load()) {
        pthread_kill(watcher_.native_handle(), WakeSignal());
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    watcher_.join();
}

void LinuxSerialLine::Close() noexcept {
    if (fd_ < 0) return;
    StopWatcher();
    int both = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd_, TIOCMBIC, &both);
    UnregisterLineDescriptor(fd_);
    if (settingsSaved_) tcsetattr(fd_, TCSANOW, &savedSettings_);
    settingsSaved_ = false;
    ::close(fd_);
    fd_ = -1;
    onChange_ = nullptr;
}

void LinuxSerialLine::SetLine(int bit, bool on, const char* name) {
    if (fd_ < 0)
        Raise(ErrorCode::FileError,
              std::string("Cannot set ") + name + ": " + DeviceName() + " is not open");
    if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) != 0)
        Raise(ErrorCode::FileError,
              std::string("Cannot set ") + name + " of " + device_ + ": " + ErrnoText(errno));
}

void LinuxSerialLine::SetDTR(bool on) {
    SetLine(TIOCM_DTR, on, "DTR");
}
void LinuxSerialLine::SetRTS(bool on) {
    SetLine(TIOCM_RTS, on, "RTS");
}

void LinuxSerialLine::ForceOff() noexcept {
    const int fd = fd_;
    if (fd < 0) return;
    int both = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIC, &both);
}

ModemInputs LinuxSerialLine::GetInputs() {
    if (fd_ < 0)
        Raise(ErrorCode::FileError, "Cannot read the inputs: " + DeviceName() + " is not open");
    int status = 0;
    if (::ioctl(fd_, TIOCMGET, &status) != 0)
        Raise(ErrorCode::FileError,
              "Cannot read the inputs of " + device_ + ": " + ErrnoText(errno));
    return {(status & TIOCM_CAR) != 0, (status & TIOCM_CTS) != 0};
}

}  // namespace torvane
