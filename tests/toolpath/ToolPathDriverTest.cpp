// The tool-path driver: the motor list, graph mode, and cut mode on fake lines (to watch the
// lines).

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
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
using test::FakeBench;
using test::FakeLines;
using test::Leg;
using test::ManualClock;
using test::ScopedClock;

class Driver : public ::testing::Test {
  protected:
    Driver() {
        host->UseLineFactory(FakeLines(bench));
        path.SetPortHost(host);

        // Rounds between the test's own events, stepped by its clock up to a quarter second.
        ControlTiming timing;
        timing.OwnThread = false;
        timing.Period = 0.25;
        timing.Deadline = 0.5;
        path.SetControlTiming(timing);
    }
    std::shared_ptr<FakeBench> bench = std::make_shared<FakeBench>();
    std::shared_ptr<frmMSComms> host = std::make_shared<frmMSComms>();
    clsToolPath path{host->ScriptEngine()};
    ScriptedUserInterface ui;
    ScopedUserInterface installedUi{ui};
};

// ---- Motor list ----

TEST_F(Driver, MotorLinesOfThreeAndFourFields) {
    EXPECT_EQ(path.TotalMotors(), 0);
    path.MotorsPropertiesString("  2,1\r\nX,none,1\r\nY,arm,2.5,0.01\r\n\r\nZ,none,3.5,-2  ");
    EXPECT_EQ(path.MotorsPropertiesString(),
              "2,1\r\nX,none,1\r\nY,arm,2.5,0.01\r\n\r\nZ,none,3.5,-2");
    EXPECT_EQ(path.TotalMotors(), 0) << "setting the text does not parse it";
    path.ParseMotorsProperties(path.MotorsPropertiesString());
    EXPECT_EQ(path.cVMax, 2);
    EXPECT_EQ(path.cAMax, 1);
    ASSERT_EQ(path.TotalMotors(), 3);
    const auto motors = path.MotorsProperties();
    EXPECT_EQ(motors(1).Name, "X");
    EXPECT_EQ(motors(1).ComPort, 1);
    EXPECT_EQ(motors(1).Scale, 1) << "three fields: one unit per step";
    EXPECT_EQ(motors(2).PartName, "arm");
    EXPECT_EQ(motors(2).ComPort, 2) << "2.5 rounds to even";
    EXPECT_DOUBLE_EQ(motors(2).Scale, 0.01);
    EXPECT_EQ(motors(3).ComPort, 4) << "3.5 rounds to even";
    EXPECT_EQ(motors(3).Scale, -2);

    // Bare line feeds end lines too.
    path.ParseMotorsProperties("3,4\n A , B ,7\n");
    ASSERT_EQ(path.TotalMotors(), 1);
    EXPECT_EQ(path.MotorsProperties()(1).Name, " A ") << "names are kept as written";
    EXPECT_EQ(path.MotorsProperties()(1).ComPort, 7);
    path.ParseMotorsProperties("3,4\r\nX,none,1.5,1");
    EXPECT_EQ(path.MotorsProperties()(1).ComPort, 2) << "1.5 rounds to even";
}

TEST_F(Driver, MotorListsSetDirectlyAreCheckedLikeParsedOnes) {
    path.ParseMotorsProperties("5,5\r\nX,none,1");
    const auto before = path.MotorsProperties();
    typMotorProperties a;
    a.Name = "A";
    a.ComPort = 3;
    typMotorProperties b = a;
    b.Name = "B";
    b.ComPort = 4;
    path.MotorsProperties(VbArray<typMotorProperties>(1, {a, b}));
    EXPECT_EQ(path.TotalMotors(), 2);
    path.MotorsProperties(before);

    const auto refused = [&](typMotorProperties second, const std::string& named) {
        std::string message;
        EXPECT_EQ(CodeOf(
                      [&] {
                          path.MotorsProperties(VbArray<typMotorProperties>(1, {a, second}));
                      },
                      &message),
                  ErrorCode::InvalidArgument);
        EXPECT_NE(message.find(named), std::string::npos) << message;
        EXPECT_EQ(path.MotorsProperties(), before);
    };
    typMotorProperties bad = b;
    bad.Scale = 0;
    refused(bad, "\"B\" (motor 2): the scale");
    bad = b;
    bad.ComPort = 3;
    refused(bad, "port 3 is already the port of motor \"A\"");
    bad = b;
    bad.ComPort = -1;
    refused(bad, "port -1");
}

TEST_F(Driver, LimitsOnlyOrEmptyTextKeepsTheList) {
    path.ParseMotorsProperties("5,5\r\nX,none,1,1");
    path.ParseMotorsProperties("2,1");
    EXPECT_EQ(path.cVMax, 2);
    EXPECT_EQ(path.cAMax, 1);
    EXPECT_EQ(path.TotalMotors(), 1);
    path.ParseMotorsProperties("");
    EXPECT_EQ(path.cVMax, 2);
    EXPECT_EQ(path.TotalMotors(), 1);
}

TEST_F(Driver, BadPropertiesChangeNothing) {
    path.ParseMotorsProperties("2,1\r\nX,none,1\r\nY,none,2");
    const auto before = path.MotorsProperties();
    struct Case {
        const char* text;
        ErrorCode code;
        const char* named;
    };
    const Case cases[] = {
        {"X,none,1,1", ErrorCode::TypeMismatch, "\"X\""},  // a motor line where the limits belong
        {"abc,1\r\nA,none,3", ErrorCode::TypeMismatch, "VMax"},
        {"3,1x\r\nA,none,3", ErrorCode::TypeMismatch, "AMax"},
        {"7\r\nA,none,3", ErrorCode::SubscriptOutOfRange, "VMax,AMax"},
        {"3,3\r\nA,none,3\r\nB,none,abc", ErrorCode::InvalidArgument, "\"B\" (line 3)"},
        {"3,3\r\nA,none,0", ErrorCode::InvalidArgument, "\"A\" (line 2)"},
        {"3,3\r\nA,none,40000", ErrorCode::InvalidArgument, "40000"},
        {"3,3\r\nA,none,1,0", ErrorCode::InvalidArgument, "scale"},
        {"3,3\r\nA,none,1,1E999", ErrorCode::InvalidArgument, "\"A\" (line 2): scale"},
        {"3,3\r\nA,none,1D400", ErrorCode::InvalidArgument, "\"A\" (line 2): port"},
        {"0,1\r\nA,none,3", ErrorCode::InvalidArgument, "VMax of line 1"},
        {"1,-2\r\nA,none,3", ErrorCode::InvalidArgument, "AMax of line 1"},
        {"3,3\r\nA,none,3\r\nB,none,3.4", ErrorCode::InvalidArgument,
         "\"B\" (line 3): port 3 is already the port of motor \"A\""},
        // A typing slip must not drop a motor: lines of 1, 2 or 5 fields are refused.
        {"3,3\r\nA,none,3\r\nB none 4", ErrorCode::InvalidArgument,
         "line 3, \"B none 4\", has 1 field;"},
        {"3,3\r\nA;none;3\r\nB,none,4", ErrorCode::InvalidArgument, "line 2, \"A;none;3\""},
        {"3,3\nA,none,3,1,90\n", ErrorCode::InvalidArgument, "line 2, \"A,none,3,1,90\", has 5"},
    };
    for (const Case& c : cases) {
        std::string message;
        EXPECT_EQ(CodeOf([&] { path.ParseMotorsProperties(c.text); }, &message), c.code) << c.text;
        EXPECT_NE(message.find(c.named), std::string::npos) << message;
        EXPECT_EQ(path.MotorsProperties(), before) << c.text;
        EXPECT_EQ(path.cVMax, 2) << c.text;
        EXPECT_EQ(path.cAMax, 1) << c.text;
    }
}

// ---- Graph mode ----

TEST_F(Driver, GraphRaisesEachLegInOrderAndTouchesNoPort) {
    path.ParseMotorsProperties("5,5\r\nX,none,1\r\nY,none,2");
    const std::string text = "junk" +
                             Leg(Block(0, 1, " 0 , 0", "S,S") + Block(1, 2, " 1 , 1", "S,2*S")) +
                             "<WAIT></WAIT>" + Block(0, 3, " 5 , 6", "0*S,S") + "<LEG></LEG>" +
                             Leg(Block(0, 4, " 7", "S"));
    std::vector<std::string> seen;
    int starts = 0;
    auto startSub = path.GraphStarting.Subscribe([&] { ++starts; });
    auto sub = path.GraphLeg.Subscribe([&](const VbArray<typToolPathSubLeg>& legs, double period) {
        std::string entry = std::to_string(legs.UBound()) + " sublegs ending at";
        for (const auto& s : legs.Items()) entry += " " + TrimmedNumberText(s.EndS);
        entry += " after " + std::to_string(ui.CountMessage("Ready?...")) + " waits, period " +
                 TrimmedNumberText(period);
        seen.push_back(entry);
    });
    path.DriveXMLToolPath(text, true, 0.05);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(seen, (std::vector<std::string>{"2 sublegs ending at 1 2 after 0 waits, period .05",
                                              "1 sublegs ending at 3 after 1 waits, period .05",
                                              "1 sublegs ending at 4 after 1 waits, period .05"}));
    EXPECT_EQ(ui.CountMessage("Ready?..."), 1);
    EXPECT_TRUE(bench->wires.empty()) << "graph mode opens no port";
    EXPECT_EQ(host->PortCount(), 0);
}

TEST_F(Driver, GraphStopsAtABadLegAfterTheLegsBeforeIt) {
    int legs = 0;
    auto sub = path.GraphLeg.Subscribe([&](const VbArray<typToolPathSubLeg>&, double) { ++legs; });
    const std::string text = Leg(Block(0, 1, " 0", "S")) +
                             "<LEG><DRIVE>\r\nStartS= 0\r\n</DRIVE></LEG>" +
                             Leg(Block(0, 1, " 0", "S"));
    EXPECT_EQ(CodeOf([&] { path.DriveXMLToolPath(text, true, 0.1); }),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(legs, 1);
}

TEST_F(Driver, WaitAloneShowsReadyOnceAndCutsNothing) {
    path.ParseMotorsProperties("5,5\r\nX,none,3");
    path.DriveXMLToolPath("<WAIT></WAIT>", false, 0);
    EXPECT_EQ(ui.Messages(), (std::vector<std::string>{"Ready?..."}));
    EXPECT_EQ(ui.doEventsCalls, 0);
    EXPECT_EQ(bench->wires[3].opens, 1) << "cut mode opens the motor ports";
    EXPECT_FALSE(bench->AnyLineOn());
}

// ---- Cut mode on fake lines ----

TEST_F(Driver, EncodersFollowLineChangesWithTheMotorScale) {
    path.ParseMotorsProperties("5,5\r\nX,none,4,0.5\r\nY,none,6");
    path.OpenPorts(VbArray<float>(1, {4.0f, 6.0f}));
    bench->Change(4, false, true);
    bench->Change(4, true, true);
    bench->Change(4, true, false);
    bench->Change(6, true, false);
    host->ProcessLineEvents();
    EXPECT_EQ(path.Encoder(1).Position(), 3);
    EXPECT_DOUBLE_EQ(path.Encoder(1).ScaledPosition(), 1.5);
    EXPECT_EQ(path.Encoder(2).ScaledPosition(), -1);
    EXPECT_EQ(CodeOf([&] { path.Encoder(3); }), ErrorCode::SubscriptOutOfRange);

    path.OpenPorts(VbArray<float>(1, {4.0f}));  // reopened: fresh encoder at the present state
    EXPECT_EQ(path.Encoder(1).Position(), 0);
    bench->Change(4, false, false);
    host->ProcessLineEvents();
    EXPECT_EQ(path.Encoder(1).Position(), 1);
}

// The first round's lines for a constant target against a measured position.
struct DecisionCase {
    int measuredSteps;
    double target;
    bool dtr;
    bool rts;
};

TEST_F(Driver, DriveDecisionHasADeadBandBothWays) {
    path.ParseMotorsProperties("5,5\r\nX,none,1,0.5");
    const DecisionCase cases[] = {
        {0, 5, true, false},    {0, -5, false, true},   {6, 1, false, true},  // back from above
        {-6, -1, true, false},                                                // forward from below
        {2, 1.3, false, false}, {2, 0.6, false, false},                       // inside half a unit
        {2, 0.4, false, true},
    };
    for (const DecisionCase& c : cases) {
        path.DriveXMLToolPath("<WAIT></WAIT>", false, 0);  // opens the port the first time
        // The port stays open between drives, the encoder keeping its count: home it by hand.
        bench->ChangeToCount(1, 0);
        path.ZeroHere(1);
        for (int n = 1; n <= std::abs(c.measuredSteps); ++n)
            bench->ChangeToCount(1, c.measuredSteps > 0 ? n : -n);
        bool dtr = false, rts = false;
        ui.onDoEvents = [&] {
            dtr = bench->wires[1].dtr;
            rts = bench->wires[1].rts;
        };
        typToolPathSubLeg s;
        s.StartS = 0;
        s.EndS = -1;  // one round
        s.StartPoints = DoubleArray(1, {c.target});
        s.ParametricEQs = StringArray(1, {"0*S"});
        path.CutSubleg(s);
        EXPECT_EQ(path.Encoder(1).ScaledPosition(), 0.5 * c.measuredSteps);
        EXPECT_EQ(dtr, c.dtr) << "measured " << c.measuredSteps << " steps, target " << c.target;
        EXPECT_EQ(rts, c.rts) << "measured " << c.measuredSteps << " steps, target " << c.target;
        EXPECT_FALSE(bench->AnyLineOn()) << "off when the cut ends";
    }
}

TEST_F(Driver, AStopInsideDoEventsEndsTheCutWithinOneRound) {
    path.ParseMotorsProperties("5,5\r\nX,none,1\r\nY,none,2");
    bool wasOn = false;
    int roundsAfterStop = 0;
    StopTokenScope stop(path);
    ui.onDoEvents = [&] {
        if (stop.StopRequested()) ++roundsAfterStop;
        if (ui.doEventsCalls == 5) {
            wasOn = bench->AnyLineOn();
            path.RequestStop();
        }
    };
    const std::string text =
        Leg(Block(0, 100, " 5 , -5", "S,-S") + Block(0, 100, " 0 , 0", "S,S")) + "<WAIT></WAIT>" +
        Leg(Block(0, 100, " 5 , 5", "S,S"));
    path.DriveXMLToolPath(text, false, 0);
    EXPECT_TRUE(wasOn) << "the motors were being driven";
    EXPECT_EQ(ui.doEventsCalls, 5);
    EXPECT_EQ(roundsAfterStop, 0);
    EXPECT_EQ(ui.CountMessage("Ready?..."), 0) << "nothing after the stop runs";
    EXPECT_FALSE(bench->AnyLineOn());
    EXPECT_TRUE(stop.StopRequested()) << "the operation's source stays stopped";
}

TEST_F(Driver, AStopEndsAGraphBetweenLegsAndAnEndlessEquationInACut) {
    int legs = 0;
    auto sub = path.GraphLeg.Subscribe([&](const VbArray<typToolPathSubLeg>&, double) {
        ++legs;
        path.RequestStop();
    });
    {
        const StopTokenScope stop(path);
        path.DriveXMLToolPath(Leg(Block(0, 1, " 0", "S")) + Leg(Block(0, 1, " 0", "S")), true, 0.1);
    }
    EXPECT_EQ(legs, 1);

    // An equation that never returns: the engine's poll sets the stop; every line ends off.
    path.ParseMotorsProperties("5,5\r\nX,none,1");
    host->ScriptEngine()->AddCode(
        "Function Hang(x)\r\nDo While x\r\nLoop\r\nHang = 0\r\nEnd Function");
    StopTokenScope* self = nullptr;
    StopTokenScope stop(path, [&] { self->Stop(); });
    self = &stop;
    int rounds = 0;
    auto roundSub =
        path.CutRound.Subscribe([&](double, const DoubleArray&, const DoubleArray&) { ++rounds; });
    std::string message;
    EXPECT_EQ(
        CodeOf([&] { path.DriveXMLToolPath(Leg(Block(0, 5, " 0", "S+Hang(S>0)")), false, 0); },
               &message),
        ErrorCode::ScriptError);
    EXPECT_NE(message.find("\"S+Hang(S>0)\""), std::string::npos) << message;
    EXPECT_EQ(rounds, 0) << "stopped inside the first round, at its first motor";
    EXPECT_FALSE(bench->AnyLineOn());
}

TEST_F(Driver, SigtermEndsTheCutWithinOneRoundAndWakesTheProgram) {
    const int wake = InstallTerminationHandlers();
    ASSERT_GE(wake, 0);
    path.ParseMotorsProperties("5,5\r\nX,none,1\r\nY,none,2");
    bool wasOn = false;
    int roundsAfterSignal = 0;
    ui.onDoEvents = [&] {
        if (TerminationRequested()) ++roundsAfterSignal;
        if (ui.doEventsCalls == 5) {
            wasOn = bench->AnyLineOn();
            std::raise(SIGTERM);
        }
    };
    path.DriveXMLToolPath(Leg(Block(0, 100, " 5 , -5", "S,-S")) + "<WAIT></WAIT>", false, 0);
    EXPECT_TRUE(wasOn);
    EXPECT_EQ(ui.doEventsCalls, 5);
    EXPECT_EQ(roundsAfterSignal, 0) << "no round after the signal";
    EXPECT_EQ(ui.CountMessage("Ready?..."), 0);
    EXPECT_FALSE(bench->AnyLineOn());
    EXPECT_TRUE(TerminationRequested());
    char byte = 0;
    EXPECT_EQ(::read(wake, &byte, 1), 1) << "the window thread is woken to quit";
    ClearTerminationRequest();
    EXPECT_FALSE(TerminationRequested());
}

TEST(DriverDevices, AMotorOnAMissingDeviceFailsNamingItWithEveryLineOff) {
    ScriptedUserInterface ui;
    ScopedUserInterface installed{ui};
    const auto host = std::make_shared<frmMSComms>();  // the machine's serial devices
    clsToolPath path{host->ScriptEngine()};
    path.SetPortHost(host);
    path.ParseMotorsProperties("5,5\r\nX,none,/dev/ttyUSB-missing-motor");
    std::string message;
    EXPECT_EQ(CodeOf([&] { path.DriveXMLToolPath("<WAIT></WAIT>", false, 0); }, &message),
              ErrorCode::FileError);
    EXPECT_NE(message.find("Serial device /dev/ttyUSB-missing-motor does not exist"),
              std::string::npos)
        << message;
    EXPECT_EQ(host->PortCount(), 0);
    EXPECT_TRUE(ui.Messages().empty()) << "nothing ran";
}

TEST_F(Driver, EveryRoundIsReportedWithItsTargetsAndMeasuredPositions) {
    path.ParseMotorsProperties("5,5\r\nX,none,1,0.5\r\nY,none,2");
    ManualClock clock;
    ScopedClock installed(clock);
    ui.onDoEvents = [&] { clock.now += 0.25; };
    int starts = 0, roundsAtStart = -1;
    auto startSub = path.CutStarting.Subscribe([&] {
        ++starts;
        roundsAtStart = ui.doEventsCalls;
        EXPECT_EQ(host->PortCount(), 2) << "the ports are open when the cut starts";
    });
    struct Round {
        double t, target1, target2, measured1;
        bool linesSet;
    };
    std::vector<Round> rounds;
    auto roundSub = path.CutRound.Subscribe(
        [&](double t, const DoubleArray& targets, const DoubleArray& measured) {
            ASSERT_EQ(targets.UBound(), 2);
            ASSERT_EQ(measured.UBound(), 2);
            rounds.push_back({t, targets(1), targets(2), measured(1), bench->wires[1].dtr});
        });
    bench->wires[1].inputs = {};
    path.DriveXMLToolPath(Leg(Block(0, 1, " 2 , -1", "4*S,S")), false, 0);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(roundsAtStart, 0) << "raised before the first round";
    ASSERT_EQ(rounds.size(), 6u) << "t = 0 to 1.25 in quarters: the round past EndS is the last";
    for (std::size_t k = 0; k < rounds.size(); ++k) {
        const double t = 0.25 * static_cast<double>(k);
        EXPECT_DOUBLE_EQ(rounds[k].t, t);
        // The round past EndS commands the path's end, never a point beyond it.
        const double along = std::min(t, 1.0);
        EXPECT_DOUBLE_EQ(rounds[k].target1, 2 + 4 * along);
        EXPECT_DOUBLE_EQ(rounds[k].target2, -1 + along);
        EXPECT_EQ(rounds[k].measured1, 0) << "no encoder step was made";
        EXPECT_TRUE(rounds[k].linesSet) << "reported after the round set the lines";
    }

    // A listener that refuses a round (a following-error limit) ends the cut with its error.
    int refusedRounds = 0;
    auto refuse = path.CutRound.Subscribe([&](double, const DoubleArray&, const DoubleArray&) {
        if (++refusedRounds == 2) Raise(ErrorCode::InvalidArgument, "motor X too far behind");
    });
    std::string message;
    EXPECT_EQ(CodeOf([&] { path.DriveXMLToolPath(Leg(Block(0, 1, " 2 , -1", "4*S,S")), false, 0); },
                     &message),
              ErrorCode::InvalidArgument);
    EXPECT_EQ(message, "motor X too far behind");
    EXPECT_EQ(refusedRounds, 2);
    EXPECT_EQ(ui.doEventsCalls, 6 + 1) << "the refused round did not let the user interface run";
    EXPECT_FALSE(bench->AnyLineOn());
    EXPECT_FALSE(path.Cutting());
    EXPECT_EQ(starts, 2);
}

TEST_F(Driver, FailuresLeaveEveryLineOff) {
    path.ParseMotorsProperties("5,5\r\nX,none,1\r\nY,none,2");
    // The user interface fails in the middle of a cut.
    bool wasOn = false;
    ui.onDoEvents = [&] {
        if (ui.doEventsCalls == 3) {
            wasOn = bench->AnyLineOn();
            throw Error(ErrorCode::InvalidArgument, "window gone");
        }
    };
    EXPECT_EQ(CodeOf([&] { path.DriveXMLToolPath(Leg(Block(0, 100, " 5 , 5", "S,S")), false, 0); }),
              ErrorCode::InvalidArgument);
    EXPECT_TRUE(wasOn);
    EXPECT_FALSE(bench->AnyLineOn());

    // An equation that fails once S reaches .5 (division by zero), with the clock running.
    ManualClock clock;
    ScopedClock installed(clock);
    ui.onDoEvents = [&] {
        clock.now += 0.1;
        wasOn = wasOn || bench->AnyLineOn();
    };
    wasOn = false;
    const ErrorCode code = CodeOf(
        [&] { path.DriveXMLToolPath(Leg(Block(0, 2, " 5 , 5", "S,10*S+1/(S<.5)")), false, 0); });
    EXPECT_EQ(code, ErrorCode::ScriptError);
    EXPECT_TRUE(wasOn);
    EXPECT_FALSE(bench->AnyLineOn());
}

TEST_F(Driver, ACutRefusesWhatWouldStallOrUndermineIt) {
    path.ParseMotorsProperties("5,5\r\nX,none,1\r\nY,none,2");
    ManualClock clock;
    ScopedClock installed(clock);
    const std::string block = Block(0, 1, " 5 , 5", "S,S");
    const std::string text = Leg(block);
    const VbArray<typToolPathSubLeg> sublegs = path.XMLClass().ParseXMLSublegs(block);
    std::vector<std::string> refusals;
    bool cuttingSeen = false;
    int graphs = 0;
    auto graphSub =
        path.GraphLeg.Subscribe([&](const VbArray<typToolPathSubLeg>&, double) { ++graphs; });
    auto other = std::make_shared<frmMSComms>();
    const std::vector<std::function<void()>> attempts = {
        [&] { path.DriveXMLToolPath(text, false, 0); },
        [&] { path.DriveXMLToolPath(text, true, 0.1); },
        [&] { path.OpenPorts(VbArray<float>(1, {3.0f})); },
        [&] { path.CutLeg(sublegs); },
        [&] { path.CutSubleg(sublegs(1)); },
        [&] { path.ExpandScript("<ADDCODE>x = 1</ADDCODE>"); },
        [&] { path.SetPortHost(other); },
    };
    ui.onDoEvents = [&] {
        clock.now += 0.1;
        if (ui.doEventsCalls != 2) return;
        cuttingSeen = path.Cutting();
        for (const auto& attempt : attempts) {
            std::string message;
            const ErrorCode code = CodeOf(attempt, &message);
            EXPECT_EQ(code, ErrorCode::InvalidArgument) << message;
            refusals.push_back(message);
        }
    };
    path.DriveXMLToolPath(text, false, 0);
    EXPECT_TRUE(cuttingSeen);
    ASSERT_EQ(refusals.size(), attempts.size());
    for (const std::string& m : refusals)
        EXPECT_NE(m.find("while a cut is running"), std::string::npos) << m;
    EXPECT_EQ(graphs, 0);
    EXPECT_EQ(bench->wires.count(3), 0u) << "no port was opened";
    EXPECT_EQ(&path.PortHost(), host.get());
    // The cut ran to its end; afterwards everything is allowed again.
    EXPECT_GE(ui.doEventsCalls, 10);
    EXPECT_FALSE(path.Cutting());
    EXPECT_FALSE(bench->AnyLineOn());
    ui.onDoEvents = [&] { clock.now += 0.1; };
    path.DriveXMLToolPath(text, true, 0.1);
    EXPECT_EQ(graphs, 1);
    const int rounds = ui.doEventsCalls;
    path.CutLeg(sublegs);
    EXPECT_GE(ui.doEventsCalls - rounds, 10);
    EXPECT_FALSE(path.Cutting());
}

TEST_F(Driver, PortsClosedDuringACutEndItWithAnError) {
    path.ParseMotorsProperties("5,5\r\nX,none,1\r\nY,none,2");
    ui.onDoEvents = [&] {
        if (ui.doEventsCalls == 3) host->ClosePorts();  // another user of the same host
    };
    std::string message;
    EXPECT_EQ(CodeOf([&] { path.DriveXMLToolPath(Leg(Block(0, 100, " 5 , 5", "S,S")), false, 0); },
                     &message),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_NE(message.find("closed during the cut"), std::string::npos) << message;
    EXPECT_EQ(ui.doEventsCalls, 3);
    EXPECT_FALSE(bench->AnyLineOn());
    EXPECT_FALSE(path.Cutting());
}

TEST_F(Driver, PathBeyondTheMotorListFailsBeforeAnyPortOpens) {
    path.ParseMotorsProperties("5,5\r\nX,none,1\r\nY,none,2");
    std::string message;
    EXPECT_EQ(CodeOf(
                  [&] {
                      path.DriveXMLToolPath(Leg(Block(0, 1, " 0 , 0", "S,S")) +
                                                Leg(Block(0, 1, " 0 , 0 , 0", "S,S,S")),
                                            false, 0);
                  },
                  &message),
              ErrorCode::SubscriptOutOfRange);
    EXPECT_NE(message.find("3 motors"), std::string::npos) << message;
    EXPECT_TRUE(bench->wires.empty());
    EXPECT_EQ(ui.doEventsCalls, 0);

    // Cutting directly with more motors than ports, or fewer equations than points.
    typToolPathSubLeg s;
    s.EndS = 1;
    s.StartPoints = DoubleArray(1, {0.0, 0.0});
    s.ParametricEQs = StringArray(1, {"S"});
    path.OpenPorts(VbArray<float>(1, {1.0f, 2.0f}));
    EXPECT_EQ(CodeOf([&] { path.CutSubleg(s); }), ErrorCode::SubscriptOutOfRange);
    path.OpenPorts(VbArray<float>(1, {1.0f}));
    s.ParametricEQs = StringArray(1, {"S", "S"});
    EXPECT_EQ(CodeOf([&] { path.CutSubleg(s); }), ErrorCode::SubscriptOutOfRange);
    EXPECT_EQ(ui.doEventsCalls, 0);
}

TEST_F(Driver, LinesGoOffWhenPortsReopenAndWhenTheToolPathEnds) {
    path.ParseMotorsProperties("5,5\r\nX,none,1");
    auto second = std::make_unique<clsToolPath>(host->ScriptEngine());
    second->SetPortHost(host);
    second->OpenPorts(VbArray<float>(1, {1.0f, 2.0f}));
    host->SetOutPuts(1, true, false);
    host->SetOutPuts(2, false, true);
    second->OpenPorts(VbArray<float>(1, {1.0f, 2.0f}));
    EXPECT_FALSE(bench->AnyLineOn());
    host->SetOutPuts(2, true, false);
    second.reset();
    EXPECT_FALSE(bench->AnyLineOn());
}

}  // namespace
}  // namespace torvane
