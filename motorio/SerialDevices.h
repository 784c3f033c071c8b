#pragma once
// The machine's serial devices a motor may be wired to, for the windows to offer.

#include <string>
#include <vector>

namespace torvane {

// The character devices /dev/ttyS*, /dev/ttyUSB*, /dev/ttyACM* and /dev/serial/by-id/* under
// DevRoot (normally /dev), sorted, each as a full path; empty when there are none. Names
// that only look like devices (regular files) are left out.
std::vector<std::string> SerialDevices(const std::string& DevRoot = "/dev");

}  // namespace torvane
