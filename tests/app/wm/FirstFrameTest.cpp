// The 3D view as a desktop shows it: the program started under a real window manager draws the
// grid at the view's full size in its first frame, without a click, on every launch; and it
// keeps drawing at full size while the motion plot opens and closes and after the view grew.
// The pixels are read from the screen, so what counts is what the user sees.

#include "app/MDIForm1.h"
#include "app/QtGlSurface.h"
#include "app/frmBot.h"
#include "app/motion/frmMotionPlot.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

// Long enough for the window manager to map, place and resize every window.
constexpr int kSettleMilliseconds = 1500;

// The box around every pixel clearly darker than the white background, below the caption lines
// at the top.
QRect DrawnExtent(const QImage& shown) {
    const QImage image = shown.convertToFormat(QImage::Format_RGB32);
    QRect box;
    for (int y = image.height() / 10; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 200) box |= QRect(x, y, 1, 1);
    return box;
}

void ExpectGridFillsView(QtGlSurface& surface, const char* when) {
    const QImage shown = ScreenOfView(surface);
    ASSERT_FALSE(shown.isNull()) << when;
    const QRect extent = DrawnExtent(shown);
    EXPECT_GT(extent.width(), shown.width() / 2)
        << when << ": grid spans " << extent.width() << " of " << shown.width() << " pixels";
    EXPECT_GT(extent.height(), shown.height() / 4)
        << when << ": grid spans " << extent.height() << " of " << shown.height() << " pixels";
}

class FirstFrameTest : public AppTest, public ::testing::WithParamInterface<int> {
  protected:
    QtGlSurface& Surface() { return Main().BotView().Surface(); }
};

TEST_P(FirstFrameTest, TheGridIsOnTheScreenAtFullSizeWithoutAClick) {
    ProcessEventsFor(kSettleMilliseconds);
    ASSERT_TRUE(Surface().isExposed());
    ExpectGridFillsView(Surface(), "after start-up");
}

INSTANTIATE_TEST_SUITE_P(TenLaunches, FirstFrameTest, ::testing::Range(1, 11));

class ViewResizeTest : public AppTest {};

TEST_F(ViewResizeTest, TheViewRedrawsAtFullSizeWhenItGrowsAgain) {
    QtGlSurface& surface = Main().BotView().Surface();
    ProcessEventsFor(kSettleMilliseconds);
    const QSize full = surface.size();
    for (int round = 1; round <= 3; ++round) {
        Choose("mnuMotionPlot");
        ProcessEventsFor(kSettleMilliseconds / 2);
        ASSERT_EQ(surface.size(), full) << "the plot opens beside the view";
        auto* plot = Main().findChild<frmMotionPlot*>("frmMotionPlot");
        ASSERT_NE(plot, nullptr);
        plot->close();
        ProcessEventsFor(kSettleMilliseconds / 2);
        ASSERT_EQ(surface.size(), full);
        ExpectGridFillsView(surface,
                            ("after the plot closed, round " + std::to_string(round)).c_str());
    }
    // The window manager grows the main window, and every form with it.
    Main().showMaximized();
    ProcessEventsFor(kSettleMilliseconds);
    ASSERT_GT(surface.width(), full.width());
    ExpectGridFillsView(surface, "after the main window was maximised");
}

}  // namespace
}  // namespace mechanon::testing
