#pragma once
// STS/SCS servos for PtyServoBus: answers ping, read, write, synchronous write and synchronous
// read from the EmulatedServo table (model number at address 3, torque enable at 40, goal at 42,
// present position at 56, status at 65, two-byte values little endian with bit 15 the sign).
// A silent servo answers nothing and takes no write; CorruptNextReply spoils one checksum.

#include "tests/support/PtyServoBus.h"

namespace mechanon::testing {

// The model number of the STS3215.
constexpr std::int32_t kSts3215Model = 777;

PtyServoBus::Responder FeetechResponder();

}  // namespace mechanon::testing
