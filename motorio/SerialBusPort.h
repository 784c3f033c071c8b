#pragma once
// The serial device of a servo bus (BusPort), opened by OpenSerialBus; and what a USB adapter's
// own buffering adds to every exchange on it.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "motorio/BusPort.h"

namespace torvane {

// The latency timer of the USB serial adapter behind Device (milliseconds the adapter holds a
// short reply before it passes it on), read from the kernel's settings of the adapter; nothing
// for a device that is no USB adapter with such a timer (a pseudo-terminal, a USB modem-class
// device). SysRoot is the kernel's settings tree, normally /sys.
std::optional<int> UsbLatencyTimerMs(const std::string& Device,
                                     const std::string& SysRoot = "/sys");

// How to set the latency timer of the adapter behind Device to 1 ms, when it is above that;
// empty otherwise.
std::string LatencyTimerAdvice(const std::string& Device, const std::string& SysRoot = "/sys");

// A message for the user when the adapter's latency timer makes a round of Exchanges request and
// reply pairs take longer than Period: how long a round must then take and how to set the timer
// to 1 ms. Empty when the timer does not limit the rounds (or the device has none).
std::string LatencyAdvice(const std::string& Device, std::chrono::microseconds Period,
                          int Exchanges, const std::string& SysRoot = "/sys");

}  // namespace torvane
