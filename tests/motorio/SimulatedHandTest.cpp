// A scripted hand turning simulated motors whose lines are off.

#include <gtest/gtest.h>

#include "motorio/SimulatedHand.h"
#include "motorio/SimulatedJoints.h"
#include "motorio/SimulatedMotorLine.h"
#include "tests/motorio/MotorTestSupport.h"

namespace torvane {
namespace {

using test::ManualClock;
using test::ScopedClock;

TEST(SimulatedHand, TurnsOnlyTheShaftItGripsFromWhereItStandsAndLetsGoAtRest) {
    ManualClock clock;
    const ScopedClock installed(clock);
    auto hand = std::make_shared<SimulatedHand>();
    SimulatedMotorParameters parameters;
    parameters.Hand = hand;
    SimulatedJoints joints(parameters);
    joints.Open(
        {JointLine{3, "", 0.5, DriveKind::Simulated}, JointLine{4, "", 0.5, DriveKind::Simulated}});
    std::vector<double> measured(2);

    // Port 4 is the second joint; a steady turn of 100 steps a second.
    hand->Turn(4, [](double t) { return 100 * t; });
    clock.now += 0.25;
    ASSERT_TRUE(joints.Read(measured));
    EXPECT_EQ(measured, (std::vector<double>{0, 12.5})) << "25 steps of 0.5, every one counted";

    // Let go: the shaft stays where the hand left it, at rest; a new grip starts from there.
    hand->Release(4);
    clock.now += 0.25;
    ASSERT_TRUE(joints.Read(measured));
    EXPECT_EQ(measured[1], 12.5);
    EXPECT_EQ(joints.Motor(2).Velocity(), 0);
    hand->Turn(4, [](double t) { return -40 * t; });
    clock.now += 0.5;
    ASSERT_TRUE(joints.Read(measured));
    EXPECT_EQ(measured[1], 2.5);

    // A motor behind a port line is turned the same way, its edges reported as they happen.
    SimulatedMotorLine line(parameters);
    int edges = 0;
    line.Open(3, [&](ModemInputs) { ++edges; });
    edges = 0;
    clock.now += 0.1;
    line.Poll();
    EXPECT_EQ(line.Motor().Count(), 0) << "not gripped yet";
    hand->Turn(3, [](double t) { return -200 * t; });
    clock.now += 0.1;
    line.Poll();
    EXPECT_EQ(line.Motor().Count(), -20);
    EXPECT_EQ(edges, 20);
}

}  // namespace
}  // namespace torvane
