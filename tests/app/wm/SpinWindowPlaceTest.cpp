// The spin window under a window manager: it opens beside the number box it steps, title bar
// and frame included, so the box stays in view; the motor table's cells edit on a double click
// and reach the spin window through F4 or the context menu.

#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "app/MDIForm1.h"
#include "app/editing/TabStrip.h"
#include "app/editing/clsSpinText.h"
#include "app/editing/frmEditBot.h"
#include "app/editing/frmSpinText.h"
#include "app/motion/frmControlMotors.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

// Long enough for the window manager to map and frame the window.
constexpr int kSettleMilliseconds = 500;

QRect OnScreen(const QWidget& widget) {
    return QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size());
}

class SpinWindowPlaceTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        OpenFile(ExamplePath("arm.bot"));
        ProcessEventsFor(kSettleMilliseconds);
    }
    // The one spin window on the screen, or null.
    static frmSpinText* ShownSpinWindow() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* spin = qobject_cast<frmSpinText*>(w); spin && spin->isVisible()) return spin;
        return nullptr;
    }
    static void ExpectBeside(const QLineEdit& box, const char* which) {
        frmSpinText* spin = ShownSpinWindow();
        ASSERT_NE(spin, nullptr) << which;
        const QRect field = OnScreen(box);
        const QRect frame = spin->frameGeometry();
        EXPECT_FALSE(frame.intersects(field))
            << which << ": window " << frame.x() << "," << frame.y() << " " << frame.width() << "x"
            << frame.height() << " over the field at " << field.x() << "," << field.y();
        EXPECT_TRUE(frame.top() <= field.bottom() && frame.bottom() >= field.top())
            << which << ": the window sits in the field's row";
        EXPECT_EQ(spin->windowTitle(), frmSpinText::kCaption);
    }
};

TEST_F(SpinWindowPlaceTest, ADoubleClickOpensItBesideTheFieldItSteps) {
    frmEditBot& editor = Main().EditBot();
    ASSERT_TRUE(editor.TabStrip1->SelectTab("Part Position"));
    ProcessEventsFor(100);
    QLineEdit& box = *editor.txtPosition;
    ASSERT_TRUE(box.isVisible());
    QTest::mouseDClick(&box, Qt::LeftButton, {}, QPoint(4, box.height() / 2));
    ProcessEventsFor(kSettleMilliseconds);
    ExpectBeside(box, "part editor");
    ShownSpinWindow()->close();
}

class MotorTableTest : public SpinWindowPlaceTest {
  protected:
    // Opens the cell editor of the first motor's position by a double click, as a user edits a
    // table's cell.
    QLineEdit& DoubleClickFirstPosition() {
        Choose("mnuAnimateActuate");
        ProcessEventsFor(kSettleMilliseconds);
        frmControlMotors& motors = Main().ControlMotors();
        QTableWidget& grid = *motors.MSFlexGrid1;
        const QPoint at = grid.visualItemRect(grid.item(1, 1)).center();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(motors.Text1, Qt::LeftButton, {},
                           motors.Text1->mapFrom(grid.viewport(), at));
        ProcessEventsFor(kSettleMilliseconds);
        return *motors.Text1;
    }
};

TEST_F(MotorTableTest, ADoubleClickEditsTheCellAndF4OrTheContextMenuOpenTheSpinWindow) {
    QLineEdit& cell = DoubleClickFirstPosition();
    EXPECT_TRUE(cell.isVisible()) << "the cell is being edited";
    EXPECT_TRUE(cell.hasFocus());
    EXPECT_EQ(ShownSpinWindow(), nullptr) << "a double click edits, it opens nothing";

    QTest::keyClick(&cell, Qt::Key_End);
    QTest::keyClick(&cell, clsSpinText::kOpenKey);
    ProcessEventsFor(kSettleMilliseconds);
    ExpectBeside(cell, "F4");
    // The number at the cursor was selected for stepping.
    EXPECT_FALSE(cell.selectedText().isEmpty());
    ShownSpinWindow()->close();

    bool offered = false;
    QTimer::singleShot(kSettleMilliseconds, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* action : menu->actions())
            if (action->text() == clsSpinText::kMenuCaption) {
                offered = true;
                action->trigger();
            }
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4), cell.mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(&cell, &event);
    ProcessEventsFor(kSettleMilliseconds);
    EXPECT_TRUE(offered);
    ExpectBeside(cell, "context menu");
    if (frmSpinText* spin = ShownSpinWindow()) spin->close();
}

}  // namespace
}  // namespace mechanon::testing
