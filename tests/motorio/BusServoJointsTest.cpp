// The servos of one bus as a drive's joints, on a protocol kept in memory: counts and positions,
// one read and one write per round, torque as a drive needs it, and failures named.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "model/Error.h"
#include "motorio/BusServoJoints.h"
#include "tests/motorio/FakeServoBus.h"

namespace torvane {
namespace {

using test::FakeBusPort;
using test::FakeBusState;
using test::FakeServoProtocol;

const std::string kDevice = "/dev/ttyFAKE0";

JointLine Servo(std::int32_t id, double scale, double zero = 2048, std::int32_t baud = 0) {
    JointLine line;
    line.Device = kDevice;
    line.Kind = DriveKind::Feetech;
    line.ServoId = id;
    line.Scale = scale;
    line.Zero = zero;
    line.Baud = baud;
    return line;
}

class BusServoJointsTest : public ::testing::Test {
  protected:
    BusServoJointsTest()
        : state(std::make_shared<FakeBusState>()),
          joints(kDevice, std::make_unique<FakeServoProtocol>(state),
                 [s = state](const std::string& device, std::int32_t baud) {
                     if (s->Unplugged)
                         Raise(ErrorCode::FileError, "Serial device " + device + " does not exist");
                     ++s->Opens;
                     s->OpenedBaud = baud;
                     return std::make_unique<FakeBusPort>(device, baud);
                 }) {
        state->Servos[1].Position = 2048;
        state->Servos[2].Position = 1000;
    }
    // The round's log from here on.
    std::vector<std::string> TakeLog() { return std::exchange(state->Log, {}); }

    std::shared_ptr<FakeBusState> state;
    BusServoJoints joints;
    std::atomic<int> busy{0};
};

TEST_F(BusServoJointsTest, RoundsConvertCountsAndTurnTorqueOnAfterTheFirstGoals) {
    // Servo 2 turns the other way, 10 counts per degree from count 1000.
    joints.Open({Servo(1, 4096.0 / 360), Servo(2, -10, 1000)});
    EXPECT_EQ(state->OpenedBaud, 1000000) << "the protocol's default rate";
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"torque off 1 2"});
    ASSERT_EQ(joints.Count(), 2);

    state->Servos[1].Position = 3072;
    state->Servos[2].Position = 1250;
    std::vector<double> measured(2);
    ASSERT_TRUE(joints.Read(measured));
    EXPECT_DOUBLE_EQ(measured[0], 90);
    EXPECT_DOUBLE_EQ(measured[1], -25);

    // One read, one write per round; torque on once, only after the first goals are set.
    joints.Command(std::vector<double>{-90, 10.04}, busy);
    joints.Command(std::vector<double>{45, 0}, busy);
    EXPECT_EQ(TakeLog(), (std::vector<std::string>{"read 1 2", "write 1=1024 2=900",
                                                   "torque on 1 2", "write 1=2560 2=1000"}));
    EXPECT_EQ(busy.load(), 1);

    // Fewer joints than open: only those are driven; more than open read nothing.
    joints.Command(std::vector<double>{0}, busy);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"write 1=2048"});
    std::vector<double> three(3, -1);
    EXPECT_FALSE(joints.Read(three));
    EXPECT_EQ(three[0], -1);
}

TEST_F(BusServoJointsTest, LinesThatCannotBeABusAreRefusedAndNothingOpens) {
    const auto refused = [this](const std::vector<JointLine>& lines, const std::string& words) {
        try {
            joints.Open(lines);
            ADD_FAILURE() << "accepted: " << words;
        } catch (const Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::InvalidArgument);
            EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
        }
        EXPECT_EQ(joints.Count(), 0);
        EXPECT_EQ(state->Opens, 0);
    };
    refused({Servo(1, 10), Servo(2, 10), Servo(1, 10)}, "Motors 1 and 3 both claim Servo 1 on");
    refused({Servo(1, 0)}, "other than 0");
    refused({Servo(1, 10, 0, 57600), Servo(2, 10, 0, 115200)}, "two baud rates");
    refused({Servo(300, 10)}, "from 0 to 253");
    JointLine elsewhere = Servo(1, 10);
    elsewhere.Device = "/dev/ttyOTHER";
    refused({elsewhere}, "not served by this bus");
    elsewhere = Servo(1, 10);
    elsewhere.Kind = DriveKind::Dynamixel;
    refused({elsewhere}, "not served by this bus");

    // A device that does not open leaves the set closed, saying which.
    state->Unplugged = true;
    EXPECT_THROW(
        {
            try {
                joints.Open({Servo(1, 10)});
            } catch (const Error& e) {
                EXPECT_NE(std::string(e.what()).find(kDevice), std::string::npos);
                throw;
            }
        },
        Error);
    EXPECT_EQ(joints.Count(), 0);
}

TEST_F(BusServoJointsTest, FailuresStopTheRoundNamingTheServoAndAnOverloadedOneGoesLimp) {
    EXPECT_THROW(joints.Open({Servo(1, 10), Servo(2, 10), Servo(3, 10)}), Error)
        << "servo 3 does not answer the torque-off";
    EXPECT_EQ(joints.Count(), 0);
    // The ones that answer go on once the line list is right.
    joints.Open({Servo(1, 10), Servo(2, 10)});
    std::vector<double> measured(2);
    joints.Command(std::vector<double>{1, 2}, busy);
    ASSERT_TRUE(state->Servos[2].Torque);

    state->Servos[1].Fails = ServoBusError::Kind::Timeout;
    try {
        joints.Read(measured);
        ADD_FAILURE() << "a silent servo went unnoticed";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("servo 1 on " + kDevice), std::string::npos);
    }
    EXPECT_TRUE(state->Servos[1].Torque) << "a servo that misses a reply keeps its goal";

    state->Servos[2].Fails = ServoBusError::Kind::Hardware;
    EXPECT_THROW(joints.Command(std::vector<double>{3, 4}, busy), Error);
    EXPECT_FALSE(state->Servos[2].Torque) << "an overloaded servo is switched off";
    EXPECT_TRUE(state->Servos[1].Torque);

    // Unplugged: every call raises at once, and switching off reports the failure.
    state->Unplugged = true;
    EXPECT_THROW(joints.Read(measured), Error);
    EXPECT_THROW(joints.Command(std::vector<double>{3, 4}, busy), Error);
    EXPECT_FALSE(joints.AllOff());
    joints.Hold();  // must not throw

    // Plugged in again: the next drive opens the device anew rather than use the dead one.
    state->Unplugged = false;
    const int opens = state->Opens;
    joints.Open({Servo(1, 10), Servo(2, 10)});
    EXPECT_EQ(state->Opens, opens + 1);
    ASSERT_TRUE(joints.Read(measured));
}

TEST_F(BusServoJointsTest, HoldKeepsThePresentPositionAllOffGoesLimpAndEmergencyWithholdsGoals) {
    joints.Open({Servo(1, 10), Servo(2, 10)});
    joints.Hold();
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"torque off 1 2"}) << "limp servos stay limp";

    joints.Command(std::vector<double>{100, 100}, busy);
    state->Servos[1].Position = 2500;  // on its way
    state->Servos[2].Position = 1900;
    TakeLog();
    joints.Hold();
    EXPECT_EQ(TakeLog(), (std::vector<std::string>{"read 1 2", "write 1=2500 2=1900"}));
    EXPECT_TRUE(state->Servos[1].Torque);

    // The same lines again: still held, the device not opened anew; new scales apply.
    joints.Open({Servo(1, 20), Servo(2, 10)});
    EXPECT_EQ(state->Opens, 1);
    EXPECT_TRUE(TakeLog().empty());
    std::vector<double> measured(2);
    ASSERT_TRUE(joints.Read(measured));
    EXPECT_DOUBLE_EQ(measured[0], (2500 - 2048) / 20.0);

    // The watchdog's EmergencyOff: no further goal leaves; the servos keep their last one.
    joints.EmergencyOff();
    TakeLog();
    joints.Command(std::vector<double>{0, 0}, busy);
    EXPECT_TRUE(TakeLog().empty());
    joints.Hold();  // the drive's end takes the bus back
    joints.Command(std::vector<double>{0, 0}, busy);
    EXPECT_EQ(TakeLog().back(), "write 1=2048 2=2048");

    // A changed list: servo 1 leaves it and goes limp, new servo 3 is made limp, servo 2 stays
    // held, and the device stays open.
    state->Servos[3].Position = 500;
    TakeLog();
    joints.Open({Servo(2, 10), Servo(3, 10)});
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"torque off 1 3"});
    EXPECT_TRUE(state->Servos[2].Torque);
    EXPECT_EQ(state->Opens, 1);
    EXPECT_EQ(joints.TorqueOn(), 1u);

    EXPECT_TRUE(joints.AllOff());
    EXPECT_FALSE(state->Servos[2].Torque);
    EXPECT_EQ(joints.TorqueOn(), 0u);
    // Another baud rate opens the device anew.
    joints.Open({Servo(2, 10, 2048, 115200)});
    EXPECT_EQ(state->Opens, 2);
    EXPECT_EQ(state->OpenedBaud, 115200);
}

}  // namespace
}  // namespace torvane
