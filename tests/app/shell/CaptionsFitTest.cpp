// No caption is cut: the titles of the child windows and of the small dialogs, the texts of
// every button, the tabs, headings, labels and chart texts fit in the room the windows give
// them, and the help window fits the screen (also on a desktop scaled by 1.5, where this file
// runs again).

#include <QAbstractButton>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QImage>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTimer>

#include "app/CaptionWidth.h"
#include "app/HelpWindow.h"
#include "app/MDIForm1.h"
#include "app/editing/WrappedCheckBox.h"
#include "app/editing/frmEditBot.h"
#include "app/editing/frmSubParts.h"
#include "app/motion/frmControlMotors.h"
#include "app/motion/frmCut.h"
#include "app/motion/frmMotionPlot.h"
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
    // A label shows its whole text: on one line when it does not wrap, else on as many lines as
    // it needs, with no word wider than the label.
    static void ExpectLabelFits(const QLabel& label) {
        const QString text = label.text();
        const QFontMetrics metrics = label.fontMetrics();
        const int room = label.contentsRect().width();
        if (!label.wordWrap()) {
            EXPECT_GE(room, metrics.horizontalAdvance(text)) << text.toStdString();
            return;
        }
        EXPECT_GE(label.height(), label.heightForWidth(label.width())) << text.toStdString();
        for (const QString& word : QTextDocumentFragment::fromHtml(text).toPlainText().split(' '))
            EXPECT_GE(room, metrics.horizontalAdvance(word)) << word.toStdString();
    }
    static void ExpectTabsFit(const QTabBar& bar) {
        for (int i = 0; i < bar.count(); ++i) {
            const QRect tab = bar.tabRect(i);
            EXPECT_GE(tab.width(), bar.fontMetrics().horizontalAdvance(bar.tabText(i)))
                << bar.tabText(i).toStdString();
            EXPECT_TRUE(bar.rect().contains(tab)) << bar.tabText(i).toStdString() << " runs off";
        }
    }
    // No title, axis title or label of the chart was shortened to fit.
    static void ExpectChartTextsWhole(const QChart& chart) {
        for (const QGraphicsItem* item : chart.scene()->items()) {
            if (!item->isVisible()) continue;
            QString text;
            if (const auto* rich = dynamic_cast<const QGraphicsTextItem*>(item))
                text = rich->toPlainText();
            else if (const auto* plain = dynamic_cast<const QGraphicsSimpleTextItem*>(item))
                text = plain->text();
            EXPECT_FALSE(text.endsWith("...") || text.endsWith(QChar(0x2026)))
                << text.toStdString();
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

TEST_F(CaptionsFitTest, TabsHeadingsAndThePickersInstructionShowWhole) {
    OpenFile(ExamplePath("arm.bot"));
    QString instruction;
    QTimer::singleShot(300, [&] {
        auto* picker = qobject_cast<frmSubParts*>(QApplication::activeModalWidget());
        if (!picker) return;
        instruction = picker->lblInstruction->text();
        ExpectLabelFits(*picker->lblInstruction);
        picker->reject();
    });
    QTest::mouseClick(Main().EditBot().cmdAddPart, Qt::LeftButton);
    EXPECT_FALSE(instruction.isEmpty()) << "the picker came up";

    Choose("mnuAnimateActuate");
    ProcessEventsFor(100);
    frmControlMotors& motors = Main().ControlMotors();
    ExpectTabsFit(*motors.TabStrip1);
    const QTableWidget& grid = *motors.MSFlexGrid1;
    const auto expectHeadingsFit = [&grid](const char* when) {
        const int margins =
            2 * (grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1);
        int total = 0;
        for (int column = 0; column < grid.columnCount(); ++column) {
            const QString heading = grid.item(0, column)->text();
            EXPECT_GE(grid.columnWidth(column) - margins,
                      grid.fontMetrics().horizontalAdvance(heading))
                << heading.toStdString() << " " << when;
            total += grid.columnWidth(column);
        }
        EXPECT_LE(total, grid.viewport()->width()) << "the last column runs off " << when;
    };
    expectHeadingsFit("at the first size");
    // A short main window gives the table a scroll bar; the columns make room for it.
    Main().resize(Main().minimumSize());
    ProcessEventsFor(300);
    expectHeadingsFit("in the smallest main window");
}

TEST_F(CaptionsFitTest, ThePlotsTextsShowWhole) {
    OpenFile(ExamplePath("arm.bot"));
    Choose("mnuMotionPlot");
    ProcessEventsFor(200);
    auto* plot = Main().findChild<frmMotionPlot*>("frmMotionPlot");
    ASSERT_NE(plot, nullptr);
    ASSERT_GT(plot->Samples().Motors, 0) << "the arm's path was plotted";
    for (const QLabel* label : plot->findChildren<QLabel*>())
        if (label->isVisible() && !label->text().isEmpty()) ExpectLabelFits(*label);
    EXPECT_TRUE(plot->lblLegend->text().contains(plot->MotorNames().front()));
    ExpectButtonsFit(*plot);
    ExpectTabsFit(*plot->tabViews->tabBar());
    for (int tab = 0; tab < plot->tabViews->count(); ++tab) {
        plot->tabViews->setCurrentIndex(tab);
        ProcessEventsFor(100);
        ExpectChartTextsWhole(tab == 0 ? plot->PositionChart() : plot->VelocityChart());
    }
}

TEST_F(CaptionsFitTest, TheHelpWindowFitsTheScreenAndShowsThePlacementPicture) {
    // The build puts the page and its picture beside the program, as an installation does.
    Main().ProgramFolder = QFileInfo(MECHANON_PROGRAM).absolutePath();
    openUrlResult = false;
    Choose("mnuHelp1");
    ProcessEventsFor(100);
    auto* help = Main().findChild<HelpWindow*>("HelpWindow");
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(help->isVisible());
    const QRect screen = help->screen()->availableGeometry();
    EXPECT_LE(help->frameGeometry().height(), screen.height());
    EXPECT_LE(help->frameGeometry().width(), screen.width());

    for (const QString name : {"placement.png", "import.png"}) {
        ASSERT_TRUE(help->Browser->toHtml().contains(name));
        const QImage picture = help->Browser->document()
                                   ->resource(QTextDocument::ImageResource, QUrl(name))
                                   .value<QImage>();
        ASSERT_FALSE(picture.isNull()) << "the help window finds " << name.toStdString();
        EXPECT_GE(picture.width(), 400);
    }
    help->close();
}

}  // namespace
}  // namespace mechanon::testing
