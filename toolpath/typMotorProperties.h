#pragma once
// One motor of the tool-path driver's motor list: which serial port it is wired to and how its
// encoder steps translate into position units.

#include <cstdint>
#include <string>

namespace torvane {

struct typMotorProperties {
    std::string Name;      // as the motor masks name the motor
    std::string PartName;  // the part room that carries the motor
    double MaxV = 0;       // speed limit of this motor (carried, not used by the driver)
    double MaxA = 0;       // acceleration limit of this motor (likewise)
    std::int16_t ComPort = 0;
    double Scale =
        1;  // position units per encoder step; negative when the encoder counts backwards
    friend bool operator==(const typMotorProperties&, const typMotorProperties&) = default;
};

}  // namespace torvane
