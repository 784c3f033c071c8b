// Tool windows under a window manager: opening, closing and showing again any of them leaves
// every other window where it was and in view, and the left column never shows a hole.

#include <QMdiSubWindow>
#include <QTest>
#include <map>

#include "app/MDIForm1.h"
#include "app/editing/frmEditBot.h"
#include "app/editing/frmPartsBar.h"
#include "app/frmBot.h"
#include "app/motion/frmControlMotors.h"
#include "app/motion/frmCutToolPath.h"
#include "app/motion/frmMotionPlot.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

constexpr int kSettleMilliseconds = 400;

class ToolWindowPlacesTest : public AppTest {
  protected:
    struct Place {
        QRect geometry;
        bool visible = false;
    };
    using Places = std::map<QMdiSubWindow*, Place>;

    void SetUp() override {
        AppTest::SetUp();
        OpenFile(ExamplePath("arm.bot"));
        ProcessEventsFor(kSettleMilliseconds);
    }

    Places Current() const {
        Places places;
        for (QMdiSubWindow* w : Main().Area().subWindowList())
            places[w] = {w->geometry(), w->isVisible()};
        return places;
    }
    // The window in front: last in the stacking order among the visible ones.
    QMdiSubWindow* Front() const {
        const auto stack = Main().Area().subWindowList(QMdiArea::StackingOrder);
        for (auto it = stack.rbegin(); it != stack.rend(); ++it)
            if ((*it)->isVisible()) return *it;
        return nullptr;
    }
    // True when a visible window stacked above window overlaps it.
    bool Covered(const QMdiSubWindow& window) const {
        const auto stack = Main().Area().subWindowList(QMdiArea::StackingOrder);
        bool above = false;
        for (const QMdiSubWindow* w : stack) {
            if (above && w->isVisible() && w->geometry().intersects(window.geometry())) return true;
            above = above || w == &window;
        }
        return false;
    }
    // Every window but moved kept its place and visibility; the parts bar and the 3D view are
    // in view, and something fills the left column.
    void ExpectOthersInPlace(const Places& before, const QMdiSubWindow* moved,
                             const std::string& when) const {
        for (const auto& [window, place] : before) {
            if (window == moved || !place.visible) continue;
            EXPECT_EQ(window->geometry(), place.geometry)
                << window->windowTitle().toStdString() << " moved " << when;
            EXPECT_TRUE(window->isVisible())
                << window->windowTitle().toStdString() << " hidden " << when;
        }
        for (const QMdiSubWindow* fixed : {static_cast<QMdiSubWindow*>(&Main().PartsBar()),
                                           static_cast<QMdiSubWindow*>(&Main().BotView())})
            EXPECT_FALSE(Covered(*fixed)) << fixed->windowTitle().toStdString() << " " << when;
        bool filled = false;
        for (const QMdiSubWindow* w : Main().Area().subWindowList())
            filled = filled || (w->isVisible() && w->geometry().contains(Main().LeftColumn()));
        EXPECT_TRUE(filled) << "a hole in the left column " << when;
    }
    QMdiSubWindow* ShowByMenu(const char* item) {
        Choose(item);
        ProcessEventsFor(kSettleMilliseconds);
        return Front();
    }
};

TEST_F(ToolWindowPlacesTest, OpeningClosingAndShowingAgainMovesNoOtherWindow) {
    for (const char* item : {"mnuMotionPlot", "mnuWork", "mnuAnimateActuate", "mnuShowParts"}) {
        const Places before = Current();
        QMdiSubWindow* tool = ShowByMenu(item);
        ASSERT_NE(tool, nullptr) << item;
        EXPECT_EQ(Main().Area().activeSubWindow(), tool) << item;
        EXPECT_EQ(tool->geometry(), Main().LeftColumn()) << item;
        ExpectOthersInPlace(before, tool, std::string("opening ") + item);

        const Places open = Current();
        tool->close();
        ProcessEventsFor(kSettleMilliseconds);
        EXPECT_FALSE(tool->isVisible()) << item;
        ExpectOthersInPlace(open, tool, std::string("closing ") + item);

        const Places closed = Current();
        EXPECT_EQ(ShowByMenu(item), tool) << item;
        EXPECT_EQ(tool->geometry(), Main().LeftColumn()) << item;
        ExpectOthersInPlace(closed, tool, std::string("showing again ") + item);
    }
}

TEST_F(ToolWindowPlacesTest, ThePartsBarAndTheViewComeBackInViewOverThePlot) {
    ShowByMenu("mnuMotionPlot");
    for (const auto& [window, item] :
         {std::pair<QMdiSubWindow*, const char*>{&Main().PartsBar(), "mnuPartsBar"},
          {&Main().BotView(), "mnuShowGraphics2"}}) {
        const QRect place = window->geometry();
        window->close();
        ProcessEventsFor(kSettleMilliseconds);
        ASSERT_FALSE(window->isVisible()) << item;
        Choose(item);
        ProcessEventsFor(kSettleMilliseconds);
        EXPECT_TRUE(window->isVisible()) << item;
        EXPECT_EQ(window->geometry(), place) << item;
        EXPECT_FALSE(Covered(*window)) << item;
    }
}

TEST_F(ToolWindowPlacesTest, ThePlotOpenedFromControlMotorsStaysInFront) {
    ShowByMenu("mnuAnimateActuate");
    frmControlMotors& motors = Main().ControlMotors();
    motors.TabStrip1->setCurrentIndex(1);
    ProcessEventsFor(50);
    QTest::mouseClick(motors.cmdMotionPlot, Qt::LeftButton);
    ProcessEventsFor(kSettleMilliseconds);
    auto* plot = Main().findChild<frmMotionPlot*>("frmMotionPlot");
    ASSERT_NE(plot, nullptr);
    EXPECT_EQ(Front(), plot);
    EXPECT_EQ(plot->geometry(), Main().LeftColumn());

    // The main window grows: every window follows, and the plot stays in front.
    Main().showMaximized();
    ProcessEventsFor(kSettleMilliseconds * 3);
    EXPECT_EQ(Front(), plot);
    EXPECT_EQ(plot->geometry(), Main().LeftColumn());
    EXPECT_FALSE(Covered(Main().BotView()));
}

}  // namespace
}  // namespace mechanon::testing
