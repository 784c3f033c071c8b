// The View menu's camera commands and picking a subpart by clicking the 3D view, on the arm.

#include <QLineEdit>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <cmath>
#include <numbers>
#include <optional>

#include "app/MDIForm1.h"
#include "app/QtGlSurface.h"
#include "app/clsBots.h"
#include "app/editing/frmEditBot.h"
#include "app/frmBot.h"
#include "export/ViewScene.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "render/clsOpenGL.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

class ViewAim : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        OpenFile(ExamplePath("arm.bot"));
        ASSERT_TRUE(ActiveRoom());
        for (int i = 0; i < 100 && !Surface().isExposed(); ++i) ProcessEventsFor(20);
        ASSERT_TRUE(Surface().isExposed());
    }
    QtGlSurface& Surface() { return Main().BotView().Surface(); }
    torvane::typCamera Camera() const { return ActiveRoom()->PartData().Camera; }
    void PressKeys(int key, Qt::KeyboardModifiers modifiers) {
        ASSERT_TRUE(MakeActive(Main()));
        QTest::keyClick(&Main(), static_cast<Qt::Key>(key), modifiers);
        ProcessEventsFor(0);
    }
    // Where a point appears in the view, in logical pixels from its top left, by the view's
    // own perspective; NaN when it is behind the eye.
    QPointF OnScreen(const torvane::typ3Point& p) {
        const auto c = Camera();
        const double fx = c.LookAtX - c.CameraX, fy = c.LookAtY - c.CameraY,
                     fz = c.LookAtZ - c.CameraZ, fl = std::sqrt(fx * fx + fy * fy + fz * fz);
        const double f[3] = {fx / fl, fy / fl, fz / fl};
        const double sl = std::hypot(f[1], f[0]);
        const double s[3] = {f[1] / sl, -f[0] / sl, 0};
        const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2],
                             s[0] * f[1] - s[1] * f[0]};
        const double d[3] = {p.X - c.CameraX, p.Y - c.CameraY, p.Z - c.CameraZ};
        auto dot = [&](const double* a) { return a[0] * d[0] + a[1] * d[1] + a[2] * d[2]; };
        const double depth = dot(f);
        if (depth <= 0) return {std::nan(""), std::nan("")};
        const double tanY = std::tan(Bots().GL().FieldOfView() / 2 * std::numbers::pi / 180);
        const double tanX = tanY * Bots().GL().AspectRatio();
        return {(dot(s) / depth / tanX + 1) / 2 * Surface().width(),
                (1 - dot(u) / depth / tanY) / 2 * Surface().height()};
    }
    // Clicks the active room's own shape and each top-level subpart's where they are in front,
    // checking what each click selects; counts the clicks of each kind.
    void ClickEachPart(int& subParts, int& roomItself) {
        const auto room = ActiveRoom();
        const auto placed = PlaceAtCurrentMotors(*room);
        const auto meshes = PlacedMeshes(placed);
        for (const auto& mesh : meshes) {
            const auto& path = placed[static_cast<std::size_t>(mesh.Occurrence)].Path;
            if (path.size() > 2) continue;
            for (const auto& t : mesh.Triangles) {
                const torvane::typ3Point centre{(t[0].X + t[1].X + t[2].X) / 3,
                                                (t[0].Y + t[1].Y + t[2].Y) / 3,
                                                (t[0].Z + t[1].Z + t[2].Z) / 3};
                const QPointF at = OnScreen(centre);
                const double dpr = Surface().devicePixelRatio();
                const ViewRay ray = RayThroughPixel(
                    Camera(), {45, Bots().GL().AspectRatio()}, at.x() * dpr, at.y() * dpr,
                    Surface().PixelSize().width(), Surface().PixelSize().height());
                if (PickOccurrence(meshes, ray) != mesh.Occurrence) continue;  // hidden there
                room->ActiveSubIndex = path.size() == 1 ? 1 : 0;
                QTest::mouseClick(&Surface(), Qt::LeftButton, {}, at.toPoint());
                ProcessEventsFor(0);
                if (path.size() == 1) {
                    EXPECT_EQ(room->ActiveSubIndex, 0);
                    ++roomItself;
                    break;
                }
                ASSERT_GT(room->ActiveSubIndex, 0);
                EXPECT_EQ(room->SubParts(room->ActiveSubIndex).Name(), path[1]);
                EXPECT_EQ(Surface().CaptionLines().back(),
                          QString::fromStdString("SubPart=" + path[1]));
                ++subParts;
                break;
            }
        }
    }
    // A point of the view (logical pixels) where the occurrence's surface is the nearest one.
    std::optional<QPointF> VisiblePoint(std::int32_t occurrence) {
        const auto meshes = PlacedMeshes(PlaceAtCurrentMotors(*ActiveRoom()));
        for (const auto& mesh : meshes) {
            if (mesh.Occurrence != occurrence) continue;
            for (const auto& t : mesh.Triangles) {
                const QPointF at =
                    OnScreen({(t[0].X + t[1].X + t[2].X) / 3, (t[0].Y + t[1].Y + t[2].Y) / 3,
                              (t[0].Z + t[1].Z + t[2].Z) / 3});
                const double dpr = Surface().devicePixelRatio();
                const ViewRay ray = RayThroughPixel(
                    Camera(), {45, Bots().GL().AspectRatio()}, at.x() * dpr, at.y() * dpr,
                    Surface().PixelSize().width(), Surface().PixelSize().height());
                if (PickOccurrence(meshes, ray) == occurrence) return at;
            }
        }
        return std::nullopt;
    }
    // The view's pixel at a logical point is mostly red.
    bool RedAt(const QPointF& at) {
        const QImage frame = GrabView(Bots());
        const double dpr = Surface().devicePixelRatio();
        const QRgb pixel =
            frame.pixel(static_cast<int>(at.x() * dpr), static_cast<int>(at.y() * dpr));
        return qRed(pixel) > qGreen(pixel) + 40 && qRed(pixel) > qBlue(pixel) + 40;
    }
    void ExpectWholeRobotInView() {
        EXPECT_NEAR(Bots().GL().AspectRatio(),
                    static_cast<double>(Surface().width()) / Surface().height(), 0.02);
        int corners = 0;
        for (const auto& mesh : PlacedMeshes(PlaceAtCurrentMotors(*ActiveRoom())))
            for (const auto& triangle : mesh.Triangles)
                for (const auto& corner : triangle) {
                    const QPointF at = OnScreen(corner);
                    ASSERT_TRUE(at.x() >= -0.5 && at.x() <= Surface().width() + 0.5) << at.x();
                    ASSERT_TRUE(at.y() >= -0.5 && at.y() <= Surface().height() + 0.5) << at.y();
                    ++corners;
                }
        EXPECT_GT(corners, 0);
    }
};

TEST_F(ViewAim, FitToViewFromTheMenuShowsTheWholeRobotAndUndoesInOneStep) {
    // Far away and off to one side, so that the robot is small and not centred.
    Bots().SetActiveCamera({60, -90, 40, 20, 20, 0}, true);
    const torvane::typCamera before = Camera();
    Choose("mnuFitToView");
    const torvane::typCamera fitted = Camera();
    EXPECT_NE(fitted, before);
    ExpectWholeRobotInView();
    // The direction of view is kept.
    EXPECT_NEAR((fitted.CameraX - fitted.LookAtX) / (fitted.CameraY - fitted.LookAtY),
                (60.0 - 20) / (-90.0 - 20), 1e-9);
    EXPECT_NE(Main().statusBar()->currentMessage().indexOf("Fitted"), -1);
    // The editor's camera boxes show the new camera.
    const auto* box = Main().findChild<QLineEdit*>("txtCameraY");
    ASSERT_NE(box, nullptr);
    EXPECT_NEAR(box->text().toDouble(), fitted.CameraY, 1e-4 * std::abs(fitted.CameraY) + 1e-6);
    Choose("mnuUndo");
    EXPECT_EQ(Camera(), before);
}

TEST_F(ViewAim, PresetShortcutsLookFromTheFrontSideAndTop) {
    const torvane::typCamera before = Camera();
    PressKeys(Qt::Key_0, Qt::ControlModifier);
    ExpectWholeRobotInView();
    const torvane::typCamera fitted = Camera();
    EXPECT_NE(fitted, before);
    PressKeys(Qt::Key_1, Qt::ControlModifier);
    auto c = Camera();
    EXPECT_EQ(c.CameraX, c.LookAtX);
    EXPECT_GT(c.CameraY, c.LookAtY);
    ExpectWholeRobotInView();
    PressKeys(Qt::Key_2, Qt::ControlModifier);
    c = Camera();
    EXPECT_LT(c.CameraX, c.LookAtX);
    EXPECT_EQ(c.CameraY, c.LookAtY);
    ExpectWholeRobotInView();
    PressKeys(Qt::Key_3, Qt::ControlModifier);
    c = Camera();
    EXPECT_GT(c.CameraZ - c.LookAtZ, 100 * std::abs(c.CameraY - c.LookAtY));
    ExpectWholeRobotInView();
    // Each command is one step back.
    for (int i = 0; i < 3; ++i) Choose("mnuUndo");
    EXPECT_EQ(Camera(), fitted);
    Choose("mnuUndo");
    EXPECT_EQ(Camera(), before);
}

TEST_F(ViewAim, ClickingAPartSelectsItsSubPartAndEmptySpaceOrADragChangeNothing) {
    Choose("mnuViewFront");
    int subParts = 0, roomItself = 0;
    ClickEachPart(subParts, roomItself);
    EXPECT_GT(subParts, 0);
    EXPECT_EQ(roomItself, 0);  // the floor room shows only its grid
    // A room with a shape of its own and a subpart on it.
    for (int i = 1; i <= Rooms().TotalRooms; ++i)
        if (Rooms().Rooms(i)->Name() == "Turntable") Rooms().SetPartRoomIndex(i);
    ASSERT_EQ(ActiveRoom()->Name(), "Turntable");
    Choose("mnuViewFront");
    subParts = roomItself = 0;
    ClickEachPart(subParts, roomItself);
    EXPECT_GT(subParts, 0);
    EXPECT_EQ(roomItself, 1);

    const auto room = ActiveRoom();
    const int selected = room->ActiveSubIndex;
    const torvane::typCamera camera = Camera();
    QTest::mouseClick(&Surface(), Qt::LeftButton, {}, QPoint(2, 2));
    ProcessEventsFor(0);
    EXPECT_EQ(room->ActiveSubIndex, selected);
    EXPECT_EQ(Camera(), camera);

    const QPoint middle(Surface().width() / 2, Surface().height() / 2);
    QTest::mousePress(&Surface(), Qt::LeftButton, {}, middle);
    QTest::mouseMove(&Surface(), middle + QPoint(20, 0));
    QTest::mouseMove(&Surface(), middle + QPoint(40, 0));
    QTest::mouseRelease(&Surface(), Qt::LeftButton, {}, middle + QPoint(40, 0));
    ProcessEventsFor(0);
    EXPECT_NE(Camera(), camera);
    EXPECT_EQ(room->ActiveSubIndex, selected);
}

TEST_F(ViewAim, ClickingAPartSelectsItsOwnSubPartHoweverDeepAndTheTreeShowsIt) {
    Choose("mnuViewFront");
    const auto room = ActiveRoom();
    const auto placed = PlaceAtCurrentMotors(*room);
    std::optional<QPointF> turntable, foreArm;
    int deep = 0;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const std::vector<std::string>& path = placed[i].Path;
        const auto at = VisiblePoint(static_cast<std::int32_t>(i));
        if (!at) continue;
        if (placed[i].RoomName == "Turntable") turntable = at;
        if (placed[i].RoomName == "ForeArm") foreArm = at;
        if (path.size() < 3) continue;  // the room or one of its own subparts
        SCOPED_TRACE(path.back());
        QTest::mouseClick(&Surface(), Qt::LeftButton, {}, at->toPoint());
        ProcessEventsFor(0);
        const std::vector<std::int32_t> selected = room->SelectedPath();
        ASSERT_EQ(selected.size(), path.size() - 1);
        const auto [holder, position] = torvane::SubPartAtPath(room, selected);
        ASSERT_GT(position, 0);
        EXPECT_EQ(holder->SubParts(position).Name(), path.back());
        EXPECT_EQ(Main().EditBot().txtSubName->text().toStdString(), path.back());
        const QTreeWidgetItem* node = Main().EditBot().TreeView1->currentItem();
        ASSERT_NE(node, nullptr);
        EXPECT_TRUE(node->text(0).startsWith(QString::fromStdString(path.back() + " (")))
            << node->text(0).toStdString();
        EXPECT_EQ(Surface().CaptionLines().back(),
                  QString::fromStdString("SubPart=" + path.back()));
        ++deep;
    }
    EXPECT_GE(deep, 2);
    ASSERT_TRUE(turntable && foreArm);

    // The elbow selected: the forearm turns red, the turntable below it does not.
    QTest::mouseClick(&Surface(), Qt::LeftButton, {}, foreArm->toPoint());
    ProcessEventsFor(0);
    EXPECT_EQ(Main().EditBot().txtSubName->text(), "Elbow");
    EXPECT_TRUE(RedAt(*foreArm));
    EXPECT_FALSE(RedAt(*turntable));

    // The tree reaches the same subparts: the elbow's fields are stored into its own room.
    Main().EditBot().txtSubPosition->setText("0, 0, 2.5");
    QTest::keyClick(Main().EditBot().txtSubPosition, Qt::Key_Return);
    ProcessEventsFor(0);
    EXPECT_EQ(Rooms().GetRoomByName("UpperArm")->SubParts(1).SubPartData().RelativePosition.Z, 2.5);
    EXPECT_EQ(room->SubParts(1).SubPartData().RelativePosition.Z, 0)
        << "the arm's own subpart kept";
}

TEST_F(ViewAim, ARoomWithNothingToShowIsRefusedWithAMessageAndTheCameraKept) {
    Choose("mnuNew");
    ASSERT_TRUE(ActiveRoom());
    // Nothing with a surface: the room shows only a grid.
    torvane::typPartData data = ActiveRoom()->PartData();
    data.ShapeName = "Grid";
    ActiveRoom()->SetPartData(data);
    ASSERT_TRUE(PlacedMeshes(PlaceAtCurrentMotors(*ActiveRoom())).empty());
    const torvane::typCamera before = Camera();
    Ui().Clear();
    Choose("mnuFitToView");
    EXPECT_EQ(Camera(), before);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("no shapes"), std::string::npos) << Ui().Messages()[0];
}

}  // namespace
}  // namespace mechanon::testing
