#pragma once
// The byte stream of a servo bus: a serial device opened raw at the bus's baud rate (any rate,
// also those that are no standard termios speed, such as 1,000,000), or in tests the other end
// of a pseudo-terminal. Half duplex: a request is written, then its replies are read within a
// time limit.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace torvane {

class BusPort {
  public:
    virtual ~BusPort() = default;
    // Drops whatever was received and not read yet (the remains of a failed exchange).
    virtual void Discard() = 0;
    // Writes all of Bytes; raises a file error naming the device when it cannot (unplugged).
    virtual void Write(std::span<const std::uint8_t> Bytes) = 0;
    // Reads until Into is full or Timeout has passed since the call; the bytes read. Raises a file
    // error naming the device when it is gone.
    virtual std::size_t Read(std::span<std::uint8_t> Into, std::chrono::microseconds Timeout) = 0;
    // The device's path, for messages.
    virtual const std::string& Device() const noexcept = 0;
    // Seconds one byte takes on the wire (10 bits at the baud rate).
    virtual double ByteSeconds() const noexcept = 0;
};

// Opens Device raw (8N1, no flow control, no echo, exclusive) at Baud, through the kernel's
// arbitrary-rate interface where the rate is no standard speed; a pseudo-terminal is accepted at
// any rate. Raises a file error naming the device when it cannot be opened or set.
std::unique_ptr<BusPort> OpenSerialBus(const std::string& Device, std::int32_t Baud);

}  // namespace torvane
