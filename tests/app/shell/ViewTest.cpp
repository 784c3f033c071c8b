// The 3D view and the glue behind it: the selection highlight, fast redraws, snapshots, the
// resize rules, the close box, mouse navigation of the room's camera, and the animation of a
// tool path through the motor masks.

#include <GL/gl.h>

#include <QCheckBox>
#include <QExposeEvent>
#include <QFile>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <functional>

#include "app/MDIForm1.h"
#include "app/QtGlSurface.h"
#include "app/clsBots.h"
#include "app/editing/frmEditBot.h"
#include "app/editing/frmPartsBar.h"
#include "app/frmBot.h"
#include "model/NumberText.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "render/clsOpenGL.h"
#include "shapes/ShapeLists.h"
#include "tests/app/AppTestSupport.h"
#include "toolpath/clsToolPath.h"
#include "toolpath/clsXML.h"

namespace mechanon::testing {
namespace {

class ViewTest : public AppTest {
  protected:
    void Activate(const std::string& name) {
        for (int i = 1; i <= Rooms().TotalRooms; ++i)
            if (Rooms().Rooms(i)->Name() == name) Rooms().SetPartRoomIndex(i);
        ASSERT_EQ(ActiveRoom()->Name(), name);
    }
    QtGlSurface& Surface() { return Main().BotView().Surface(); }
    std::string ReadText(const std::string& path) {
        QFile f(QString::fromStdString(path));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path;
        return f.readAll().toStdString();
    }
    std::vector<double> MaskValues() const {
        std::vector<double> values;
        const auto masks = ActiveRoom()->MotorMasks();
        for (int i = 1; i <= masks.TotalMasks; ++i) values.push_back(masks.Masks(i).Value);
        return values;
    }
    // One frame per animation step: the view as each step left it.
    std::vector<QImage> FramesWhile(const std::function<void()>& animate) {
        std::vector<QImage> frames;
        Ui().onDoEvents = [&] { frames.push_back(GrabView(Bots())); };
        animate();
        Ui().onDoEvents = nullptr;
        return frames;
    }
    void Drag(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint from, QPoint to) {
        QTest::mousePress(&Surface(), button, modifiers, from);
        QTest::mouseMove(&Surface(), (from + to) / 2);
        QTest::mouseMove(&Surface(), to);
        QTest::mouseRelease(&Surface(), button, modifiers, to);
        ProcessEventsFor(0);
    }
    void Wheel(int delta) {
        const QPointF at(Surface().width() / 2.0, Surface().height() / 2.0);
        QWheelEvent event(at, Surface().mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&Surface(), &event);
        ProcessEventsFor(0);
    }
    QPoint Middle() { return {Surface().width() / 2, Surface().height() / 2}; }
};

TEST_F(ViewTest, TheSelectionIsRedOnlyWhenTheBoxIsTickedAndTheRoomHasSubparts) {
    OpenFile(ExamplePath("gripper.bot"));
    QCheckBox& redden = *Main().EditBot().chkReddenSelection;
    auto imageWith = [&](bool ticked) {
        redden.setChecked(ticked);
        Bots().UpdatePicture(false, false);
        return GrabView(Bots());
    };
    Activate("Palm");  // the room itself selected, and it has two fingers
    ActiveRoom()->ActiveSubIndex = 0;
    EXPECT_GT(DifferentShare(imageWith(false), imageWith(true)), 0.01);
    ActiveRoom()->ActiveSubIndex = 1;  // one finger: less turns red than the whole palm
    const QImage oneFinger = imageWith(true);
    EXPECT_GT(DifferentShare(imageWith(false), oneFinger), 0.001);

    Activate("Finger");  // no subparts: the room alone is never marked
    ActiveRoom()->ActiveSubIndex = 0;
    EXPECT_LT(DifferentShare(imageWith(false), imageWith(true)), 0.0005);
}

TEST_F(ViewTest, EveryAxisMarkerCallsOneOfTheBallListsTheContextWasGiven) {
    OpenFile(ExamplePath("gripper.bot"));
    ASSERT_TRUE(Bots().GL().MakeCurrent());
    const auto forEachLevel = [](const std::function<void(GLuint)>& act) {
        for (int level = 0; level < primora::kAxisBallLevels; ++level)
            act(primora::AxisBallList(level));
    };
    forEachLevel([](GLuint list) { ASSERT_TRUE(glIsList(list)); });
    Bots().UpdatePicture(false, false);
    const QImage shared = GrabView(Bots());
    // Empty lists in their places take every ball out of the picture: the markers call them.
    // The view keeps the frame it drew for the next repaint, and these lists change behind its
    // back, so it is told to draw afresh.
    forEachLevel([](GLuint list) {
        glDeleteLists(list, 1);
        glNewList(list, GL_COMPILE);
        glEndList();
    });
    Bots().GL().ForgetShownFrame();
    EXPECT_GT(DifferentShare(shared, GrabView(Bots())), 0.0);
    // Without the lists the balls are drawn in place, and the picture is the same again.
    forEachLevel([](GLuint list) { glDeleteLists(list, 1); });
    Bots().UpdatePicture(false, false);
    EXPECT_EQ(DifferentShare(shared, GrabView(Bots())), 0.0);
}

// A window exposed again (a menu or a dialog closed over it) shows the frame the view kept
// instead of drawing the whole robot again, with its caption lines; a move to another screen,
// which rebuilds the label glyphs the picture calls, draws afresh. The balls' lists emptied
// behind the view's back tell the two apart: a fresh drawing shows no balls.
TEST_F(ViewTest, AnExposedViewShowsTheKeptFrameUntilThePictureChanges) {
    OpenFile(ExamplePath("gripper.bot"));
    Bots().UpdatePicture(false, false);
    QCoreApplication::processEvents();
    const QImage shown = ScreenOfView(Surface());
    ASSERT_FALSE(IsUniform(shown));
    ASSERT_TRUE(Bots().GL().MakeCurrent());
    for (int level = 0; level < primora::kAxisBallLevels; ++level) {
        glDeleteLists(primora::AxisBallList(level), 1);
        glNewList(primora::AxisBallList(level), GL_COMPILE);
        glEndList();
    }
    QExposeEvent exposed(QRegion(QRect(QPoint(), Surface().size())));
    QCoreApplication::sendEvent(&Surface(), &exposed);
    EXPECT_EQ(DifferentShare(shown, ScreenOfView(Surface())), 0.0) << "the kept frame";

    Q_EMIT Surface().screenChanged(Surface().screen());
    QTest::qWait(100);  // the repaint it asks for
    EXPECT_GT(DifferentShare(shown, ScreenOfView(Surface())), 0.0) << "drawn afresh, no balls";
    for (int level = 0; level < primora::kAxisBallLevels; ++level)
        glDeleteLists(primora::AxisBallList(level), 1);
}

TEST_F(ViewTest, AFastRedrawKeepsSnapshotAndCaptionLines) {
    OpenFile(ExamplePath("gripper.bot"));
    Activate("Palm");
    Bots().UpdatePicture(false, false);
    WaitForSnapShots();
    const auto snapshot = ActiveRoom()->SnapShot;
    ASSERT_TRUE(snapshot);
    const QStringList lines = Surface().CaptionLines();
    EXPECT_EQ(lines, QStringList{"Room=Palm"});

    ActiveRoom()->ActiveSubIndex = 2;
    Bots().UpdatePicture(false, true);
    EXPECT_EQ(ActiveRoom()->SnapShot, snapshot);
    EXPECT_EQ(Surface().CaptionLines(), lines);

    Bots().UpdatePicture(false, false);
    WaitForSnapShots();  // the view shows a subpart in red: the thumbnail is drawn apart
    EXPECT_NE(ActiveRoom()->SnapShot, snapshot);
    EXPECT_EQ(Surface().CaptionLines(), (QStringList{"Room=Palm", "SubPart=RightFinger"}));
}

TEST_F(ViewTest, ASnapshotIsTakenOnlyWhileTheThumbnailIsWhollyInView) {
    // Enough rooms that the parts bar must scroll.
    QScrollBar& bar = *Main().PartsBar().HScroll1;
    for (int i = 2; i <= 100 && !bar.isEnabled(); ++i) {
        Ui().inputAnswers.push_back("Room " + std::to_string(i));
        Choose("mnuCreatePartRoom");
    }
    Rooms().SetPartRoomIndex(1);
    ASSERT_TRUE(bar.isEnabled());
    bar.setValue(0);  // creating left the strip scrolled to the last room
    ProcessEventsFor(0);
    Bots().UpdatePicture(false, false);
    WaitForSnapShots();
    const auto inView = ActiveRoom()->SnapShot;
    ASSERT_TRUE(inView);

    bar.setValue(Main().PartsBar().ThumbnailSize().width() / 2);  // first thumbnail half out
    ProcessEventsFor(0);
    Bots().UpdatePicture(false, false);
    WaitForSnapShots();
    EXPECT_EQ(ActiveRoom()->SnapShot, inView);

    bar.setValue(0);
    ProcessEventsFor(0);
    Bots().UpdatePicture(false, false);
    WaitForSnapShots();
    EXPECT_NE(ActiveRoom()->SnapShot, inView);
}

TEST_F(ViewTest, OnlyAShrinkInBothDirectionsRedrawsInTheResizeHandler) {
    frmBot& view = Main().BotView();
    const int W = view.LastWidth();
    const int H = view.LastHeight();
    ASSERT_GT(W, 20);
    ASSERT_GT(H, 20);
    ProcessEventsFor(100);  // the window's own exposes are shown first
    const int before = Surface().FramesShown();
    view.OnResize(W + 10, H - 10);  // grows one way: a paint request follows instead
    EXPECT_EQ(Surface().FramesShown(), before);
    EXPECT_EQ(view.LastWidth(), W + 10);
    // The window system need not send that request (here it sends none): the view asks for it.
    ProcessEventsFor(50);
    const int painted = Surface().FramesShown();
    EXPECT_GT(painted, before) << "a grow without an expose is drawn all the same";
    view.OnResize(W, H - 20);  // shrinks both ways against the remembered size
    EXPECT_EQ(Surface().FramesShown(), painted + 1);
    EXPECT_EQ(view.LastHeight(), H - 20);
}

TEST_F(ViewTest, GridLabelsStandOutInFrontOfTheRodsAtAReadableSize) {
    Choose("mnuShowAxis");  // the axis marker's blue line is not a label
    const QImage frame = GrabView(Bots());
    const int dot = Surface().LabelDotSize();
    EXPECT_GE(dot, 2);
    // The stem of a "1" is the font's whole height: seven dots.
    EXPECT_GE(TallestRun(frame, IsLabelColour), 7 * dot);
    Choose("mnuShowGrids");
    EXPECT_EQ(TallestRun(GrabView(Bots()), IsLabelColour), 0) << "no grid, no labels";
}

TEST_F(ViewTest, TheCloseBoxHidesTheViewAndTheWindowCommandShowsItAgain) {
    frmBot& view = Main().BotView();
    view.close();
    ProcessEventsFor(0);
    EXPECT_TRUE(view.isHidden());
    ASSERT_NE(Main().MenuItem("mnuShowGraphics2"), nullptr);
    Main().RunToolbarKey("ShowGraph");
    EXPECT_TRUE(view.isVisible());
    for (int i = 0; i < 100 && !Surface().isExposed(); ++i) ProcessEventsFor(20);
    EXPECT_FALSE(IsUniform(GrabView(Bots())));
}

TEST_F(ViewTest, MouseNavigationMovesTheRoomsCameraAndIsSavedWithTheRobot) {
    const torvane::typCamera start = ActiveRoom()->PartData().Camera;
    const QImage first = GrabView(Bots());

    Drag(Qt::LeftButton, Qt::NoModifier, Middle(), Middle() + QPoint(60, 20));
    const torvane::typCamera orbited = ActiveRoom()->PartData().Camera;
    EXPECT_NE(orbited, start);
    EXPECT_EQ(Bots().GL().CameraData(), orbited);
    // Orbiting keeps the look-at point and the distance to it.
    EXPECT_DOUBLE_EQ(orbited.LookAtX, start.LookAtX);
    auto distance = [](const torvane::typCamera& c) {
        return std::hypot(c.CameraX - c.LookAtX, c.CameraY - c.LookAtY, c.CameraZ - c.LookAtZ);
    };
    EXPECT_NEAR(distance(orbited), distance(start), 1e-9);
    EXPECT_GT(DifferentShare(first, GrabView(Bots())), 0.01);

    Drag(Qt::LeftButton, Qt::ShiftModifier, Middle(), Middle() + QPoint(-30, 0));
    const torvane::typCamera panned = ActiveRoom()->PartData().Camera;
    EXPECT_NE(panned.LookAtX, orbited.LookAtX);
    Drag(Qt::MiddleButton, Qt::NoModifier, Middle(), Middle() + QPoint(0, 30));
    EXPECT_NE(ActiveRoom()->PartData().Camera.LookAtZ, panned.LookAtZ);

    const double far = distance(ActiveRoom()->PartData().Camera);
    Wheel(240);
    EXPECT_LT(distance(ActiveRoom()->PartData().Camera), far);
    const torvane::typCamera moved = ActiveRoom()->PartData().Camera;
    // The editor shows the new camera in short, and applying its fields keeps the exact one.
    const QString shownX = Main().EditBot().txtCameraX->text();
    EXPECT_EQ(shownX.toStdString(), torvane::ShortNumberText(moved.CameraX, 6));
    EXPECT_LE(shownX.count(QRegularExpression("[0-9]")), 6) << shownX.toStdString();
    EXPECT_EQ(Main().EditBot().txtLookAtZ->text().toStdString(),
              torvane::ShortNumberText(moved.LookAtZ, 6));
    Main().EditBot().Apply();
    const torvane::typCamera applied = ActiveRoom()->PartData().Camera;
    EXPECT_EQ(applied, moved);
    const QImage appliedImage = GrabView(Bots());

    const std::string path = temp.Path("camera.bot");
    Ui().fileAnswers.push_back(path);
    Choose("mnuSaveAs");
    Choose("mnuNew");  // nothing unsaved: no question
    EXPECT_NE(ActiveRoom()->PartData().Camera, applied);
    OpenFile(path);
    EXPECT_EQ(ActiveRoom()->PartData().Camera, applied);
    EXPECT_LT(DifferentShare(appliedImage, GrabView(Bots())), 0.001);
    EXPECT_TRUE(Ui().Messages().empty()) << "saved before New, so neither asks";
}

TEST_F(ViewTest, MovingTheCameraIsUndoneStepByStepButIsNoUnsavedWork) {
    OpenFile(ExamplePath("arm.bot"));
    const torvane::typCamera opened = ActiveRoom()->PartData().Camera;
    Drag(Qt::LeftButton, Qt::NoModifier, Middle(), Middle() + QPoint(60, 20));
    Choose("mnuFitToView");
    ProcessEventsFor(400);  // the caption follows within a moment
    EXPECT_FALSE(Main().DocumentModified());
    EXPECT_FALSE(Main().windowTitle().startsWith('*')) << Main().windowTitle().toStdString();
    ASSERT_TRUE(Main().MenuItem("mnuUndo")->isEnabled());
    Choose("mnuUndo");
    Choose("mnuUndo");
    EXPECT_EQ(ActiveRoom()->PartData().Camera, opened);

    // Saved, the file keeps the camera the view had; moving it again asks nothing at New.
    Choose("mnuRedo");
    const torvane::typCamera dragged = ActiveRoom()->PartData().Camera;
    const std::string path = temp.Path("looked.bot");
    Ui().fileAnswers.push_back(path);
    Choose("mnuSaveAs");
    Drag(Qt::LeftButton, Qt::NoModifier, Middle(), Middle() + QPoint(-40, 0));
    Ui().Clear();
    Choose("mnuNew");
    EXPECT_TRUE(Ui().Messages().empty()) << "only the camera moved: " << Ui().Messages()[0];
    OpenFile(path);
    EXPECT_EQ(ActiveRoom()->PartData().Camera, dragged);
}

TEST_F(ViewTest, GraphingAPathAnimatesTheRobotAndLeavesTheLastPositionsInTheMasks) {
    OpenFile(ExamplePath("arm.bot"));
    const std::string path = ReadText(ExamplePath("arm.txt"));
    const auto legs = torvane::clsXML().SplitXML(path, "LEG");
    ASSERT_EQ(legs(2).Tag, "LEG");
    const auto firstLeg = torvane::clsXML().ParseXMLSublegs(legs(2).Contents);

    const std::vector<QImage> frames = FramesWhile([&] { Bots().GraphLeg(firstLeg, 0.25); });
    ASSERT_EQ(frames.size(), 6u);  // S = 0, .25, .5, .75, 1 and once more at the end
    for (std::size_t i = 1; i + 1 < frames.size(); ++i)
        EXPECT_GT(DifferentShare(frames[i - 1], frames[i]), 0.001) << "step " << i;
    const std::vector<double> last = MaskValues();
    ASSERT_EQ(last.size(), 3u);
    EXPECT_NEAR(last[0], 90, 1e-9);
    EXPECT_NEAR(last[1], 35, 1e-9);
    EXPECT_NEAR(last[2], 60, 1e-9);

    // The whole path through the tool-path object: its GraphLeg event drives the view.
    const std::vector<QImage> all =
        FramesWhile([&] { Bots().ToolPathControl().DriveXMLToolPath(path, true, 0.1); });
    EXPECT_GE(all.size(), 20u);
    const std::vector<double> end = MaskValues();
    EXPECT_NEAR(end[0], 0, 1e-6);
    EXPECT_NEAR(end[1], 0, 1e-6);
    EXPECT_NEAR(end[2], 30 * std::sin(6.2832), 1e-6);
    EXPECT_TRUE(Ui().Messages().empty()) << "a fresh start has nothing to save";
}

TEST_F(ViewTest, ClosingTheProgramDuringAnAnimationEndsIt) {
    OpenFile(ExamplePath("arm.bot"));
    const std::string path = ReadText(ExamplePath("arm.txt"));
    Ui().Clear();
    Ui().onDoEvents = [&] {
        if (Ui().doEventsCalls != 3) return;
        Ui().messageAnswers.push_back(torvane::MsgAnswer::No);
        Main().close();
    };
    Bots().ToolPathControl().DriveXMLToolPath(path, true, 0.01);  // 200 steps when left alone
    Ui().onDoEvents = nullptr;
    EXPECT_FALSE(Main().isVisible());
    EXPECT_EQ(Ui().doEventsCalls, 3);
}

TEST_F(ViewTest, APathWithMoreMotorsThanMasksDrivesTheMasksThatExistAndSaysSoOnce) {
    OpenFile(ExamplePath("gripper.bot"));
    Ui().Clear();
    const torvane::clsXML xml;
    const std::string drive = xml.WriteDrive(0, 1, torvane::DoubleArray(1, {0, 0, 0}),
                                             torvane::StringArray(1, {" 10*S", " 20*S", " 30*S"}));
    const std::string path = "<LEG>\r\n" + drive + "</LEG>\r\n<LEG>\r\n" + drive + "</LEG>\r\n";
    Bots().ToolPathControl().DriveXMLToolPath(path, true, 0.5);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("motor 3 was ignored"), std::string::npos)
        << Ui().Messages()[0];
    EXPECT_EQ(MaskValues(), (std::vector<double>{10, 20}));
    EXPECT_EQ(ActiveRoom()->MotorMasks().TotalMasks, 2);

    Bots().ToolPathControl().DriveXMLToolPath(path, true, 0.5);  // a new graph tells again
    EXPECT_EQ(Ui().Messages().size(), 2u);
}

TEST_F(ViewTest, AZeroOrBackwardStepDrawsNothing) {
    OpenFile(ExamplePath("gripper.bot"));
    torvane::typToolPathSubLeg leg;
    leg.StartS = 0;
    leg.EndS = 1;
    leg.StartPoints = torvane::DoubleArray(1, {0, 0});
    leg.ParametricEQs = torvane::StringArray(1, {" 40*S", " 40*S"});
    Ui().Clear();
    const std::vector<double> pose = MaskValues();
    Bots().GraphSubLeg(leg, 0);
    EXPECT_EQ(Ui().doEventsCalls, 0);
    Bots().GraphSubLeg(leg, -0.5);
    EXPECT_EQ(Ui().doEventsCalls, 1);  // only the final yield
    EXPECT_EQ(MaskValues(), pose);
}

}  // namespace
}  // namespace mechanon::testing
