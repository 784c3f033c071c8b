#pragma once
// A USB servo controller emulated behind a PtyServoBus: it reads the compact protocol on its
// command port and answers as the controller's document says. The bus's servos are its channels
// (EmulatedServo::Id is the channel); a channel the test did not give is added when first
// addressed, its pulses off. Counts are quarter-microseconds.
//
// As on the controller: a target is held within the channel's range; a channel whose pulses were
// off jumps to its first target, later targets are followed at the channel's speed (the speed
// limit the controller ramps its output with, EmulatedServo::Speed, counts per second); Get
// Position reports that output, 0 while the pulses are off. A byte it cannot read (an unknown
// command, a data byte out of place, a command cut short by the next, a channel it lacks) sets
// the serial protocol error and sends every channel home, which here is off; Get Errors reports
// and clears the error register.
//
// For the faults of the tests: EmulatedServo::HardwareError puts its bits into the error register;
// Answers false makes the controller fall silent when asked for that channel's position (the rest
// of what it received is dropped, as a controller that stalls); CorruptNextReply garbles the next
// position of that channel once (its top bits set, which no output can have).

#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "tests/support/PtyServoBus.h"

namespace mechanon::testing {

class MaestroEmulator {
  public:
    // A controller of Channels channels (6, 12, 18 or 24); the smallest lacks Set Multiple Targets.
    // Every channel's range is MinTarget..MaxTarget, by default the 992 to 2000 us a channel has
    // until it is set otherwise.
    explicit MaestroEmulator(int Channels = 24, int MinTarget = 3968, int MaxTarget = 8000);

    // A channel at Target (0: pulses off), without a speed limit as the controller starts.
    static EmulatedServo Channel(int Number, int Target = 0);

    // The Responder of PtyServoBus.
    std::vector<std::uint8_t> operator()(std::vector<std::uint8_t>& Received,
                                         std::map<int, EmulatedServo>& Servos);

  private:
    // Carries out the command at the front of Bytes; the bytes it used, 0 while it is incomplete.
    std::size_t Command(std::span<const std::uint8_t> Bytes, std::map<int, EmulatedServo>& Servos,
                        std::vector<std::uint8_t>& Reply);
    std::size_t Length(std::span<const std::uint8_t> Bytes) const;  // 0: not a known command
    void Execute(std::span<const std::uint8_t> Frame, std::map<int, EmulatedServo>& Servos,
                 std::vector<std::uint8_t>& Reply);
    EmulatedServo* Find(int Number, std::map<int, EmulatedServo>& Servos);
    void SetTarget(EmulatedServo& Servo, int Target) const;
    void SetTargets(std::span<const std::uint8_t> Frame, std::map<int, EmulatedServo>& Servos);
    void GetPosition(EmulatedServo& Servo, std::vector<std::uint8_t>& Reply);
    void GetErrors(std::map<int, EmulatedServo>& Servos, std::vector<std::uint8_t>& Reply);
    void ProtocolError(std::map<int, EmulatedServo>& Servos);

    int channels_;
    int min_;
    int max_;
    std::uint16_t errors_ = 0;
    bool stalled_ = false;  // silent for the rest of what was received
};

}  // namespace mechanon::testing
