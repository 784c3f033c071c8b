// Motors > Scan Bus with the servo arm of the samples: imported, its servos found on an emulated
// bus and put on its motor list, driven and stopped; and what the window refuses.

#include <QApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <filesystem>

#include "app/frmImportUrdf.h"
#include "app/motion/frmCut.h"
#include "app/motion/frmScanBus.h"
#include "model/clsPartRoom.h"
#include "tests/app/motion/MotionWindowTest.h"
#include "tests/motorio/MotorTestSupport.h"
#include "tests/support/FeetechEmulator.h"
#include "toolpath/MotorPropertiesText.h"
#include "toolpath/RoomMotorList.h"
#include "toolpath/clsToolPath.h"

namespace mechanon::testing {
namespace {

constexpr double kCountsPerDegree = 4096.0 / 360;

std::vector<EmulatedServo> ArmServos() {
    std::vector<EmulatedServo> servos(6);
    for (int k = 0; k < 6; ++k) {
        servos[k].Id = k + 1;
        servos[k].Model = kSts3215Model;
        servos[k].Speed = 20000;
    }
    return servos;
}

class ScanBusTest : public MotionWindowTest {
  protected:
    void SetUp() override {
        MotionWindowTest::SetUp();
        Ui().onDoEvents = [] { QCoreApplication::processEvents(); };
    }
    void ImportArm() {
        QTimer::singleShot(0, [this] {
            auto* dialog = qobject_cast<frmImportUrdf*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            Ui().fileAnswers.push_back(std::string(MECHANON_URDF_SAMPLES) +
                                       "/so101/so101_new_calib.urdf");
            QTest::mouseClick(dialog->cmdBrowse, Qt::LeftButton);
            QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
        });
        Choose("mnuImportUrdf");
        ProcessEventsFor(20);
        ASSERT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
    }
    frmScanBus& ScanWindow() {
        Choose("mnuScanBus");
        auto* window = Main().findChild<frmScanBus*>("frmScanBus");
        EXPECT_NE(window, nullptr);
        return *window;
    }
    // Scans device up to id 8 with the window's Scan button and waits for the end.
    void ScanUpTo8(frmScanBus& window, const std::string& device) {
        window.cmbDevice->setCurrentText(QString::fromStdString(device));
        window.cmbProtocol->setCurrentText("feetech");
        window.txtLastId->setText("8");
        Click(window.cmdScan);
        // A bus with silent ids keeps the scan going for their time limits; a device that is
        // missing may have failed before the click's own events were through.
        if (QFileInfo::exists(QString::fromStdString(device))) {
            EXPECT_EQ(window.cmdScan->text(), frmScanBus::kStopCaption);
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window.Scanning(); }, 5000));
    }
    std::vector<torvane::typMotorProperties> MotorList() {
        return torvane::ParseMotorPropertiesText(torvane::MotorsTextOf(*ActiveRoom())).motors;
    }
    EmulatedServo Servo(int id) {
        EmulatedServo copy;
        bus.With([&](auto& servos) { copy = servos.at(id); });
        return copy;
    }
    // Drives path from the drive window, running during inside its modal loop meanwhile.
    void Drive(const std::string& path, const std::function<void(frmCut&)>& during = {}) {
        ShowWindow();
        SelectPage(1);
        Window().txtXML->SetText(path);
        Later(0, [this, during] {
            frmCut& cut = Window().DriveMotorsWindow();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&cut));
            if (during) during(cut);
            Click(cut.Command1);
            cut.accept();
        });
        Click(Window().Command5);
    }

    PtyServoBus bus{ArmServos(), FeetechResponder()};
};

TEST_F(ScanBusTest, TheArmsServosAreFoundAddedDrivenAndStopped) {
    ImportArm();
    frmScanBus& window = ScanWindow();
    ScanUpTo8(window, bus.DevicePath());
    ASSERT_EQ(window.grdServos->rowCount(), 6);
    EXPECT_EQ(window.grdServos->item(2, 0)->text(), "3");
    EXPECT_EQ(window.grdServos->item(2, 1)->text(), "777");
    EXPECT_EQ(window.grdServos->item(2, 2)->text(), "2048");

    // Each servo in turn onto the next motor of the list, each an undo step of its own.
    const std::vector<torvane::typMotorProperties> before = MotorList();
    ASSERT_EQ(before.size(), 6u);
    for (int row = 0; row < 6; ++row) {
        window.grdServos->selectRow(row);
        Click(window.cmdAdd);
    }
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
    std::vector<torvane::typMotorProperties> motors = MotorList();
    ASSERT_EQ(motors.size(), 6u);
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(motors[k].Kind, torvane::DriveKind::Feetech);
        EXPECT_EQ(motors[k].Device, bus.DevicePath());
        EXPECT_EQ(motors[k].ServoId, static_cast<int>(k + 1));
        EXPECT_EQ(motors[k].Zero, 2048);
        EXPECT_EQ(motors[k].Name, before[k].Name) << "the motor keeps its name";
        EXPECT_EQ(motors[k].Upper, before[k].Upper) << "and its travel";
    }
    Choose("mnuUndo");
    EXPECT_EQ(MotorList()[5].Kind, before[5].Kind);
    EXPECT_EQ(MotorList()[4].Kind, torvane::DriveKind::Feetech);
    Choose("mnuRedo");
    ASSERT_EQ(MotorList()[5].ServoId, 6);

    // The shoulder out to 30 degrees and the elbow to -20 in half a second.
    using torvane::test::Block;
    using torvane::test::Leg;
    Drive(Leg(Block(0, 0.5, " 0 , 0 , 0 , 0 , 0 , 0", "60*S,0*S,-40*S,0*S,0*S,0*S")));
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
    EXPECT_NEAR(Servo(1).Position, 2048 + 30 * kCountsPerDegree, 30);
    EXPECT_NEAR(Servo(3).Position, 2048 - 20 * kCountsPerDegree, 30);
    EXPECT_NEAR(Servo(2).Position, 2048, 30);
    EXPECT_TRUE(Servo(1).Torque) << "held where the path ended";

    // A long path stopped by a second click once it has run a fifth of a second: the servos
    // stop where they are, held.
    Drive(Leg(Block(0, 30, " 30 , 0 , -20 , 0 , 0 , 0", "-S,0*S,0*S,0*S,0*S,0*S")),
          [this](frmCut& cut) {
              auto* watch = new QTimer(&cut);
              QObject::connect(watch, &QTimer::timeout, [this, watch, &cut] {
                  torvane::PublishedRound round;
                  // The last drive's rounds are there until this one has started.
                  const torvane::clsToolPath& path = Bots().ToolPathControl();
                  if (!path.Cutting() || !path.LatestRound(round) || round.T < 0.2) return;
                  watch->stop();
                  Click(cut.Command1);
              });
              watch->start(5);
          });
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
    EXPECT_FALSE(Bots().ToolPathControl().Cutting());
    EXPECT_TRUE(Servo(1).Torque);
    EXPECT_LT(Servo(1).Position, 2048 + 30 * kCountsPerDegree - 2) << "it moved a little";
    EXPECT_GT(Servo(1).Position, 2048 + 25 * kCountsPerDegree) << "and stopped";

    // The held servos keep their device: a scan says so, and leaves them held.
    window.show();
    ScanUpTo8(window, bus.DevicePath());
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("in use by this program"), std::string::npos);
    EXPECT_TRUE(Servo(1).Torque);
    Ui().Clear();

    // Torque Off asks first; No leaves the servos held, Yes makes them limp and frees the device.
    Ui().messageAnswers = {torvane::MsgAnswer::No};
    Click(window.cmdTorqueOff);
    EXPECT_TRUE(Servo(1).Torque);
    Ui().Clear();
    Ui().messageAnswers = {torvane::MsgAnswer::Yes};
    Click(window.cmdTorqueOff);
    for (int id = 1; id <= 6; ++id) EXPECT_FALSE(Servo(id).Torque) << id;
    Ui().Clear();
    ScanUpTo8(window, bus.DevicePath());
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
    EXPECT_EQ(window.grdServos->rowCount(), 6);
}

TEST_F(ScanBusTest, BadInputAndATakenIdAreRefusedLeavingTheListAsItWas) {
    ImportArm();
    frmScanBus& window = ScanWindow();
    window.cmbDevice->setCurrentText(QString::fromStdString(bus.DevicePath()));
    window.txtBaud->setText("fast");
    Click(window.cmdScan);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("\"fast\" is not a whole number"), std::string::npos);
    EXPECT_FALSE(window.Scanning());
    window.txtBaud->clear();
    Ui().Clear();

    ScanUpTo8(window, "/dev/ttyNOSUCHBUS");
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("/dev/ttyNOSUCHBUS does not exist"), std::string::npos);
    Ui().Clear();

    ScanUpTo8(window, bus.DevicePath());
    window.grdServos->selectRow(0);
    Click(window.cmdAdd);
    const std::string added = torvane::MotorsTextOf(*ActiveRoom());
    // Servo 1 once more, onto the next motor: two motors cannot share an id on one bus.
    window.grdServos->selectRow(0);
    Click(window.cmdAdd);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("is already the servo of motor \"shoulder_link\""),
              std::string::npos)
        << Ui().Messages()[0];
    EXPECT_EQ(torvane::MotorsTextOf(*ActiveRoom()), added);
}

}  // namespace
}  // namespace mechanon::testing
