#pragma once
// One motor of the tool-path driver's motor list: which serial port it is wired to and how its
// encoder steps translate into position units.

#include <cstdint>
#include <optional>
#include <string>

#include "motorio/DriveKind.h"

namespace torvane {

struct typMotorProperties {
    std::string Name;      // as the motor masks name the motor
    std::string PartName;  // the part room that carries the motor
    // This motor's own limits in its position units per second and per second squared; 0 where
    // the motor line gives none. Re-timing keeps the motor within them.
    double MaxV = 0;
    double MaxA = 0;
    std::int16_t ComPort = 0;  // 0 when the motor line names a device path instead
    std::string Device;        // the serial device's path ("/dev/ttyUSB0"); empty for a number
    // Position units per encoder step, negative when the encoder counts backwards; for a servo
    // on a bus its counts per position unit (negative when it turns the other way).
    double Scale = 1;
    DriveKind Kind = DriveKind::Lines;  // what drives the motor; the port then names it in its kind
    // A servo on a bus: its id (channel), the device's baud rate (0: the protocol's default) and
    // the count at position 0.
    std::int32_t ServoId = 0;
    std::int32_t Baud = 0;
    double Zero = 0;
    // The travel the motor must stay within, in its position units; none where the motor line
    // gives none.
    std::optional<double> Lower;
    std::optional<double> Upper;
    friend bool operator==(const typMotorProperties&, const typMotorProperties&) = default;
};

}  // namespace torvane
