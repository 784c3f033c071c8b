// Operate > Inverse Kinematics Solver: the window, a typed target reached as one undo step, the
// targets it refuses, the jog buttons, and the handle dragged at the tip in the 3D view.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QUndoStack>
#include <cmath>
#include <numbers>
#include <regex>
#include <sstream>

#include "app/QtGlSurface.h"
#include "app/editing/ThumbnailStrip.h"
#include "app/editing/frmPartsBar.h"
#include "app/frmBot.h"
#include "app/motion/TipHandle.h"
#include "app/motion/frmInverseKinematics.h"
#include "app/motion/frmMotorsProperties.h"
#include "app/undo/DocumentHistory.h"
#include "model/NumberText.h"
#include "tests/app/motion/MotionWindowTest.h"
#include "toolpath/RoomMotorList.h"

namespace mechanon::testing {
namespace {

double Distance(const torvane::typ3Point& a, const torvane::typ3Point& b) {
    return std::hypot(a.X - b.X, a.Y - b.Y, a.Z - b.Z);
}

std::vector<double> Values(const torvane::typMotorMasks& masks) {
    std::vector<double> values;
    for (int i = 1; i <= masks.Masks.UBound(); ++i) values.push_back(masks.Masks(i).Value);
    return values;
}

// The first number after `after` in text.
double NumberAfter(const std::string& text, const std::string& after) {
    const auto at = text.find(after);
    if (at == std::string::npos) return NAN;
    std::smatch number;
    const std::string rest = text.substr(at + after.size());
    if (!std::regex_search(rest, number, std::regex("-?[0-9.]+(E[-+][0-9]+)?"))) return NAN;
    return torvane::NumberValue(number.str());
}

class InverseKinematicsTest : public MotionWindowTest {
  protected:
    void OpenArm() {
        OpenFile(ExamplePath("arm.bot"));
        Choose("mnuIK");
        ProcessEventsFor(20);
        ASSERT_NE(Main().findChild<frmInverseKinematics*>("frmInverseKinematics"), nullptr);
        ASSERT_NE(Ik().Chain(), nullptr);
    }
    frmInverseKinematics& Ik() const {
        return *Main().findChild<frmInverseKinematics*>("frmInverseKinematics");
    }
    QtGlSurface& Surface() const { return Main().BotView().Surface(); }
    const RobotChain& Chain() const { return *Ik().Chain(); }
    torvane::typFrame TipFrame() const { return Chain().TipFrame(Ik().TableNow()); }
    torvane::typ3Point Tip() const { return PoseOf(TipFrame()).Position; }
    torvane::typ3Point TipAt(std::vector<double> table) const {
        return PoseOf(Chain().TipFrame(table)).Position;
    }
    int Steps() const { return Bots().History().Stack().index(); }
    std::string Status() const { return Main().statusBar()->currentMessage().toStdString(); }

    static void Type(QLineEdit* box, const std::string& text) {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, QString::fromStdString(text));
    }
    void TypeTarget(const TipPose& pose, bool orientation = false) {
        const double position[] = {pose.Position.X, pose.Position.Y, pose.Position.Z};
        for (std::size_t i = 0; i < 3; ++i) {
            Type(Ik().txtPosition[i], torvane::PlainNumberText(position[i]));
            if (orientation)
                Type(Ik().txtOrientation[i],
                     torvane::PlainNumberText(pose.RollPitchYaw[i] * 180 / std::numbers::pi));
        }
    }
    void ChooseTip(const std::string& key) {
        const int index = Ik().cmbTip->findData(QString::fromStdString(key));
        ASSERT_GE(index, 0) << key;
        Ik().cmbTip->setCurrentIndex(index);
        ProcessEventsFor(0);
    }
    void DragView(const std::vector<QPointF>& points) {
        QTest::mousePress(&Surface(), Qt::LeftButton, {}, points.front().toPoint());
        for (std::size_t i = 1; i < points.size(); ++i) {
            QTest::mouseMove(&Surface(), points[i].toPoint());
            ProcessEventsFor(0);
        }
        QTest::mouseRelease(&Surface(), Qt::LeftButton, {}, points.back().toPoint());
        ProcessEventsFor(0);
    }
};

TEST_F(InverseKinematicsTest, TheMenuOpensTheWindowOnTheArmsToolAndClosingHidesIt) {
    OpenArm();
    QAction* item = Main().MenuItem("mnuIK");
    EXPECT_TRUE(item->isEnabled());
    EXPECT_TRUE(item->isVisible());
    EXPECT_TRUE(Ik().isVisible());
    EXPECT_EQ(Status(), "Inverse Kinematics Solver: done.");
    EXPECT_EQ(Ik().geometry(), Main().LeftColumn());

    // Every occurrence is a tip; the farthest out on the longest chain is chosen.
    EXPECT_EQ(Ik().cmbTip->count(), 5);
    EXPECT_EQ(Ik().cmbTip->currentIndex(), 4);
    EXPECT_EQ(Chain().Motors(), (std::vector<int>{1, 2, 3}));
    EXPECT_NE(Ik().lblMode->text().indexOf("Position only"), -1)
        << Ik().lblMode->text().toStdString();
    EXPECT_FALSE(Ik().txtOrientation[0]->isEnabled());
    EXPECT_FALSE(Ik().cmdTurn[5]->isEnabled());
    // The boxes start where the tip is.
    const torvane::typ3Point tip = Tip();
    EXPECT_NEAR(torvane::NumberValue(Ik().txtPosition[0]->text().toStdString()), tip.X, 1e-5);
    EXPECT_NEAR(torvane::NumberValue(Ik().txtPosition[2]->text().toStdString()), tip.Z, 1e-5);

    // The handle is drawn over the view at the tip while the window is open, and only then.
    const std::optional<QPointF> handle = Ik().Handle().WindowPoint();
    ASSERT_TRUE(handle);
    ASSERT_TRUE(QRectF(QPointF(0, 0), Surface().size()).contains(*handle));
    auto marked = [&] {
        QCoreApplication::processEvents();
        const QRgb pixel = ScreenOfView(Surface()).pixel(handle->toPoint());
        return qGreen(pixel) > 180 && qRed(pixel) < 100 && qBlue(pixel) < 100;
    };
    // The screen shows the view's frame once the window system has put it there.
    EXPECT_TRUE(QTest::qWaitFor(marked, 10000));
    Ik().close();
    ProcessEventsFor(0);
    EXPECT_FALSE(Ik().isVisible());
    EXPECT_FALSE(Ik().Handle().Pixel());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !marked(); }, 10000));
    // A second choice of the menu brings the same window back.
    Choose("mnuIK");
    EXPECT_TRUE(Ik().isVisible());
    EXPECT_EQ(Main().findChildren<frmInverseKinematics*>().size(), 1);

    // Another room chosen on the parts bar brings its own tips.
    QTest::mouseClick(&Main().PartsBar().Strip().Thumbnail(3), Qt::LeftButton);
    ProcessEventsFor(0);
    ASSERT_EQ(ActiveRoom()->Name(), "ForeArm");
    const std::vector<ChainTip> tips = ChainTips(*ActiveRoom());
    ASSERT_EQ(Ik().cmbTip->count(), static_cast<int>(tips.size()));
    EXPECT_EQ(Ik().cmbTip->itemData(0).toString().toStdString(), "ForeArm");
    EXPECT_EQ(Chain().Motors().size(), 1u);
    EXPECT_NE(Ik().lblMode->text().indexOf("1 motor;"), -1) << Ik().lblMode->text().toStdString();
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
}

TEST_F(InverseKinematicsTest, ATypedTargetIsReachedAndOneUndoPutsTheTableBack) {
    OpenArm();
    const std::vector<double> before = Values(ActiveRoom()->MotorMasks());
    const int steps = Steps();
    const QImage still = GrabView(Bots());
    TipPose target;
    target.Position = TipAt({40, 20, 30});
    TypeTarget(target);
    Click(Ik().cmdGo);

    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
    EXPECT_LT(Distance(Tip(), target.Position), 1e-2);
    EXPECT_GT(DifferentShare(still, GrabView(Bots())), 0.005) << "the view follows";
    EXPECT_EQ(Steps(), steps + 1);
    EXPECT_NE(Status().find("reached"), std::string::npos) << Status();
    // The motor table shows the solution.
    ShowWindow();
    EXPECT_NEAR(torvane::NumberValue(Window().MSFlexGrid1->item(2, 1)->text().toStdString()),
                MaskValue(2), 1e-6);

    Choose("mnuUndo");
    EXPECT_EQ(Values(ActiveRoom()->MotorMasks()), before);
    EXPECT_EQ(Steps(), steps);
}

TEST_F(InverseKinematicsTest, RefusedTargetsSayWhyAndLeaveTheRobotWhereItWas) {
    OpenArm();
    const std::vector<double> before = Values(ActiveRoom()->MotorMasks());
    const int steps = Steps();
    auto unchanged = [&] {
        EXPECT_EQ(Values(ActiveRoom()->MotorMasks()), before);
        EXPECT_EQ(Steps(), steps);
    };

    // Straight above, far out of reach: the nearest point is the arm stretched upwards.
    TipPose above;
    above.Position = {0, 0, 1000};
    TypeTarget(above);
    Click(Ik().cmdGo);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    const std::string message = Ui().Messages().front();
    EXPECT_NEAR(NumberAfter(message, "reaches is"), 1000 - TipAt({0, 0, 0}).Z, 1e-2) << message;
    EXPECT_NE(message.find("stays where it was"), std::string::npos) << message;
    EXPECT_NE(Status().find("out of reach"), std::string::npos) << Status();
    unchanged();

    // A box that does not hold a number is named.
    Ui().Clear();
    Type(Ik().txtPosition[1], "1,5");
    Click(Ik().cmdGo);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages().front().find("The Y box holds '1,5'"), std::string::npos)
        << Ui().Messages().front();
    unchanged();
    Ui().Clear();
    Type(Ik().txtStep, "");
    Click(Ik().cmdJog[1]);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages().front().find("Step"), std::string::npos);
    unchanged();

    // The room itself is a tip no motor moves.
    Ui().Clear();
    ChooseTip("Arm");
    EXPECT_NE(Ik().lblMode->text().indexOf("No motor"), -1);
    Click(Ik().cmdGo);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages().front().find("No motor moves the tip Arm"), std::string::npos)
        << Ui().Messages().front();
    unchanged();
}

TEST_F(InverseKinematicsTest, SolutionsKeepToTheTravelOfTheMotorListAsItIsNow) {
    OpenArm();
    // Motors Properties, with the window open, gives the shoulder and the elbow a short travel.
    std::string list;
    std::istringstream lines(torvane::MotorsTextOf(*ActiveRoom()));
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with("Shoulder,") || line.starts_with("Elbow,")) line += ",-10,10";
        list += (list.empty() ? "" : "\r\n") + line;
    }
    QTimer::singleShot(0, [list] {
        auto* dialog = qobject_cast<frmMotorsProperties*>(QApplication::activeModalWidget());
        if (!dialog) return;
        dialog->txtProperties->SetText(list);
        dialog->Command2->click();
    });
    Choose("mnuMotorsProperties");
    ASSERT_EQ(torvane::MotorsTextOf(*ActiveRoom()), list);

    TipPose target;
    target.Position = TipAt({30, 5, -5});
    TypeTarget(target);
    Click(Ik().cmdGo);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
    EXPECT_LT(Distance(Tip(), target.Position), 1e-2);
    for (const int motor : {2, 3}) {
        EXPECT_GE(MaskValue(motor), -10 - 1e-9) << motor;
        EXPECT_LE(MaskValue(motor), 10 + 1e-9) << motor;
    }

    // Bent further than the travel allows: out of reach, and nothing moves.
    const std::vector<double> before = Values(ActiveRoom()->MotorMasks());
    target.Position = TipAt({0, 40, 40});
    TypeTarget(target);
    Click(Ik().cmdGo);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_GT(NumberAfter(Ui().Messages().front(), "reaches is"), 0.1) << Ui().Messages().front();
    EXPECT_EQ(Values(ActiveRoom()->MotorMasks()), before);
}

TEST_F(InverseKinematicsTest, AJogMovesTheTipByTheStepAlongTheRoomsAxis) {
    OpenArm();
    const int steps = Steps();
    Type(Ik().txtStep, "0.5");
    const torvane::typ3Point start = Tip();
    Click(Ik().cmdJog[1]);  // +X
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
    const torvane::typ3Point moved = Tip();
    EXPECT_NEAR(moved.X - start.X, 0.5, 1e-2);
    EXPECT_NEAR(moved.Y, start.Y, 1e-2);
    EXPECT_NEAR(moved.Z, start.Z, 1e-2);
    Click(Ik().cmdJog[4]);  // -Z
    EXPECT_NEAR(Tip().Z - moved.Z, -0.5, 1e-2);
    EXPECT_NEAR(Tip().X, moved.X, 1e-2);
    EXPECT_EQ(Steps(), steps + 2) << "one undo step per jog";
}

TEST_F(InverseKinematicsTest, DraggingTheHandleMovesTheTipAcrossTheViewAsOneUndoStep) {
    OpenArm();
    const std::vector<double> before = Values(ActiveRoom()->MotorMasks());
    const torvane::typCamera camera = ActiveRoom()->PartData().Camera;
    const int steps = Steps();
    const torvane::typ3Point start = Tip();
    const std::optional<QPointF> handle = Ik().Handle().WindowPoint();
    ASSERT_TRUE(handle);
    const QPointF at = *handle;
    DragView({at, at + QPointF(6, 0), at + QPointF(12, -6), at + QPointF(18, -12)});

    EXPECT_EQ(ActiveRoom()->PartData().Camera, camera) << "a press on the handle does not orbit";
    const torvane::typ3Point end = Tip();
    EXPECT_GT(Distance(start, end), 0.1);
    // The tip stayed in the view's plane through where it was.
    const torvane::typ3Point forward{camera.LookAtX - camera.CameraX,
                                     camera.LookAtY - camera.CameraY,
                                     camera.LookAtZ - camera.CameraZ};
    const double along = ((end.X - start.X) * forward.X + (end.Y - start.Y) * forward.Y +
                          (end.Z - start.Z) * forward.Z) /
                         std::hypot(forward.X, forward.Y, forward.Z);
    EXPECT_NEAR(along, 0, 2e-2);
    // The handle followed the tip to where the mouse let go.
    const std::optional<QPointF> now = Ik().Handle().WindowPoint();
    ASSERT_TRUE(now);
    EXPECT_LT(QLineF(*now, at + QPointF(18, -12)).length(), 2.0);
    EXPECT_EQ(Steps(), steps + 1);

    // Dragged out of reach, the robot stays at the last pose it reached, with no message box.
    const std::vector<double> reached = Values(ActiveRoom()->MotorMasks());
    DragView({*now, *now + QPointF(0, -2000)});
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
    EXPECT_NE(Status().find("Out of reach"), std::string::npos) << Status();
    EXPECT_EQ(Values(ActiveRoom()->MotorMasks()), reached);
    EXPECT_EQ(Steps(), steps + 1);

    Choose("mnuUndo");
    EXPECT_EQ(Values(ActiveRoom()->MotorMasks()), before);
    // Elsewhere a drag turns the camera as before.
    DragView({QPointF(5, 5), QPointF(35, 5)});
    EXPECT_NE(ActiveRoom()->PartData().Camera, camera);
    EXPECT_EQ(Values(ActiveRoom()->MotorMasks()), before);
}

TEST_F(InverseKinematicsTest, ASixMotorChainReachesATypedOrientationAndTurnsItsTip) {
    // A column of six boxes: yaw, pitch, pitch, roll, pitch, roll.
    auto base = ActiveRoom();
    const std::int16_t dimensions[] = {2, 1, 1, 3, 1, 3};
    std::shared_ptr<torvane::clsPartRoom> holder = base;
    for (int i = 0; i < 6; ++i) {
        const std::string name = "J" + std::to_string(i + 1);
        auto room = MakeRoom(name, 2, dimensions[i]);
        Use(*holder, room, name + "u", i == 0 ? 0 : 4);
        holder = room;
    }
    Rooms().SetPartRoomIndex(1);
    Rooms().MapMotorMasks();
    Bots().UpdatePicture(false, false);
    Choose("mnuIK");
    ProcessEventsFor(20);
    ASSERT_NE(Ik().Chain(), nullptr);
    ASSERT_EQ(Chain().Motors().size(), 6u);
    EXPECT_NE(Ik().lblMode->text().indexOf("orientation"), -1);
    EXPECT_TRUE(Ik().txtOrientation[2]->isEnabled());

    const TipPose target = PoseOf(Chain().TipFrame({20, 30, -40, 25, 35, -15}));
    TypeTarget(target, true);
    QTest::keyClick(Ik().txtOrientation[2], Qt::Key_Return);  // Enter is Go
    ProcessEventsFor(0);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
    const torvane::typFrame reached = TipFrame();
    const torvane::typFrame wanted = FrameOf(target);
    for (std::size_t i = 0; i < 12; ++i) EXPECT_NEAR(reached.M[i], wanted.M[i], 1e-2) << i;

    // A turn about the room's Z keeps the tip where it is.
    Type(Ik().txtTurnStep, "10");
    const TipPose start = PoseOf(TipFrame());
    Click(Ik().cmdTurn[5]);  // +Z
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
    const torvane::typFrame turned = TipFrame();
    const torvane::typFrame expected = FrameOf(Turned(start, Axis::Z, 10 * std::numbers::pi / 180));
    for (std::size_t i = 0; i < 12; ++i) EXPECT_NEAR(turned.M[i], expected.M[i], 1e-2) << i;

    // Each motor held within a degree of where it stands: the tip keeps its point but can no
    // longer take another attitude, and the message says how far it stays turned from it.
    const std::vector<double> held = Ik().TableNow();
    std::istringstream lines(torvane::MotorsTextOf(*ActiveRoom()));
    std::string list, line;
    std::getline(lines, list);  // speed and acceleration
    if (!list.empty() && list.back() == '\r') list.pop_back();
    for (std::size_t i = 0; i < held.size() && std::getline(lines, line); ++i) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        list += "\r\n" + line + ",5,5," + torvane::PlainNumberText(held[i] - 1) + "," +
                torvane::PlainNumberText(held[i] + 1);
    }
    torvane::typMotorMasks masks = ActiveRoom()->MotorMasks();
    masks.XMLProperties = list;
    ActiveRoom()->SetMotorMasks(masks);
    Type(Ik().txtTurnStep, "30");
    Click(Ik().cmdTurn[5]);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    const std::string message = Ui().Messages().front();
    EXPECT_NE(message.find("degrees from the attitude asked for"), std::string::npos) << message;
    EXPECT_GT(NumberAfter(message, "turned"), 20) << message;
    EXPECT_EQ(Ik().TableNow(), held);
}

}  // namespace
}  // namespace mechanon::testing
