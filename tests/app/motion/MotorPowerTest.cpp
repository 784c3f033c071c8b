// The software power switching of a motor line, on a hand-ticked timer: what the lines do over
// whole periods, and how power 0, full power and bad values end.

#include <gtest/gtest.h>

#include <cmath>

#include "app/motion/clsMotorPower.h"
#include "model/Error.h"
#include "platform/ScriptedUserInterface.h"
#include "tests/app/motion/MotionTestSupport.h"

namespace mechanon::testing {
namespace {

class MotorPower : public ::testing::Test {
  protected:
    MotorPower() { line.Open(1, {}); }
    // Milliseconds of the last period in which each state held: DTR alone, RTS alone, neither.
    struct Split {
        int dtr = 0;
        int rts = 0;
        int off = 0;
    };
    Split Watch(int ms) {
        Split split;
        for (int i = 0; i < ms; ++i) {
            if (log->dtr && !log->rts)
                ++split.dtr;
            else if (log->rts && !log->dtr)
                ++split.rts;
            else if (!log->dtr && !log->rts)
                ++split.off;
            timer.Advance(1);
        }
        return split;
    }
    bool NeverBothOn() const {
        bool dtr = false, rts = false;
        for (const LineLog::Change& c : log->changes) {
            (c.line == "DTR" ? dtr : rts) = c.on;
            if (dtr && rts) return false;
        }
        return true;
    }
    ManualSwitchTimer timer;
    std::shared_ptr<LineLog> log = std::make_shared<LineLog>();
    RecordingLine line{log, [this] { return timer.Now(); }};
    clsMotorPower power{line, timer};
};

TEST_F(MotorPower, ForwardAndBackwardDutyCycles) {
    power.SetPower(50, 20);
    EXPECT_EQ(timer.Interval(), 10);
    EXPECT_TRUE(log->dtr) << "the on part starts at once";
    Split split = Watch(200);
    EXPECT_EQ(split.dtr, 100);
    EXPECT_EQ(split.off, 100);
    EXPECT_EQ(split.rts, 0);

    power.SetPower(-25, 100);
    split = Watch(1000);
    EXPECT_EQ(split.rts, 250);
    EXPECT_EQ(split.off, 750);
    EXPECT_EQ(split.dtr, 0);
    EXPECT_TRUE(NeverBothOn()) << "turning round takes one line off before the other goes on";
}

TEST_F(MotorPower, IntervalsRoundHalvesToEven) {
    power.SetPower(25, 10);  // 2.5 ms on, 7.5 ms off
    EXPECT_EQ(timer.Interval(), 2);
    timer.Advance(2);
    EXPECT_EQ(timer.Interval(), 8);
    power.SetPower(35, 10);  // 3.5 ms on rounds up to 4, 6.5 ms off down to 6
    EXPECT_EQ(timer.Interval(), 4);
    timer.Advance(4);
    EXPECT_EQ(timer.Interval(), 6);
}

TEST_F(MotorPower, StopAndPowerZeroSwitchBothLinesOffAndStopTheTimer) {
    power.SetPower(-60, 20);
    EXPECT_TRUE(log->rts);
    power.Stop();
    EXPECT_FALSE(log->dtr || log->rts);
    EXPECT_EQ(timer.Interval(), 0);
    EXPECT_EQ(Watch(100).off, 100) << "no tick switches anything back on";

    power.SetPower(60, 20);
    power.SetPower(0, 20);
    EXPECT_FALSE(log->dtr || log->rts);
    EXPECT_EQ(timer.Interval(), 0);
}

TEST_F(MotorPower, FullPowerStaysOnAndTooLittleStaysOff) {
    power.SetPower(100, 20);
    EXPECT_EQ(Watch(500).dtr, 500) << "no off part, so the line stays on";
    power.SetPower(-100, 20);
    EXPECT_EQ(Watch(500).rts, 500);
    power.SetPower(1, 20);  // 0.2 ms rounds to nothing
    EXPECT_EQ(Watch(500).off, 500) << "too little power leaves the motor off, not on";
    EXPECT_EQ(timer.Interval(), 0);
}

TEST_F(MotorPower, BadValuesChangeNothing) {
    power.SetPower(50, 20);
    const double onTime = power.OnTime();
    for (const auto& [p, period] : {std::pair{150.0, 20.0},
                                    {-101.0, 20.0},
                                    {50.0, 0.0},
                                    {50.0, -5.0},
                                    {std::nan(""), 20.0}}) {
        EXPECT_THROW(power.SetPower(p, period), torvane::Error) << p << " " << period;
        EXPECT_EQ(power.OnTime(), onTime);
        EXPECT_EQ(timer.Interval(), 10);
    }
}

TEST_F(MotorPower, AFailingLineEndsTheSwitchingWithAMessage) {
    torvane::ScriptedUserInterface ui;
    const torvane::ScopedUserInterface installed(ui);
    power.SetPower(50, 20);
    // The port goes away under the running timer: the tick reports it once and stops.
    struct FailingLine final : torvane::SerialLine {
        void Open(int, ChangeHandler) override {}
        void Close() noexcept override {}
        bool IsOpen() const noexcept override { return true; }
        void SetDTR(bool) override { torvane::Raise(torvane::ErrorCode::FileError, "device lost"); }
        void SetRTS(bool) override { torvane::Raise(torvane::ErrorCode::FileError, "device lost"); }
        torvane::ModemInputs GetInputs() override { return {}; }
        std::string DeviceName() const override { return "failing"; }
    } failing;
    ManualSwitchTimer otherTimer;
    clsMotorPower failingPower(failing, otherTimer);
    EXPECT_THROW(failingPower.SetPower(50, 20), torvane::Error) << "a direct call raises";
    otherTimer.SetInterval(10);
    otherTimer.Advance(50);
    EXPECT_EQ(otherTimer.Interval(), 0);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_NE(ui.Messages()[0].find("device lost"), std::string::npos);
}

TEST_F(MotorPower, AClosedPortIsNotSwitched) {
    line.Close();
    EXPECT_NO_THROW(power.SetPower(50, 20));
    EXPECT_NO_THROW(timer.Advance(100));
    EXPECT_TRUE(log->changes.empty());
}

}  // namespace
}  // namespace mechanon::testing
