// The view while it moves: a drag of the camera shows the quick picture (the markers' balls as
// flat discs of their size), the exact picture returns as the drag ends and is the picture a
// full redraw gives; a drag there and back ends on the picture it started from.

#include <QTest>

#include "app/MDIForm1.h"
#include "app/QtGlSurface.h"
#include "app/clsBots.h"
#include "app/frmBot.h"
#include "model/clsPartRoom.h"
#include "render/clsOpenGL.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

class FluidViewTest : public AppTest {
  protected:
    QtGlSurface& Surface() { return Main().BotView().Surface(); }
    // Moves the pressed mouse across the view in steps of dx pixels, the events handled after
    // each as the window system would deliver them.
    QPoint MoveBy(QPoint at, int steps, int dx) {
        for (int i = 0; i < steps; ++i) {
            at.rx() += dx;
            QTest::mouseMove(&Surface(), at);
            ProcessEventsFor(0);
        }
        return at;
    }
};

TEST_F(FluidViewTest, ADragShowsTheQuickPictureAndEndsOnTheExactOne) {
    OpenFile(ExamplePath("arm.bot"));
    Bots().UpdatePicture(false, false);
    ProcessEventsFor(0);
    const QImage before = GrabView(Bots());
    const QPoint middle(Surface().width() / 2, Surface().height() / 2);

    QTest::mousePress(&Surface(), Qt::LeftButton, {}, middle);
    QPoint at = MoveBy(middle, 4, 10);
    EXPECT_TRUE(Bots().GL().QuickPicture());
    const QImage moving = GrabView(Bots());
    const torvane::typCamera turned = ActiveRoom()->PartData().Camera;
    at = MoveBy(at, 4, -10);
    QTest::mouseRelease(&Surface(), Qt::LeftButton, {}, at);
    ProcessEventsFor(0);
    EXPECT_FALSE(Bots().GL().QuickPicture()) << "the exact picture as the drag ends";
    EXPECT_EQ(DifferentShare(before, GrabView(Bots())), 0.0) << "there and back";

    // The quick picture is the exact one but for the balls' shading at their rims and middles.
    Bots().SetActiveCamera(turned, true);
    const QImage exact = GrabView(Bots());
    EXPECT_GT(DifferentShare(moving, exact), 0.0);
    EXPECT_LT(DifferentShare(moving, exact), 0.01) << "nothing jumps in size or place";
    Bots().UpdatePicture(false, false);
    EXPECT_EQ(DifferentShare(exact, GrabView(Bots())), 0.0) << "the settled picture is a full one";
}

TEST_F(FluidViewTest, AViewLeftQuickByALiveChangeSettlesByItself) {
    OpenFile(ExamplePath("arm.bot"));
    Bots().UpdatePicture(false, false);
    const QImage exact = GrabView(Bots());
    // A followed drive shows its last round as a live change and says nothing more.
    const torvane::typMotorMasks masks = ActiveRoom()->MotorMasks();
    std::vector<double> standing;
    for (int i = 1; i <= masks.TotalMasks; ++i) standing.push_back(masks.Masks(i).Value);
    ASSERT_FALSE(standing.empty());
    Bots().ShowMeasured(standing);
    EXPECT_TRUE(Bots().GL().QuickPicture());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Bots().GL().QuickPicture(); }, 10000));
    EXPECT_EQ(DifferentShare(exact, GrabView(Bots())), 0.0);
}

}  // namespace
}  // namespace mechanon::testing
