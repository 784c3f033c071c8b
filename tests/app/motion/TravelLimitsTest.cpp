// The motors' travel in the windows: the motor table refuses a value outside it, graph, both
// re-timings, plot and drive refuse a path that leaves it before anything moves, a drive whose
// equation leaves it while running is tripped with every line off, and Motors Properties refuses
// a travel it cannot read.

#include "app/motion/frmCut.h"
#include "app/motion/frmCutToolPath.h"
#include "app/motion/frmMotionPlot.h"
#include "app/motion/frmMotorsProperties.h"
#include "motorio/frmMSComms.h"
#include "tests/app/motion/MotionTestSupport.h"
#include "tests/app/motion/MotionWindowTest.h"
#include "tests/motorio/MotorTestSupport.h"
#include "toolpath/clsToolPath.h"

namespace mechanon::testing {
namespace {

using torvane::test::Block;
using torvane::test::Leg;

class TravelLimits : public MotionWindowTest {
  protected:
    void SetUp() override {
        MotionWindowTest::SetUp();
        host->UseLineFactory([this] { return std::make_unique<WatchedMotor>(lines); });
        Bots().ToolPathControl().SetPortHost(host);
        Ui().onDoEvents = [] { QCoreApplication::processEvents(); };
    }
    // The small arm with its list on the Properties page, applied: the shoulder turns -90 to 90
    // degrees, the elbow 0 to 45.
    void ArmWithTravel() {
        BuildArm();
        ShowWindow();
        SelectPage(3);
        Window().txtProperties->SetText(kList);
        Click(Window().Command4);
        ASSERT_TRUE(Ui().Messages().empty()) << Message();
    }
    std::string Message(std::size_t i = 0) {
        return i < Ui().Messages().size() ? Ui().Messages()[i] : std::string("(no message)");
    }
    void ExpectMessageNames(const std::vector<std::string>& parts) {
        ASSERT_EQ(Ui().Messages().size(), 1u) << Message(1);
        for (const std::string& part : parts)
            EXPECT_NE(Message().find(part), std::string::npos) << part << " in " << Message();
    }
    // Opens Drive Motors from the tool-path page and clicks Start Driving.
    void Drive() {
        SelectPage(1);
        Later(0, [this] {
            frmCut& cut = Window().DriveMotorsWindow();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&cut));
            Click(cut.Command1);
            cut.accept();
        });
        Click(Window().Command5);
    }
    bool AnyLineOn() const {
        for (const WatchedMotor* line : lines)
            if (line->IsOpen() && (line->DTR() || line->RTS())) return true;
        return false;
    }

    static constexpr const char* kList =
        "5,5\r\nShoulder1,Shoulder,1,0.2,,,-90,90\r\nElbow1,Elbow,2,0.2,,,0,45";
    std::vector<WatchedMotor*> lines;  // before the host, which must release its lines first
    std::shared_ptr<torvane::frmMSComms> host = std::make_shared<torvane::frmMSComms>();
};

TEST_F(TravelLimits, TheTableRefusesAValueOutsideTheTravelAndChangesNothing) {
    ArmWithTravel();
    SelectPage(0);
    EnterCell(1, "30");
    EnterCell(2, "20");
    ASSERT_TRUE(Ui().Messages().empty()) << Message();
    const torvane::typMotorMasks before = ActiveRoom()->MotorMasks();
    const QString undo = Main().MenuItem("mnuUndo")->text();

    EnterCell(2, "60");
    ExpectMessageNames({"position 60 of motor \"Elbow\" (Shoulder1/Elbow1)", "travel, 0 to 45",
                        "nothing was applied"});
    Ui().Clear();
    Click(Window().Command1);  // Apply Positions, the grid still showing 60
    ExpectMessageNames({"position 60 of motor \"Elbow\""});
    Ui().Clear();
    EnterCell(2, "-0.5");
    ExpectMessageNames({"position -0.5 of motor \"Elbow\"", "0 to 45"});
    EXPECT_EQ(ActiveRoom()->MotorMasks(), before) << "the robot keeps its values";
    EXPECT_EQ(Main().MenuItem("mnuUndo")->text(), undo) << "no step was recorded";

    // The ends of the travel are within it.
    Ui().Clear();
    EnterCell(2, "45");
    EnterCell(1, "-90");
    EXPECT_TRUE(Ui().Messages().empty()) << Message();
    EXPECT_EQ(MaskValue(1), -90);
    EXPECT_EQ(MaskValue(2), 45);
}

TEST_F(TravelLimits, GraphRetimePlotAndDriveRefuseAPathLeavingTheTravelBeforeAnythingMoves) {
    ArmWithTravel();
    SelectPage(1);
    // The elbow reaches 45 at S = 0.75 and goes on to 60.
    const std::string path = Leg(Block(0, 1, " 0 , 0", "90*S,60*S"));
    Window().txtXML->SetText(path);
    const torvane::typMotorMasks before = ActiveRoom()->MotorMasks();
    const std::vector<std::string> named{"motor \"Elbow1\" outside its travel (0 to 45)",
                                         "leaves at S = 0.75", "reaches 60 at S = 1"};

    Click(Window().Command2);  // Graph XML ToolPath
    ExpectMessageNames(named);
    EXPECT_EQ(ActiveRoom()->MotorMasks().Masks, before.Masks) << "nothing was drawn";

    Ui().Clear();
    Click(Window().cmdTripleStop);
    ExpectMessageNames(named);
    EXPECT_EQ(Window().txtXML->Text(), path) << "the path was not re-timed";

    // The Work window's TripleStop, on the same path.
    Ui().Clear();
    Choose("mnuWork");
    auto* work = Main().findChild<frmCutToolPath*>("frmCutToolPath");
    ASSERT_NE(work, nullptr);
    work->txtXML->SetText(path);
    Click(work->cmdTripleStop);
    ExpectMessageNames(named);
    EXPECT_EQ(work->txtXML->Text(), path);

    // The plot window plots the path as it opens, and again at Plot.
    Ui().Clear();
    Choose("mnuMotionPlot");
    ExpectMessageNames(named);
    auto* plot = Main().findChild<frmMotionPlot*>("frmMotionPlot");
    ASSERT_NE(plot, nullptr);
    Ui().Clear();
    Click(plot->cmdPlot);
    ExpectMessageNames(named);

    Ui().Clear();
    Drive();
    ExpectMessageNames(named);
    EXPECT_TRUE(lines.empty()) << "no port was opened";
}

TEST_F(TravelLimits, ADriveWhoseEquationLeavesTheTravelWhileRunningStopsWithEveryLineOff) {
    ArmWithTravel();
    // The elbow's function agrees with the check before the drive, then jumps to 80 at its
    // 300th evaluation, a quarter of a second into the drive.
    SelectPage(2);
    Window().txtVBScript->SetText(
        "<ADDCODE>\r\nDim calls\r\nFunction odd(s)\r\ncalls = calls + 1\r\n"
        "If calls > 300 Then odd = 80 Else odd = 20 * s\r\nEnd Function\r\n</ADDCODE>\r\n" +
        Leg(Block(0, 1, " 0 , 0", "30*S,odd(S)")));
    Click(Window().Command3);
    ASSERT_TRUE(Ui().Messages().empty()) << Message();
    Drive();
    ExpectMessageNames(
        {"motor Elbow1 to 80 at S = ", "outside its travel (0 to 45)", "every line off"});
    EXPECT_EQ(lines.size(), 2u) << "the drive was under way";
    EXPECT_FALSE(AnyLineOn());
    EXPECT_EQ(Bots().ToolPathControl().EvalEq("calls", 0), 301)
        << "the round that went wrong was the last";
}

TEST_F(TravelLimits, MotorsPropertiesShowsTheLayoutAndRefusesATravelItCannotRead) {
    BuildArm();
    Later(0, [this] {
        auto* window = Main().findChild<frmMotorsProperties*>("frmMotorsProperties");
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        auto* hint = window->findChild<QLabel*>("lblLayout");
        ASSERT_NE(hint, nullptr);
        EXPECT_TRUE(hint->text().contains("MaxV,MaxA[,Lower,Upper]"));
        for (const char* bad :
             {"5,5\r\nShoulder1,Shoulder,1,1,,,5,1", "5,5\r\nShoulder1,Shoulder,1,1,,,-5,abc"}) {
            Ui().Clear();
            window->txtProperties->SetText(bad);
            QTest::mouseClick(window->Command2, Qt::LeftButton);
            EXPECT_TRUE(window->isVisible()) << "the window stays open with the text";
            ASSERT_EQ(Ui().Messages().size(), 1u);
            EXPECT_NE(Message().find("Motor \"Shoulder1\" (line 2)"), std::string::npos)
                << Message();
        }
        EXPECT_NE(Message().find("the upper limit \"abc\" is not a number"), std::string::npos);
        EXPECT_EQ(ActiveRoom()->MotorMasks().XMLProperties, "") << "nothing was stored";
        window->reject();
    });
    Choose("mnuMotorsProperties");
}

}  // namespace
}  // namespace mechanon::testing
