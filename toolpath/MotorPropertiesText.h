#pragma once
// The motor-properties text: a first line "VMax,AMax" with the default limits for re-timing,
// then one line per motor (ComPort a port number or a device path such as /dev/ttyUSB0),
// "Name,PartName,ComPort", "Name,PartName,ComPort,Scale" (Scale in
// position units per encoder step, 1 when left out) or "Name,PartName,ComPort,Scale,MaxV,MaxA"
// (the motor's own speed and acceleration limits in its position units per second and per second
// squared). Lines end in CR LF or a bare LF; empty lines and lines with another number of fields
// are no motors.

#include <string>
#include <string_view>
#include <vector>

#include "toolpath/typMotorProperties.h"

namespace torvane {

struct ParsedMotorProperties {
    double vMax = 0;  // S per second
    double aMax = 0;  // S per second squared
    std::vector<typMotorProperties> motors;
};

// Reads and checks the whole text. A first line without two numbers above 0, a port outside
// 1 to 32767, a scale of 0 or two motors on one port raise an error naming the line or the
// motor. The text must not be empty.
ParsedMotorProperties ParseMotorPropertiesText(std::string_view text);

// What a motor of the list must hold, whichever way the list was made: a port from 1, a finite
// scale other than 0, and a port no motor of `earlier` has. `who` names the motor in the error.
void CheckMotor(const typMotorProperties& motor, const std::string& who,
                const std::vector<typMotorProperties>& earlier);

}  // namespace torvane
