#pragma once
// The motors of a drive as its control rounds see them: a set of joints, numbered from 1, each
// commanded towards a target position once per round and read back as a measured position, both
// in the motor's position units. A round works on the whole set at once (one read, one command),
// so motors that share a device can be served by one transfer each way.
//
// Threads: the set belongs to one thread at a time, as its port host does; DriveFrom hands it to
// a control thread and back. Only EmergencyOff may be called from any thread.

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "motorio/DriveKind.h"

namespace torvane {

// What a motor line says about where a joint's motor is and how its positions scale.
struct JointLine {
    std::int16_t Port = 0;  // the port number; 0 when Device names the device instead
    std::string Device;     // a device path ("/dev/ttyUSB0"); empty for a number
    // Line-driven and simulated motors: position units per encoder step. Servos on a bus: the
    // servo's counts per position unit (per degree, or per model unit).
    double Scale = 1;
    DriveKind Kind = DriveKind::Lines;
    // Servos on a bus only: the servo's id on its device (the channel of a servo controller), the
    // device's baud rate (0: the protocol's default) and the count at which the motor stands at
    // position 0.
    std::int32_t ServoId = 0;
    std::int32_t Baud = 0;
    double Zero = 0;
};

// Where a set says which joint it is commanding, as the drive numbers its motors: through the
// motor numbers of a group when the set serves only some of the drive's motors.
class BusyJoint {
  public:
    // Implicit: the drive's own atomic marks motor numbers as they are.
    BusyJoint(std::atomic<int>& At) noexcept : at_(&At) {}
    // Joint j of a group is motor Motors[j - 1] of Outer.
    BusyJoint(const BusyJoint& Outer, std::span<const int> Motors) noexcept
        : at_(Outer.at_), outer_(&Outer), motors_(Motors) {}
    void Mark(int Joint) const noexcept {
        const int motor = motors_.empty() ? Joint : motors_[static_cast<std::size_t>(Joint - 1)];
        if (outer_)
            outer_->Mark(motor);
        else
            at_->store(motor);
    }

  private:
    std::atomic<int>* at_;
    const BusyJoint* outer_ = nullptr;
    std::span<const int> motors_;
};

class DrivenJoints {
  public:
    virtual ~DrivenJoints() = default;

    // Makes the joints those of Lines, index for index, all torque off. Joints that already are
    // exactly these lines stay open and keep their positions (only the scales are taken anew),
    // so a drive starts where the motors stand. Raises, naming the device, when one cannot be
    // opened; the joints then match what did open.
    virtual void Open(const std::vector<JointLine>& Lines) = 0;
    // Torque off and every joint released.
    virtual void Close() noexcept = 0;
    // The joints that can be driven now.
    virtual std::int32_t Count() const = 0;

    // Brings every joint's measurement up to the present and writes the positions of joints 1
    // to Measured.size() into it. False, writing nothing, when fewer joints than that can be
    // driven (their device was closed under the drive).
    virtual bool Read(std::span<double> Measured) = 0;
    // Drives joints 1 to Targets.size() towards their targets for this round. Busy is marked
    // with the joint being commanded, so a watchdog that catches a stalled round can say which.
    virtual void Command(std::span<const double> Targets, const BusyJoint& Busy) = 0;
    // Torque off on every joint. Tries every joint even when one fails; false when any could not
    // be switched off.
    virtual bool AllOff() noexcept = 0;
    // Stops every joint and keeps it where it stands: how a drive ends, whether done, stopped or
    // tripped. Motors that cannot hold a position by themselves (a DC motor on two lines, a
    // simulated one) are switched off, as AllOff does; servos keep their present position with
    // torque on, so an arm is not dropped.
    virtual void Hold() noexcept { AllOff(); }
    // Teaching by hand: torque off on the joints marked in Limp (joint 1 first; joints beyond it
    // count as marked), the others kept where they stand. Joints that cannot hold a position by
    // themselves go off whichever way they are marked, as AllOff makes them. False when a joint
    // could not be switched.
    virtual bool LetGo(const std::vector<bool>& /*Limp*/) noexcept { return AllOff(); }
    // Whether Read measures joint Joint (from 1). A hobby servo controller reports the target it
    // outputs, which before a drive's first goal is nothing at all: a drive then takes what it
    // commands as what the joint shows.
    virtual bool Measures(std::int32_t /*Joint*/) const noexcept { return true; }
    // The seconds a round of these joints may take at worst without anything being wrong: the
    // wait for a bus's replies (and the one repeat of a garbled one). A drive's watchdog allows
    // at least that much.
    virtual double RoundAllowance() const noexcept { return 0; }
    // Torque off on every joint at once, from any thread, without waiting for a call running on
    // the owning thread (the drive's watchdog).
    virtual void EmergencyOff() noexcept = 0;

    // Hands the joints to thread Driver (a drive's control thread) until DriveFrom({}).
    virtual void DriveFrom(std::thread::id Driver) noexcept = 0;
};

}  // namespace torvane
