#pragma once
// A BusPort on a terminal opened raw, for the tests and the benchmark of the Feetech protocol
// against its emulator: what OpenSerialBus does with a pseudo-terminal, so the protocol is tested
// apart from the device layer. The baud rate only sets ByteSeconds (a pseudo-terminal has none).

#include <memory>
#include <string>

#include "motorio/BusPort.h"

namespace mechanon::testing {

std::unique_ptr<torvane::BusPort> OpenTestBus(const std::string& Device, std::int32_t Baud);

}  // namespace mechanon::testing
