// Operate > Joint Sliders on the small arm of the motion fixture (a Shoulder that turns about its
// yaw axis holding an Elbow that pitches): the rows and their ends, the number boxes, a drag that
// moves the view and is one step of the history, a mimic follower, Centre and Random, jogging
// simulated motors, and poses added to the tool path that graph and drive.

#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QUndoStack>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <regex>

#include "app/editing/frmPartsBar.h"
#include "app/motion/frmCut.h"
#include "app/motion/frmJointSliders.h"
#include "app/motion/frmMotorsProperties.h"
#include "app/undo/DocumentHistory.h"
#include "motorio/clsQuadEncoder.h"
#include "render/clsOpenGL.h"
#include "tests/app/motion/MotionWindowTest.h"
#include "toolpath/clsToolPath.h"

namespace mechanon::testing {
namespace {

namespace fs = std::filesystem;

// The travel of each moving joint of a URDF text in degrees, by the link it moves.
std::map<std::string, std::pair<double, double>> TravelByChildLink(const fs::path& urdf) {
    std::ifstream in(urdf, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::regex joint(R"(<joint\b[^>]*>([\s\S]*?)</joint>)");
    const std::regex child(R"re(<child\s+link="([^"]+)")re");
    const std::regex lower(R"re(lower="([^"]+)")re");
    const std::regex upper(R"re(upper="([^"]+)")re");
    std::map<std::string, std::pair<double, double>> travel;
    for (std::sregex_iterator j(text.begin(), text.end(), joint), end; j != end; ++j) {
        const std::string body = (*j)[1];
        std::smatch c, lo, hi;
        if (std::regex_search(body, c, child) && std::regex_search(body, lo, lower) &&
            std::regex_search(body, hi, upper))
            travel[c[1]] = {std::stod(lo[1]) * 180 / std::numbers::pi,
                            std::stod(hi[1]) * 180 / std::numbers::pi};
    }
    return travel;
}

class JointSliders : public MotionWindowTest {
  protected:
    frmJointSliders& Sliders() {
        auto* window = Main().findChild<frmJointSliders*>("frmJointSliders");
        EXPECT_NE(window, nullptr);
        return *window;
    }
    // The arm with a stored motor list (the room's own, as the motor properties keep it).
    void BuildArmWithList(const std::string& list) {
        BuildArm();
        torvane::typMotorMasks masks = ActiveRoom()->MotorMasks();
        masks.XMLProperties = list;
        ActiveRoom()->SetMotorMasks(masks);
    }
    void OpenSliders() {
        Choose("mnuJointSliders");
        ProcessEventsFor(20);
        ASSERT_TRUE(Sliders().isVisible());
    }
    void Type(int motor, const QString& text) {
        QLineEdit* box = Sliders().RowOf(motor).txtValue;
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
        ProcessEventsFor(0);
    }
    static QPoint HandleCentre(QSlider& slider) {
        QStyleOptionSlider option;
        option.initFrom(&slider);
        option.orientation = slider.orientation();
        option.minimum = slider.minimum();
        option.maximum = slider.maximum();
        option.sliderPosition = slider.sliderPosition();
        option.sliderValue = slider.value();
        option.subControls = QStyle::SC_All;
        return slider.style()
            ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, &slider)
            .center();
    }
    // Presses the handle, moves it right in steps of dx pixels and releases it; the view as it
    // was just before the release.
    QImage Drag(QSlider& slider, int steps, int dx) {
        QPoint at = HandleCentre(slider);
        QTest::mousePress(&slider, Qt::LeftButton, {}, at);
        for (int i = 0; i < steps; ++i) {
            at.rx() += dx;
            QTest::mouseMove(&slider, at);
            ProcessEventsFor(0);
        }
        const QImage dragged = GrabView(Bots());
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, at);
        ProcessEventsFor(0);
        return dragged;
    }
    void TearDown() override {
        // The port backend is the library's, shared by every test of this run.
        if (QAction* item = Main().MenuItem("mnuSimulateMotors"); item && item->isChecked())
            Choose("mnuSimulateMotors");
        MotionWindowTest::TearDown();
    }
    int UndoSteps() { return Bots().History().Stack().count(); }
    // Waits (at most 5 s) until the jog is over and motor stands within a step of value.
    bool MotorArrives(int motor, double value) {
        QElapsedTimer timer;
        timer.start();
        const torvane::clsToolPath& path = Bots().ToolPathControl();
        const auto there = [&] {
            return !Sliders().Jogging() && path.EncoderCount() >= motor &&
                   std::abs(path.Encoder(motor).ScaledPosition() - value) <= 1;
        };
        while (!there() && timer.elapsed() < 5000) ProcessEventsFor(5);
        return there();
    }
    void SimulateMotors() {
        Choose("mnuSimulateMotors");
        ASSERT_TRUE(Main().MenuItem("mnuSimulateMotors")->isChecked());
        Ui().onDoEvents = [] { QCoreApplication::processEvents(); };
    }
    // Fast motors with travels, so a jog or a pose drives in a fraction of a second.
    static constexpr const char* kFastList =
        "360,3600\r\nShoulder,Shoulder,1,1,,,-90,90\r\nElbow,Elbow,2,1,,,-90,90";
};

TEST_F(JointSliders, RowsShowEachMotorWithItsTravelAndBoxesRefuseWhatLiesOutside) {
    BuildArmWithList("5,5\r\nShoulder,Shoulder,1,1,,,-90,45\r\nElbow,Elbow,2");
    OpenSliders();
    frmJointSliders& window = Sliders();
    ASSERT_EQ(window.RowCount(), 2);
    EXPECT_EQ(window.RowOf(1).lblName->text(), "Shoulder  (Shoulder1)   -90 to 45");
    EXPECT_EQ(window.RowOf(2).lblName->text(),
              "Elbow  (Shoulder1/Elbow1)   no limits, -180 to 180");

    // The slider's ends are the travel, exactly.
    QSlider& shoulder = *window.RowOf(1).sldValue;
    shoulder.setValue(shoulder.maximum());
    EXPECT_EQ(MaskValue(1), 45);
    QTest::keyClick(&shoulder, Qt::Key_Home);
    EXPECT_EQ(MaskValue(1), -90);
    EXPECT_EQ(window.RowOf(1).txtValue->text(), "-90");

    Type(1, "30");
    EXPECT_EQ(MaskValue(1), 30);
    EXPECT_EQ(shoulder.value(), window.RowOf(1).Steps.PositionOf(30));
    EXPECT_TRUE(Ui().Messages().empty());
    // The box that was typed in (the same value once more) follows an undo at once.
    ASSERT_TRUE(MakeActive(Main()));
    Type(1, "30.0");
    ASSERT_TRUE(window.RowOf(1).txtValue->hasFocus());
    Choose("mnuUndo");
    EXPECT_EQ(window.RowOf(1).txtValue->text(), "-90");
    Choose("mnuRedo");
    EXPECT_EQ(window.RowOf(1).txtValue->text(), "30");

    // Beyond the travel, or not a number: a message, and the value stays.
    Type(1, "46");
    Type(1, "1 5");
    ASSERT_EQ(Ui().Messages().size(), 2u);
    EXPECT_EQ(Ui().Messages()[0],
              "The value 46 of motor \"Shoulder\" (Shoulder1) is outside its travel, -90 to 45, "
              "so nothing was set.");
    EXPECT_NE(Ui().Messages()[1].find("\"1 5\" of motor \"Shoulder\""), std::string::npos);
    EXPECT_EQ(MaskValue(1), 30);
    EXPECT_EQ(window.RowOf(1).txtValue->text(), "30");

    // A motor without limits takes any number; its slider shows the span.
    Type(2, "500");
    EXPECT_EQ(MaskValue(2), 500);
    EXPECT_EQ(window.RowOf(2).sldValue->value(), window.RowOf(2).sldValue->maximum());

    // The rows follow the active room.
    Main().PartsBar().ActivateRoom(3);
    ASSERT_EQ(ActiveRoom()->Name(), "Elbow");
    ASSERT_EQ(window.RowCount(), 1);
    EXPECT_EQ(window.RowOf(1).lblName->text(), "Elbow   no limits, -180 to 180");
}

// The servo arm of the samples, imported: each slider spans its joint's URDF limits in degrees.
TEST_F(JointSliders, AnImportedArmShowsItsJointLimitsAsTheSliderEnds) {
    const fs::path urdf = fs::path(MECHANON_URDF_SAMPLES) / "so101" / "so101_new_calib.urdf";
    Main().ImportRobotFile(urdf, {});
    ASSERT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    OpenSliders();
    const auto travel = TravelByChildLink(urdf);
    ASSERT_EQ(Sliders().RowCount(), 6);
    ASSERT_EQ(travel.size(), 6u);
    ASSERT_TRUE(torvane::MotorRangesOf(*ActiveRoom()).front().Lower)
        << "imported joints bring their travel";
    for (int motor = 1; motor <= 6; ++motor) {
        const frmJointSliders::Row& row = Sliders().RowOf(motor);
        // The caption names the URDF joint and shows the travel converted from radians rounded,
        // not as the conversion left it.
        const QString caption = row.lblName->text();
        EXPECT_NE(caption.indexOf("  joint "), -1) << caption.toStdString();
        EXPECT_EQ(caption.indexOf("9999"), -1) << caption.toStdString();
        EXPECT_EQ(caption.indexOf("0000"), -1) << caption.toStdString();
        ASSERT_EQ(travel.count(row.Spec.Name), 1u) << row.Spec.Name;
        const auto [lower, upper] = travel.at(row.Spec.Name);
        EXPECT_NEAR(row.Steps.ValueAt(row.sldValue->minimum()), lower, 1e-3) << row.Spec.Name;
        EXPECT_NEAR(row.Steps.ValueAt(row.sldValue->maximum()), upper, 1e-3) << row.Spec.Name;
    }
}

TEST_F(JointSliders, ADragMovesTheViewAndOneUndoTakesItBack) {
    BuildArm();
    OpenSliders();
    const QImage before = GrabView(Bots());
    ASSERT_FALSE(before.isNull());
    const int steps = UndoSteps();
    QSlider& shoulder = *Sliders().RowOf(1).sldValue;
    std::vector<double> seen;
    QObject::connect(&shoulder, &QSlider::valueChanged, [&] { seen.push_back(MaskValue(1)); });

    const QImage dragged = Drag(shoulder, 6, 15);
    EXPECT_GT(DifferentShare(before, dragged), 0.002) << "the view follows during the drag";
    ASSERT_GE(seen.size(), 3u) << "the drag moved the joint step by step";
    EXPECT_GT(MaskValue(1), 20);
    EXPECT_EQ(Sliders().Values()[0], MaskValue(1));
    EXPECT_GT(DifferentShare(before, GrabView(Bots())), 0.002) << "the shoulder turned";
    EXPECT_EQ(UndoSteps(), steps + 1) << "the whole drag is one step";

    Choose("mnuUndo");
    EXPECT_EQ(MaskValue(1), 0);
    EXPECT_EQ(Sliders().RowOf(1).txtValue->text(), "0");
    EXPECT_LT(DifferentShare(before, GrabView(Bots())), 0.0005) << "back where it started";

    // A second drag is a step of its own, not merged into the first.
    Choose("mnuRedo");
    const double redone = MaskValue(1);
    Drag(shoulder, 2, -15);
    EXPECT_LT(MaskValue(1), redone);
    EXPECT_EQ(UndoSteps(), steps + 2);
}

// A slider's drag turns the joint by placing the parts it moves: the world is never compiled
// again, the view shows the quick picture while the handle moves and, released, the exact
// picture a full redraw gives.
TEST_F(JointSliders, ADragPlacesThePartsItMovesWithoutCompilingTheWorld) {
    BuildArm();
    OpenSliders();
    Bots().UpdatePicture(false, false);
    const QImage before = GrabView(Bots());
    const auto compilations = Bots().GL().WorldCompilations();
    QSlider& shoulder = *Sliders().RowOf(1).sldValue;
    bool quick = false;
    QObject::connect(&shoulder, &QSlider::valueChanged,
                     [&] { quick = quick || Bots().GL().QuickPicture(); });

    Drag(shoulder, 4, 15);
    EXPECT_TRUE(quick) << "the quick picture while the handle moves";
    EXPECT_FALSE(Bots().GL().QuickPicture()) << "the exact one once it is let go";
    EXPECT_EQ(Bots().GL().WorldCompilations(), compilations);
    const QImage placed = GrabView(Bots());
    EXPECT_GT(DifferentShare(before, placed), 0.002) << "the shoulder turned";
    Bots().UpdatePicture(false, false);
    EXPECT_GT(Bots().GL().WorldCompilations(), compilations);
    EXPECT_LT(DifferentShare(placed, GrabView(Bots())), 0.0005) << "as a full redraw draws it";
}

// An imported robot's mimic joint: the Elbow follows the Shoulder at twice its angle plus 5
// degrees. Its row cannot be moved and moves with its leader.
TEST_F(JointSliders, AFollowerMovesWithItsLeader) {
    BuildArm();
    NoteJoint("Shoulder", "shoulder", "");
    NoteJoint("Elbow", "elbow",
              " mimic=\"shoulder\" multiplier=\"2\" offset=\"0.0872664625997165\"");
    OpenSliders();
    const frmJointSliders::Row& follower = Sliders().RowOf(2);
    EXPECT_NE(follower.lblName->text().indexOf("follows shoulder"), -1);
    EXPECT_FALSE(follower.sldValue->isEnabled());
    EXPECT_TRUE(follower.txtValue->isReadOnly());

    Type(1, "10");
    EXPECT_NEAR(MaskValue(2), 25, 1e-9);
    EXPECT_EQ(follower.txtValue->text(), "25");
    EXPECT_EQ(follower.sldValue->value(), follower.Steps.PositionOf(25));
    Click(Sliders().cmdCentre);
    EXPECT_NEAR(MaskValue(2), 5, 1e-9) << "the leader at 0 puts its follower at 5";
}

TEST_F(JointSliders, CentreAndRandomStayWithinTheTravelOneStepEach) {
    BuildArmWithList("5,5\r\nShoulder,Shoulder,1,1,,,-90,45\r\nElbow,Elbow,2,1,,,10,70");
    OpenSliders();
    const int steps = UndoSteps();
    Click(Sliders().cmdCentre);
    EXPECT_EQ(MaskValue(1), -22.5);
    EXPECT_EQ(MaskValue(2), 40);
    EXPECT_EQ(UndoSteps(), steps + 1);
    for (int i = 0; i < 20; ++i) {
        Click(Sliders().cmdRandom);
        EXPECT_GE(MaskValue(1), -90);
        EXPECT_LE(MaskValue(1), 45);
        EXPECT_GE(MaskValue(2), 10);
        EXPECT_LE(MaskValue(2), 70);
    }
    EXPECT_GE(UndoSteps(), steps + 15) << "each Random is a step of its own";

    // A narrower travel typed into Motors Properties while the window stays in front.
    Later(0, [this] {
        auto* window = Main().findChild<frmMotorsProperties*>("frmMotorsProperties");
        ASSERT_NE(window, nullptr);
        window->txtProperties->SetText(
            "5,5\r\nShoulder,Shoulder,1,1,,,0,1\r\nElbow,Elbow,2,1,,,-1,0");
        QTest::mouseClick(window->Command2, Qt::LeftButton);
    });
    Choose("mnuMotorsProperties");
    // The rows show the new travel as soon as the list is stored, before any other command.
    EXPECT_EQ(Sliders().RowOf(1).lblName->text(), "Shoulder  (Shoulder1)   0 to 1");
    Click(Sliders().cmdRandom);
    EXPECT_GE(MaskValue(1), 0);
    EXPECT_LE(MaskValue(1), 1);
    EXPECT_GE(MaskValue(2), -1);
    EXPECT_LE(MaskValue(2), 0);
    EXPECT_EQ(Sliders().RowOf(1).lblName->text(), "Shoulder  (Shoulder1)   0 to 1");
    EXPECT_TRUE(Ui().Messages().empty());
}

TEST_F(JointSliders, MoveMotorsDrivesTheSimulatedMotorsToTheValues) {
    BuildArmWithList(kFastList);
    SimulateMotors();
    OpenSliders();
    Sliders().chkMoveMotors->setChecked(true);
    Type(1, "30");
    EXPECT_TRUE(MotorArrives(1, 30));
    EXPECT_TRUE(MotorArrives(2, 0));

    // A new value while the motors move replaces the target.
    Type(2, "40");
    Type(2, "-20");
    EXPECT_TRUE(MotorArrives(2, -20));
    EXPECT_TRUE(MotorArrives(1, 30));
    EXPECT_TRUE(Sliders().chkMoveMotors->isChecked());
    EXPECT_TRUE(Ui().Messages().empty()) << (Ui().Messages().empty() ? "" : Ui().Messages()[0]);
}

TEST_F(JointSliders, AMotorListTooShortToJogIsReportedOnceAndMoveMotorsGoesOff) {
    BuildArmWithList("360,3600\r\nShoulder,Shoulder,1,1,,,-90,90");
    SimulateMotors();
    OpenSliders();
    Sliders().chkMoveMotors->setChecked(true);
    Type(1, "30");
    ProcessEventsFor(50);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("drives 2 motors"), std::string::npos) << Ui().Messages()[0];
    EXPECT_FALSE(Sliders().chkMoveMotors->isChecked());
    EXPECT_FALSE(Sliders().Jogging());
    EXPECT_EQ(MaskValue(1), 30) << "the value itself was set";
}

TEST_F(JointSliders, EscapeStopsAJogAndMoveMotorsGoesOff) {
    BuildArmWithList("5,5\r\nShoulder,Shoulder,1,1,,,-90,90\r\nElbow,Elbow,2,1,,,-90,90");
    SimulateMotors();
    OpenSliders();
    Sliders().chkMoveMotors->setChecked(true);
    // Slow motors: the move to 60 takes seconds, and Escape comes a moment after it starts.
    Later(300, [this] { QTest::keyClick(Sliders().RowOf(1).sldValue, Qt::Key_Escape); });
    Type(1, "60");
    QElapsedTimer timer;
    timer.start();
    while (Sliders().Jogging() && timer.elapsed() < 5000) ProcessEventsFor(5);
    EXPECT_FALSE(Sliders().Jogging());
    EXPECT_FALSE(Sliders().chkMoveMotors->isChecked());
    EXPECT_EQ(Sliders().lblStatus->text(), "The motors were stopped; Move motors is off.");
    EXPECT_LT(Bots().ToolPathControl().Encoder(1).ScaledPosition(), 30);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
}

TEST_F(JointSliders, AnUnreadableMotorListTurnsTheSlidersOffAndSaysWhy) {
    BuildArmWithList("5,5\r\nShoulder,Shoulder");
    OpenSliders();
    EXPECT_EQ(Sliders().RowCount(), 2);
    EXPECT_TRUE(Sliders().lblStatus->text().startsWith("The motor list of Part 1 cannot be read"))
        << Sliders().lblStatus->text().toStdString();
    EXPECT_FALSE(Sliders().RowOf(1).sldValue->isEnabled());
    EXPECT_FALSE(Sliders().cmdCentre->isEnabled());
    EXPECT_FALSE(Sliders().cmdAddPose->isEnabled());
}

TEST_F(JointSliders, TwoPosesMakeAPathThatGraphsAndDrivesToTheSecondPose) {
    BuildArmWithList(kFastList);
    SimulateMotors();
    OpenSliders();
    Type(1, "10");
    Type(2, "20");
    Click(Sliders().cmdAddPose);
    Type(1, "30");
    Type(2, "-15");
    Sliders().txtDuration->setText("0.5");
    Click(Sliders().cmdAddPose);
    ASSERT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    const std::string path = ActiveRoom()->MotorMasks().XMLScript;
    EXPECT_EQ(Count(path, "<LEG>"), 2);
    EXPECT_NE(path.find("\t 10 ,  20\r\n"), std::string::npos)
        << "the second leg starts at the first pose";
    EXPECT_EQ(Bots().History().Stack().undoText(), "Add Pose to 'Part 1'");

    ShowWindow();
    SelectPage(1);
    EXPECT_EQ(Window().txtXML->Text(), path);
    Click(Window().Command2);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    EXPECT_NEAR(MaskValue(1), 30, 1e-9) << "the graph ends at the second pose";
    EXPECT_NEAR(MaskValue(2), -15, 1e-9);

    Later(0, [this] {
        frmCut& cut = Window().DriveMotorsWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&cut));
        QTest::mouseClick(cut.Command1, Qt::LeftButton);
        cut.accept();
    });
    Click(Window().Command5);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    const torvane::clsToolPath& driven = Bots().ToolPathControl();
    ASSERT_EQ(driven.EncoderCount(), 2);
    EXPECT_NEAR(driven.Encoder(1).ScaledPosition(), 30, 1);
    EXPECT_NEAR(driven.Encoder(2).ScaledPosition(), -15, 1);

    // One undo takes the last pose back out of the path.
    Choose("mnuUndo");
    EXPECT_EQ(Count(ActiveRoom()->MotorMasks().XMLScript, "<LEG>"), 1);
}

TEST_F(JointSliders, APoseIsRefusedWithABadDurationOrAnUnreadablePath) {
    BuildArm();
    OpenSliders();
    const int steps = UndoSteps();
    Sliders().txtDuration->setText("0");
    Click(Sliders().cmdAddPose);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_EQ(Ui().Messages()[0],
              "The duration \"0\" must be a number of seconds above 0, so no pose was added.");

    const std::string broken = "<LEG>\r\n<DRIVE>\r\n\tStartS= 0\r\n</LEG>\r\n";
    torvane::typMotorMasks masks = ActiveRoom()->MotorMasks();
    masks.XMLScript = broken;
    ActiveRoom()->SetMotorMasks(masks);
    Sliders().txtDuration->setText("1");
    Click(Sliders().cmdAddPose);
    ASSERT_EQ(Ui().Messages().size(), 2u);
    EXPECT_EQ(Ui().Messages()[1].rfind("The tool path of the part room Part 1 cannot be read, so "
                                       "no pose was added.",
                                       0),
              0u)
        << Ui().Messages()[1];
    EXPECT_EQ(ActiveRoom()->MotorMasks().XMLScript, broken);
    EXPECT_EQ(UndoSteps(), steps);
}

}  // namespace
}  // namespace mechanon::testing
