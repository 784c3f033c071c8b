// A tool path driven on Feetech servos through the driver, the bus's joints and the protocol to
// the emulated servos on a pseudo-terminal, and a servo that stops answering mid-drive.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

#include "motorio/frmMSComms.h"
#include "platform/ScriptedUserInterface.h"
#include "tests/motorio/MotorTestSupport.h"
#include "tests/support/FeetechEmulator.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

using mechanon::testing::EmulatedServo;
using mechanon::testing::PtyServoBus;

constexpr double kCountsPerDegree = 4096.0 / 360;

std::vector<EmulatedServo> TwoServos() {
    std::vector<EmulatedServo> all;
    for (int id = 1; id <= 2; ++id) {
        EmulatedServo s;
        s.Id = id;
        s.Model = mechanon::testing::kSts3215Model;
        s.Speed = 40000;
        all.push_back(s);
    }
    return all;
}

class FeetechDrive : public ::testing::Test {
  protected:
    FeetechDrive() {
        path.SetPortHost(host);
        path.SetFollowingErrorLimit(2);
        // Servo 2 turns the other way; both have position 0 at their middle count.
        const std::string device = "feetech:" + bus.DevicePath();
        path.ParseMotorsProperties("90,900\r\nShoulder,arm," + device + "#1=2048," +
                                   std::to_string(kCountsPerDegree) + "\r\nElbow,forearm," +
                                   device + "#2=2048,-" + std::to_string(kCountsPerDegree));
    }
    std::shared_ptr<frmMSComms> host = std::make_shared<frmMSComms>();
    clsToolPath path{host->ScriptEngine()};
    ScriptedUserInterface ui;
    ScopedUserInterface installedUi{ui};
    PtyServoBus bus{TwoServos(), mechanon::testing::FeetechResponder()};
};

TEST_F(FeetechDrive, APathIsDrivenOnTheServosAndHeldAtItsEnd) {
    std::atomic<int> rounds = 0;
    auto counted =
        path.CutRound.Subscribe([&](double, const DoubleArray&, const DoubleArray&) { ++rounds; });
    path.DriveXMLToolPath(test::Leg(test::Block(0, 0.25, " 0 , 0", "80*S,40*S")), false, 0);
    EXPECT_GT(rounds.load(), 20);
    bus.With([](auto& servos) {
        EXPECT_NEAR(servos.at(1).Position, 2048 + 20 * kCountsPerDegree, 1);
        EXPECT_NEAR(servos.at(2).Position, 2048 - 10 * kCountsPerDegree, 1);
        EXPECT_TRUE(servos.at(1).Torque) << "held where the path ended";
    });
}

TEST_F(FeetechDrive, AServoThatStopsAnsweringEndsTheDriveNamingIt) {
    std::atomic<int> rounds = 0;
    auto silence = path.CutRound.Subscribe([&](double, const DoubleArray&, const DoubleArray&) {
        if (++rounds == 20) bus.With([](auto& servos) { servos.at(2).Answers = false; });
    });
    std::string message;
    test::CodeOf(
        [&] {
            path.DriveXMLToolPath(test::Leg(test::Block(0, 2, " 0 , 0", "10*S,10*S")), false, 0);
        },
        &message);
    EXPECT_NE(message.find("servo 2 on " + bus.DevicePath()), std::string::npos) << message;
    EXPECT_LT(rounds.load(), 200) << "the drive ended at once, not at the path's end";
    bus.With([](auto& servos) { EXPECT_TRUE(servos.at(1).Torque); });
}

}  // namespace
}  // namespace torvane
