#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <vector>

#include "motorio/SimulatedMotorLine.h"
#include "motorio/clsQuadEncoder.h"
#include "motorio/frmMSComms.h"
#include "tests/motorio/MotorTestSupport.h"

namespace torvane {
namespace {

using test::ManualClock;
using test::ScopedClock;

TEST(SimulatedMotor, RunsUpToTopSpeedAndCoastsToAStop) {
    SimulatedMotorParameters p;
    SimulatedMotor m(p);
    std::int64_t edges = 0;
    auto count = [&](ModemInputs) { ++edges; };

    m.Advance(0.1, count);
    EXPECT_EQ(m.Count(), 0) << "no drive, no motion";

    m.SetDrive(+1);
    m.Advance(0.05, count);  // a dozen time constants
    EXPECT_NEAR(m.Velocity(), p.TopSpeed(), p.TopSpeed() * 0.01);
    const double driven = m.Position();
    EXPECT_GT(driven, 0.03 * p.TopSpeed());
    EXPECT_EQ(edges, m.Count()) << "one edge per whole step";

    m.SetDrive(0);
    m.Advance(0.05, count);
    EXPECT_EQ(m.Velocity(), 0);
    EXPECT_GT(m.Position(), driven);
    EXPECT_LT(m.Position() - driven, 10) << "friction stops a geared motor within a few steps";

    m.SetDrive(-1);
    m.Advance(0.2, count);
    EXPECT_LT(m.Count(), 0);
    EXPECT_NEAR(m.Velocity(), -p.TopSpeed(), p.TopSpeed() * 0.01);
}

TEST(SimulatedMotor, DriveWeakerThanFrictionDoesNotStartIt) {
    SimulatedMotorParameters p;
    p.DriveAcceleration = p.FrictionDeceleration * 0.9;
    SimulatedMotor m(p);
    m.SetDrive(+1);
    m.Advance(1.0, [](ModemInputs) {});
    EXPECT_EQ(m.Velocity(), 0);
    EXPECT_EQ(m.Count(), 0);
}

// A gap of an hour (a suspended machine, a test clock set forward) is covered at the settled
// speed, every edge still reported, in far fewer integration steps than the gap holds.
TEST(SimulatedMotor, LongGapsRunAtTheSettledSpeed) {
    SimulatedMotorParameters p;
    SimulatedMotor m(p);
    std::int64_t edges = 0;
    m.SetDrive(+1);
    m.Advance(3600, [&](ModemInputs) { ++edges; });
    EXPECT_NEAR(m.Velocity(), p.TopSpeed(), p.TopSpeed() * 1e-9);
    EXPECT_NEAR(m.Position(), p.TopSpeed() * 3600, p.TopSpeed() * m.SettleSeconds());
    EXPECT_EQ(edges, m.Count());
    m.SetDrive(0);
    m.Advance(7200, [&](ModemInputs) { ++edges; });
    EXPECT_EQ(m.Velocity(), 0);
    EXPECT_EQ(edges, m.Count());
}

TEST(SimulatedMotor, HostRefusesParametersTheSimulationCannotRun) {
    ManualClock clock;  // outlives the host, whose ports read it until they close
    ScopedClock installed(clock);
    frmMSComms host;
    SimulatedMotorParameters good;
    good.TimeConstant = 0.01;
    host.SetSimulatedMotorParameters(good);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (auto change : std::vector<std::function<void(SimulatedMotorParameters&)>>{
             [](SimulatedMotorParameters& q) { q.MaxTimeStep = 0; },
             [](SimulatedMotorParameters& q) { q.TimeConstant = -1; },
             [nan](SimulatedMotorParameters& q) { q.DriveAcceleration = nan; },
             [](SimulatedMotorParameters& q) { q.FrictionDeceleration = -5; }}) {
        SimulatedMotorParameters bad = good;
        change(bad);
        EXPECT_THROW(host.SetSimulatedMotorParameters(bad), Error);
    }
    // The parameters in force are still the good ones: a motor behind a new port has them.
    host.UsePortBackend(PortBackend::SimulatedMotor);
    host.OpenPorts(VbArray<float>(1, {1.0f}));
    host.SetOutPuts(1, true, false);
    clock.now += 1;
    host.ProcessLineEvents();
    EXPECT_NEAR(static_cast<double>(host.LineSteps(1)), good.TopSpeed() * 1,
                good.TopSpeed() * 0.05);
}

// The line reports every edge at the moment the clock says it happened, however far apart the
// polls are, and an encoder fed with the reports ends where the motor is.
TEST(SimulatedMotorLine, ReportsEveryEdgeBetweenPollsAndStopsWhenClosed) {
    ManualClock clock;
    ScopedClock installed(clock);
    SimulatedMotorLine line;
    clsQuadEncoder encoder;
    int calls = 0;
    line.Open(3, [&](ModemInputs in) {
        if (calls++ == 0)
            encoder.ZeroPosition(in.DCD, in.CTS);
        else
            encoder.RefreshPosition(in.DCD, in.CTS);
    });
    EXPECT_EQ(calls, 1) << "the opening states come first";
    EXPECT_EQ(line.DeviceName(), "simulated motor on port 3");

    line.SetDTR(true);
    clock.now += 0.02;
    line.Poll();  // one big gap: hundreds of edges at once
    EXPECT_GT(encoder.Position(), 20);
    EXPECT_EQ(encoder.Position(), static_cast<double>(line.Motor().Count()));

    line.SetDTR(false);
    line.SetRTS(true);
    for (int i = 0; i < 400; ++i) {  // many small polls
        clock.now += 0.0001;
        line.Poll();
    }
    EXPECT_EQ(encoder.Position(), static_cast<double>(line.Motor().Count()));
    EXPECT_LT(line.Motor().Velocity(), 0);

    line.SetDTR(true);  // both lines: brakes like both off
    clock.now += 0.05;
    line.Poll();
    EXPECT_EQ(line.Motor().Velocity(), 0);

    line.Close();
    EXPECT_FALSE(line.DTR());
    EXPECT_FALSE(line.RTS());
    EXPECT_THROW(line.SetDTR(true), Error);
    EXPECT_THROW(line.GetInputs(), Error);
    EXPECT_THROW(line.Open(0, nullptr), Error) << "port numbers start at 1";
}

}  // namespace
}  // namespace torvane
