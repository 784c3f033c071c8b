// No caption is cut: the titles of the child windows and of the small dialogs, and the texts of
// every button, fit in the room the windows give them (also on a desktop scaled by 1.5, where
// this file runs again).

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTimer>

#include "app/CaptionWidth.h"
#include "app/MDIForm1.h"
#include "app/editing/WrappedCheckBox.h"
#include "app/editing/frmSubParts.h"
#include "app/motion/frmControlMotors.h"
#include "app/motion/frmCut.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

class CaptionsFitTest : public AppTest {
  protected:
    // The width the style leaves for a child window's title beside its buttons.
    static int TitleRoom(const QMdiSubWindow& window) {
        QStyleOptionTitleBar option;
        option.initFrom(&window);
        option.text = window.windowTitle();
        option.titleBarFlags = window.windowFlags();
        option.subControls = QStyle::SC_All;
        option.rect = QRect(0, 0, window.width(),
                            window.style()->pixelMetric(QStyle::PM_TitleBarHeight, &option));
        return window.style()
            ->subControlRect(QStyle::CC_TitleBar, &option, QStyle::SC_TitleBarLabel, &window)
            .width();
    }
    static void ExpectButtonsFit(const QWidget& window) {
        for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
            if (!button->isVisible() || button->text().isEmpty()) continue;
            if (qobject_cast<const WrappedCheckBox*>(button)) continue;  // wraps by design
            if (!qobject_cast<const QPushButton*>(button) &&
                !qobject_cast<const QCheckBox*>(button) &&
                !qobject_cast<const QRadioButton*>(button))
                continue;
            EXPECT_GE(button->width(), button->sizeHint().width())
                << "\"" << button->text().toStdString() << "\" in "
                << window.windowTitle().toStdString();
        }
    }
};

TEST_F(CaptionsFitTest, WindowTitlesAndButtonTextsShowWhole) {
    OpenFile(ExamplePath("arm.bot"));
    Choose("mnuAnimateActuate");
    // The two modal windows are checked while they are open, then closed.
    for (const char* item : {"mnuMotorsProperties", "mnuTestMotor"}) {
        bool seen = false;
        QTimer::singleShot(300, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog) return;
            seen = true;
            EXPECT_GE(dialog->width(), CaptionWidth(*dialog)) << item;
            ExpectButtonsFit(*dialog);
            dialog->close();
        });
        Choose(item);
        EXPECT_TRUE(seen) << item;
    }
    ProcessEventsFor(100);
    for (QMdiSubWindow* window : Main().Area().subWindowList()) {
        if (!window->isVisible() || window->isMinimized()) continue;
        const int text = window->fontMetrics().horizontalAdvance(window->windowTitle());
        EXPECT_GE(TitleRoom(*window), text) << window->windowTitle().toStdString();
        ExpectButtonsFit(*window);
    }

    frmCut& drive = Main().ControlMotors().DriveMotorsWindow();
    drive.show();
    ProcessEventsFor(50);
    EXPECT_EQ(drive.windowTitle(), "Drive Motors");
    EXPECT_GE(drive.width(), CaptionWidth(drive));
    ExpectButtonsFit(drive);
    drive.hide();
}

}  // namespace
}  // namespace mechanon::testing
