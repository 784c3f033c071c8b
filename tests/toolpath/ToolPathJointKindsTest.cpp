// The tool-path driver on motor lines that name their kind: simulated motors with no port, and
// a list that mixes them with line-driven motors, each set served once per round.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "motorio/frmMSComms.h"
#include "platform/ScriptedUserInterface.h"
#include "script/Engine.h"
#include "tests/motorio/MotorTestSupport.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

using test::Block;
using test::Leg;
using test::ManualClock;
using test::ScopedClock;

class JointKindsDrive : public ::testing::Test {
  protected:
    JointKindsDrive() {
        path.SetPortHost(host);
        path.SetFollowingErrorLimit(0.5);
        rounds = path.CutRound.Subscribe(
            [this](double, const DoubleArray& targets, const DoubleArray& measured) {
                lastTargets = targets;
                lastMeasured = measured;
                ++roundCount;
            });
    }
    // Out to 2 and back to 0 on both motors, each leg a quarter of a second.
    void DriveThereAndBack() {
        path.DriveXMLToolPath(Leg(Block(0, 0.25, " 0 , 0", "8*S,8*S")), false, 0);
        ExpectLastRoundAt(2);
        path.DriveXMLToolPath(Leg(Block(0, 0.25, " 2 , 2", "-8*S,-8*S")), false, 0);
        ExpectLastRoundAt(0);
    }
    void ExpectLastRoundAt(double end) {
        for (std::int32_t i = 1; i <= 2; ++i) {
            // The last round, the first past the end of the leg, commands its end.
            EXPECT_NEAR(lastTargets(i), end, 0.05) << "motor " << i;
            EXPECT_NEAR(lastMeasured(i), end, path.FollowingErrorLimit()) << "motor " << i;
        }
    }
    std::shared_ptr<frmMSComms> host = std::make_shared<frmMSComms>();
    clsToolPath path{host->ScriptEngine()};
    ScriptedUserInterface ui;
    ScopedUserInterface installedUi{ui};
    Subscription rounds;
    DoubleArray lastTargets, lastMeasured;
    int roundCount = 0;
};

TEST_F(JointKindsDrive, SimulatedMotorsFollowAPathWithNoPortOpened) {
    ManualClock clock;
    const ScopedClock installed(clock);
    ControlTiming timing;
    timing.OwnThread = false;
    path.SetControlTiming(timing);
    ui.onDoEvents = [&] { clock.now += 20e-6; };
    path.ParseMotorsProperties(
        "5,5\r\nShoulder,arm,simulated:1,0.01\r\nElbow,forearm,Simulated:2,0.02");

    DriveThereAndBack();
    EXPECT_GT(roundCount, 1000);
    EXPECT_EQ(host->PortCount(), 0) << "the port host is not involved";
    EXPECT_EQ(host->Backend(), PortBackend::SerialDevice);
}

TEST_F(JointKindsDrive, AMixedListDrivesBothSetsOnTheControlThread) {
    // Motor 1 simulated, motor 2 on port 1 of the host, whose backend simulates it behind the line.
    host->UsePortBackend(PortBackend::SimulatedMotor);
    path.ParseMotorsProperties("5,5\r\nShoulder,arm,simulated:1,0.01\r\nElbow,forearm,1,0.02");

    DriveThereAndBack();
    EXPECT_GT(roundCount, 10);
    ASSERT_EQ(host->PortCount(), 1);
    EXPECT_EQ(path.EncoderCount(), 1) << "only the line-driven motor has a port";
    EXPECT_NEAR(path.Encoder(1).ScaledPosition(), 0, path.FollowingErrorLimit());
}

}  // namespace
}  // namespace torvane
