// Paths driven on servos of an emulated bus, on the control thread as the program drives them:
// the servos follow and are held where the path ends, and each fault of a servo or of the bus
// ends the drive within a round with a message naming it.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "motorio/DrivenJoints.h"
#include "motorio/SerialBusPort.h"
#include "motorio/frmMSComms.h"
#include "platform/ScriptedUserInterface.h"
#include "script/Engine.h"
#include "tests/motorio/MotorTestSupport.h"
#include "tests/support/FeetechEmulator.h"
#include "tests/support/MaestroEmulator.h"
#include "toolpath/MotionRecorder.h"
#include "toolpath/StopTokenScope.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

using mechanon::testing::EmulatedServo;
using mechanon::testing::PtyServoBus;
using test::Block;
using test::CodeOf;
using test::Leg;

constexpr double kCountsPerDegree = 4096.0 / 360;

std::vector<EmulatedServo> TwoServos() {
    std::vector<EmulatedServo> servos(2);
    for (int k = 0; k < 2; ++k) {
        servos[k].Id = k + 1;
        servos[k].Model = mechanon::testing::kSts3215Model;
        servos[k].Speed = 20000;
    }
    return servos;
}

class ServoBusDrive : public ::testing::Test {
  protected:
    ServoBusDrive() {
        UseServos(path);
        path.SetFollowingErrorLimit(30);
        rounds =
            path.CutRound.Subscribe([this](double, const DoubleArray& t, const DoubleArray& m) {
                lastTarget = t(1);
                lastMeasured = m(1);
                ++roundCount;
            });
    }
    // The two servos as motors, driven at 200 rounds a second.
    void UseServos(clsToolPath& onto) {
        // Servo 2 turns the other way from a zero at count 2048.
        const std::string device = bus.DevicePath();
        onto.ParseMotorsProperties("5,5\r\nShoulder,arm,feetech:" + device + "#1=2048," +
                                   std::to_string(kCountsPerDegree) + "\r\nElbow,forearm,feetech:" +
                                   device + "#2=2048,-" + std::to_string(kCountsPerDegree));
        ControlTiming timing;
        timing.Period = 0.005;
        timing.Deadline = 0.5;  // a loaded test machine must not trip the watchdog
        onto.SetControlTiming(timing);
    }
    EmulatedServo Servo(int id) {
        EmulatedServo copy;
        bus.With([&](auto& servos) { copy = servos.at(id); });
        return copy;
    }
    // Waits (at most a generous 3 s) until the emulated servos have reached the goals the drive
    // left them: they move in real time, on the emulator's thread.
    bool ServosAtTheirGoals() {
        const auto there = [this] {
            bool at = true;
            bus.With([&](auto& servos) {
                for (const auto& [id, servo] : servos)
                    at = at && (!servo.Torque || std::abs(servo.Goal - servo.Position) < 0.5);
            });
            return at;
        };
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (!there() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return there();
    }
    // Drives a long path until the window thread's events have seen Rounds rounds, then
    // applies Fault; the drive's error message.
    std::string FaultAfter(int rounds, const std::function<void()>& fault) {
        bool done = false;
        ui.onDoEvents = [&] {
            if (!done && roundCount >= rounds) {
                done = true;
                fault();
            }
        };
        std::string message;
        const auto start = std::chrono::steady_clock::now();
        CodeOf([&] { path.DriveXMLToolPath(Leg(Block(0, 30, " 0 , 0", "S,S")), false, 0); },
               &message);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        EXPECT_FALSE(path.Cutting());
        return message;
    }

    PtyServoBus bus{TwoServos(), mechanon::testing::FeetechResponder()};
    std::shared_ptr<frmMSComms> host = std::make_shared<frmMSComms>();
    clsToolPath path{host->ScriptEngine()};
    ScriptedUserInterface ui;
    ScopedUserInterface installedUi{ui};
    Subscription rounds;
    double lastTarget = 0, lastMeasured = 0;
    int roundCount = 0;
};

TEST_F(ServoBusDrive, TheServosFollowThePathAndAreHeldWhereItEnds) {
    // Out to 60 degrees in a quarter of a second, back to 30 in another.
    path.DriveXMLToolPath(
        Leg(Block(0, 0.25, " 0 , 0", "240*S,240*S") + Block(0, 0.25, " 60 , 60", "-120*S,-120*S")),
        false, 0);
    EXPECT_GT(roundCount, 20);
    EXPECT_NEAR(lastTarget, 30, 0.5);
    EXPECT_NEAR(lastMeasured, 30, 2) << "the present position read back";
    const EmulatedServo one = Servo(1), two = Servo(2);
    EXPECT_NEAR(one.Position, 2048 + 30 * kCountsPerDegree, 25);
    EXPECT_NEAR(two.Position, 2048 - 30 * kCountsPerDegree, 25) << "a negative scale";
    // Held: torque on, the goal where the servo stood when the drive ended.
    EXPECT_TRUE(one.Torque);
    EXPECT_TRUE(two.Torque);
    EXPECT_NEAR(one.Goal, one.Position, 25);

    // Stop from the window thread ends the drive holding as well.
    StopTokenScope stop(path);
    ui.onDoEvents = [&] {
        if (roundCount > 80) stop.Stop();
    };
    path.DriveXMLToolPath(Leg(Block(0, 30, " 30 , 30", "S,S")), false, 0);
    EXPECT_FALSE(path.Cutting());
    EXPECT_TRUE(Servo(1).Torque);
}

TEST_F(ServoBusDrive, TheWatchdogSendsNoFurtherGoalAndTheServosAreHeldOnceTheRoundReturns) {
    ControlTiming timing;
    timing.Period = 0.005;
    timing.Deadline = 0.02;
    path.SetControlTiming(timing);
    host->ScriptEngine()->AddCode(
        "Function Hang(x)\r\nDo While x\r\nLoop\r\nHang = 0\r\nEnd Function");
    std::string message;
    CodeOf(
        [&] { path.DriveXMLToolPath(Leg(Block(0, 5, " 0 , 0", "20*S,S+Hang(S>0.1)")), false, 0); },
        &message);
    // The watchdog allows at least the bus's own wait for two replies, so that a silent servo is
    // named by the bus and not caught as a stalled round; a hung equation still trips it.
    const std::size_t at = message.find("took longer than ");
    ASSERT_NE(at, std::string::npos) << message;
    const double deadline = std::stod(message.substr(at + 17));
    // Two replies of the servos' 25 ms and the test bus's extra time each, and their bytes.
    const double replies =
        2 * (25 + std::chrono::duration<double, std::milli>(PtyServoBus::kExtraReplyTime).count());
    EXPECT_GE(deadline, replies) << message;
    EXPECT_LT(deadline, replies + 10) << message;
    EXPECT_NE(message.find("the servos were sent no further goal"), std::string::npos) << message;
    EXPECT_TRUE(Servo(1).Torque) << "held, not dropped";
    EXPECT_NEAR(Servo(1).Goal, Servo(1).Position, 25);

    // Let go: limp, and the device free for another user.
    EXPECT_TRUE(path.ReleaseServoBuses());
    EXPECT_FALSE(Servo(1).Torque);
    EXPECT_FALSE(Servo(2).Torque);
    EXPECT_NO_THROW(OpenSerialBus(bus.DevicePath(), 1000000));
}

TEST_F(ServoBusDrive, ARecordingLetsGoOfTheChosenServosAndTheOthersHoldWhereTheyStand) {
    path.DriveXMLToolPath(Leg(Block(0, 0.1, " 0 , 0", "100*S,100*S")), false, 0);
    ASSERT_TRUE(ServosAtTheirGoals());
    const std::shared_ptr<DrivenJoints> joints = path.OpenMotorJoints();
    MotionRecorder recorder(*joints, 2);
    recorder.Start({true, false});
    EXPECT_FALSE(Servo(1).Torque) << "let go, to be moved by hand";
    EXPECT_TRUE(Servo(2).Torque) << "kept";
    EXPECT_NEAR(Servo(2).Goal, Servo(2).Position, 1) << "kept where it stood, not sent elsewhere";
    bus.With([](auto& servos) { servos.at(1).Position = 2048 + 30 * kCountsPerDegree; });
    const std::size_t moved = recorder.SampleCount();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (recorder.SampleCount() < moved + 5 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    const std::vector<typMotionSample> samples = recorder.Stop();
    ASSERT_FALSE(samples.empty());
    EXPECT_NEAR(samples.back().Positions.at(0), 30, 0.1);
    EXPECT_NEAR(samples.back().Positions.at(1), 10, 0.2) << "the kept elbow did not move";
}

TEST_F(ServoBusDrive, ARecordingMakesTheServosLimpAndReadsThemMovedByHand) {
    path.DriveXMLToolPath(Leg(Block(0, 0.1, " 0 , 0", "100*S,100*S")), false, 0);
    ASSERT_TRUE(ServosAtTheirGoals());
    ASSERT_TRUE(Servo(1).Torque);
    const std::shared_ptr<DrivenJoints> joints = path.OpenMotorJoints();
    MotionRecorder recorder(*joints, 2);
    recorder.Start();
    EXPECT_FALSE(Servo(1).Torque);
    EXPECT_FALSE(Servo(2).Torque);
    // The hand turns the shoulder to 45 degrees; the servo, limp, stays where it is put.
    bus.With([](auto& servos) { servos.at(1).Position = 2048 + 45 * kCountsPerDegree; });
    const std::size_t moved = recorder.SampleCount();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (recorder.SampleCount() < moved + 5 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    const std::vector<typMotionSample> samples = recorder.Stop();
    ASSERT_FALSE(samples.empty());
    EXPECT_NEAR(samples.back().Positions.at(0), 45, 0.1);
    EXPECT_NEAR(samples.back().Positions.at(1), 10, 0.2) << "where the drive left the elbow";

    // Letting go of the servos waits for the recording's joints to be given back.
    EXPECT_EQ(CodeOf([&] { path.ReleaseServoBuses(); }), ErrorCode::InvalidArgument);
}

TEST_F(ServoBusDrive, TheProgramsEndLeavesHeldServosHoldingAndFreesTheDevice) {
    {
        clsToolPath program{host->ScriptEngine()};
        UseServos(program);
        program.DriveXMLToolPath(Leg(Block(0, 0.1, " 0 , 0", "100*S,100*S")), false, 0);
    }
    EXPECT_TRUE(Servo(1).Torque);
    EXPECT_TRUE(Servo(2).Torque);
    EXPECT_NEAR(Servo(1).Position, 2048 + 10 * kCountsPerDegree, 25);
    EXPECT_NO_THROW(OpenSerialBus(bus.DevicePath(), 1000000));
}

TEST_F(ServoBusDrive, AServoOrBusFaultEndsTheDriveNamingItAndNothingHangs) {
    const std::string device = bus.DevicePath();
    // One spoilt reply is asked for again; the drive goes on to its end.
    bool spoilt = false;
    ui.onDoEvents = [&] {
        if (spoilt || roundCount < 10) return;
        spoilt = true;
        bus.With([](auto& servos) { servos.at(2).CorruptNextReply = true; });
    };
    path.DriveXMLToolPath(Leg(Block(0, 0.2, " 0 , 0", "50*S,50*S")), false, 0);
    EXPECT_NEAR(lastTarget, 10, 0.5);

    const std::string silent =
        FaultAfter(10, [&] { bus.With([](auto& servos) { servos.at(2).Answers = false; }); });
    EXPECT_NE(silent.find("servo 2 on " + device), std::string::npos) << silent;
    EXPECT_TRUE(Servo(1).Torque) << "the servos that answer are held";
    bus.With([](auto& servos) { servos.at(2).Answers = true; });

    const std::string overload = FaultAfter(10, [&] {
        bus.With([](auto& servos) { servos.at(1).HardwareError = 0x20; });  // overload
    });
    EXPECT_NE(overload.find("servo 1 on " + device), std::string::npos) << overload;
    EXPECT_FALSE(Servo(1).Torque) << "the servo reporting the fault goes limp";
    EXPECT_TRUE(Servo(2).Torque);
    bus.With([](auto& servos) { servos.at(1).HardwareError = 0; });

    const std::string unplugged = FaultAfter(10, [&] { bus.Unplug(); });
    EXPECT_NE(unplugged.find(device), std::string::npos) << unplugged;
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

// A hobby servo controller reports the targets it outputs, and nothing before a drive's first
// goal: its channels show what they were told, so a following-error limit does not trip on them.
TEST(ServoControllerDrive, ChannelsShowWhatTheyWereToldAndTheLimitDoesNotTripOnThem) {
    mechanon::testing::PtyServoBus bus{{mechanon::testing::MaestroEmulator::Channel(0),
                                        mechanon::testing::MaestroEmulator::Channel(1)},
                                       mechanon::testing::MaestroEmulator()};
    const auto host = std::make_shared<frmMSComms>();
    clsToolPath path{host->ScriptEngine()};
    ScriptedUserInterface ui;
    const ScopedUserInterface installedUi{ui};
    // Zero 6000 (1500 us), 44.444 counts a degree: a path from 30 degrees, far from where the
    // silent channels "are" (0, no pulses), within a limit of 2 degrees.
    const std::string device = bus.DevicePath();
    path.ParseMotorsProperties("5,5\r\nA,arm,maestro:" + device +
                               "#0=6000,44.444\r\nB,arm,maestro:" + device + "#1=6000,-44.444");
    ControlTiming timing;
    timing.Period = 0.005;
    timing.Deadline = 0.5;
    path.SetControlTiming(timing);
    path.SetFollowingErrorLimit(2);
    double worst = 0;
    const Subscription rounds =
        path.CutRound.Subscribe([&](double, const DoubleArray& t, const DoubleArray& m) {
            for (std::int32_t i = 1; i <= 2; ++i) worst = std::max(worst, std::abs(t(i) - m(i)));
        });
    try {
        path.DriveXMLToolPath(Leg(Block(0, 0.3, " 30 , -20", "10*S,10*S")), false, 0);
    } catch (const Error& e) {
        ADD_FAILURE() << "no trip in the first round or later: " << e.what();
    }
    EXPECT_LT(worst, 0.5) << "what a channel was told lies a round ahead of the path at most";
    bus.With([](auto& channels) {
        EXPECT_NEAR(channels.at(0).Goal, 6000 + 33 * 44.444, 2);
        EXPECT_NEAR(channels.at(1).Goal, 6000 + 17 * 44.444, 2);
    });
}

}  // namespace
}  // namespace torvane
