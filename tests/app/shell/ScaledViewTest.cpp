// On a desktop scaled by 1.5 the text over the 3D view and the grid labels grow with it.

#include <QFont>
#include <QFontMetrics>

#include "app/MDIForm1.h"
#include "app/QtGlSurface.h"
#include "app/frmBot.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

class ScaledViewTest : public AppTest {
  protected:
    QtGlSurface& Surface() { return Main().BotView().Surface(); }
};

TEST_F(ScaledViewTest, CaptionLinesAndGridLabelsFollowTheScreensScale) {
    ASSERT_DOUBLE_EQ(Surface().devicePixelRatio(), 1.5);
    Choose("mnuShowAxis");  // the axis marker's blue line is not a label
    EXPECT_EQ(Surface().LabelDotSize(), 3);
    EXPECT_GE(TallestRun(GrabView(Bots()), IsLabelColour), 7 * 3);

    ProcessEventsFor(200);
    const QImage shown = ScreenOfView(Surface());
    ASSERT_FALSE(shown.isNull());
    // "Room=Part 1" in the top left corner: its capitals are as tall as 1.5 times those of
    // the unscaled text.
    const QImage corner = shown.copy(0, 0, shown.width() / 3, shown.height() / 10);
    QFont unscaled;
    unscaled.setPixelSize(13);
    const int capitals = QFontMetrics(unscaled).capHeight();
    const int tallest = TallestRun(corner, [](QRgb p) { return qGray(p) < 100; });
    EXPECT_GE(tallest, capitals * 14 / 10) << "unscaled capitals are " << capitals << " pixels";
}

}  // namespace
}  // namespace mechanon::testing
