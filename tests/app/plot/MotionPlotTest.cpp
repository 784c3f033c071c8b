// The motion plot window in the running program, with the example arm: the curves against the
// tool-path object's own evaluation, the velocity of a trapezoid, scrubbing and playback in the
// 3D view, simulated drives with the live plot, the following-error stop, and stopping.

#include <QChart>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineSeries>
#include <QTest>
#include <QValueAxis>
#include <cmath>

#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/motion/MultiLineTextBox.h"
#include "app/motion/RunningCommand.h"
#include "app/motion/SimulatedMotors.h"
#include "app/motion/frmControlMotors.h"
#include "app/motion/frmCut.h"
#include "app/motion/frmMotionPlot.h"
#include "app/motion/frmRS232.h"
#include "model/clsRooms.h"
#include "motorio/SimulatedMotorLine.h"
#include "motorio/frmMSComms.h"
#include "script/Engine.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/motion/MotionTestSupport.h"
#include "tests/motorio/MotorTestSupport.h"
#include "tests/support/SteppedClock.h"
#include "toolpath/TripleStops.h"
#include "toolpath/clsToolPath.h"

namespace mechanon::testing {
namespace {

// The example arm's motors: one port each, a fifth of a degree per encoder step.
constexpr const char* kArmMotors =
    "5,5\r\nTurntable,Turntable,1,0.2\r\nUpperArm,UpperArm,2,0.2\r\nForeArm,ForeArm,3,0.2";
constexpr double kStep = 0.2;
// The simulated control loop runs every half millisecond of the hand-set clock.
constexpr double kRoundSeconds = 0.0005;

class MotionPlot : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        Bots().ToolPathControl().SetPortHost(host);
        AllowSlowRounds(Bots());
        // The drives here run their rounds between the window's events, each round a step of
        // the hand-set clock; the drives on the control thread run in real time.
        SetRoundsOnTheWindowThread(true);
        Ui().onDoEvents = [this] {
            if (simulatedTime) clock.now += kRoundSeconds;
            if (onRound) onRound(Ui().doEventsCalls);
            QCoreApplication::processEvents();
        };
    }
    void TearDown() override {
        Main().PortHost().UsePortBackend(torvane::PortBackend::SerialDevice);
        AppTest::TearDown();
    }

    torvane::clsToolPath& ToolPath() { return Bots().ToolPathControl(); }
    void SetRoundsOnTheWindowThread(bool windowThread) {
        torvane::ControlTiming timing = ToolPath().GetControlTiming();
        timing.OwnThread = !windowThread;
        ToolPath().SetControlTiming(timing);
    }

    // The example arm opened as a user opens it, its path in the motor control window.
    void OpenArm() {
        const std::string robot = ExamplePath("arm.bot");
        ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(robot))) << robot;
        OpenFile(robot);
        ASSERT_EQ(ActiveRoom()->MotorMasks().TotalMasks, 3);
        armPath = Bots().MI().LoadString(ExamplePath("arm.txt"));
        ASSERT_FALSE(armPath.empty());
        SetPath(armPath);
        Ui().Clear();
    }
    void SetPath(const std::string& text) { Main().ControlMotors().txtXML->SetText(text); }
    // The active room's motor list, which every plot and drive loads.
    void SetRoomMotors(const std::string& text) {
        torvane::typMotorMasks masks = ActiveRoom()->MotorMasks();
        masks.XMLProperties = text;
        ActiveRoom()->SetMotorMasks(masks);
    }
    // The arm with its motor list, watched simulated motors and the plot of its path as written.
    frmMotionPlot* ArmReadyToDrive() {
        OpenArm();
        if (HasFatalFailure()) return nullptr;
        SetRoomMotors(kArmMotors);
        UseWatchedMotors();
        return ShowPlot(false);
    }

    // The plot window as the Operate menu shows it.
    frmMotionPlot* ShowPlot(bool retimed) {
        Choose("mnuMotionPlot");
        auto* plot = Main().findChild<frmMotionPlot*>("frmMotionPlot");
        if (!plot) return nullptr;
        if (retimed) {
            plot->cmbSource->setCurrentIndex(1);
            Click(plot->cmdPlot);
        }
        ProcessEventsFor(20);
        return plot;
    }
    static void Click(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton);
        ProcessEventsFor(0);
    }
    static QLineSeries* Series(QChart& chart, const QString& name) {
        for (QAbstractSeries* s : chart.series())
            if (s->name() == name && s->isVisible()) return qobject_cast<QLineSeries*>(s);
        return nullptr;
    }

    // Simulated motors the test can watch, behind every port of the tool-path object.
    void UseWatchedMotors() {
        host->UseLineFactory([this] { return std::make_unique<WatchedMotor>(lines); });
    }
    bool AnyLineOn() const {
        for (const WatchedMotor* line : lines)
            if (line->IsOpen() && (line->DTR() || line->RTS())) return true;
        return false;
    }
    double Measured(int motor) {
        host->ProcessLineEvents();  // edges made while coasting after the last round
        return ToolPath().Encoder(motor).ScaledPosition();
    }
    // Runs the drive of the plot window in the hand-set clock's time.
    void DriveInSimulatedTime(frmMotionPlot& plot) {
        const torvane::test::ScopedClock installed(clock);
        simulatedTime = true;
        Click(plot.cmdDrive);
        simulatedTime = false;
    }
    // Runs the drive of the plot window on the control thread as the program does, but in the
    // time of a clock its rounds step, so the motors follow as they would on an idle machine.
    void DriveOnTheControlThreadInSteppedTime(frmMotionPlot& plot) {
        torvane::test::SteppedClock stepped(clock.now);
        {
            const torvane::test::SteppedDrives drives(ToolPath(), stepped);
            Click(plot.cmdDrive);
        }
        clock.now = stepped.Seconds();
    }

    std::vector<WatchedMotor*> lines;  // before the host, which must release its lines first
    std::shared_ptr<torvane::frmMSComms> host = std::make_shared<torvane::frmMSComms>();
    torvane::test::ManualClock clock;
    bool simulatedTime = false;
    std::function<void(int)> onRound;  // called with the count of every DoEvents
    std::string armPath;
};

// ---- The plot ----

TEST_F(MotionPlot, ReTimedArmPathHasOneCurvePerMotorAsEvaluatedForDriving) {
    OpenArm();
    frmMotionPlot* plot = ShowPlot(true);
    ASSERT_NE(plot, nullptr);
    EXPECT_TRUE(plot->isVisible());
    EXPECT_EQ(plot->windowTitle(), "Motion Plot");
    EXPECT_TRUE(Ui().Messages().empty()) << (Ui().Messages().empty() ? "" : Ui().Messages()[0]);

    // The same re-timing the windows do, then the pieces read back and evaluated on their own.
    const std::string retimed = ExpandToTripleStops(ToolPath(), armPath);
    struct Piece {
        double start;
        torvane::typToolPathSubLeg subleg;
    };
    std::vector<Piece> pieces;
    double total = 0;
    const auto legs = ToolPath().XMLClass().SplitXML(retimed, "LEG");
    for (const auto& leg : legs.Items()) {
        if (leg.Tag != "LEG") continue;
        const auto sublegs = ToolPath().XMLClass().ParseXMLSublegs(leg.Contents);
        for (const auto& s : sublegs.Items()) {
            pieces.push_back({total, s});
            total += s.EndS - s.StartS;
        }
    }
    ASSERT_EQ(pieces.size(), 6u)
        << "two legs of three pieces: held to the example motors' own limits, every move cruises";

    const QStringList names = {"Turntable", "UpperArm", "ForeArm"};
    int curves = 0;
    for (QAbstractSeries* s : plot->PositionChart().series())
        if (names.contains(s->name())) ++curves;
    EXPECT_EQ(curves, 3) << "one curve per motor, named by its mask";
    for (int m = 1; m <= 3; ++m) {
        QLineSeries* curve = Series(plot->PositionChart(), names[m - 1]);
        ASSERT_NE(curve, nullptr) << m;
        const QList<QPointF> points = curve->points();
        ASSERT_GT(points.size(), 200);
        EXPECT_DOUBLE_EQ(points.front().x(), 0);
        EXPECT_NEAR(points.back().x(), total, 1e-9);
        for (const QPointF& p : points) {
            std::size_t k = 0;
            while (k + 1 < pieces.size() && pieces[k + 1].start <= p.x()) ++k;
            const torvane::typToolPathSubLeg& s = pieces[k].subleg;
            const double expected =
                ToolPath().EvalMotorPositions(s, s.StartS + (p.x() - pieces[k].start),
                                              ToolPath().EvalEqs(s.ParametricEQs, s.StartS))(m);
            ASSERT_NEAR(p.y(), expected, 1e-9) << names[m - 1].toStdString() << " at " << p.x();
        }
    }

    // Axes in seconds and model units; the boundary between the two legs is marked.
    const auto* time =
        qobject_cast<QValueAxis*>(plot->PositionChart().axes(Qt::Horizontal).first());
    const auto* position =
        qobject_cast<QValueAxis*>(plot->PositionChart().axes(Qt::Vertical).first());
    ASSERT_TRUE(time && position);
    EXPECT_EQ(time->titleText(), "Time (s)");
    EXPECT_EQ(position->titleText(), "Position");
    EXPECT_TRUE(plot->lblLegend->text().contains("model units")) << "the legend gives the units";
    EXPECT_NEAR(time->max(), total, 1e-9);
    QLineSeries* legMarks = Series(plot->PositionChart(), "Leg boundaries");
    ASSERT_NE(legMarks, nullptr);
    ASSERT_FALSE(legMarks->points().isEmpty());
    for (const QPointF& p : legMarks->points()) EXPECT_NEAR(p.x(), pieces[3].start, 1e-12);
    QLineSeries* sublegMarks = Series(plot->PositionChart(), "Subleg boundaries");
    ASSERT_NE(sublegMarks, nullptr);
    EXPECT_EQ(sublegMarks->points().size(), 12) << "up and down at each of the four pieces' joints";
    ASSERT_NE(Series(plot->VelocityChart(), "ForeArm"), nullptr);
    EXPECT_EQ(Series(plot->VelocityChart(), "ForeArm")->count(),
              Series(plot->PositionChart(), "ForeArm")->count());
}

TEST_F(MotionPlot, TheMotorControlWindowOpensThePlotOfItsPath) {
    OpenArm();
    Main().ShowDriveMotors();
    Click(Main().ControlMotors().cmdMotionPlot);
    ProcessEventsFor(20);
    auto* plot = Main().findChild<frmMotionPlot*>("frmMotionPlot");
    ASSERT_NE(plot, nullptr);
    EXPECT_TRUE(plot->isVisible());
    EXPECT_NE(Series(plot->PositionChart(), "Turntable"), nullptr) << "the path is plotted";
    EXPECT_TRUE(Ui().Messages().empty());
}

TEST_F(MotionPlot, VelocityOfATrapezoidRampsCruisesAndRamps) {
    OpenArm();
    // One motor from 0 to 10 at most 2 per second, accelerating at 1: 2 s up, 3 s at 2, 2 s down.
    SetRoomMotors("2,1");
    SetPath("<DRIVE>\r\n\tStartS= 0\r\n\tEndS= 10\r\n\t 0\r\n\tS\r\n</DRIVE>\r\n");
    frmMotionPlot* plot = ShowPlot(true);
    ASSERT_NE(plot, nullptr);
    EXPECT_TRUE(Ui().Messages().empty());
    plot->tabViews->setCurrentIndex(1);
    QLineSeries* velocity = Series(plot->VelocityChart(), "Turntable");
    ASSERT_NE(velocity, nullptr);
    int ramp = 0, cruise = 0, down = 0;
    for (const QPointF& p : velocity->points()) {
        const double t = p.x();
        const double expected = t <= 2 ? t : (t <= 5 ? 2 : 7 - t);
        EXPECT_NEAR(p.y(), expected, 0.02) << "at " << t << " s";
        (t < 2 ? ramp : (t < 5 ? cruise : down))++;
    }
    EXPECT_GT(ramp, 50);
    EXPECT_GT(cruise, 50);
    EXPECT_GT(down, 50);
    EXPECT_NEAR(plot->Samples().Duration(), 7, 1e-9);
    EXPECT_EQ(plot->Samples().SublegStarts.size(), 2u);
    const auto* axis = qobject_cast<QValueAxis*>(plot->VelocityChart().axes(Qt::Vertical).first());
    ASSERT_NE(axis, nullptr);
    EXPECT_TRUE(axis->titleText().startsWith("Velocity")) << axis->titleText().toStdString();
    EXPECT_GE(axis->max(), 2);
}

TEST_F(MotionPlot, APathThatCannotBePlottedIsReportedAndThePlotStays) {
    OpenArm();
    frmMotionPlot* plot = ShowPlot(false);
    ASSERT_NE(plot, nullptr);
    const double duration = plot->Samples().Duration();
    EXPECT_NEAR(duration, 2, 1e-9) << "the arm path as written: two legs of 1 s";
    const torvane::typMotorMasks masks = ActiveRoom()->MotorMasks();

    SetPath("  \r\n");
    Click(plot->cmdPlot);
    SetPath("<WAIT></WAIT>");
    Click(plot->cmdPlot);
    SetPath("<LEG><DRIVE>\r\nStartS= 0\r\nEndS= 1\r\n 0\r\n S+(\r\n</DRIVE></LEG>");
    Click(plot->cmdPlot);
    const auto messages = Ui().Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_NE(messages[0].find("There is no tool path to plot."), std::string::npos) << messages[0];
    EXPECT_NE(messages[1].find("no DRIVE block to plot"), std::string::npos) << messages[1];
    EXPECT_NE(messages[2].find("S+("), std::string::npos)
        << "the engine's error quotes the equation";
    EXPECT_NEAR(plot->Samples().Duration(), duration, 1e-12) << "the plot shown before stays";
    EXPECT_NE(Series(plot->PositionChart(), "Turntable"), nullptr);
    EXPECT_EQ(ActiveRoom()->MotorMasks().Masks, masks.Masks) << "plotting moves no mask";
}

TEST_F(MotionPlot, EscapeEndsAnEndlessEquationWhilePlotting) {
    OpenArm();
    frmMotionPlot* plot = ShowPlot(false);
    ASSERT_NE(plot, nullptr);
    const double duration = plot->Samples().Duration();
    ToolPath().ScriptEval()->AddCode("Function Hang(x)\r\nDo\r\nLoop\r\nEnd Function");
    SetPath("<LEG><DRIVE>\r\nStartS= 0\r\nEndS= 1\r\n 0\r\n Hang(S)\r\n</DRIVE></LEG>");
    for (int source : {0, 1}) {
        Ui().Clear();
        plot->cmbSource->setCurrentIndex(source);
        QTimer::singleShot(300, [plot] { QTest::keyClick(plot->sldTime, Qt::Key_Escape); });
        Click(plot->cmdPlot);
        const auto messages = Ui().Messages();
        ASSERT_EQ(messages.size(), 1u) << "source " << source;
        EXPECT_NE(messages[0].find("Hang("), std::string::npos) << messages[0];
        EXPECT_NEAR(plot->Samples().Duration(), duration, 1e-12) << "the plot shown before stays";
        EXPECT_FALSE(RunningCommand::AnyRunning());
    }
}

// ---- Scrubbing and playback ----

TEST_F(MotionPlot, TheSliderShowsTheRobotAtThatInstant) {
    OpenArm();
    frmMotionPlot* plot = ShowPlot(false);
    ASSERT_NE(plot, nullptr);
    ProcessEventsFor(50);
    const QImage before = GrabView(Bots());
    ASSERT_FALSE(before.isNull());
    const auto snapshot = ActiveRoom()->SnapShot;

    plot->sldTime->setValue(1500);  // 1.5 s: half way through the second leg
    ProcessEventsFor(20);
    const QImage after = GrabView(Bots());
    EXPECT_TRUE(Ui().Messages().empty());
    EXPECT_NEAR(plot->Time(), 1.5, 1e-12);
    EXPECT_EQ(plot->lblTime->text(), "1.5 s");
    const auto legs = ToolPath().XMLClass().SplitXML(armPath, "LEG");
    ASSERT_GE(legs.Count(), 4u);
    ASSERT_EQ(legs(4).Tag, "LEG");
    const torvane::typToolPathSubLeg second =
        ToolPath().XMLClass().ParseXMLSublegs(legs(4).Contents)(1);
    const torvane::DoubleArray expected =
        ToolPath().EvalMotorPositions(second, 0.5, ToolPath().EvalEqs(second.ParametricEQs, 0));
    const torvane::typMotorMasks masks = ActiveRoom()->MotorMasks();
    for (int i = 1; i <= 3; ++i) EXPECT_NEAR(masks.Masks(i).Value, expected(i), 1e-12) << i;
    EXPECT_NEAR(masks.Masks(1).Value, 45, 1e-9);
    EXPECT_GT(DifferentShare(before, after), 0.005) << "the arm moved in the 3D view";
    EXPECT_EQ(ActiveRoom()->SnapShot, snapshot) << "scrubbing redraws no snapshot";

    // The keyboard moves the slider too. The path starts and ends with every joint at 0.
    QTest::keyClick(plot->sldTime, Qt::Key_Home);
    ProcessEventsFor(0);
    EXPECT_EQ(plot->Time(), 0);
    const QImage atStart = GrabView(Bots());
    EXPECT_GT(DifferentShare(after, atStart), 0.005);
    QTest::keyClick(plot->sldTime, Qt::Key_End);
    ProcessEventsFor(0);
    EXPECT_NEAR(plot->Time(), 2, 1e-12);
    for (int i = 1; i <= 3; ++i)
        EXPECT_NEAR(ActiveRoom()->MotorMasks().Masks(i).Value, 0, 1e-3) << i;
    EXPECT_LT(DifferentShare(atStart, GrabView(Bots())), 0.002) << "back where it started";
}

TEST_F(MotionPlot, PlaybackRunsAtRealSpeedAndEscapeStopsIt) {
    OpenArm();
    frmMotionPlot* plot = ShowPlot(false);
    ASSERT_NE(plot, nullptr);
    QElapsedTimer watch;
    watch.start();
    Click(plot->cmdPlay);
    EXPECT_TRUE(plot->Playing());
    EXPECT_EQ(plot->cmdPlay->text(), frmMotionPlot::kPauseCaption);
    EXPECT_TRUE(RunningCommand::AnyRunning());
    ProcessEventsFor(400);
    const double shown = plot->Time();
    const double elapsed = static_cast<double>(watch.elapsed()) / 1000;
    EXPECT_GT(shown, 0.1);
    EXPECT_LE(shown, elapsed + 0.01) << "never ahead of the clock";
    EXPECT_NEAR(ActiveRoom()->MotorMasks().Masks(1).Value, 90 * shown, 90 * 0.02)
        << "the masks follow the time shown";

    QTest::keyClick(plot->sldTime, Qt::Key_Escape);
    ProcessEventsFor(30);
    EXPECT_FALSE(plot->Playing());
    EXPECT_FALSE(RunningCommand::AnyRunning());
    EXPECT_EQ(plot->cmdPlay->text(), frmMotionPlot::kPlayCaption);
    const double stoppedAt = plot->Time();
    EXPECT_LT(stoppedAt, 2);
    ProcessEventsFor(100);
    EXPECT_EQ(plot->Time(), stoppedAt) << "nothing moves after the stop";

    // Play goes on from there, and the Stop button stops it as well.
    Click(plot->cmdPlay);
    ProcessEventsFor(50);
    EXPECT_TRUE(plot->Playing());
    Click(plot->cmdStop);
    EXPECT_FALSE(plot->Playing());
    EXPECT_GE(plot->Time(), stoppedAt);
    EXPECT_TRUE(Ui().Messages().empty());
}

// ---- Driving ----

TEST_F(MotionPlot, SimulatedDriveEndsAtTheTargetsWithEveryLineOff) {
    frmMotionPlot* plot = ArmReadyToDrive();
    ASSERT_NE(plot, nullptr);
    bool linesWereOn = false;
    onRound = [&](int) { linesWereOn = linesWereOn || AnyLineOn(); };
    DriveInSimulatedTime(*plot);
    EXPECT_TRUE(Ui().Messages().empty()) << (Ui().Messages().empty() ? "" : Ui().Messages()[0]);
    EXPECT_TRUE(linesWereOn);
    EXPECT_FALSE(AnyLineOn());
    ASSERT_EQ(lines.size(), 3u);
    const torvane::DoubleArray end =
        PositionsAt(ToolPath(), plot->Samples(), plot->Samples().Duration());
    for (int m = 1; m <= 3; ++m)
        EXPECT_NEAR(Measured(m), end(m), 2 * kStep) << "motor " << m << " within two steps";

    // The live plot: each motor's target and measured position over the drive's time.
    for (int m = 1; m <= 3; ++m) {
        QLineSeries* target = plot->LiveTarget(m);
        QLineSeries* measured = plot->LiveMeasured(m);
        ASSERT_TRUE(target && measured) << m;
        EXPECT_TRUE(target->isVisible());
        EXPECT_GT(measured->count(), 50) << "a point every 20 ms of a drive of 2 s";
        EXPECT_EQ(target->count(), measured->count());
        EXPECT_NEAR(target->points().back().y(), end(m), 0.5);
    }
    EXPECT_EQ(plot->LiveTarget(1)->name(), "Turntable target");
    EXPECT_EQ(plot->LiveMeasured(3)->name(), "ForeArm measured");
    EXPECT_GT(plot->Following().Largest(), 0);
    EXPECT_LT(plot->Following().Largest(), 5) << "the motors keep up with the path";
    EXPECT_TRUE(plot->lblFollowing->text().startsWith("Largest following error: "))
        << plot->lblFollowing->text().toStdString();
    EXPECT_TRUE(plot->cmdDrive->isEnabled());
}

TEST_F(MotionPlot, AFollowingErrorAboveTheLimitStopsTheDriveNamingTheMotor) {
    frmMotionPlot* plot = ArmReadyToDrive();
    ASSERT_NE(plot, nullptr);
    // Less than one encoder step: the turntable, the fastest motor, falls behind first.
    plot->txtLimit->setText("0.1");
    int rounds = 0;
    onRound = [&](int) { ++rounds; };
    DriveInSimulatedTime(*plot);
    const auto messages = Ui().Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("The following error of motor Turntable reached"), std::string::npos)
        << messages[0];
    EXPECT_NE(messages[0].find("above the limit 0.1"), std::string::npos) << messages[0];
    EXPECT_FALSE(AnyLineOn());
    EXPECT_FALSE(ToolPath().Cutting());
    EXPECT_LT(rounds, 400) << "stopped early in the first leg";
    EXPECT_LT(Measured(1), 10);
    EXPECT_NE(plot->lblFollowing->text().indexOf("Stopped: Turntable"), -1)
        << plot->lblFollowing->text().toStdString();

    // A limit that is not a number stops the next drive before any motor moves.
    Ui().Clear();
    plot->txtLimit->setText("abc");
    bool anyOn = false;
    onRound = [&](int) { anyOn = anyOn || AnyLineOn(); };
    DriveInSimulatedTime(*plot);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("\"abc\" is not a number"), std::string::npos)
        << Ui().Messages()[0];
    EXPECT_FALSE(anyOn);
    EXPECT_EQ(Ui().doEventsCalls, 0) << "no control round ran";
    EXPECT_EQ(lines.size(), 3u) << "the ports were opened again";
    EXPECT_FALSE(AnyLineOn());
}

TEST_F(MotionPlot, EscapeOrStopEndsADriveWithEveryLineOff) {
    frmMotionPlot* plot = ArmReadyToDrive();
    ASSERT_NE(plot, nullptr);
    int stoppedAt = -1;
    onRound = [&](int round) {
        if (round == 600) {
            stoppedAt = round;
            QTest::keyClick(plot->sldTime, Qt::Key_Escape);
        }
    };
    DriveInSimulatedTime(*plot);
    EXPECT_EQ(Ui().doEventsCalls, stoppedAt) << "no control round after the one stopped";
    EXPECT_FALSE(AnyLineOn());
    EXPECT_GT(Measured(1), 5);
    EXPECT_LT(Measured(1), 80) << "stopped well before the end of the first leg";
    EXPECT_FALSE(RunningCommand::AnyRunning());

    // The Stop button does the same.
    const int before = Ui().doEventsCalls;
    onRound = [&](int round) {
        if (round == before + 300) QTest::mouseClick(plot->cmdStop, Qt::LeftButton);
    };
    DriveInSimulatedTime(*plot);
    EXPECT_EQ(Ui().doEventsCalls, before + 300);
    EXPECT_FALSE(AnyLineOn());
    EXPECT_TRUE(Ui().Messages().empty())
        << "a stop is no failure: " << (Ui().Messages().empty() ? "" : Ui().Messages()[0]);
    EXPECT_TRUE(plot->cmdDrive->isEnabled());
}

TEST_F(MotionPlot, AfterAStoppedDriveTheMotorTableShowsWhereTheMotorsStand) {
    frmMotionPlot* plot = ArmReadyToDrive();
    ASSERT_NE(plot, nullptr);
    frmControlMotors& control = Main().ControlMotors();
    QTableWidget& grid = *control.MSFlexGrid1;
    ASSERT_EQ(grid.rowCount(), 4);
    // Positions applied by hand before the drive: the model stands there, the motors do not.
    const char* const typed[] = {"39", "-60", "25"};
    for (int m = 1; m <= 3; ++m) grid.item(m, 1)->setText(typed[m - 1]);
    Click(control.Command1);
    ASSERT_EQ(ActiveRoom()->MotorMasks().Masks(2).Value, -60);

    onRound = [&](int round) {
        if (round == 500) QTest::keyClick(plot->sldTime, Qt::Key_Escape);
    };
    DriveInSimulatedTime(*plot);
    ProcessEventsFor(300);  // the view's and the Measured column's next refresh
    EXPECT_TRUE(Ui().Messages().empty()) << (Ui().Messages().empty() ? "" : Ui().Messages()[0]);
    EXPECT_GT(Measured(1), 5) << "the turntable moved before the stop";
    for (int m = 1; m <= 3; ++m) {
        // The view shows the last round's encoders; the motors coast less than a step after it.
        const double view = ActiveRoom()->MotorMasks().Masks(m).Value;
        EXPECT_NEAR(view, Measured(m), 1.5 * kStep) << "motor " << m;
        EXPECT_NEAR(grid.item(m, 2)->text().toDouble(), view, 1.5 * kStep) << "Measured, " << m;
        EXPECT_NEAR(grid.item(m, 1)->text().toDouble(), view, 1e-9) << "Position, motor " << m;
    }
    // Applying the table now applies where the robot is, with no complaint about a stale grid.
    Click(control.Command1);
    EXPECT_TRUE(Ui().Messages().empty()) << (Ui().Messages().empty() ? "" : Ui().Messages()[0]);
    EXPECT_NEAR(ActiveRoom()->MotorMasks().Masks(1).Value, grid.item(1, 1)->text().toDouble(),
                1e-9);
    EXPECT_NE(grid.item(1, 1)->text(), "39");
}

TEST_F(MotionPlot, ADriveOnTheControlThreadShowsWhatItsRoundsPublishAndTheViewFollows) {
    frmMotionPlot* plot = ArmReadyToDrive();
    ASSERT_NE(plot, nullptr);
    SetRoundsOnTheWindowThread(false);  // the program's own way, in real time
    SetPath(torvane::test::Leg(torvane::test::Block(0, 0.6, " 0 , 0 , 0", "20*S,10*S,-10*S")));
    Click(plot->cmdPlot);
    int eventsDuringTheDrive = 0;
    onRound = [&](int) { ++eventsDuringTheDrive; };
    Click(plot->cmdDrive);
    EXPECT_TRUE(Ui().Messages().empty()) << (Ui().Messages().empty() ? "" : Ui().Messages()[0]);
    EXPECT_GT(eventsDuringTheDrive, 20) << "the window kept running its events";
    EXPECT_FALSE(AnyLineOn());
    QLineSeries* measured = plot->LiveMeasured(1);
    ASSERT_NE(measured, nullptr);
    EXPECT_GT(measured->count(), 10) << "a point every 20 ms of the rounds published";
    EXPECT_NEAR(measured->points().back().y(), 12, 1.5) << "the end of the path, measured";
    EXPECT_NEAR(Measured(1), 12, 2 * kStep);
    // The 3D view shows the measured positions, the last round's once the drive has ended.
    ProcessEventsFor(100);
    const torvane::typMotorMasks masks = ActiveRoom()->MotorMasks();
    EXPECT_NEAR(masks.Masks(1).Value, Measured(1), 1.5);
    EXPECT_NEAR(masks.Masks(3).Value, Measured(3), 1.5);

    // Escape during such a drive stops it, every line off, and is no failure.
    SetPath(torvane::test::Leg(torvane::test::Block(0, 5, " 12 , 6 , -6", "20*S,0*S,0*S")));
    Click(plot->cmdPlot);
    bool wasOn = false, pressed = false;
    onRound = [&](int) {
        wasOn = wasOn || AnyLineOn();
        // Escape once a line has been seen on: a loaded machine may publish five points before
        // the window's first look at the lines.
        if (pressed || !wasOn || plot->LiveMeasured(1) == nullptr ||
            plot->LiveMeasured(1)->count() < 5)
            return;
        pressed = true;
        QTest::keyClick(plot->sldTime, Qt::Key_Escape);
    };
    Click(plot->cmdDrive);
    EXPECT_TRUE(wasOn);
    EXPECT_FALSE(AnyLineOn());
    EXPECT_TRUE(Ui().Messages().empty()) << (Ui().Messages().empty() ? "" : Ui().Messages()[0]);
    EXPECT_LT(Measured(1), 40) << "stopped long before the end";
    EXPECT_FALSE(RunningCommand::AnyRunning());
}

TEST_F(MotionPlot, TheReTimedArmPathDrivesWithinTheExampleMotorsLimitsWithoutATrip) {
    OpenArm();
    UseWatchedMotors();  // the example's own motor list, with its limits per motor
    frmMotionPlot* plot = ShowPlot(true);
    ASSERT_NE(plot, nullptr);
    plot->txtLimit->setText("3");  // three encoder steps of any motor
    DriveOnTheControlThreadInSteppedTime(*plot);
    const torvane::test::ScopedClock installed(clock);  // where the drive left the motors
    EXPECT_TRUE(Ui().Messages().empty()) << (Ui().Messages().empty() ? "" : Ui().Messages()[0]);
    EXPECT_LE(plot->Following().Largest(), 3);
    const torvane::DoubleArray end =
        PositionsAt(ToolPath(), plot->Samples(), plot->Samples().Duration());
    for (int m = 1; m <= 3; ++m) EXPECT_NEAR(Measured(m), end(m), 2) << "motor " << m;
    EXPECT_FALSE(AnyLineOn());
}

TEST_F(MotionPlot, EachExampleDrivesWithinItsLimitTwentyTimesInARowThoughRoundsComeLate) {
    // Rounds every millisecond of the hand-set clock, standing for a busy machine: now and then
    // one comes 25 ms late, as the rounds of a drive beside the window's drawing on two cores
    // do. The window runs its events (drawing the live plot) every quarter second of a drive.
    const torvane::test::ScopedClock installed(clock);
    Ui().onDoEvents = [this] {
        const int round = Ui().doEventsCalls;
        clock.now += round % 97 == 0 ? 0.025 : 0.001;
        if (round % 250 == 0) QCoreApplication::processEvents();
    };
    for (const std::string name : {"arm", "gripper"}) {
        SCOPED_TRACE(name);
        OpenFile(ExamplePath(name + ".bot"));
        UseWatchedMotors();  // the example's own motor list, a degree per encoder step
        Ui().Clear();
        frmMotionPlot* plot = ShowPlot(true);
        ASSERT_NE(plot, nullptr);
        plot->txtLimit->setText("3");  // three encoder steps of any motor
        const torvane::DoubleArray end =
            PositionsAt(ToolPath(), plot->Samples(), plot->Samples().Duration());
        const int motors = ActiveRoom()->MotorMasks().TotalMasks;
        for (int drive = 1; drive <= 20; ++drive) {
            Click(plot->cmdDrive);
            ASSERT_TRUE(Ui().Messages().empty()) << "drive " << drive << ": " << Ui().Messages()[0];
            EXPECT_LE(plot->Following().Largest(), 3) << "drive " << drive;
            EXPECT_FALSE(AnyLineOn());
            // Each path ends where it started: the next drive starts where this one ended.
            for (int m = 1; m <= motors; ++m)
                ASSERT_NEAR(Measured(m), end(m), 2) << "drive " << drive << ", motor " << m;
        }
    }
}

// ---- Simulated motors ----

TEST_F(MotionPlot, SimulateMotorsRoutesThePortsAndMarksTheDriveWindows) {
    OpenArm();
    SetRoomMotors(kArmMotors);
    QAction* item = Main().MenuItem("mnuSimulateMotors");
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked());
    Choose("mnuSimulateMotors");
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(host->Backend(), torvane::PortBackend::SimulatedMotor);
    EXPECT_EQ(Main().PortHost().Backend(), torvane::PortBackend::SimulatedMotor)
        << "the test motor window opens its port there";
    EXPECT_EQ(Main().ControlMotors().DriveMotorsWindow().windowTitle(), "Drive Motors (simulated)");
    EXPECT_EQ(Main().ControlMotors().windowTitle(), "Control Motors (simulated)");
    auto* testMotor = Main().findChild<frmRS232*>();
    ASSERT_NE(testMotor, nullptr);
    EXPECT_EQ(testMotor->windowTitle(), "Test Motor (simulated)");
    // Its port has a simulated motor behind it: driven forward, the motor turns and the
    // window's encoder counts.
    QTest::mouseClick(testMotor->Check1, Qt::LeftButton);
    ASSERT_TRUE(testMotor->PortOpen()) << (Ui().Messages().empty() ? "" : Ui().Messages()[0]);
    QTest::mouseClick(testMotor->Check3, Qt::LeftButton);
    ProcessEventsFor(100);
    QTest::mouseClick(testMotor->Check3, Qt::LeftButton);
    ProcessEventsFor(50);
    EXPECT_GT(testMotor->Encoder().Position(), 10);
    QTest::mouseClick(testMotor->Check1, Qt::LeftButton);
    EXPECT_FALSE(testMotor->PortOpen());
    EXPECT_TRUE(Ui().Messages().empty());
    frmMotionPlot* plot = ShowPlot(false);
    ASSERT_NE(plot, nullptr);
    EXPECT_EQ(plot->windowTitle(), "Motion Plot (simulated)") << "also a window made later";

    // A drive on the host's own simulated motors, no hardware; switching under it is refused.
    onRound = [&](int round) {
        if (round == 100) item->trigger();
    };
    DriveInSimulatedTime(*plot);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("cannot be switched between simulated and real"),
              std::string::npos)
        << Ui().Messages()[0];
    EXPECT_TRUE(item->isChecked()) << "the check mark shows what the ports still do";
    EXPECT_EQ(host->Backend(), torvane::PortBackend::SimulatedMotor);
    EXPECT_GT(Ui().doEventsCalls, 3000) << "the drive went on to its end";
    const torvane::DoubleArray end =
        PositionsAt(ToolPath(), plot->Samples(), plot->Samples().Duration());
    for (int m = 1; m <= 3; ++m) EXPECT_NEAR(Measured(m), end(m), 2 * kStep) << m;

    Choose("mnuSimulateMotors");
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(host->Backend(), torvane::PortBackend::SerialDevice);
    EXPECT_EQ(Main().ControlMotors().DriveMotorsWindow().windowTitle(), "Drive Motors");
    EXPECT_EQ(testMotor->windowTitle(), "Test Motor");
    EXPECT_EQ(plot->windowTitle(), "Motion Plot");
}

TEST(SharedBackendLines, EachOpenTakesTheBackendOfThatMoment) {
    const auto ports = std::make_shared<torvane::frmMSComms>();
    torvane::frmMSComms& shared = *ports;
    const std::unique_ptr<torvane::SerialLine> line = LinesOfBackend(ports)();
    EXPECT_FALSE(line->IsOpen());
    EXPECT_THROW(line->SetDTR(true), torvane::Error) << "nothing to switch before the first open";
    EXPECT_THROW(line->GetInputs(), torvane::Error);

    shared.UsePortBackend(torvane::PortBackend::SimulatedMotor);
    line->Open(3, [](torvane::ModemInputs) {});
    EXPECT_TRUE(line->IsOpen());
    EXPECT_EQ(line->DeviceName(), "simulated motor on port 3");
    shared.UsePortBackend(torvane::PortBackend::SerialDevice);
    line->SetDTR(true);
    EXPECT_EQ(line->DeviceName(), "simulated motor on port 3") << "an open port keeps its line";
    line->Close();

    try {
        line->Open(3, [](torvane::ModemInputs) {});
        line->Close();
    } catch (const torvane::Error&) {
        // No serial device here: the attempt still went to the device, not the simulation.
    }
    EXPECT_EQ(line->DeviceName().find("simulated"), std::string::npos) << line->DeviceName();
    EXPECT_FALSE(line->IsOpen());
}

}  // namespace
}  // namespace mechanon::testing
