#pragma once
// The program's end of an emulated bus, opened raw as the tests of the servo controller need it:
// a BusPort on a pseudo-terminal, without the serial device layer of the program.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>

#include "model/Error.h"
#include "motorio/BusPort.h"

namespace torvane::test {

class MaestroPtyPort final : public BusPort {
  public:
    MaestroPtyPort(std::string Device, std::int32_t Baud)
        : device_(std::move(Device)), baud_(Baud) {
        fd_ = open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0) Raise(ErrorCode::FileError, "Cannot open " + device_);
        termios raw{};
        tcgetattr(fd_, &raw);
        cfmakeraw(&raw);
        tcsetattr(fd_, TCSANOW, &raw);
    }
    ~MaestroPtyPort() override { close(fd_); }
    MaestroPtyPort(const MaestroPtyPort&) = delete;
    MaestroPtyPort& operator=(const MaestroPtyPort&) = delete;

    void Discard() override { tcflush(fd_, TCIFLUSH); }
    void Write(std::span<const std::uint8_t> Bytes) override {
        for (std::size_t done = 0; done < Bytes.size();) {
            const ssize_t put = write(fd_, Bytes.data() + done, Bytes.size() - done);
            if (put < 0 && errno != EAGAIN) Raise(ErrorCode::FileError, device_ + " is gone");
            if (put > 0) done += static_cast<std::size_t>(put);
        }
    }
    std::size_t Read(std::span<std::uint8_t> Into, std::chrono::microseconds Timeout) override {
        using Clock = std::chrono::steady_clock;
        const auto end = Clock::now() + Timeout;
        std::size_t got = 0;
        while (got < Into.size()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
            if (left.count() <= 0) break;
            pollfd fd{fd_, POLLIN, 0};
            if (poll(&fd, 1, static_cast<int>(left.count())) <= 0) continue;
            const ssize_t n = read(fd_, Into.data() + got, Into.size() - got);
            // Ready but nothing to read: the other end has hung up.
            if (n == 0 || (n < 0 && errno != EAGAIN))
                Raise(ErrorCode::FileError, device_ + " is gone");
            if (n > 0) got += static_cast<std::size_t>(n);
        }
        return got;
    }
    const std::string& Device() const noexcept override { return device_; }
    double ByteSeconds() const noexcept override { return 10.0 / baud_; }

  private:
    std::string device_;
    std::int32_t baud_;
    int fd_ = -1;
};

}  // namespace torvane::test
