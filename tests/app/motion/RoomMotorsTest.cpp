// The motor list as part of the robot: each example drives on simulated motors straight after
// it is opened, the Properties page and the Motors Properties window edit the room's one list,
// lists that cannot be read are refused, a path beyond the list is explained, and the motor
// table tells two uses of one room apart.

#include <QAction>
#include <QFileInfo>

#include "app/editing/frmEditBot.h"
#include "app/editing/frmPartsBar.h"
#include "app/frmBot.h"
#include "app/motion/frmCut.h"
#include "app/motion/frmMotorsProperties.h"
#include "motorio/clsQuadEncoder.h"
#include "tests/app/motion/MotionWindowTest.h"
#include "tests/support/SteppedClock.h"
#include "toolpath/clsToolPath.h"

namespace mechanon::testing {
namespace {

class RoomMotors : public MotionWindowTest {
  protected:
    void SetUp() override {
        MotionWindowTest::SetUp();
        Ui().onDoEvents = [] { QCoreApplication::processEvents(); };
    }
    void TearDown() override {
        // The port backend is the library's, shared by every test of this run.
        if (QAction* item = Main().MenuItem("mnuSimulateMotors"); item && item->isChecked())
            Choose("mnuSimulateMotors");
        MotionWindowTest::TearDown();
    }
    void OpenExample(const std::string& name) {
        const std::string robot = ExamplePath(name);
        ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(robot))) << robot;
        OpenFile(robot);
        ASSERT_EQ(Main().CurrentPath(), robot);
        Ui().Clear();
    }
    // Drive Motors opened from the tool-path page, Start Driving clicked, the window closed
    // once the cut has ended.
    void DriveFromWindow() {
        SelectPage(1);
        Later(0, [this] {
            frmCut& cut = Window().DriveMotorsWindow();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&cut));
            Click(cut.Command1);
            cut.accept();
        });
        Click(Window().Command5);
    }
    std::string Message(std::size_t i = 0) {
        return i < Ui().Messages().size() ? Ui().Messages()[i] : std::string("(no message)");
    }
    // Opens Motors > Motors Properties, lets work act on it while it is shown, then closes it.
    void InMotorsProperties(std::function<void(frmMotorsProperties&)> work) {
        Later(0, [this, work] {
            auto* window = Main().findChild<frmMotorsProperties*>("frmMotorsProperties");
            ASSERT_NE(window, nullptr);
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
            work(*window);
            if (window->isVisible()) window->reject();
        });
        Choose("mnuMotorsProperties");
    }
};

TEST_F(RoomMotors, EachExampleDrivesOnSimulatedMotorsStraightAfterOpening) {
    for (const std::string name : {"arm", "gripper"}) {
        SCOPED_TRACE(name);
        OpenExample(name + ".bot");
        Choose("mnuSimulateMotors");
        ShowWindow();
        const int masks = ActiveRoom()->MotorMasks().TotalMasks;
        ASSERT_FALSE(Window().txtXML->Text().empty()) << "the room carries its path";
        // Re-timed, as a path is before it is driven: every leg comes to rest at its end.
        SelectPage(1);
        Click(Window().cmdTripleStop);
        // The motors follow in the time of the rounds, however busy the machine is.
        torvane::test::SteppedClock clock;
        const torvane::test::SteppedDrives stepped(Bots().ToolPathControl(), clock);
        DriveFromWindow();
        ASSERT_TRUE(Ui().Messages().empty()) << Message();
        torvane::clsToolPath& toolPath = Bots().ToolPathControl();
        ASSERT_EQ(toolPath.TotalMotors(), masks) << "one motor per mask, from the room's list";
        // Both paths bring every joint back to 0; a degree per encoder step.
        for (int motor = 1; motor <= masks; ++motor)
            EXPECT_NEAR(toolPath.Encoder(motor).ScaledPosition(), 0, 2) << motor;
        Choose("mnuSimulateMotors");
        Ui().Clear();
    }
}

TEST_F(RoomMotors, TheTwoWindowsEditTheRoomsOneListAndRefuseWhatCannotBeRead) {
    BuildArm();
    ShowWindow();
    SelectPage(3);
    // A room that stores no list shows the one made from its masks.
    const std::string made = "5,5\r\nShoulder1,Shoulder,1,1\r\nElbow1,Elbow,2,1";
    EXPECT_EQ(Window().txtProperties->Text(), made);

    // A list the reader refuses is reported with its reason; the room keeps what it had.
    Window().txtProperties->SetText("5\r\nShoulder1,Shoulder,1,1");
    Window().MSFlexGrid1->item(1, 1)->setText("40");
    Click(Window().Command4);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Message().find("VMax,AMax"), std::string::npos) << Message();
    EXPECT_EQ(Message().find("(error"), std::string::npos) << Message();
    EXPECT_EQ(ActiveRoom()->MotorMasks().XMLProperties, "");
    EXPECT_EQ(MaskValue(1), 0) << "nothing of the refused apply was written";

    const std::string mine = "2,1\r\nturn,Shoulder,4,0.5\r\nbend,Elbow,7,0.5";
    Window().txtProperties->SetText(mine);
    Ui().Clear();
    Click(Window().Command4);
    EXPECT_TRUE(Ui().Messages().empty()) << Message();
    EXPECT_EQ(ActiveRoom()->MotorMasks().XMLProperties, mine);

    // Motors Properties shows the same text; its OK stores a change that the page then shows.
    const std::string changed = "3,3\r\nturn,Shoulder,5,0.5\r\nbend,Elbow,6,0.5";
    InMotorsProperties([&](frmMotorsProperties& window) {
        EXPECT_EQ(window.txtProperties->Text(), mine);
        window.txtProperties->SetText("3,3\r\nturn,Shoulder,5,0\r\nbend,Elbow,6,0.5");
        Click(window.Command2);
        EXPECT_TRUE(window.isVisible()) << "a scale of 0 is refused";
        EXPECT_NE(Message().find("scale"), std::string::npos) << Message();
        window.txtProperties->SetText(changed);
        Click(window.Command2);
        EXPECT_FALSE(window.isVisible());
    });
    EXPECT_EQ(ActiveRoom()->MotorMasks().XMLProperties, changed);
    ShowWindow();
    EXPECT_EQ(Window().txtProperties->Text(), changed);
    EXPECT_EQ(Bots().ToolPathControl().cVMax, 3);

    // Back to the made list: the room stores none again, so the list follows new motors.
    Window().txtProperties->SetText(made);
    Click(Window().Command4);
    EXPECT_EQ(ActiveRoom()->MotorMasks().XMLProperties, "");
}

TEST_F(RoomMotors, APathBeyondTheListSaysWhereToAddTheMotors) {
    BuildArm();
    ShowWindow();
    SelectPage(3);
    Window().txtProperties->SetText("5,5\r\nShoulder1,Shoulder,1,1");
    Click(Window().Command4);
    Choose("mnuSimulateMotors");
    Window().txtXML->SetText("<DRIVE>\r\nStartS=0\r\nEndS=1\r\n0,0,0\r\nS,S,S\r\n</DRIVE>\r\n");
    DriveFromWindow();
    ASSERT_EQ(Ui().Messages().size(), 1u);
    const std::string message = Message();
    EXPECT_NE(message.find("drives 3 motors"), std::string::npos) << message;
    EXPECT_NE(message.find("names only 1"), std::string::npos) << message;
    EXPECT_NE(message.find("Properties page of Control Motors"), std::string::npos) << message;
    EXPECT_EQ(message.find("Subscript"), std::string::npos) << message;
    EXPECT_EQ(message.find("(error"), std::string::npos) << message;

    // The same block inside a leg is counted as well.
    Ui().shown.clear();
    Window().txtXML->SetText(
        "<LEG>\r\n<DRIVE>\r\nStartS=0\r\nEndS=1\r\n0,0,0\r\nS,S,S\r\n</DRIVE>\r\n</LEG>\r\n");
    DriveFromWindow();
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Message().find("drives 3 motors"), std::string::npos) << Message();
}

TEST_F(RoomMotors, TheMotorTableTellsTheTwoFingersApart) {
    OpenExample("gripper.bot");
    ShowWindow();
    QTableWidget& grid = *Window().MSFlexGrid1;
    ASSERT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.item(1, 0)->text(), "Finger  (Column1/Palm1/LeftFinger)");
    EXPECT_EQ(grid.item(2, 0)->text(), "Finger  (Column1/Palm1/RightFinger)");
}

TEST_F(RoomMotors, TheMotorAndWindowMenusWorkAndClosedWindowsComeBack) {
    for (const char* name : {"mnuMotors", "mnuTestMotor", "mnuMotorsProperties", "mnuWork",
                             "mnuCommon", "mnuArrangeForms", "mnuPartsBar", "mnuShowGraphics2",
                             "mnuGraphicsWindows", "mnuEditBot", "mnuBotGL", "mnuIK"})
        EXPECT_TRUE(Main().MenuItem(name)->isEnabled()) << name;
    // Placeholders without a command stay greyed.
    for (const char* name : {"mnuPlanToolPath", "mnuEllipse", "mnuCamera", "mnuStopBot",
                             "mnuCommands", "mnuALgebraicSolver"})
        EXPECT_FALSE(Main().MenuItem(name)->isEnabled()) << name;

    struct Closed {
        QMdiSubWindow* window;
        const char* menu;
    };
    for (const Closed& c :
         {Closed{&Main().PartsBar(), "mnuPartsBar"}, Closed{&Main().BotView(), "mnuShowGraphics2"},
          Closed{&Main().EditBot(), "mnuShowParts"},
          Closed{&Main().ControlMotors(), "mnuAnimateActuate"}}) {
        c.window->close();
        ProcessEventsFor(10);
        ASSERT_FALSE(c.window->isVisible()) << c.menu;
        Choose(c.menu);
        ProcessEventsFor(10);
        EXPECT_TRUE(c.window->isVisible()) << c.menu;
    }
    Choose("mnuArrangeForms");
    EXPECT_TRUE(Ui().Messages().empty()) << Message();
}

}  // namespace
}  // namespace mechanon::testing
