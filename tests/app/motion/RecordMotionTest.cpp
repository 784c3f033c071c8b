// Operate > Record Motion: a motion taught by moving simulated motors with a scripted hand,
// written as the room's tool path, graphed and driven back; and what the window refuses.

#include <QAction>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/motion/frmCut.h"
#include "app/motion/frmRecordMotion.h"
#include "motorio/SimulatedHand.h"
#include "motorio/frmMSComms.h"
#include "tests/app/motion/MotionTestSupport.h"
#include "tests/app/motion/MotionWindowTest.h"
#include "tests/motorio/MotorTestSupport.h"
#include "tests/support/FeetechEmulator.h"
#include "toolpath/clsToolPath.h"

namespace mechanon::testing {
namespace {

using mechanon::testing::EmulatedServo;
using mechanon::testing::FeetechResponder;
using mechanon::testing::kSts3215Model;
using mechanon::testing::PtyServoBus;

// A swing out and back in `seconds`, `steps` at its furthest, starting and ending at rest.
torvane::SimulatedHand::Curve Swing(double steps, double seconds) {
    return [=](double t) {
        const double phase = std::clamp(t / seconds, 0.0, 1.0);
        return steps * 0.5 * (1 - std::cos(2 * std::numbers::pi * phase));
    };
}

// The recorded position of motor m at time t, between the samples around it.
double RecordedAt(const std::vector<torvane::typMotionSample>& samples, double t, std::size_t m) {
    const auto after =
        std::upper_bound(samples.begin(), samples.end(), t,
                         [](double at, const torvane::typMotionSample& s) { return at < s.T; });
    if (after == samples.begin()) return samples.front().Positions[m];
    if (after == samples.end()) return samples.back().Positions[m];
    const torvane::typMotionSample& a = *(after - 1);
    const double f = (t - a.T) / (after->T - a.T);
    return a.Positions[m] + f * (after->Positions[m] - a.Positions[m]);
}

class RecordMotion : public MotionWindowTest {
  protected:
    void SetUp() override {
        MotionWindowTest::SetUp();
        Ui().onDoEvents = [] { QCoreApplication::processEvents(); };
        torvane::SimulatedMotorParameters parameters;
        parameters.Hand = hand;
        Host().SetSimulatedMotorParameters(parameters);
    }
    void TearDown() override {
        // The port backend is the library's, shared by every test of this run.
        if (QAction* item = Main().MenuItem("mnuSimulateMotors"); item && item->isChecked())
            Choose("mnuSimulateMotors");
        Host().SetSimulatedMotorParameters({});
        Host().UseLineFactory(nullptr);
        MotionWindowTest::TearDown();
    }
    torvane::frmMSComms& Host() { return Bots().ToolPathControl().PortHost(); }
    frmRecordMotion& Recorder() {
        auto* window = Main().findChild<frmRecordMotion*>("frmRecordMotion");
        if (!window) throw std::runtime_error("no recording window");
        return *window;
    }
    void TypeTolerance(const QString& text) {
        Recorder().txtTolerance->selectAll();
        QTest::keyClicks(Recorder().txtTolerance, text);
    }
    std::string Message(std::size_t i = 0) {
        return i < Ui().Messages().size() ? Ui().Messages()[i] : std::string("(no message)");
    }
    std::shared_ptr<torvane::SimulatedHand> hand = std::make_shared<torvane::SimulatedHand>();
};

TEST_F(RecordMotion, RecordedByHandReplacesThePathGraphsAndDrivesBackWithinTwoSteps) {
    BuildArm();
    Choose("mnuSimulateMotors");
    Choose("mnuRecordMotion");
    frmRecordMotion& window = Recorder();
    ASSERT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), Main().LeftColumn()) << "a tool window in the left column";
    EXPECT_EQ(window.windowTitle(), "Record Motion (simulated)");
    EXPECT_EQ(window.txtTolerance->text(), frmRecordMotion::kDefaultTolerance);
    EXPECT_FALSE(window.cmdStop->isEnabled());

    // The default list: one unit per encoder step. A fifth of a step keeps the path close.
    TypeTolerance("0.45");
    Click(window.cmdRecord);
    ASSERT_TRUE(Ui().Messages().empty()) << Message();
    ASSERT_TRUE(window.Recording());
    EXPECT_FALSE(window.cmdRecord->isEnabled());
    hand->Turn(1, Swing(20, 0.3));
    hand->Turn(2, Swing(-16, 0.25));
    ProcessEventsFor(450);
    EXPECT_TRUE(window.lblSamples->text().contains("samples, "))
        << window.lblSamples->text().toStdString();
    Click(window.cmdStop);
    hand->Release(1);
    hand->Release(2);
    ASSERT_TRUE(Ui().Messages().empty()) << Message();
    EXPECT_FALSE(window.Recording());
    const std::vector<torvane::typMotionSample>& recording = window.LastRecording();
    ASSERT_GT(recording.size(), 45u);
    EXPECT_GE(static_cast<double>(recording.size() - 1) / recording.back().T, 100);
    EXPECT_TRUE(window.lblStatus->text().contains("pieces"))
        << window.lblStatus->text().toStdString();

    // The path is the room's, as Control Motors shows it, and one Undo takes it back.
    const std::string path = ActiveRoom()->MotorMasks().XMLScript;
    ASSERT_EQ(path.rfind("<LEG>\r\n<DRIVE>", 0), 0u) << path.substr(0, 40);
    ShowWindow();
    SelectPage(1);
    EXPECT_EQ(Window().txtXML->Text(), path);
    Choose("mnuUndo");
    EXPECT_EQ(ActiveRoom()->MotorMasks().XMLScript, "");
    Choose("mnuRedo");
    EXPECT_EQ(ActiveRoom()->MotorMasks().XMLScript, path);

    // Graphed: the robot ends where the recording ends.
    ShowWindow();
    SelectPage(1);
    Window().txtPeriod->setText("1");
    Click(Window().Command2);
    ASSERT_TRUE(Ui().Messages().empty()) << Message();
    EXPECT_NEAR(MaskValue(1), recording.back().Positions[0], 1e-9);
    EXPECT_NEAR(MaskValue(2), recording.back().Positions[1], 1e-9);

    // Driven on the simulated motors from where the hand left them: each round's measured
    // position against the recording at the same time of the path.
    const torvane::VbArray<torvane::typToolPathSubLeg> pieces =
        Bots().ToolPathControl().XMLClass().ParseXMLSublegs(path.substr(7, path.size() - 15));
    double worst[2] = {0, 0};
    std::size_t piece = 0;
    double offset = 0;
    double lastT = -1;
    auto rounds = Bots().ToolPathControl().CutRound.Subscribe(
        [&](double t, const torvane::DoubleArray&, const torvane::DoubleArray& measured) {
            if (t < lastT && piece < pieces.Count())
                offset += pieces(static_cast<int>(++piece)).EndS;
            lastT = t;
            for (std::size_t k = 0; k < 2; ++k)
                worst[k] = std::max(worst[k], std::abs(measured(static_cast<int>(k + 1)) -
                                                       RecordedAt(recording, offset + t, k)));
        });
    Later(0, [this] {
        frmCut& cut = Window().DriveMotorsWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&cut));
        Click(cut.Command1);
        cut.accept();
    });
    Click(Window().Command5);
    ASSERT_TRUE(Ui().Messages().empty()) << Message();
    EXPECT_GT(lastT, 0) << "the drive ran";
    EXPECT_LE(worst[0], 2) << "motor 1, in encoder steps";
    EXPECT_LE(worst[1], 2) << "motor 2, in encoder steps";
}

TEST_F(RecordMotion, WhatCannotBeRecordedIsRefusedOnceWithEveryLineOffAndThePathKept) {
    BuildArm();
    Choose("mnuRecordMotion");
    frmRecordMotion& window = Recorder();
    const auto refused = [&](const std::string& what) {
        EXPECT_FALSE(window.Recording());
        EXPECT_TRUE(window.cmdRecord->isEnabled());
        EXPECT_FALSE(window.cmdStop->isEnabled());
        ASSERT_EQ(Ui().Messages().size(), 1u) << "reported once";
        EXPECT_NE(Message().find(what), std::string::npos) << Message();
        EXPECT_EQ(ActiveRoom()->MotorMasks().XMLScript, "kept") << "the path is left as it was";
        Ui().Clear();
    };
    torvane::typMotorMasks masks = ActiveRoom()->MotorMasks();
    masks.XMLScript = "kept";
    ActiveRoom()->SetMotorMasks(masks);

    // A tolerance that is no number above 0.
    for (const QString text : {"abc", "0", "-1", "1 5"}) {
        TypeTolerance(text);
        Click(window.cmdRecord);
        refused("is not a number above 0");
    }
    TypeTolerance("0.5");

    // A port that does not open: named, and the one opened before it is off.
    auto port1 = std::make_shared<LineLog>();
    auto port2 = std::make_shared<LineLog>();
    port2->missingPorts = {2};
    int made = 0;
    Host().UseLineFactory([&]() -> std::unique_ptr<torvane::SerialLine> {
        return std::make_unique<RecordingLine>(++made == 1 ? port1 : port2, nullptr);
    });
    Click(window.cmdRecord);
    refused("Serial port 2 does not exist");
    EXPECT_FALSE(port1->dtr || port1->rts);
    Host().UseLineFactory(nullptr);

    // A motor list that cannot be read: nothing is opened.
    masks = ActiveRoom()->MotorMasks();
    masks.XMLProperties = "5\r\nShoulder1,Shoulder,1,1";
    ActiveRoom()->SetMotorMasks(masks);
    Host().ClosePorts();
    Click(window.cmdRecord);
    refused("cannot be used");
    EXPECT_EQ(Host().PortCount(), 0);
    masks.XMLProperties.clear();
    ActiveRoom()->SetMotorMasks(masks);

    // Stopped before the samples span any time (the clock stands still): nothing to write.
    Choose("mnuSimulateMotors");
    {
        torvane::test::ManualClock clock;
        const torvane::test::ScopedClock still(clock);
        Click(window.cmdRecord);
        ASSERT_TRUE(window.Recording()) << Message();
        ProcessEventsFor(30);
        // Escape, anywhere, stops as Stop does.
        QTest::keyClick(&Main(), Qt::Key_Escape);
        ProcessEventsFor(10);
    }
    refused("fewer than two samples");
    EXPECT_TRUE(window.lblStatus->text().contains("left as it was"));

    // Closing the window while it records ends the recording as Stop does; the window hides.
    Click(window.cmdRecord);
    ProcessEventsFor(30);
    window.close();
    ProcessEventsFor(0);
    EXPECT_FALSE(window.Recording());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(Ui().Messages().empty()) << Message();
    EXPECT_EQ(ActiveRoom()->MotorMasks().XMLScript.rfind("<LEG>", 0), 0u);
}

TEST_F(RecordMotion, ServosLeftUncheckedHoldWhereTheyStandWhileTheCheckedOnesGoLimp) {
    std::vector<EmulatedServo> servos(2);
    for (int k = 0; k < 2; ++k) {
        servos[k].Id = k + 1;
        servos[k].Model = kSts3215Model;
        servos[k].Position = 2048 + 100 * k;
    }
    PtyServoBus bus{servos, FeetechResponder()};
    BuildArm();
    torvane::typMotorMasks masks = ActiveRoom()->MotorMasks();
    masks.XMLProperties = "5,5\r\nShoulder,Shoulder,feetech:" + bus.DevicePath() +
                          "#1=2048,10\r\nElbow,Elbow,feetech:" + bus.DevicePath() + "#2=2048,10";
    ActiveRoom()->SetMotorMasks(masks);
    Choose("mnuRecordMotion");
    QListWidget& list = *Recorder().lstLetGo;
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.item(0)->text(), "Shoulder");
    EXPECT_EQ(list.item(1)->checkState(), Qt::Checked) << "every motor goes limp unless told";
    list.item(1)->setCheckState(Qt::Unchecked);

    Click(Recorder().cmdRecord);
    ASSERT_TRUE(Recorder().Recording()) << Message();
    const auto servo = [&](int id) {
        EmulatedServo copy;
        bus.With([&](auto& all) { copy = all.at(id); });
        return copy;
    };
    EXPECT_FALSE(servo(1).Torque);
    EXPECT_TRUE(servo(2).Torque) << "the elbow holds";
    EXPECT_NEAR(servo(2).Goal, 2148, 1) << "where it stood";
    bus.With([](auto& all) { all.at(1).Position = 2048 + 200; });  // the hand turns the shoulder
    ProcessEventsFor(200);  // the recording samples on a thread of its own meanwhile
    Click(Recorder().cmdStop);
    ASSERT_FALSE(Recorder().LastRecording().empty()) << Message();
    EXPECT_NEAR(Recorder().LastRecording().back().Positions.at(0), 20, 0.2);
    EXPECT_NEAR(Recorder().LastRecording().back().Positions.at(1), 10, 0.2);
    // The marks stay for the next recording.
    Choose("mnuRecordMotion");
    EXPECT_EQ(Recorder().lstLetGo->item(1)->checkState(), Qt::Unchecked);
}

}  // namespace
}  // namespace mechanon::testing
