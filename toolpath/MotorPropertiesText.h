#pragma once
// The motor-properties text: a first line "VMax,AMax" with the default limits for re-timing,
// then one line per motor (ComPort a port number or a device path such as /dev/ttyUSB0),
// "Name,PartName,ComPort", "Name,PartName,ComPort,Scale" (Scale in
// position units per encoder step, 1 when left out), "Name,PartName,ComPort,Scale,MaxV,MaxA"
// (the motor's own speed and acceleration limits in its position units per second and per second
// squared) or "Name,PartName,ComPort,Scale,MaxV,MaxA,Lower,Upper" (the travel it must stay
// within, in its position units). An empty limit field means no limit of that kind, so
// "Elbow,Arm,2,1,,,-90,90" limits the travel only. The port may be preceded by the kind of motor,
// "simulated:2" for a simulated motor (no port involved; the number only tells the motors apart) or
// "lines:2" for the default, a DC motor on the lines of port 2 of the port host. Lines end in CR LF
// or a bare LF; empty lines are skipped, and a line with another number of fields is refused,
// naming it.

#include <string>
#include <string_view>
#include <vector>

#include "motorio/DrivenJoints.h"
#include "toolpath/typMotorProperties.h"

namespace torvane {

struct ParsedMotorProperties {
    double vMax = 0;  // S per second
    double aMax = 0;  // S per second squared
    std::vector<typMotorProperties> motors;
};

// Reads and checks the whole text. A first line without two numbers above 0, a line of another
// number of fields, a port outside 1 to 32767, a scale of 0, a lower limit above the upper one
// or two motors on one port raise an error naming the line or the motor. The text must not be
// empty.
ParsedMotorProperties ParseMotorPropertiesText(std::string_view text);

// What a motor of the list must hold, whichever way the list was made: a port from 1, a finite
// scale other than 0, and a port no motor of `earlier` of the same kind has. `who` names the motor
// in the error.
void CheckMotor(const typMotorProperties& motor, const std::string& who,
                const std::vector<typMotorProperties>& earlier);

// The port field of a motor line for motor: the kind before the port only when it is not the
// default, so a line-driven motor's field reads as it always did.
std::string PortFieldText(const typMotorProperties& motor);

// The motor line for motor, with as few fields as hold what it carries (empty fields for the
// limits it has none of), so ParseMotorPropertiesText reads the same motor back.
std::string MotorLineText(const typMotorProperties& motor);

// What the driven joints need of motor.
JointLine JointLineOf(const typMotorProperties& motor);

}  // namespace torvane
