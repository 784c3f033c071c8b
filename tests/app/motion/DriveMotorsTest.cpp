// Driving from the windows onto simulated motors: the example arm's path cut to its end through
// the motor control and drive windows, and a cut stopped by a second click or Escape.

#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <functional>
#include <optional>
#include <stop_token>

#include "app/motion/frmCut.h"
#include "app/motion/frmMotorsProperties.h"
#include "motorio/SimulatedMotorLine.h"
#include "motorio/Termination.h"
#include "motorio/frmMSComms.h"
#include "tests/app/motion/MotionTestSupport.h"
#include "tests/app/motion/MotionWindowTest.h"
#include "toolpath/clsToolPath.h"

namespace mechanon::testing {
namespace {

class DriveMotors : public MotionWindowTest {
  protected:
    void SetUp() override {
        MotionWindowTest::SetUp();
        host->UseLineFactory([this] { return std::make_unique<WatchedMotor>(lines); });
        Bots().ToolPathControl().SetPortHost(host);
        Ui().onDoEvents = [] { QCoreApplication::processEvents(); };
    }

    // A copy of the example arm (three motors, degrees) and its path, opened as a user opens
    // them: a test that ends by closing the program may save the robot, never into examples/.
    void OpenArm() {
        const std::string robot = temp.Path("arm.bot");
        ASSERT_TRUE(QFile::copy(QString::fromStdString(ExamplePath("arm.bot")),
                                QString::fromStdString(robot)));
        OpenFile(robot);
        Ui().Clear();
        ASSERT_EQ(ActiveRoom()->MotorMasks().TotalMasks, 3);
        path = Bots().MI().LoadString(ExamplePath("arm.txt"));
        ASSERT_FALSE(path.empty());
    }
    // The motor list typed into the motor properties window: one port per motor, a fifth of a
    // degree per encoder step.
    void SetMotorList(const std::string& text) {
        Later(0, [this, text] {
            auto* window = Main().findChild<frmMotorsProperties*>("frmMotorsProperties");
            ASSERT_NE(window, nullptr);
            ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
            window->txtProperties->SetText(text);
            QTest::mouseClick(window->Command2, Qt::LeftButton);
        });
        Choose("mnuMotorsProperties");
    }
    void PutPathInWindow() {
        ShowWindow();
        SelectPage(1);
        Window().txtXML->SetText(path);
    }
    // Opens "Drive Motors" from the motor control window and runs inside its modal loop.
    void InDriveWindow(std::function<void(frmCut&)> work) {
        Later(0, [this, work] {
            frmCut& cut = Window().DriveMotorsWindow();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&cut));
            EXPECT_EQ(cut.windowTitle(), "Drive Motors");
            work(cut);
            cut.accept();
        });
        Click(Window().Command5);
    }
    bool AnyLineOn() const {
        for (const WatchedMotor* line : lines)
            if (line->IsOpen() && (line->DTR() || line->RTS())) return true;
        return false;
    }
    double Position(int motor) { return Bots().ToolPathControl().Encoder(motor).ScaledPosition(); }
    // Control rounds set one line of every motor each: the calls so far on all lines.
    int LineSets() const {
        int n = 0;
        for (const WatchedMotor* line : lines) n += line->sets.load();
        return n;
    }
    // After a stop: at most the round under way, then both ends of the cut switching the lines
    // off (the control thread at once, the window thread after it).
    static constexpr int kSetsAfterAStop = 3 * 3;

    std::vector<WatchedMotor*> lines;  // before the host, which must release its lines first
    std::shared_ptr<torvane::frmMSComms> host = std::make_shared<torvane::frmMSComms>();
    std::string path;
    static constexpr const char* kArmMotors =
        "5,5\r\nTurntable,Turntable,1,0.2\r\nUpperArm,UpperArm,2,0.2\r\nForeArm,ForeArm,3,0.2";
};

TEST_F(DriveMotors, StartDrivingCutsTheArmPathToItsEnd) {
    OpenArm();
    SetMotorList(kArmMotors);
    ASSERT_EQ(Bots().ToolPathControl().TotalMotors(), 3);
    PutPathInWindow();
    QString captionWhileCutting;
    torvane::PublishedRound halfWay;
    InDriveWindow([&](frmCut& cut) {
        EXPECT_EQ(cut.Command1->text(), frmCut::kStartCaption);
        // Half way through the first leg, the turntable is on its way to 90 degrees, as the
        // control rounds publish it.
        Later(500, [&] {
            captionWhileCutting = cut.Command1->text();
            Bots().ToolPathControl().LatestRound(halfWay);
        });
        Click(cut.Command1);
        EXPECT_EQ(cut.Command1->text(), frmCut::kStartCaption);
    });
    EXPECT_TRUE(Ui().Messages().empty()) << (Ui().Messages().empty() ? "" : Ui().Messages()[0]);
    EXPECT_EQ(captionWhileCutting, frmCut::kStopCaption);
    ASSERT_EQ(halfWay.Measured.size(), 3u);
    EXPECT_GT(halfWay.T, 0.1);
    EXPECT_LT(halfWay.T, 0.9) << "in the first leg";
    EXPECT_NEAR(halfWay.Measured[0], 90 * halfWay.T, 5) << "following 90*S";
    ASSERT_EQ(host->PortCount(), 3);
    EXPECT_FALSE(AnyLineOn()) << "every line is off when the path has ended";
    // The path returns every joint to 0 (the fore arm's wave ends at 0 as well).
    for (int motor = 1; motor <= 3; ++motor) EXPECT_NEAR(Position(motor), 0, 3) << motor;
}

TEST_F(DriveMotors, ASecondClickOrEscapeStopsTheCutWithinOneRound) {
    OpenArm();
    SetMotorList(kArmMotors);
    PutPathInWindow();
    int setsAtStop = -1;
    std::optional<std::stop_callback<std::function<void()>>> atStop;
    InDriveWindow([&](frmCut& cut) {
        Later(300, [&] {
            // Counted at the very moment the click asks for the stop.
            atStop.emplace(Bots().ToolPathControl().StopToken(),
                           std::function<void()>([&] { setsAtStop = LineSets(); }));
            QTest::mouseClick(cut.Command1, Qt::LeftButton);
        });
        Click(cut.Command1);
        EXPECT_LE(LineSets() - setsAtStop, kSetsAfterAStop) << "no control round after the stop";
        atStop.reset();
        EXPECT_FALSE(AnyLineOn());
        EXPECT_GT(Position(1), 5);
        EXPECT_LT(Position(1), 60) << "stopped well before the end of the first leg";

        // Drive again: each cut has a stop of its own. Escape stops this one.
        Later(300, [&] { QTest::keyClick(&cut, Qt::Key_Escape); });
        Click(cut.Command1);
        EXPECT_TRUE(cut.isVisible()) << "Escape stopped the cut; the window stays";
        EXPECT_FALSE(cut.Cutting());
        EXPECT_FALSE(AnyLineOn());
    });
    EXPECT_TRUE(Ui().Messages().empty());
}

TEST_F(DriveMotors, MeasuredPositionsStayBetweenDrivesAndZeroHereHomesAMotor) {
    OpenArm();
    SetMotorList(kArmMotors);
    ShowWindow();
    QTableWidget& grid = *Window().MSFlexGrid1;
    ASSERT_EQ(grid.columnCount(), 3);
    EXPECT_EQ(grid.item(0, 2)->text(), "Measured");
    EXPECT_EQ(grid.item(1, 2)->text(), "") << "no port open yet";
    // Zero here before any drive says why nothing happens.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      grid.visualItemRect(grid.item(1, 0)).center());
    Click(Window().cmdZeroHere);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("no open port"), std::string::npos) << Ui().Messages()[0];
    Ui().Clear();

    // One leg to the turntable's 90 degrees and a hold there, driven in real time; the grid
    // shows where it stands.
    SelectPage(1);
    Window().txtXML->SetText(
        "<LEG>\r\n<DRIVE>\r\n\tStartS= 0\r\n\tEndS= 1\r\n\t 0 , 0 , 0\r\n\t90*S,0*S,0*S\r\n"
        "</DRIVE>\r\n<DRIVE>\r\n\tStartS= 0\r\n\tEndS= 0.5\r\n\t 90 , 0 , 0\r\n\t0*S,0*S,0*S\r\n"
        "</DRIVE>\r\n</LEG>");
    InDriveWindow([&](frmCut& cut) { Click(cut.Command1); });
    ASSERT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    ProcessEventsFor(300);
    SelectPage(0);
    const double turntable = grid.item(1, 2)->text().toDouble();
    EXPECT_NEAR(turntable, 90, 3);
    EXPECT_NEAR(grid.item(2, 2)->text().toDouble(), 0, 1);
    const std::size_t opened = lines.size();

    // Zero here: the turntable's present position becomes 0; the next drive starts there.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      grid.visualItemRect(grid.item(1, 0)).center());
    Click(Window().cmdZeroHere);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    EXPECT_EQ(grid.item(1, 2)->text().toDouble(), 0);
    SelectPage(1);
    Window().txtXML->SetText(
        "<LEG>\r\n<DRIVE>\r\n\tStartS= 0\r\n\tEndS= 0.5\r\n\t 0 , 0 , 0\r\n\t0*S,0*S,0*S\r\n"
        "</DRIVE>\r\n</LEG>");
    InDriveWindow([&](frmCut& cut) { Click(cut.Command1); });
    EXPECT_EQ(lines.size(), opened) << "the ports stayed open";
    EXPECT_NEAR(Position(1), 0, 1) << "holding 0 where it was zeroed, not driven back 90 degrees";
    EXPECT_TRUE(Ui().Messages().empty());
}

TEST_F(DriveMotors, SigtermEndsTheDriveWithEveryLineOffAndClosesTheProgram) {
    OpenArm();
    SetMotorList(kArmMotors);
    PutPathInWindow();
    bool wasCutting = false;
    int setsAtSignal = -1;
    InDriveWindow([&](frmCut& cut) {
        Later(300, [&] {
            wasCutting = cut.Cutting();
            setsAtSignal = LineSets();
            std::raise(SIGTERM);
        });
        Click(cut.Command1);
        // The program then closes, and closing the ports sets every line off once more.
        EXPECT_LE(LineSets() - setsAtSignal, kSetsAfterAStop + 3)
            << "the cut ended within one round";
        EXPECT_FALSE(AnyLineOn());
        EXPECT_FALSE(cut.Cutting());
    });
    EXPECT_TRUE(wasCutting) << "the signal came during the drive";
    ProcessEventsFor(50);
    EXPECT_FALSE(Main().isVisible()) << "the program closes as its close box closes it";
    EXPECT_FALSE(torvane::TerminationRequested()) << "handled: a later signal starts afresh";
}

TEST_F(DriveMotors, APathBeyondTheMotorListIsReportedAndMovesNothing) {
    OpenArm();
    SetMotorList("5,5\r\nTurntable,Turntable,1,0.2");
    PutPathInWindow();
    InDriveWindow([&](frmCut& cut) {
        Click(cut.Command1);
        EXPECT_EQ(cut.Command1->text(), frmCut::kStartCaption);
    });
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("3 motors"), std::string::npos) << Ui().Messages()[0];
    EXPECT_TRUE(lines.empty()) << "no port was opened";
}

}  // namespace
}  // namespace mechanon::testing
