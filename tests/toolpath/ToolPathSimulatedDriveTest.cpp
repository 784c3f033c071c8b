// The tool-path driver closing the loop on simulated motors.

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "model/NumberText.h"
#include "motorio/SimulatedMotorLine.h"
#include "motorio/Termination.h"
#include "motorio/clsQuadEncoder.h"
#include "motorio/frmMSComms.h"
#include "platform/ScriptedUserInterface.h"
#include "script/Engine.h"
#include "tests/motorio/MotorTestSupport.h"
#include "toolpath/StopTokenScope.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

using test::Block;
using test::CodeOf;
using test::Leg;
using test::ManualClock;
using test::ScopedClock;

class SimulatedDrive : public ::testing::Test {
  protected:
    SimulatedDrive() {
        host->UseLineFactory([this] {
            auto line = std::make_unique<SimulatedMotorLine>();
            lines.push_back(line.get());
            return line;
        });
        path.SetPortHost(host);
        path.ParseMotorsProperties("5,5\r\nShoulder,arm,1,0.01\r\nElbow,forearm,2,0.02");

        // Rounds between the test's own events, stepped by its clock.
        ControlTiming timing;
        timing.OwnThread = false;
        path.SetControlTiming(timing);
    }
    bool AnyLineOn() const {
        for (const SimulatedMotorLine* l : lines)
            if (l->IsOpen() && (l->DTR() || l->RTS())) return true;
        return false;
    }
    // Each motor's encoder counts exactly the steps its motor made, and the motor is within
    // `steps` encoder steps of the target.
    void ExpectAt(double target, double steps = 2) {
        // Edges the motors made after the last round (coasting once the lines went off) reach
        // the encoders when the changes are next processed.
        host->ProcessLineEvents();
        for (std::int32_t i = 1; i <= 2; ++i) {
            const double scale = path.MotorsProperties()(i).Scale;
            const SimulatedMotorLine& line = *lines[lines.size() - 3 + static_cast<std::size_t>(i)];
            EXPECT_EQ(path.Encoder(i).Position(), static_cast<double>(line.Motor().Count()));
            EXPECT_NEAR(path.Encoder(i).ScaledPosition(), target, steps * scale) << "motor " << i;
        }
    }
    std::shared_ptr<frmMSComms> host = std::make_shared<frmMSComms>();
    clsToolPath path{host->ScriptEngine()};
    std::vector<SimulatedMotorLine*> lines;
    ScriptedUserInterface ui;
    ScopedUserInterface installedUi{ui};
};

TEST_F(SimulatedDrive, FollowsThereAndBackInSimulatedTime) {
    ManualClock clock;
    ScopedClock installed(clock);
    double worstError = 0;
    ui.onDoEvents = [&] {
        clock.now += 20e-6;  // a 50 kHz control loop
        // Following error of motor 1 against the path, which runs at 10 units per second.
        const double elapsed = clock.now - 100.0;
        if (elapsed < 1.0)
            worstError =
                std::max(worstError, std::abs(path.Encoder(1).ScaledPosition() - 10 * elapsed));
    };
    path.DriveXMLToolPath(Leg(Block(0, 1, " 0 , 0", "10*S,10*S")), false, 0);
    ExpectAt(10);
    EXPECT_FALSE(AnyLineOn());
    EXPECT_LT(worstError, 0.5) << "the motor keeps up with the path, after its start";

    // The way back continues on the same ports.
    path.CutLeg(path.XMLClass().ParseXMLSublegs(Block(0, 1, " 10 , 10", "-10*S,-10*S")));
    ExpectAt(0);
    EXPECT_FALSE(AnyLineOn());
}

TEST_F(SimulatedDrive, LateRoundsNeitherRunTheMotorsAwayNorLeaveThemBehind) {
    // Rounds every millisecond, and now and then one 30 ms late, as on a machine busy with
    // other work: a motor left on through such a pause would run some 50 steps past its
    // target, and the path would leave a resting one 10 steps behind.
    ManualClock clock;
    ScopedClock installed(clock);
    path.SetFollowingErrorLimit(0.05);  // five steps of motor 1, two and a half of motor 2
    ui.onDoEvents = [&] { clock.now += ui.doEventsCalls % 37 == 0 ? 0.030 : 0.001; };
    std::string message;
    try {
        path.DriveXMLToolPath(Leg(Block(0, 1, " 0 , 0", "10*S,10*S")), false, 0);
    } catch (const Error& e) {
        message = e.what();
    }
    EXPECT_EQ(message, "");
    ExpectAt(10);
    EXPECT_FALSE(AnyLineOn());
}

TEST_F(SimulatedDrive, ADriveAfterADriveStartsFromTheMeasuredPositionAndZeroHereHomes) {
    ManualClock clock;
    ScopedClock installed(clock);
    ui.onDoEvents = [&] { clock.now += 20e-6; };
    path.DriveXMLToolPath(Leg(Block(0, 1, " 0 , 0", "10*S,10*S")), false, 0);
    ExpectAt(10);
    const std::size_t opened = lines.size();

    // The next drive keeps the ports and the counts: the motors stand at 10 and start from there.
    double firstMeasured = -1;
    auto round = path.CutRound.Subscribe([&](double, const DoubleArray&, const DoubleArray& m) {
        if (firstMeasured < 0) firstMeasured = m(1);
    });
    path.DriveXMLToolPath(Leg(Block(0, 1, " 10 , 10", "-5*S,-5*S")), false, 0);
    EXPECT_EQ(lines.size(), opened) << "no port was opened again";
    EXPECT_NEAR(firstMeasured, 10, 0.05) << "measured where the last drive ended, not at 0";
    ExpectAt(5);

    // Zero here: where the motors stand is now 0, for the next drive too.
    path.ZeroHere(1);
    EXPECT_EQ(path.Encoder(1).Position(), 0);
    EXPECT_NEAR(path.Encoder(2).ScaledPosition(), 5, 0.05) << "only that motor";
    EXPECT_EQ(CodeOf([&] { path.ZeroHere(3); }), ErrorCode::SubscriptOutOfRange);
    firstMeasured = -1;
    path.DriveXMLToolPath(Leg(Block(0, 0.5, " 0 , 5", "0*S,0*S")), false, 0);
    EXPECT_NEAR(firstMeasured, 0, 0.05);

    // Another motor list with other ports opens them afresh, at 0.
    path.ParseMotorsProperties("5,5\r\nShoulder,arm,3,0.01\r\nElbow,forearm,2,0.02");
    path.DriveXMLToolPath("<WAIT></WAIT>", false, 0);
    EXPECT_GT(lines.size(), opened);
    EXPECT_EQ(path.Encoder(1).Position(), 0);
}

TEST_F(SimulatedDrive, FollowsAndHoldsInRealTime) {
    // The steady clock, a quarter of a second each way. The simulated motors run on in real time
    // while this process is not scheduled, so on a busy machine a pause near the end of a leg
    // can leave a motor behind or beyond its target; holding the end point for a tenth of a
    // second brings it back. The hold is repeated (a few times at most) until one hold ran
    // without such a pause.
    const auto holdAt = [&](double target) {
        const std::string p = NumberText(target);
        const VbArray<typToolPathSubLeg> hold =
            path.XMLClass().ParseXMLSublegs(Block(0, 0.1, p + " , " + p, "0*S,0*S"));
        for (int attempt = 0; attempt < 10; ++attempt) {
            path.CutLeg(hold);
            host->ProcessLineEvents();
            bool there = true;
            for (std::int32_t i = 1; i <= 2; ++i)
                there = there && std::abs(path.Encoder(i).ScaledPosition() - target) <=
                                     2 * path.MotorsProperties()(i).Scale;
            if (there) return;
        }
    };
    path.DriveXMLToolPath(Leg(Block(0, 0.25, " 0 , 0", "8*S,8*S")), false, 0);
    const int rounds = ui.doEventsCalls;
    holdAt(2);
    ExpectAt(2);
    path.CutLeg(path.XMLClass().ParseXMLSublegs(Block(0, 0.25, " 2 , 2", "-8*S,-8*S")));
    holdAt(0);
    ExpectAt(0);
    EXPECT_FALSE(AnyLineOn());
    EXPECT_GT(rounds, 100) << "the loop runs many rounds";
}

// ---- The motors' travel ----

class TravelDrive : public SimulatedDrive {
  protected:
    TravelDrive() {
        path.ParseMotorsProperties(
            "5,5\r\nShoulder,arm,1,0.01,,,-5,10\r\nElbow,forearm,2,0.02,,,0,10");
        rounds =
            path.CutRound.Subscribe([this](double, const DoubleArray& targets, const DoubleArray&) {
                for (std::int32_t i = 1; i <= targets.UBound(); ++i)
                    highest = std::max(highest, targets(i));
                ++roundCount;
            });
    }
    ManualClock clock;
    ScopedClock installed{clock};
    Subscription rounds;
    double highest = -1e300;  // the highest target any round commanded
    int roundCount = 0;
};

TEST_F(TravelDrive, APathLeavingTheTravelIsRefusedBeforeAPortOpensAndOneEndingAtItsLimitDrives) {
    ui.onDoEvents = [&] { clock.now += 0.001; };
    std::string message;
    EXPECT_EQ(
        CodeOf([&] { path.DriveXMLToolPath(Leg(Block(0, 1, " 0 , 0", "10*S,12*S")), false, 0); },
               &message),
        ErrorCode::InvalidArgument);
    EXPECT_NE(message.find("motor \"Elbow\" outside its travel (0 to 10)"), std::string::npos)
        << message;
    EXPECT_NE(message.find("leaves at S = 0.833333333333, at 10, and reaches 12 at S = 1"),
              std::string::npos)
        << message;
    EXPECT_TRUE(lines.empty()) << "no port was opened";
    EXPECT_EQ(roundCount, 0);

    // A path that ends on the limits drives to them: its last round commands the end, not a
    // point past it.
    path.DriveXMLToolPath(Leg(Block(0, 1, " 0 , 0", "10*S,10*S")), false, 0);
    ExpectAt(10);
    EXPECT_EQ(highest, 10);
    EXPECT_FALSE(AnyLineOn());
}

TEST_F(TravelDrive, ATargetOutsideTheTravelAtRunTimeTripsWithinOneRoundWithEveryLineOff) {
    // An equation that agrees with the check and goes wrong once it has been evaluated often
    // enough: by then the drive is under way.
    const std::string script =
        "<ADDCODE>\r\nDim calls\r\nFunction odd(s)\r\ncalls = calls + 1\r\n"
        "If calls > 150 Then odd = 50 Else odd = 10 * s\r\nEnd Function\r\n</ADDCODE>\r\n" +
        Leg(Block(0, 1, " 0 , 0", "10*S,odd(S)"));
    const std::string expanded = path.ExpandScript(script);
    bool onWhenTripped = false;
    ui.onDoEvents = [&] {
        clock.now += 0.001;
        onWhenTripped = AnyLineOn();
    };
    std::string message;
    EXPECT_EQ(CodeOf([&] { path.DriveXMLToolPath(expanded, false, 0); }, &message),
              ErrorCode::InvalidArgument);
    EXPECT_NE(message.find("motor Elbow to 50 at S = "), std::string::npos) << message;
    EXPECT_NE(message.find("outside its travel (0 to 10)"), std::string::npos) << message;
    EXPECT_NE(message.find("every line off"), std::string::npos) << message;
    EXPECT_GT(roundCount, 10) << "the drive was under way";
    EXPECT_TRUE(onWhenTripped) << "the motors were running";
    EXPECT_EQ(path.EvalEq("calls", 0), 151) << "no round evaluated after the one that went wrong";
    EXPECT_LE(highest, 10) << "the wrong target was never commanded";
    EXPECT_FALSE(AnyLineOn());
}

}  // namespace
}  // namespace torvane
