// The motor list editor and the serial test window: the lines "Add Motor" writes, texts the
// parser refuses, port numbers, and power texts that are not numbers.

#include <QScrollBar>

#include "app/motion/frmMotorsProperties.h"
#include "app/motion/frmRS232.h"
#include "motorio/SerialDevices.h"
#include "tests/app/motion/MotionTestSupport.h"
#include "tests/app/motion/MotionWindowTest.h"
#include "toolpath/clsToolPath.h"

namespace mechanon::testing {
namespace {

using MotorsProperties = MotionWindowTest;

TEST_F(MotorsProperties, TheMachinesSerialDevicesAreOfferedAsPorts) {
    frmMotorsProperties window(Bots(), &Main());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const std::vector<std::string> devices = torvane::SerialDevices();
    ASSERT_EQ(window.cmbDevice->count(), static_cast<int>(devices.size()) + 1);
    EXPECT_EQ(window.cmbDevice->itemText(0), "Port by number");
    if (devices.empty()) GTEST_SKIP() << "this machine has no serial device to choose";
    window.cmbDevice->setCurrentIndex(1);
    window.Command3->click();
    const std::string line = "X,none," + devices[0] + ",1";
    EXPECT_EQ(window.txtProperties->Text(), "5,5\r\n" + line);
    window.Command2->click();
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    ASSERT_EQ(Bots().ToolPathControl().TotalMotors(), 1);
    EXPECT_EQ(Bots().ToolPathControl().MotorsProperties()(1).Device, devices[0]);
}

TEST_F(MotorsProperties, TheTestMotorWindowOffersTheDevicesAndOpensAPathAsTyped) {
    frmRS232 window(&Main());  // the machine's serial devices behind its port
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const std::vector<std::string> devices = torvane::SerialDevices();
    ASSERT_EQ(window.cmbDevice->count(), static_cast<int>(devices.size()) + 1);
    EXPECT_EQ(window.cmbDevice->itemText(0), "Port by number");

    // A path in the port field is opened as it is, and a missing one says so.
    window.txtPort->setText("/dev/ttyUSB-missing-motor");
    QTest::mouseClick(window.Check1, Qt::LeftButton);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("Serial device /dev/ttyUSB-missing-motor does not exist"),
              std::string::npos)
        << Ui().Messages()[0];
    EXPECT_FALSE(window.Check1->isChecked());
    EXPECT_FALSE(window.PortOpen());
    EXPECT_EQ(window.DevicePath(), "/dev/ttyUSB-missing-motor");

    // Choosing from the list fills the field; "Port by number" puts the number back.
    if (!devices.empty()) {
        Q_EMIT window.cmbDevice->activated(1);
        EXPECT_EQ(window.txtPort->text().toStdString(), devices[0]);
    }
    Q_EMIT window.cmbDevice->activated(0);
    EXPECT_EQ(window.txtPort->text(), QString::number(window.PortNumber()));
}

TEST_F(MotorsProperties, AddMotorStartsWithTheLimitsAndOkReadsTheList) {
    frmMotorsProperties window(Bots(), &Main());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.txtProperties->Text(), "5,5") << "the list of a room without motors";
    window.Command3->click();
    window.Command3->click();
    EXPECT_EQ(window.txtProperties->Text(), "5,5\r\nX,none,1,1\r\nX,none,1,1");
    // Two motors on one port are refused: the window stays open and nothing is stored.
    torvane::clsToolPath& toolPath = Bots().ToolPathControl();
    window.Command2->click();
    EXPECT_EQ(Ui().Messages().size(), 1u);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(toolPath.MotorsPropertiesString(), "");

    window.txtProperties->SetText("5,5\r\nX,none,1,1\r\nY,none,2,1");
    Ui().Clear();
    window.Command2->click();
    EXPECT_TRUE(Ui().Messages().empty());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(toolPath.MotorsPropertiesString(), "5,5\r\nX,none,1,1\r\nY,none,2,1");
    ASSERT_EQ(toolPath.TotalMotors(), 2);
    EXPECT_EQ(toolPath.MotorsProperties()(2).Name, "Y");

    // Reopened, the window shows the stored text; Cancel keeps it.
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.txtProperties->Text(), "5,5\r\nX,none,1,1\r\nY,none,2,1");
    window.txtProperties->SetText("changed");
    window.Command1->click();
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_EQ(toolPath.MotorsPropertiesString(), "5,5\r\nX,none,1,1\r\nY,none,2,1");
}

TEST_F(MotorsProperties, ATextThatDoesNotParseKeepsTheWindowAndTheList) {
    torvane::clsToolPath& toolPath = Bots().ToolPathControl();
    toolPath.MotorsPropertiesString("2,1\r\nA,arm,3");
    toolPath.ParseMotorsProperties(toolPath.MotorsPropertiesString());
    frmMotorsProperties window(Bots(), &Main());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.txtProperties->SetText("X,none,1,1\r\nB,arm,4");
    window.Command2->click();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.txtProperties->Text(), "X,none,1,1\r\nB,arm,4");
    window.Command1->click();
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("not a number"), std::string::npos) << Ui().Messages()[0];
    EXPECT_EQ(toolPath.MotorsPropertiesString(), "2,1\r\nA,arm,3") << "the stored text is kept";
    ASSERT_EQ(toolPath.TotalMotors(), 1);
    EXPECT_EQ(toolPath.MotorsProperties()(1).Name, "A");
    EXPECT_EQ(toolPath.cVMax, 2);
}

// A motor line may name its kind before the port; a kind nobody knows is refused on OK, naming
// the motor and the word, and the stored list stays as it was.
TEST_F(MotorsProperties, AKindBeforeThePortIsReadAndAnUnknownOneRefused) {
    torvane::clsToolPath& toolPath = Bots().ToolPathControl();
    frmMotorsProperties window(Bots(), &Main());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.txtProperties->SetText("5,5\r\nA,none,stepper:1,1");
    window.Command2->click();
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("Motor \"A\" (line 2): \"stepper\" is no kind of motor"),
              std::string::npos)
        << Ui().Messages()[0];
    EXPECT_EQ(toolPath.MotorsPropertiesString(), "");

    Ui().Clear();
    window.txtProperties->SetText("5,5\r\nA,none,simulated:1,1\r\nB,none,1,1");
    window.Command2->click();
    EXPECT_TRUE(Ui().Messages().empty());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(toolPath.MotorsPropertiesString(), "5,5\r\nA,none,simulated:1,1\r\nB,none,1,1");
    ASSERT_EQ(toolPath.TotalMotors(), 2);
    EXPECT_EQ(toolPath.MotorsProperties()(1).Kind, torvane::DriveKind::Simulated);
    EXPECT_EQ(toolPath.MotorsProperties()(2).Kind, torvane::DriveKind::Lines);
}

// A motor line of another number of fields is a typing slip, not a comment: both windows that
// apply the list refuse it, naming the line, where reading on would drop a motor.
TEST_F(MotorsProperties, AMotorLineOfTheWrongNumberOfFieldsIsRefusedNamingIt) {
    BuildArm();
    const std::string kept = "5,5\r\nturn,Shoulder,1,1\r\nbend,Elbow,2,1";
    torvane::typMotorMasks masks = ActiveRoom()->MotorMasks();
    masks.XMLProperties = kept;
    ActiveRoom()->SetMotorMasks(masks);
    frmMotorsProperties window(Bots(), &Main());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (const std::string slip : {"Elbow1,Elbow 2 1", "Elbow1,Elbow,2,1,90", "Elbow1"}) {
        Ui().Clear();
        window.txtProperties->SetText("5,5\r\nShoulder1,Shoulder,1,1\r\n" + slip);
        window.Command2->click();
        EXPECT_TRUE(window.isVisible()) << slip;
        ASSERT_EQ(Ui().Messages().size(), 1u) << slip;
        EXPECT_NE(Ui().Messages()[0].find("line 3, \"" + slip + "\""), std::string::npos)
            << Ui().Messages()[0];
        EXPECT_EQ(ActiveRoom()->MotorMasks().XMLProperties, kept) << slip;
    }
    window.reject();

    // The Properties page of Control Motors refuses it alike, and applies nothing else.
    ShowWindow();
    SelectPage(3);
    Window().txtProperties->SetText("5,5\r\nShoulder1,Shoulder,1,1\r\nElbow1;Elbow;2;1");
    Window().MSFlexGrid1->item(1, 1)->setText("30");
    Ui().Clear();
    Click(Window().Command4);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("line 3, \"Elbow1;Elbow;2;1\", has 1 field"),
              std::string::npos)
        << Ui().Messages()[0];
    EXPECT_EQ(ActiveRoom()->MotorMasks().XMLProperties, kept);
    EXPECT_EQ(MaskValue(1), 0);
    // Older lines of three, four and six fields, with or without a kind, read as before.
    const std::string older = "5,5\r\nShoulder1,Shoulder,1\r\nElbow1,Elbow,simulated:2,1,90,180";
    Window().txtProperties->SetText(older);
    Ui().Clear();
    Click(Window().Command4);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    EXPECT_EQ(ActiveRoom()->MotorMasks().XMLProperties, older);
}

class TestMotor : public MotionWindowTest {
  protected:
    void SetUp() override {
        MotionWindowTest::SetUp();
        auto timer = std::make_unique<ManualSwitchTimer>();
        clock = timer.get();
        window = std::make_unique<frmRS232>(
            &Main(),
            [this] {
                return std::make_unique<RecordingLine>(log, [this] { return clock->Now(); });
            },
            std::move(timer));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        window.reset();
        MotionWindowTest::TearDown();
    }
    void Enter(QLineEdit* box, const QString& text) {
        box->setText(text);
        QTest::keyClick(box, Qt::Key_Return);
        ProcessEventsFor(0);
    }
    std::shared_ptr<LineLog> log = std::make_shared<LineLog>();
    ManualSwitchTimer* clock = nullptr;
    std::unique_ptr<frmRS232> window;
};

TEST_F(TestMotor, PortNumbersThatCannotBeReadKeepThePreviousOne) {
    EXPECT_EQ(window->windowTitle(), "Test Motor");
    EXPECT_EQ(window->PortNumber(), 4);
    window->txtPort->setText("zz");
    Click(window->Check1);
    EXPECT_TRUE(log->open);
    EXPECT_EQ(log->openedPort, 4) << "opened on the number it had";
    Click(window->Check1);
    EXPECT_FALSE(log->open);
    window->txtPort->setText("7");
    Click(window->Check1);
    EXPECT_EQ(log->openedPort, 7);
    Click(window->Check1);

    // A port that cannot be opened is reported and the box goes back to unticked.
    log->missingPorts = {9};
    window->txtPort->setText("9");
    Click(window->Check1);
    EXPECT_FALSE(log->open);
    EXPECT_FALSE(window->Check1->isChecked());
    EXPECT_EQ(Ui().Messages().size(), 1u);
}

TEST_F(TestMotor, LinesInputsAndEncoder) {
    Click(window->Check1);
    Click(window->Check3);
    EXPECT_TRUE(log->dtr);
    Click(window->Check2);
    EXPECT_TRUE(log->rts);
    Click(window->Check3);
    Click(window->Check2);
    EXPECT_FALSE(log->dtr || log->rts);

    // Four forward steps of the encoder, reported by the line as changes.
    for (const auto& [dcd, cts] :
         {std::pair{false, true}, {true, true}, {true, false}, {false, false}}) {
        log->inputs = {dcd, cts};
        log->onChange(log->inputs);
    }
    log->inputs = {false, true};
    log->onChange(log->inputs);
    ProcessEventsFor(0);
    EXPECT_EQ(window->Encoder().Position(), 5);
    EXPECT_EQ(window->lblPosition->text(), "5");
    EXPECT_EQ(window->Label1->text(), "False");
    EXPECT_EQ(window->Label2->text(), "True");
    Click(window->Command1);
    EXPECT_EQ(window->lblPosition->text(), "0");
}

TEST_F(TestMotor, PowerRunsTheLinesAndBadTextsLeaveThemOff) {
    Click(window->Check1);
    Enter(window->txtPeriod, "20");
    Enter(window->txtPower, "50");
    EXPECT_EQ(window->HScroll1->value(), 50);
    EXPECT_TRUE(log->dtr);
    clock->Advance(10);
    EXPECT_FALSE(log->dtr);
    clock->Advance(10);
    EXPECT_TRUE(log->dtr);

    Enter(window->txtPower, "fast");
    EXPECT_FALSE(log->dtr || log->rts);
    EXPECT_EQ(window->Timer().Interval(), 0);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("not a number"), std::string::npos);

    window->HScroll1->setValue(-40);  // as dragging the bar does
    EXPECT_EQ(window->txtPower->text(), "-40");
    EXPECT_TRUE(log->rts);
    Enter(window->txtPeriod, "soon");
    EXPECT_FALSE(log->dtr || log->rts);
    EXPECT_EQ(Ui().Messages().size(), 2u);

    Enter(window->txtPeriod, "20");
    Enter(window->txtPower, "100");
    clock->Advance(100);
    EXPECT_TRUE(log->dtr) << "full power stays on";
    Click(window->Command3);
    EXPECT_EQ(window->txtPower->text(), "0");
    EXPECT_EQ(window->HScroll1->value(), 0);
    EXPECT_FALSE(log->dtr || log->rts);
    EXPECT_EQ(window->Timer().Interval(), 0);

    // Closing the window leaves no motor running and no port taken.
    Enter(window->txtPower, "-30");
    window->reject();
    EXPECT_FALSE(log->open);
    EXPECT_FALSE(log->dtr || log->rts);
}

}  // namespace
}  // namespace mechanon::testing
