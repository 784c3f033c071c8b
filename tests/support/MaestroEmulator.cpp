#include "tests/support/MaestroEmulator.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mechanon::testing {

namespace {

constexpr std::uint8_t SetTargetByte = 0x84;
constexpr std::uint8_t SetSpeedByte = 0x87;
constexpr std::uint8_t SetAccelerationByte = 0x89;
constexpr std::uint8_t GetPositionByte = 0x90;
constexpr std::uint8_t SetMultipleTargetsByte = 0x9F;
constexpr std::uint8_t GetErrorsByte = 0xA1;
constexpr std::uint8_t GoHomeByte = 0xA2;
constexpr std::uint16_t SerialProtocolError = 1u << 4;

int SevenBitPair(std::span<const std::uint8_t> Frame, std::size_t At) {
    return Frame[At] | (Frame[At + 1] << 7);
}

void AppendWord(std::vector<std::uint8_t>& Reply, unsigned Word) {
    Reply.push_back(static_cast<std::uint8_t>(Word & 0xFF));
    Reply.push_back(static_cast<std::uint8_t>((Word >> 8) & 0xFF));
}

void AllHome(std::map<int, EmulatedServo>& Servos) {
    for (auto& [number, servo] : Servos) servo.Torque = false;
}

}  // namespace

MaestroEmulator::MaestroEmulator(int Channels, int MinTarget, int MaxTarget)
    : channels_(Channels), min_(MinTarget), max_(MaxTarget) {}

EmulatedServo MaestroEmulator::Channel(int Number, int Target) {
    EmulatedServo servo;
    servo.Id = Number;
    servo.Model = 0;
    servo.Position = servo.Goal = Target;
    servo.Torque = Target != 0;
    servo.Speed = std::numeric_limits<double>::infinity();  // no speed limit until one is set
    return servo;
}

std::vector<std::uint8_t> MaestroEmulator::operator()(std::vector<std::uint8_t>& Received,
                                                      std::map<int, EmulatedServo>& Servos) {
    std::vector<std::uint8_t> reply;
    stalled_ = false;
    while (!Received.empty() && !stalled_) {
        const std::size_t used = Command(Received, Servos, reply);
        if (used == 0) break;
        Received.erase(Received.begin(), Received.begin() + static_cast<std::ptrdiff_t>(used));
    }
    if (stalled_) Received.clear();
    return reply;
}

std::size_t MaestroEmulator::Length(std::span<const std::uint8_t> Bytes) const {
    switch (Bytes[0]) {
        case SetTargetByte:
        case SetSpeedByte:
        case SetAccelerationByte:
            return 4;
        case GetPositionByte:
            return 2;
        case GetErrorsByte:
        case GoHomeByte:
            return 1;
        case SetMultipleTargetsByte:
            if (channels_ <= 6) return 0;  // the smallest controller lacks it
            // The count decides the length; until it has come, the frame is at least this long.
            return Bytes.size() < 2 ? 2 : 3 + 2 * std::size_t{Bytes[1]};
        default:
            return 0;
    }
}

std::size_t MaestroEmulator::Command(std::span<const std::uint8_t> Bytes,
                                     std::map<int, EmulatedServo>& Servos,
                                     std::vector<std::uint8_t>& Reply) {
    const std::size_t length = Bytes[0] < 0x80 ? 0 : Length(Bytes);
    if (length == 0) {
        ProtocolError(Servos);
        return 1;
    }
    for (std::size_t i = 1; i < std::min(length, Bytes.size()); ++i) {
        if (Bytes[i] < 0x80) continue;
        ProtocolError(Servos);  // cut short by the next command, which is read from here on
        return i;
    }
    if (Bytes.size() < length) return 0;
    Execute(Bytes.first(length), Servos, Reply);
    return length;
}

void MaestroEmulator::Execute(std::span<const std::uint8_t> Frame,
                              std::map<int, EmulatedServo>& Servos,
                              std::vector<std::uint8_t>& Reply) {
    // Every command but Set Multiple Targets names its channel in its second byte.
    const bool addressed = Frame.size() > 1 && Frame[0] != SetMultipleTargetsByte;
    EmulatedServo* const servo = addressed ? Find(Frame[1], Servos) : nullptr;
    switch (Frame[0]) {
        case SetTargetByte:
            if (servo) SetTarget(*servo, SevenBitPair(Frame, 2));
            break;
        case SetSpeedByte:
            // In quarter-microseconds per 10 ms; 0 is no limit.
            if (servo) {
                const int speed = SevenBitPair(Frame, 2);
                servo->Speed = speed == 0 ? std::numeric_limits<double>::infinity() : 100.0 * speed;
            }
            break;
        case SetAccelerationByte:
            break;  // the emulated output ramps at its speed only
        case SetMultipleTargetsByte:
            SetTargets(Frame, Servos);
            break;
        case GetPositionByte:
            if (servo) GetPosition(*servo, Reply);
            break;
        case GetErrorsByte:
            GetErrors(Servos, Reply);
            break;
        case GoHomeByte:
            AllHome(Servos);
            break;
    }
    if (addressed && !servo) ProtocolError(Servos);
}

EmulatedServo* MaestroEmulator::Find(int Number, std::map<int, EmulatedServo>& Servos) {
    if (Number >= channels_) return nullptr;
    const auto [at, added] = Servos.try_emplace(Number, Channel(Number));
    return &at->second;
}

void MaestroEmulator::SetTarget(EmulatedServo& Servo, int Target) const {
    if (Target == 0) {
        Servo.Torque = false;
        return;
    }
    Servo.Goal = std::clamp(Target, min_, max_);
    // With no pulse before it, the output starts at the target; afterwards it ramps.
    if (!Servo.Torque) Servo.Position = Servo.Goal;
    Servo.Torque = true;
}

void MaestroEmulator::SetTargets(std::span<const std::uint8_t> Frame,
                                 std::map<int, EmulatedServo>& Servos) {
    const int count = Frame[1];
    const int first = Frame[2];
    if (count == 0 || first + count > channels_) {
        ProtocolError(Servos);
        return;
    }
    for (int k = 0; k < count; ++k)
        SetTarget(*Find(first + k, Servos), SevenBitPair(Frame, 3 + 2 * std::size_t(k)));
}

void MaestroEmulator::GetPosition(EmulatedServo& Servo, std::vector<std::uint8_t>& Reply) {
    if (!Servo.Answers) {
        stalled_ = true;
        return;
    }
    unsigned word = Servo.Torque ? static_cast<unsigned>(std::lround(Servo.Position)) : 0;
    if (Servo.CorruptNextReply) word |= 0xC000;
    Servo.CorruptNextReply = false;
    AppendWord(Reply, word);
}

void MaestroEmulator::GetErrors(std::map<int, EmulatedServo>& Servos,
                                std::vector<std::uint8_t>& Reply) {
    std::uint16_t injected = 0;
    for (auto& [number, servo] : Servos) {
        injected |= servo.HardwareError;
        servo.HardwareError = 0;
    }
    // The controller sent its channels home when the error arose.
    if (injected) AllHome(Servos);
    AppendWord(Reply, errors_ | injected);
    errors_ = 0;
}

void MaestroEmulator::ProtocolError(std::map<int, EmulatedServo>& Servos) {
    errors_ |= SerialProtocolError;
    AllHome(Servos);
}

}  // namespace mechanon::testing
