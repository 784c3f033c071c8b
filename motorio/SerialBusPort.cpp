// The kernel's own terminal interface is used here (termios2 with BOTHER, for any baud rate); its
// header cannot live beside the C library's <termios.h>, so this file includes neither that nor
// anything that brings it in.
#include "motorio/SerialBusPort.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>

#include "model/Error.h"
#include "model/NumberText.h"

namespace torvane {
namespace {

using Clock = std::chrono::steady_clock;

// The devices this program holds open as buses, so that a second opening of one can say that it
// is this program, not another, that holds it.
class OpenBuses {
  public:
    static void Add(const std::string& Device) {
        const std::lock_guard lock(mutex_);
        devices_.insert(Device);
    }
    static void Remove(const std::string& Device) noexcept {
        const std::lock_guard lock(mutex_);
        devices_.erase(Device);
    }
    static bool Holds(const std::string& Device) {
        const std::lock_guard lock(mutex_);
        return devices_.contains(Device);
    }

  private:
    static inline std::mutex mutex_;
    static inline std::set<std::string> devices_;
};

std::string ErrnoText(int e) {
    return std::strerror(e);
}

// The errors of a device that has gone (an adapter unplugged, a terminal hung up).
bool IsGone(int e) {
    return e == EIO || e == ENXIO || e == ENODEV || e == EPIPE;
}

std::string OpenFailure(int e) {
    switch (e) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "does not exist (is the adapter plugged in?)";
        case EBUSY:
            return "is busy: another program holds it";
        case EACCES:
        case EPERM:
            return "cannot be opened: you have no permission to use it (join the group that owns "
                   "it, for example dialout, then log in again)";
        default:
            return "cannot be opened";
    }
}

// Raw 8N1 at Baud through the arbitrary-rate interface, no flow control, reads returning at
// once (the port waits with poll).
void MakeRaw(termios2& t, std::int32_t Baud) {
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | INPCK);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (Baud > 0) {
        t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
        t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
        t.c_ispeed = static_cast<speed_t>(Baud);
        t.c_ospeed = static_cast<speed_t>(Baud);
    }
}

class SerialBusPort final : public BusPort {
  public:
    SerialBusPort(std::string Device, std::int32_t Baud) : device_(std::move(Device)), baud_(Baud) {
        if (Baud <= 0)
            Raise(ErrorCode::InvalidArgument,
                  "The baud rate of " + device_ + " must be above 0, not " + std::to_string(Baud));
        fd_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) Fail(OpenFailure(errno), errno);
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
            Fail(OpenBuses::Holds(device_)
                     ? "is in use by this program: the servos on it are held by the last drive; "
                       "switch their torque off to free it"
                     : "is in use by another program",
                 0);
        termios2 settings{};
        if (::ioctl(fd_, TCGETS2, &settings) != 0) Fail("is not a serial device", errno);
        termios2 raw = settings;
        MakeRaw(raw, Baud);
        // A pseudo-terminal takes the rest of the settings but may refuse the rate; it has none.
        if (::ioctl(fd_, TCSETS2, &raw) != 0) {
            const int e = errno;
            raw = settings;
            MakeRaw(raw, 0);
            if (!IsTerminalWithoutRate() || ::ioctl(fd_, TCSETS2, &raw) != 0)
                Fail("refuses " + std::to_string(Baud) + " baud, 8 data bits, no parity", e);
        }
        ::ioctl(fd_, TIOCEXCL);  // nobody else opens it while the bus is ours
        Discard();
        OpenBuses::Add(device_);
    }
    ~SerialBusPort() override {
        OpenBuses::Remove(device_);
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }
    SerialBusPort(const SerialBusPort&) = delete;
    SerialBusPort& operator=(const SerialBusPort&) = delete;

    void Discard() override {
        ::ioctl(fd_, TCFLSH, TCIFLUSH);
        std::uint8_t scrap[256];
        while (::read(fd_, scrap, sizeof scrap) > 0) {
        }
    }

    void Write(std::span<const std::uint8_t> Bytes) override {
        std::size_t done = 0;
        while (done < Bytes.size()) {
            const ssize_t n = ::write(fd_, Bytes.data() + done, Bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            const int e = n < 0 ? errno : EIO;
            if (e == EINTR) continue;
            if (e != EAGAIN) Lost("cannot be written to", e);
            WaitFor(POLLOUT, -1);
        }
    }

    std::size_t Read(std::span<std::uint8_t> Into, std::chrono::microseconds Timeout) override {
        const Clock::time_point until = Clock::now() + Timeout;
        std::size_t got = 0;
        while (got < Into.size()) {
            const ssize_t n = ::read(fd_, Into.data() + got, Into.size() - got);
            if (n > 0) {
                got += static_cast<std::size_t>(n);
                continue;
            }
            // Raw with no minimum count, a read finds nothing with 0 rather than EAGAIN.
            const int e = n == 0 ? EAGAIN : errno;
            if (e == EINTR) continue;
            if (e != EAGAIN) Lost("cannot be read", e);
            const auto left =
                std::chrono::duration_cast<std::chrono::microseconds>(until - Clock::now());
            if (left.count() <= 0) break;
            if (!WaitFor(POLLIN, static_cast<int>((left.count() + 999) / 1000))) break;
        }
        return got;
    }

    const std::string& Device() const noexcept override { return device_; }
    double ByteSeconds() const noexcept override { return 10.0 / baud_; }

  private:
    // A pseudo-terminal's far end: its driver keeps no baud rate.
    bool IsTerminalWithoutRate() const {
        int number = 0;
        return ::ioctl(fd_, TIOCGPTN, &number) == 0 || device_.rfind("/dev/pts/", 0) == 0;
    }

    // Waits up to Ms (-1: as long as it takes) for Events; false when the time ran out. A hang-up
    // or error on the device raises.
    bool WaitFor(short Events, int Ms) {
        pollfd p{fd_, Events, 0};
        for (;;) {
            const int n = ::poll(&p, 1, Ms);
            // A device hung up (unplugged) also reports itself readable, with nothing to read.
            if (n > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) Lost("has hung up", 0);
            if (n > 0) return true;
            if (n == 0) return false;
            if (errno != EINTR) Lost("cannot be waited on", errno);
        }
    }

    [[noreturn]] void Lost(const std::string& Why, int e) const {
        const std::string gone = e == 0 || IsGone(e) ? " (was it unplugged?)" : "";
        Raise(ErrorCode::FileError,
              "Serial device " + device_ + " " + Why + gone + (e ? " (" + ErrnoText(e) + ")" : ""));
    }

    [[noreturn]] void Fail(const std::string& Why, int e) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        Raise(ErrorCode::FileError,
              "Serial device " + device_ + " " + Why + (e ? " (" + ErrnoText(e) + ")" : ""));
    }

    std::string device_;
    std::int32_t baud_;
    int fd_ = -1;
};

}  // namespace

std::unique_ptr<BusPort> OpenSerialBus(const std::string& Device, std::int32_t Baud) {
    return std::make_unique<SerialBusPort>(Device, Baud);
}

std::optional<int> UsbLatencyTimerMs(const std::string& Device, const std::string& SysRoot) {
    std::error_code error;
    // /dev/serial/by-id names and other links lead to the adapter's own ttyUSBn.
    const std::filesystem::path real = std::filesystem::canonical(Device, error);
    if (error) return std::nullopt;
    const std::filesystem::path timer = std::filesystem::path(SysRoot) / "bus/usb-serial/devices" /
                                        real.filename() / "latency_timer";
    std::ifstream in(timer);
    int ms = 0;
    if (!(in >> ms) || ms < 0) return std::nullopt;
    return ms;
}

std::string LatencyTimerAdvice(const std::string& Device, const std::string& SysRoot) {
    const std::optional<int> ms = UsbLatencyTimerMs(Device, SysRoot);
    if (!ms || *ms <= 1) return {};
    std::error_code error;
    const std::string name = std::filesystem::canonical(Device, error).filename().string();
    return "The USB adapter of " + Device + " holds every reply up to " + std::to_string(*ms) +
           " ms (its latency timer).  Set the timer to 1 ms: echo 1 | sudo tee "
           "/sys/bus/usb-serial/devices/" +
           name + "/latency_timer";
}

std::string LatencyAdvice(const std::string& Device, std::chrono::microseconds Period,
                          int Exchanges, const std::string& SysRoot) {
    const std::optional<int> ms = UsbLatencyTimerMs(Device, SysRoot);
    if (!ms || *ms <= 1 || Exchanges <= 0) return {};
    // A short reply waits for the timer at worst once per exchange.
    const std::chrono::microseconds round = std::chrono::milliseconds(*ms) * Exchanges;
    if (round <= Period) return {};
    return LatencyTimerAdvice(Device, SysRoot) + "  Until then a control round on it takes up to " +
           std::to_string(round.count() / 1000) + " ms, longer than the period of " +
           TrimmedNumberText(static_cast<double>(Period.count()) / 1000) + " ms.";
}

}  // namespace torvane
