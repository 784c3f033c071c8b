// The motor control window: the grid of motor masks and its cell editor, the texts kept in the
// active room's mask table, re-timing, scripts and generated paths, graphs that can be stopped.

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>

#include "app/QtGlSurface.h"
#include "app/editing/clsSpinText.h"
#include "app/editing/frmEditBot.h"
#include "app/editing/frmPartsBar.h"
#include "app/frmBot.h"
#include "app/motion/ScriptRun.h"
#include "model/NumberText.h"
#include "tests/app/motion/MotionWindowTest.h"
#include "toolpath/clsToolPath.h"

namespace mechanon::testing {
namespace {

std::string Drive(double startS, double endS, const std::string& points, const std::string& eqs) {
    return "<DRIVE>\r\n\tStartS= " + torvane::NumberText(startS) +
           "\r\n\tEndS= " + torvane::NumberText(endS) + "\r\n\t" + points + "\r\n\t" + eqs +
           "\r\n</DRIVE>\r\n";
}

using ControlMotors = MotionWindowTest;

TEST_F(ControlMotors, GridShowsTheMasksAndAppliesOnlyWholeNumbers) {
    ShowWindow();
    EXPECT_EQ(Window().windowTitle(), "Control Motors");
    EXPECT_EQ(Window().MSFlexGrid1->rowCount(), 1) << "a room without motors: the heading only";
    EXPECT_EQ(Window().MSFlexGrid1->item(0, 0)->text(), "Name");
    EXPECT_EQ(Window().MSFlexGrid1->item(0, 1)->text(), "Position");

    BuildArm();
    ShowWindow();
    ASSERT_EQ(Window().MSFlexGrid1->rowCount(), 3);
    // Each occurrence shows the subparts that lead to it beside its room's name.
    EXPECT_EQ(Window().MSFlexGrid1->item(1, 0)->text(), "Shoulder  (Shoulder1)");
    EXPECT_EQ(Window().MSFlexGrid1->item(2, 0)->text(), "Elbow  (Shoulder1/Elbow1)");

    EnterCell(2, " +15 ");
    EXPECT_EQ(MaskValue(2), 15);
    EnterCell(1, "-12.5");
    EXPECT_EQ(MaskValue(1), -12.5);
    EXPECT_EQ(MaskValue(2), 15) << "the other row keeps its value";

    // A cell that is not one number is refused, naming the motor and the text, and nothing
    // of the grid is applied: not 0 for letters, not 15 for "1 5".
    Ui().Clear();
    Window().MSFlexGrid1->item(2, 1)->setText("40");
    EnterCell(1, "xyz");
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("\"xyz\" of motor \"Shoulder\" (Shoulder1)"),
              std::string::npos)
        << Ui().Messages()[0];
    EXPECT_EQ(MaskValue(1), -12.5);
    EXPECT_EQ(MaskValue(2), 15) << "the valid row was not applied either";
    for (const char* bad : {"1 5", "12a", " "}) {
        Ui().Clear();
        Window().MSFlexGrid1->item(1, 1)->setText("7");
        EnterCell(2, bad);
        ASSERT_EQ(Ui().Messages().size(), 1u) << bad;
        EXPECT_NE(Ui().Messages()[0].find(std::string("\"") + bad + "\" of motor \"Elbow\""),
                  std::string::npos)
            << Ui().Messages()[0];
        EXPECT_EQ(MaskValue(2), 15) << bad;
        EXPECT_EQ(MaskValue(1), -12.5) << bad;
    }
    // Apply on the Properties page writes the grid too, and refuses it alike.
    Ui().Clear();
    SelectPage(3);
    Click(Window().Command4);
    EXPECT_EQ(Ui().Messages().size(), 1u);
    EXPECT_EQ(MaskValue(1), -12.5);
    SelectPage(0);
    EnterCell(2, "15");
    EnterCell(1, "-12.5");
    Ui().Clear();
    EXPECT_EQ(ActiveRoom()->PartData().MotorPosition, 0) << "the room's own motor is untouched";

    // A spin of the cell editor's number applies it at once.
    Window().Text1->selectAll();
    Window().SpinPosition->SpinUp();
    EXPECT_EQ(MaskValue(1), -11.5);

    // Clicks in the name column open no editor.
    Window().UpdateInterface();
    QTableWidget& grid = *Window().MSFlexGrid1;
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      grid.visualItemRect(grid.item(1, 0)).center());
    EXPECT_FALSE(Window().Text1->isVisible());
    EXPECT_EQ(Window().MSFlexGrid1->item(1, 1)->text(), "-11.5");
}

// An imported robot's mimic joint: the Elbow follows the Shoulder at twice its angle plus 5
// degrees. Its row says so, shows the followed value, cannot be edited, and the table keeps it.
TEST_F(ControlMotors, AFollowerShowsItsLeadersValueAndCannotBeEdited) {
    BuildArm();
    NoteJoint("Shoulder", "shoulder", "");
    NoteJoint("Elbow", "elbow",
              " mimic=\"shoulder\" multiplier=\"2\" offset=\"0.0872664625997165\"");
    ShowWindow();
    ASSERT_EQ(Window().MSFlexGrid1->rowCount(), 3);
    EXPECT_EQ(Window().MSFlexGrid1->item(2, 0)->text(),
              "Elbow  (Shoulder1/Elbow1)  follows shoulder");

    EnterCell(1, "10");
    EXPECT_EQ(MaskValue(1), 10);
    EXPECT_NEAR(MaskValue(2), 25, 1e-9) << "the table drives the follower where the view puts it";
    EXPECT_EQ(Window().MSFlexGrid1->item(2, 1)->text(), "25");

    QTableWidget& grid = *Window().MSFlexGrid1;
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      grid.visualItemRect(grid.item(2, 1)).center());
    ProcessEventsFor(0);
    EXPECT_EQ(Window().EditRow(), 1) << "a follower's cell opened the editor";
    EXPECT_TRUE(Ui().Messages().empty());
}

TEST_F(ControlMotors, ApplyPositionsRedrawsOnlyWithPositionGraphics) {
    BuildArm();
    ShowWindow();
    const QImage before = GrabView(Bots());
    ASSERT_FALSE(before.isNull());

    Window().Check1->setChecked(false);
    Window().MSFlexGrid1->item(1, 1)->setText("60");
    Click(Window().Command1);
    EXPECT_EQ(MaskValue(1), 60) << "the value is applied";
    EXPECT_EQ(DifferentShare(before, GrabView(Bots())), 0) << "but the view is not redrawn";

    Window().Check1->setChecked(true);
    Click(Window().Command1);
    const QImage turned = GrabView(Bots());
    EXPECT_GT(DifferentShare(before, turned), 0.002) << "the shoulder turned in the view";

    Window().MSFlexGrid1->item(1, 1)->setText("0");
    Click(Window().Command1);
    EXPECT_LT(DifferentShare(before, GrabView(Bots())), 0.0005) << "back where it started";
}

TEST_F(ControlMotors, AppliedPositionsAreDrawnOnceAndTheOtherWindowsKeepWhatTheyShow) {
    BuildArm();
    ShowWindow();
    frmEditBot& editor = Main().EditBot();
    editor.txtName->setText("Typed, not applied");
    QSignalSpy treeRebuilt(editor.TreeView1->model(), &QAbstractItemModel::modelReset);
    const QtGlSurface& surface = Main().BotView().Surface();
    const int frames = surface.FramesShown();
    Window().MSFlexGrid1->item(1, 1)->setText("45");
    Window().Command1->click();
    EXPECT_EQ(MaskValue(1), 45);
    EXPECT_EQ(surface.FramesShown() - frames, 1) << "one picture, and nothing else redrawn";
    EXPECT_EQ(editor.txtName->text(), "Typed, not applied");
    EXPECT_EQ(treeRebuilt.count(), 0);

    // Another room made active from the bar: this window shows its motors at once.
    Main().PartsBar().ActivateRoom(3);
    ASSERT_EQ(ActiveRoom()->Name(), "Elbow");
    ASSERT_EQ(Window().MSFlexGrid1->rowCount(), 2);
    EXPECT_EQ(Window().MSFlexGrid1->item(1, 0)->text(), "Elbow");
}

TEST_F(ControlMotors, ApplyingAStaleGridWritesNothing) {
    BuildArm();
    ShowWindow();
    Window().MSFlexGrid1->item(1, 1)->setText("30");
    // The active room changes under the window (the parts bar does this).
    Rooms().SetPartRoomIndex(2);
    Click(Window().Command1);
    EXPECT_EQ(Ui().Messages().size(), 1u);
    EXPECT_EQ(ActiveRoom()->Name(), "Shoulder");
    EXPECT_EQ(ActiveRoom()->MotorMasks().Masks(1).Value, 0) << "nothing from the old grid";
    EXPECT_EQ(Window().MSFlexGrid1->item(1, 0)->text(), "Shoulder") << "the window caught up";
    EXPECT_EQ(Rooms().Rooms(1)->MotorMasks().Masks(1).Value, 0);
}

TEST_F(ControlMotors, TextsLiveInTheRoomAndSurviveSaveAndLoad) {
    BuildArm();
    ShowWindow();
    const std::string path = Drive(0, 1, " 0 ,  0", "S,S");
    const std::string script = "<LEG>\r\n" + Drive(0, 2, " 1 ,  1", "S,2*S") + "</LEG>";
    const std::string properties = "2,1\r\n\u00dcber arm,Shoulder,3,0.5\r\nElbow,Elbow,4,0.5";
    Window().txtXML->SetText(path);
    Window().txtVBScript->SetText(script);
    Window().txtProperties->SetText(properties);
    Window().MSFlexGrid1->item(2, 1)->setText("7");
    SelectPage(3);
    Click(Window().Command4);
    torvane::typMotorMasks masks = ActiveRoom()->MotorMasks();
    EXPECT_EQ(masks.XMLScript, path);
    EXPECT_EQ(masks.VBScript, script);
    EXPECT_EQ(masks.XMLProperties, properties);
    EXPECT_EQ(masks.Masks(2).Value, 7);

    // A visit to another window keeps text typed but not applied.
    Window().txtVBScript->SetText(script + "'draft");
    Main().Area().setActiveSubWindow(&Main().EditBot());
    Main().Area().setActiveSubWindow(&Window());
    ProcessEventsFor(0);
    EXPECT_EQ(Window().txtVBScript->Text(), script + "'draft");
    Window().txtVBScript->SetText(script);

    const std::string file = temp.Path("arm.bot");
    Ui().fileAnswers.push_back(file);
    Choose("mnuSaveAs");
    Ui().messageAnswers.push_back(torvane::MsgAnswer::No);
    Choose("mnuNew");
    EXPECT_EQ(Window().txtXML->Text(), "");
    OpenFile(file);
    ShowWindow();
    EXPECT_EQ(Window().txtXML->Text(), path);
    EXPECT_EQ(Window().txtVBScript->Text(), script);
    EXPECT_EQ(Window().txtProperties->Text(), properties);
    EXPECT_EQ(Window().MSFlexGrid1->item(2, 1)->text(), "7");
}

TEST_F(ControlMotors, ClosingAndReopeningShowsTheSamePage) {
    ShowWindow();
    SelectPage(2);
    EXPECT_TRUE(Window().FrameScript->isVisible());
    Window().close();
    ProcessEventsFor(10);
    EXPECT_FALSE(Window().isVisible());
    ShowWindow();
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(Window().TabStrip1->currentIndex(), 2);
    EXPECT_TRUE(Window().FrameScript->isVisible());
    EXPECT_FALSE(Window().FrameManual->isVisible());
    EXPECT_FALSE(Window().FrameXML->isVisible());
    EXPECT_FALSE(Window().FrameProperties->isVisible());
}

TEST_F(ControlMotors, TripleStopsMakeOneLegPerDriveBlock) {
    ShowWindow();
    SelectPage(1);
    // Two blocks in one leg, a WAIT, and a block outside any leg.
    Window().txtXML->SetText("<LEG>\r\n" + Drive(0, 10, " 0", "S") + Drive(0, 10, " 10", "S") +
                             "</LEG>\r\n<WAIT></WAIT>\r\n" + Drive(0, 2, " 20", "S"));
    Click(Window().cmdTripleStop);
    const std::string out = Window().txtXML->Text();
    EXPECT_EQ(Count(out, "<LEG>"), 3);
    EXPECT_EQ(Count(out, "<WAIT>"), 0);
    torvane::clsXML xml;
    std::vector<std::string> legs;
    const auto pieces = xml.SplitXML(out, "LEG");
    for (const torvane::typXML& piece : pieces.Items())
        if (piece.Tag == "LEG") legs.push_back(piece.Contents);
    ASSERT_EQ(legs.size(), 3u);
    EXPECT_EQ(xml.ParseXMLSublegs(legs[0]).Count(), 3) << "long enough to cruise";
    EXPECT_EQ(xml.ParseXMLSublegs(legs[1]).Count(), 3);
    const auto shortLeg = xml.ParseXMLSublegs(legs[2]);
    ASSERT_EQ(shortLeg.Count(), 2) << "too short for the speed limit: a triangle";
    // The pieces are timed: at the default limits of 5, 2 units take 2 * sqrt(2 / 5) seconds.
    EXPECT_NEAR(shortLeg(1).EndS + shortLeg(2).EndS, 2 * std::sqrt(0.4), 1e-9);
    EXPECT_NEAR(shortLeg(2).StartPoints(1), 21, 1e-9) << "the second piece starts half way";
}

TEST_F(ControlMotors, ReTimingABadTextChangesNothing) {
    ShowWindow();
    SelectPage(1);
    const std::string bad = "<DRIVE>\r\n\tStartS= 5\r\n\tEndS= 1\r\n\t 0\r\n\tS\r\n</DRIVE>";
    Window().txtXML->SetText(bad);
    Click(Window().cmdTripleStop);
    EXPECT_EQ(Ui().Messages().size(), 1u) << "an end before the start is reported";
    EXPECT_EQ(Window().txtXML->Text(), bad);
}

TEST_F(ControlMotors, RunScriptAndWriteEllipsoidFillTheToolPath) {
    ShowWindow();
    SelectPage(2);
    Window().txtVBScript->SetText(
        "<ADDCODE>Function Twice(x)\r\nTwice = 2 * x\r\nEnd Function</ADDCODE>"
        "<LEG>\r\nx\r\n</LEG>EndS=<EVALCODE>CStr(Twice(21))</EVALCODE>");
    Click(Window().Command3);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    const std::string expanded = Window().txtXML->Text();
    EXPECT_NE(expanded.find("42"), std::string::npos) << expanded;
    EXPECT_EQ(expanded.find("EVALCODE"), std::string::npos);
    EXPECT_EQ(Count(expanded, "<LEG>"), 1);

    SelectPage(1);
    Click(Window().cmdWriteEllipsoid);
    const std::string ellipse = Window().txtXML->Text();
    EXPECT_EQ(Count(ellipse, "<DRIVE>"), 25);
    EXPECT_EQ(Count(ellipse, "<LEG>") + Count(ellipse, "<WAIT>"), 0);

    // A script error is reported and the tool path stays as it was.
    SelectPage(2);
    Window().txtVBScript->SetText("<ADDCODE>x = 1 / 0</ADDCODE>");
    Click(Window().Command3);
    EXPECT_EQ(Ui().Messages().size(), 1u);
    EXPECT_EQ(Window().txtXML->Text(), ellipse);
}

TEST_F(ControlMotors, StopOrEscapeEndsAnEndlessEquationInReTimingAndGraphing) {
    BuildArm();
    ShowWindow();
    Ui().onDoEvents = [] { QCoreApplication::processEvents(); };
    // An equation that never returns, made by the window's own script: the code a script adds
    // stays in the engine for the tool path's equations.
    SelectPage(2);
    Window().txtVBScript->SetText(
        "<ADDCODE>Function Hang(x)\r\nDo\r\nLoop\r\nEnd Function</ADDCODE><LEG>\r\n" +
        Drive(0, 10, " 0 , 0", "Hang(S),S") + "</LEG>");
    Click(Window().Command3);
    SelectPage(1);
    ASSERT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    const std::string path = Window().txtXML->Text();
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);

    // Re-timing: Escape.
    bool stopEnabled = false;
    Later(300, [&] {
        stopEnabled = Window().cmdStop->isEnabled() && !Window().cmdTripleStop->isEnabled();
        QTest::keyClick(Window().txtXML, Qt::Key_Escape);
    });
    Click(Window().cmdTripleStop);
    EXPECT_TRUE(stopEnabled) << "Stop is the one command while it runs";
    EXPECT_GT(ticks, 5) << "the window kept handling its events";
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("in equation \"Hang("), std::string::npos)
        << Ui().Messages()[0];
    EXPECT_NE(Ui().Messages()[0].find("User interrupt"), std::string::npos) << Ui().Messages()[0];
    EXPECT_EQ(Window().txtXML->Text(), path) << "nothing partial is written";
    EXPECT_TRUE(Window().cmdTripleStop->isEnabled());

    // Graphing: the Stop button.
    Ui().Clear();
    Window().txtPeriod->setText(".1");
    Later(300, [this] { QTest::mouseClick(Window().cmdStop, Qt::LeftButton); });
    Click(Window().Command2);
    EXPECT_FALSE(Window().GraphRunning());
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("in equation \"Hang("), std::string::npos)
        << Ui().Messages()[0];

    // The next command has a stop of its own.
    Ui().Clear();
    Window().txtXML->SetText("<LEG>\r\n" + Drive(0, 2, " 0", "S") + "</LEG>");
    Click(Window().cmdTripleStop);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    EXPECT_EQ(Count(Window().txtXML->Text(), "<DRIVE>"), 2);
}

QWidget* VisibleNotice() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == kScriptNoticeName && w->isVisible()) return w;
    return nullptr;
}

TEST_F(ControlMotors, ALongScriptSaysSoAndStopsOnStopOrEscape) {
    ShowWindow();
    SelectPage(2);
    Window().txtXML->SetText("kept");
    Window().txtVBScript->SetText("<ADDCODE>Do\r\nLoop</ADDCODE>");
    bool noticeSeen = false;
    QString noticeText;
    // Poll for the notice from inside the running command, then press its Stop button.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* notice = VisibleNotice();
        if (!notice) return;
        noticeSeen = true;
        for (const QLabel* label : notice->findChildren<QLabel*>()) noticeText += label->text();
        QTest::mouseClick(notice->findChild<QPushButton*>("cmdStop"), Qt::LeftButton);
        poll.stop();
    });
    poll.start(50);
    Click(Window().Command3);
    EXPECT_TRUE(noticeSeen);
    EXPECT_EQ(noticeText.toStdString(), kScriptRunningText);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("stopped"), std::string::npos);
    EXPECT_EQ(Window().txtXML->Text(), "kept");

    // Escape before the notice appears stops it as well.
    Ui().Clear();
    Later(200, [this] { QTest::keyClick(&Main(), Qt::Key_Escape); });
    Click(Window().Command3);
    EXPECT_EQ(VisibleNotice(), nullptr);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("stopped"), std::string::npos);

    // The engine works again afterwards.
    Ui().Clear();
    Window().txtVBScript->SetText("<LEG>x</LEG>");
    Click(Window().Command3);
    EXPECT_TRUE(Ui().Messages().empty());
    EXPECT_EQ(Count(Window().txtXML->Text(), "<LEG>"), 1);
}

TEST_F(ControlMotors, AGraphAnimatesAndStopsOnStopOrEscape) {
    BuildArm();
    ShowWindow();
    SelectPage(1);
    Ui().onDoEvents = [] { QCoreApplication::processEvents(); };
    // A short graph runs to its end and leaves the motors where the path ends.
    Window().txtXML->SetText("<LEG>\r\n" + Drive(0, 1, " 0 ,  0", "30*S,-20*S") + "</LEG>");
    Window().txtPeriod->setText(".25");
    Click(Window().Command2);
    EXPECT_TRUE(Ui().Messages().empty());
    EXPECT_DOUBLE_EQ(MaskValue(1), 30);
    EXPECT_DOUBLE_EQ(MaskValue(2), -20);
    EXPECT_EQ(Window().MSFlexGrid1->item(1, 1)->text(), "30") << "the grid shows the new values";

    // A long one stops at the Stop button, then at Escape, part way.
    Window().txtXML->SetText("<LEG>\r\n" + Drive(0, 1000, " 0 ,  0", "S,S") + "</LEG>");
    Window().txtPeriod->setText(".01");
    Later(300, [this] {
        EXPECT_TRUE(Window().GraphRunning());
        EXPECT_FALSE(Window().Command2->isEnabled()) << "no second graph while one runs";
        QTest::mouseClick(Window().cmdStop, Qt::LeftButton);
    });
    Click(Window().Command2);
    EXPECT_FALSE(Window().GraphRunning());
    EXPECT_GT(MaskValue(1), 0);
    EXPECT_LT(MaskValue(1), 1000);
    EXPECT_TRUE(Ui().Messages().empty()) << "a stop is not an error";

    Later(300, [this] { QTest::keyClick(Window().txtXML, Qt::Key_Escape); });
    Click(Window().Command2);
    EXPECT_LT(MaskValue(1), 1000);
    EXPECT_TRUE(Window().Command2->isEnabled());

    Window().txtPeriod->setText("abc");
    Click(Window().Command2);
    EXPECT_EQ(Ui().Messages().size(), 1u) << "a period that is not a number is reported";
}

}  // namespace
}  // namespace mechanon::testing
