#include "app/motion/clsMotorPower.h"

#include <cmath>
#include <limits>

#include "model/Error.h"
#include "model/NumberText.h"
#include "platform/UserInterface.h"

namespace mechanon {
namespace {

// Whole milliseconds, halves to even (the default rounding mode).
int RoundedMilliseconds(double milliseconds) {
    return static_cast<int>(std::nearbyint(milliseconds));
}

}  // namespace

clsMotorPower::clsMotorPower(torvane::SerialLine& Port, SwitchTimer& Timer)
    : port_(Port), timer_(Timer) {
    timer_.SetTickHandler([this] { OnTick(); });
}

clsMotorPower::~clsMotorPower() {
    timer_.SetTickHandler({});
}

void clsMotorPower::SetPower(double Power, double Period) {
    if (!(Power >= -100 && Power <= 100))
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "The power must be a number from -100 to 100 per cent, not " +
                           torvane::TrimmedNumberText(Power) + ".");
    if (!(Period > 0 && Period <= std::numeric_limits<int>::max()))
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "The period must be a number of milliseconds above 0, not " +
                           torvane::TrimmedNumberText(Period) + ".");
    onTime_ = std::abs(Power) * Period / 100;
    offTime_ = Period - onTime_;
    direction_ = Power >= 0;
    if (Power == 0) {
        Stop();
        return;
    }
    SwitchingStep();
}

void clsMotorPower::Stop() {
    timer_.SetInterval(0);
    phase_ = false;  // the lines are off: the next power starts with its on part
    LinesOff();
}

void clsMotorPower::OnTick() {
    // A tick comes from the event loop: a failing line must not escape into it.
    try {
        if (onTime_ == 0) {
            timer_.SetInterval(0);
            return;
        }
        SwitchingStep();
    } catch (const std::exception& e) {
        timer_.SetInterval(0);
        try {
            LinesOff();
        } catch (const std::exception&) {
            // The line is failing; the message below says so.
        }
        torvane::Host().MsgBox(std::string("The motor power was switched off.\n\n") + e.what(),
                               torvane::MsgButtons::OK);
    }
}

void clsMotorPower::SwitchingStep() {
    const int onMs = RoundedMilliseconds(onTime_);
    const int offMs = RoundedMilliseconds(offTime_);
    if (offMs == 0) {  // full power: on for good
        phase_ = true;
        timer_.SetInterval(0);
        LinesOn();
        return;
    }
    if (onMs == 0) {  // too little power to switch on for a millisecond
        phase_ = false;
        timer_.SetInterval(0);
        LinesOff();
        return;
    }
    if (!phase_) {
        phase_ = true;
        LinesOn();
        timer_.SetInterval(onMs);
    } else {
        phase_ = false;
        LinesOff();
        timer_.SetInterval(offMs);
    }
}

void clsMotorPower::Lines(bool dtr, bool rts) {
    if (!port_.IsOpen()) return;
    // The line that is to go off goes first, so both are never on together.
    if (dtr) {
        port_.SetRTS(rts);
        port_.SetDTR(dtr);
    } else {
        port_.SetDTR(dtr);
        port_.SetRTS(rts);
    }
}

void clsMotorPower::LinesOn() {
    if (direction_)
        Lines(true, false);
    else
        Lines(false, true);
}

void clsMotorPower::LinesOff() {
    if (!port_.IsOpen()) return;
    port_.SetRTS(false);
    port_.SetDTR(false);
}

}  // namespace mechanon
