#include "tests/support/FeetechTestPort.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "model/Error.h"

namespace mechanon::testing {

namespace {

using Clock = std::chrono::steady_clock;

class TestPort final : public torvane::BusPort {
  public:
    TestPort(const std::string& Device, std::int32_t Baud)
        : device_(Device), byteSeconds_(10.0 / Baud) {
        fd_ = open(Device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) Fail("cannot be opened");
        termios raw{};
        tcgetattr(fd_, &raw);
        cfmakeraw(&raw);
        tcsetattr(fd_, TCSANOW, &raw);
    }
    ~TestPort() override {
        if (fd_ >= 0) close(fd_);
    }
    TestPort(const TestPort&) = delete;
    TestPort& operator=(const TestPort&) = delete;

    void Discard() override { tcflush(fd_, TCIFLUSH); }

    void Write(std::span<const std::uint8_t> Bytes) override {
        for (std::size_t done = 0; done < Bytes.size();) {
            const ssize_t put = write(fd_, Bytes.data() + done, Bytes.size() - done);
            if (put > 0)
                done += static_cast<std::size_t>(put);
            else if (put < 0 && errno == EAGAIN)
                Wait(POLLOUT, 10);
            else
                Fail("cannot be written");
        }
    }

    std::size_t Read(std::span<std::uint8_t> Into, std::chrono::microseconds Timeout) override {
        const auto end = Clock::now() + Timeout;
        std::size_t got = 0;
        while (got < Into.size()) {
            const ssize_t n = read(fd_, Into.data() + got, Into.size() - got);
            if (n > 0) {
                got += static_cast<std::size_t>(n);
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EINTR)) Fail("cannot be read");
            const auto left =
                std::chrono::duration_cast<std::chrono::microseconds>(end - Clock::now());
            if (left.count() <= 0) break;
            Wait(POLLIN, static_cast<int>((left.count() + 999) / 1000));
        }
        return got;
    }

    const std::string& Device() const noexcept override { return device_; }
    double ByteSeconds() const noexcept override { return byteSeconds_; }

  private:
    void Wait(short Events, int Milliseconds) {
        pollfd p{fd_, Events, 0};
        if (poll(&p, 1, Milliseconds) > 0 && (p.revents & (POLLHUP | POLLERR))) Fail("was closed");
    }
    [[noreturn]] void Fail(const std::string& What) const {
        torvane::Raise(torvane::ErrorCode::FileError,
                       "The device " + device_ + " " + What + ": " + std::strerror(errno));
    }

    std::string device_;
    double byteSeconds_;
    int fd_ = -1;
};

}  // namespace

std::unique_ptr<torvane::BusPort> OpenTestBus(const std::string& Device, std::int32_t Baud) {
    return std::make_unique<TestPort>(Device, Baud);
}

}  // namespace mechanon::testing
