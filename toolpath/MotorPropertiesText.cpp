#include "toolpath/MotorPropertiesText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "model/Error.h"
#include "model/NumberText.h"

namespace torvane {
namespace {

std::vector<std::string> CutAt(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        parts.emplace_back(text.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

// Lines end in CR LF; a bare LF (as a text box may give) ends a line too.
std::vector<std::string> LinesOf(std::string_view text) {
    std::vector<std::string> lines = CutAt(text, '\n');
    for (std::string& line : lines)
        if (!line.empty() && line.back() == '\r') line.pop_back();
    return lines;
}

std::string LineLabel(std::size_t index) {
    return "line " + std::to_string(index + 1);
}

// A whole field that is a number ("2", " 1.5 ", "-3e2"); anything else is a type mismatch.
double StrictNumber(const std::string& field, const std::string& what) {
    const std::optional<double> value = WholeNumberValue(field);
    if (!value)
        Raise(ErrorCode::TypeMismatch,
              "Type mismatch: " + what + " \"" + field + "\" is not a number");
    return *value;
}

// A default limit of line 1: a number above 0, since re-timing divides by it.
double PositiveLimit(const std::string& field, const std::string& name) {
    const double value = StrictNumber(field, "the default " + name + " of line 1");
    if (!(value > 0))
        Raise(ErrorCode::InvalidArgument,
              "The default " + name + " of line 1, \"" + field + "\", must be above 0");
    return value;
}

// The number value of a motor line's field; a number beyond a double names the motor.
double FieldValue(const std::string& field, const std::string& motor, const char* what) {
    try {
        return NumberValue(field);
    } catch (const Error& e) {
        if (e.Code() != ErrorCode::Overflow) throw;
        Raise(ErrorCode::InvalidArgument,
              "Motor " + motor + ": " + what + " \"" + field + "\" is too large a number");
    }
}

std::int16_t PortOf(const std::string& field, const std::string& motor) {
    const double rounded = std::nearbyint(FieldValue(field, motor, "port"));  // halves to even
    if (!(rounded >= 1 && rounded <= std::numeric_limits<std::int16_t>::max()))
        Raise(ErrorCode::InvalidArgument, "Motor " + motor + ": port \"" + field +
                                              "\" is not a serial port number (1 to 32767)");
    return static_cast<std::int16_t>(rounded);
}

double ScaleOf(const std::string& field, const std::string& motor) {
    const double scale = FieldValue(field, motor, "scale");
    if (scale == 0 || !std::isfinite(scale))
        Raise(ErrorCode::InvalidArgument,
              "Motor " + motor + ": scale \"" + field +
                  "\" must be the position units per encoder step, not 0");
    return scale;
}

// A motor's own limit: a number above 0, or an empty field for none (0).
double MotorLimit(const std::string& field, const std::string& motor, const char* what) {
    if (TrimSpaces(field).empty()) return 0;
    const double limit = FieldValue(field, motor, what);
    if (!(limit > 0) || !std::isfinite(limit))
        Raise(ErrorCode::InvalidArgument,
              "Motor " + motor + ": the " + what + " \"" + field +
                  "\" must be a number above 0, in the motor's units per second" +
                  (std::string(what) == "speed limit" ? "" : " squared"));
    return limit;
}

// One end of a motor's travel: a finite number, or an empty field for none.
std::optional<double> TravelEnd(const std::string& field, const std::string& motor,
                                const char* what) {
    if (TrimSpaces(field).empty()) return std::nullopt;
    // Read as a whole: a prefix reading would make "abc" a limit at 0 and "9O" one at 9.
    const std::optional<double> end = WholeNumberValue(field);
    if (!end)
        Raise(ErrorCode::InvalidArgument,
              "Motor " + motor + ": the " + what + " \"" + field + "\" is not a number");
    return end;
}

struct KindName {
    DriveKind kind;
    const char* name;
};
constexpr KindName kKinds[] = {{DriveKind::Lines, "lines"},
                               {DriveKind::Simulated, "simulated"},
                               {DriveKind::Feetech, "feetech"},
                               {DriveKind::Dynamixel, "dynamixel"},
                               {DriveKind::Maestro, "maestro"}};

// The highest id a servo of the kind can have (the channels of a servo controller from 0).
std::int32_t HighestId(DriveKind kind) {
    switch (kind) {
        case DriveKind::Feetech:
            return 253;
        case DriveKind::Dynamixel:
            return 252;
        case DriveKind::Maestro:
            return 23;
        default:
            return 0;
    }
}

// A whole non-negative integer field of a servo's port ("1000000", "3").
std::int32_t WholeCount(const std::string& text, const std::string& motor, const char* what) {
    const std::optional<double> value = WholeNumberValue(text);
    if (!value || *value < 0 || *value != std::floor(*value) || *value > 2147483647)
        Raise(ErrorCode::InvalidArgument,
              "Motor " + motor + ": the " + what + " \"" + text + "\" is not a whole number");
    return static_cast<std::int32_t>(*value);
}

// "DEVICE[@BAUD]#ID[=ZERO]": the device of a servo's bus, its baud rate, the servo's id and the
// count at position 0.
void ReadServoPort(const std::string& port, typMotorProperties& motor, const std::string& who) {
    const std::size_t hash = port.rfind('#');
    if (hash == std::string::npos || port.empty() || port.front() != '/')
        Raise(ErrorCode::InvalidArgument,
              "Motor " + who +
                  ": a servo's port is its device, a '#' and its id, as in "
                  "\"/dev/ttyUSB0#3\" (\"/dev/ttyUSB0@1000000#3=2048\" with the baud "
                  "rate and the count at position 0)");
    std::string device = port.substr(0, hash);
    std::string id = port.substr(hash + 1);
    if (const std::size_t equals = id.find('='); equals != std::string::npos) {
        const std::string zero = TrimSpaces(id.substr(equals + 1));
        const std::optional<double> value = WholeNumberValue(zero);
        if (!value || !std::isfinite(*value))
            Raise(ErrorCode::InvalidArgument,
                  "Motor " + who + ": the count at position 0, \"" + zero + "\", is not a number");
        motor.Zero = *value;
        id = id.substr(0, equals);
    }
    if (const std::size_t at = device.rfind('@'); at != std::string::npos) {
        motor.Baud = WholeCount(TrimSpaces(device.substr(at + 1)), who, "baud rate");
        if (motor.Baud == 0)
            Raise(ErrorCode::InvalidArgument, "Motor " + who + ": the baud rate must be above 0");
        device = device.substr(0, at);
    }
    motor.Device = TrimSpaces(device);
    motor.ServoId = WholeCount(TrimSpaces(id), who, "servo id");
    if (motor.ServoId > HighestId(motor.Kind))
        Raise(ErrorCode::InvalidArgument,
              "Motor " + who + ": servo id " + std::to_string(motor.ServoId) +
                  " is beyond the highest id of its bus, " + std::to_string(HighestId(motor.Kind)));
}

bool IsLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

std::string Lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// "kind:port" names the kind of motor; a bare port (no letters before a colon) is line-driven.
// No port number read before reads with a letter first, so every older line reads as it did.
DriveKind TakeKind(std::string& port, const std::string& motor) {
    const std::size_t colon = port.find(':');
    if (colon == std::string::npos || colon == 0 ||
        !std::all_of(port.begin(), port.begin() + static_cast<std::ptrdiff_t>(colon), IsLetter))
        return DriveKind::Lines;
    const std::string name = Lowered(port.substr(0, colon));
    for (const KindName& k : kKinds)
        if (name == k.name) {
            port = TrimSpaces(port.substr(colon + 1));
            return k.kind;
        }
    Raise(ErrorCode::InvalidArgument, "Motor " + motor + ": \"" + port.substr(0, colon) +
                                          "\" is no kind of motor (\"lines:\" or \"simulated:\" "
                                          "before the port, or the port alone)");
}

// A line that is neither empty nor a motor: skipping it would drop a motor without a word.
[[noreturn]] void RaiseFieldCount(const std::string& line, std::size_t index, std::size_t fields) {
    Raise(ErrorCode::InvalidArgument,
          "The motor list's " + LineLabel(index) + ", \"" + line + "\", has " +
              std::to_string(fields) + (fields == 1 ? " field" : " fields") +
              "; a motor line has 3 (Name,Part,Port), 4 (Name,Part,Port,Scale), 6 "
              "(Name,Part,Port,Scale,MaxV,MaxA) or 8 (Name,Part,Port,Scale,MaxV,MaxA,Lower,Upper), "
              "separated by commas");
}

}  // namespace

std::string PortFieldText(const typMotorProperties& motor) {
    std::string port = motor.Device.empty() ? std::to_string(motor.ComPort) : motor.Device;
    if (IsServoBus(motor.Kind)) {
        if (motor.Baud > 0) port += "@" + std::to_string(motor.Baud);
        port += "#" + std::to_string(motor.ServoId);
        if (motor.Zero != 0) port += "=" + TrimmedNumberText(motor.Zero);
    }
    for (const KindName& k : kKinds)
        if (k.kind == motor.Kind && k.kind != DriveKind::Lines) return k.name + (":" + port);
    return port;
}

namespace {

std::string LimitField(double limit) {
    return limit > 0 ? TrimmedNumberText(limit) : std::string();
}

std::string EndField(const std::optional<double>& end) {
    return end ? TrimmedNumberText(*end) : std::string();
}

}  // namespace

std::string MotorLineText(const typMotorProperties& motor) {
    std::string line = motor.Name + "," + motor.PartName + "," + PortFieldText(motor) + "," +
                       TrimmedNumberText(motor.Scale);
    const bool travel = motor.Lower || motor.Upper;
    if (travel || motor.MaxV > 0 || motor.MaxA > 0)
        line += "," + LimitField(motor.MaxV) + "," + LimitField(motor.MaxA);
    if (travel) line += "," + EndField(motor.Lower) + "," + EndField(motor.Upper);
    return line;
}

JointLine JointLineOf(const typMotorProperties& motor) {
    return JointLine{motor.ComPort, motor.Device, motor.Scale, motor.Kind,
                     motor.ServoId, motor.Baud,   motor.Zero};
}

void CheckMotor(const typMotorProperties& motor, const std::string& who,
                const std::vector<typMotorProperties>& earlier) {
    if (motor.ComPort < 1 && motor.Device.empty())
        Raise(ErrorCode::InvalidArgument, "Motor " + who + ": port " +
                                              std::to_string(motor.ComPort) +
                                              " is not a serial port number (1 to 32767)");
    // A scale of 0 would make the motor's position read 0 whatever it does: it would run away.
    if (motor.Scale == 0 || !std::isfinite(motor.Scale))
        Raise(ErrorCode::InvalidArgument,
              "Motor " + who + ": the scale must be the position units per encoder step, not " +
                  TrimmedNumberText(std::isfinite(motor.Scale) ? motor.Scale : 0));
    if (!(motor.MaxV >= 0) || !(motor.MaxA >= 0) || !std::isfinite(motor.MaxV) ||
        !std::isfinite(motor.MaxA))
        Raise(ErrorCode::InvalidArgument,
              "Motor " + who +
                  ": its speed and acceleration limits must be numbers above 0 (or 0 "
                  "for none)");
    if ((motor.Lower && !std::isfinite(*motor.Lower)) ||
        (motor.Upper && !std::isfinite(*motor.Upper)))
        Raise(ErrorCode::InvalidArgument, "Motor " + who + ": its travel limits must be numbers");
    if (motor.Lower && motor.Upper && *motor.Lower > *motor.Upper)
        Raise(ErrorCode::InvalidArgument,
              "Motor " + who + ": its lower limit " + TrimmedNumberText(*motor.Lower) +
                  " is above its upper limit " + TrimmedNumberText(*motor.Upper));
    // One port drives one motor: a second motor on it would fight the first over the lines. On a
    // servo bus one id is one servo.
    for (const typMotorProperties& other : earlier) {
        if (other.Kind != motor.Kind) continue;  // the port of another kind is another port
        if (IsServoBus(motor.Kind)) {
            if (other.Device == motor.Device && other.ServoId == motor.ServoId)
                Raise(ErrorCode::InvalidArgument,
                      "Motor " + who + ": servo id " + std::to_string(motor.ServoId) + " on " +
                          motor.Device + " is already the servo of motor \"" + other.Name + "\"");
            continue;
        }
        if (!motor.Device.empty() && other.Device == motor.Device)
            Raise(ErrorCode::InvalidArgument, "Motor " + who + ": the device " + motor.Device +
                                                  " is already the port of motor \"" + other.Name +
                                                  "\"");
        if (motor.Device.empty() && other.Device.empty() && other.ComPort == motor.ComPort)
            Raise(ErrorCode::InvalidArgument,
                  "Motor " + who + ": port " + std::to_string(motor.ComPort) +
                      " is already the port of motor \"" + other.Name + "\"");
    }
}

ParsedMotorProperties ParseMotorPropertiesText(std::string_view text) {
    const std::vector<std::string> lines = LinesOf(text);
    ParsedMotorProperties out;
    const std::vector<std::string> limits = CutAt(lines[0], ',');
    if (limits.size() < 2)
        Raise(ErrorCode::SubscriptOutOfRange,
              "The first line of the motor properties must hold the default limits \"VMax,AMax\", "
              "not \"" +
                  lines[0] + "\"");
    out.vMax = PositiveLimit(limits[0], "VMax");
    out.aMax = PositiveLimit(limits[1], "AMax");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (TrimSpaces(lines[i]).empty()) continue;
        const std::vector<std::string> fields = CutAt(lines[i], ',');
        if (fields.size() != 3 && fields.size() != 4 && fields.size() != 6 && fields.size() != 8)
            RaiseFieldCount(lines[i], i, fields.size());
        typMotorProperties motor;
        motor.Name = fields[0];
        motor.PartName = fields[1];
        const std::string who = "\"" + motor.Name + "\" (" + LineLabel(i) + ")";
        // The port field takes a port number or the path of a serial device.
        const std::string field = TrimSpaces(fields[2]);
        std::string port = field;
        motor.Kind = TakeKind(port, who);
        if (IsServoBus(motor.Kind))
            ReadServoPort(port, motor, who);
        else if (!port.empty() && port.front() == '/')
            motor.Device = port;
        else
            motor.ComPort = PortOf(port == field ? fields[2] : port, who);
        if (fields.size() >= 4) motor.Scale = ScaleOf(fields[3], who);
        if (fields.size() >= 6) {
            motor.MaxV = MotorLimit(fields[4], who, "speed limit");
            motor.MaxA = MotorLimit(fields[5], who, "acceleration limit");
        }
        if (fields.size() == 8) {
            motor.Lower = TravelEnd(fields[6], who, "lower limit");
            motor.Upper = TravelEnd(fields[7], who, "upper limit");
        }
        CheckMotor(motor, who, out.motors);
        out.motors.push_back(std::move(motor));
    }
    return out;
}

}  // namespace torvane
