#pragma once
// Servos of the Dynamixel X series on an emulated bus, protocol 2.0, answering ping, read, write,
// sync read and sync write from their EmulatedServo: model number, torque enable (64), hardware
// error status (70), goal position (116) and present position (132), and the status return
// level (68) that has a servo answer pings only (0), also reads (1) or everything (2, as
// shipped). A servo with a hardware error sets the alert bit of every status and keeps its torque
// off. The framing here is written apart from the program's, so that the tests compare two readings
// of the protocol.

#include <cstdint>
#include <vector>

#include "tests/support/PtyServoBus.h"

namespace mechanon::testing {

constexpr std::int32_t kXl430Model = 1060;  // XL430-W250
constexpr std::int32_t kXm430Model = 1020;  // XM430-W350
constexpr std::uint8_t kDynamixelFirmware = 38;

// Hardware Error Status bits.
constexpr std::uint8_t kDxlInputVoltage = 0x01;
constexpr std::uint8_t kDxlOverheating = 0x04;
constexpr std::uint8_t kDxlOverload = 0x20;

PtyServoBus::Responder DynamixelResponder();

// The emulator's own framing, for tests that write packets by hand.
std::vector<std::uint8_t> DynamixelTestPacket(std::uint8_t Id, std::uint8_t Instruction,
                                              const std::vector<std::uint8_t>& Params);

}  // namespace mechanon::testing
