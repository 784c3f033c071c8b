// The main window's own behaviour: the menu bar and toolbar as the user finds them, the layout
// of the child windows, the size limits, closing with the save question, and Help.

#include <QAction>
#include <QFile>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>

#include "app/CommandLine.h"
#include "app/HelpWindow.h"
#include "app/MDIForm1.h"
#include "app/Twips.h"
#include "app/clsBots.h"
#include "app/editing/frmEditBot.h"
#include "app/editing/frmPartsBar.h"
#include "app/frmBot.h"
#include "app/modBotMain.h"
#include "app/motion/frmControlMotors.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

using torvane::MsgAnswer;

constexpr const char* kSaveQuestion =
    "Do you want to save your changes to the new robot before exiting?\n\nYes saves them, No "
    "discards them, Cancel keeps the robot open.";

TEST(ProgramHelpers, SlashPathAppendsOneBackslash) {
    EXPECT_EQ(SlashPath("C:\\Bots"), "C:\\Bots\\");
    EXPECT_EQ(SlashPath("C:\\"), "C:\\");
    EXPECT_EQ(SlashPath(""), "\\");
}

TEST(ProgramHelpers, OnlyTheScreenWidthDecidesWhetherTheProgramRuns) {
    EXPECT_TRUE(ScreenWideEnough(800));
    EXPECT_FALSE(ScreenWideEnough(799));
    EXPECT_EQ(NarrowScreenMessage(),
              "You can't run Mechanon if your screen resolution is less than 600x800.  You can "
              "reset your screen's resolution in your Windows Control Panel, Display Icon, "
              "Settings.");
}

using MainWindowTest = AppTest;

TEST_F(MainWindowTest, MenusAndToolbarOfferTheirCommandsInTheirStates) {
    struct Item {
        const char* name;
        const char* caption;
        bool enabled;
    };
    const Item items[] = {
        {"mnuFile", "&File", true},
        {"mnuSaveAs", "Save &As", true},
        {"mnuParts", "&Design", true},
        {"mnuShowParts", "&Edit Parts in Room", true},
        {"mnuMoveRoomRight", "Move Selected Part Room To Right", true},
        {"mnuAnimateActuate", "&Drive Motor Positions", true},
        {"mnuALgebraicSolver", "Algebraic System Solver", false},
        {"mnuIK", "&Inverse Kinematics Solver", true},
        {"mnuArrangeForms", "Arrange Forms", true},
        {"mnuPartsBar", "&Show Parts Bar", true},
        {"mnuShowGraphics2", "Show &Graphics Form", true},
        {"mnuShowAxis", "Show Axis on Graphics", true},
        {"mnuShowGrids", "Show Grids on Graphics", true},
        {"mnuHelp1", "&Help", true},
        {"mnuSpace", "-------XX", false},
        {"mnuGraphicsWindows", "&Graphics", true},
        {"mnuMotors", "&Motors", true},
        {"mnuCommands", "&Commands", false},
    };
    for (const Item& item : items) {
        const QAction* action = Main().MenuItem(item.name);
        ASSERT_NE(action, nullptr) << item.name;
        EXPECT_EQ(action->text(), item.caption) << item.name;
        EXPECT_EQ(action->isEnabled(), item.enabled) << item.name;
        // A placeholder without a command is out of sight, not greyed.
        EXPECT_EQ(action->isVisible(), item.enabled) << item.name;
    }
    for (const char* placeholder :
         {"mnuCamera", "mnuPlanToolPath", "mnuEllipse", "mnuTest", "mnuStopBot"}) {
        const QAction* action = Main().MenuItem(placeholder);
        ASSERT_NE(action, nullptr) << placeholder;
        EXPECT_FALSE(action->isVisible()) << placeholder;
    }
    EXPECT_TRUE(Main().MenuItem("mnuShowAxis")->isChecked());
    EXPECT_TRUE(Main().MenuItem("mnuShowGrids")->isChecked());
    EXPECT_EQ(Main().MenuItem("mnuHomePage")->text(), "Home &Page");

    QStringList tips;
    for (QAction* a : Main().Toolbar().actions()) tips << a->toolTip();
    EXPECT_EQ(tips, (QStringList{"New", "Open", "Save", "Undo", "Redo", "Move Part Room Left",
                                 "Move Part Room Right", "Move Sub Part Up", "Move Sub Part Down",
                                 "Create Part Room", "Delete Part Room", "Show Edit Parts Room",
                                 "Show Drive Motors Form", "Show Axis On Graph",
                                 "Show Grids On Graph", "Help"}));
    for (QAction* a : Main().Toolbar().actions())
        EXPECT_FALSE(a->icon().isNull()) << a->toolTip().toStdString();

    // An inactive item does nothing even when triggered.
    Choose("mnuPartsBar");
    EXPECT_TRUE(Ui().shown.empty());
}

TEST_F(MainWindowTest, ArrangeFormsPutsEveryWindowInItsPlace) {
    Main().BotView().move(3, 3);
    Main().EditBot().showMinimized();
    Main().RunToolbarKey("ArrangeForms");
    const int W = Main().Area().viewport()->width();
    const int V = Main().Area().viewport()->height();
    const int left = TwipsToPixelsX(Main(), 5000);
    const int H = Main().PartsBar().height();
    EXPECT_EQ(H, TwipsToPixelsY(Main(), kPartsBarHeightTwips));
    EXPECT_EQ(Main().PartsBar().geometry(), QRect(0, 0, W, H));
    EXPECT_EQ(Main().BotView().geometry(), QRect(left, H, W - left, V - H));
    EXPECT_EQ(Main().EditBot().geometry(), QRect(0, H, left, V - H));
    EXPECT_EQ(Main().ControlMotors().geometry(), QRect(0, H, left, V - H));
    EXPECT_FALSE(Main().EditBot().isMinimized());
    EXPECT_EQ(Main().Area().activeSubWindow(), &Main().EditBot());

    ClickToolbar("ShowDriveMotors");
    EXPECT_TRUE(Main().MotorsInFront());
    Main().ArrangeForms();
    EXPECT_EQ(Main().Area().activeSubWindow(), &Main().ControlMotors());
    ClickToolbar("ShowEditForm");
    EXPECT_FALSE(Main().MotorsInFront());
    EXPECT_EQ(Main().Area().activeSubWindow(), &Main().EditBot());
}

TEST_F(MainWindowTest, ResizingKeepsTheLeastSizeAndRearrangesOnlyOnceLoaded) {
    Main().resize(200, 150);
    ProcessEventsFor(50);
    EXPECT_GE(Main().width(), TwipsToPixelsX(Main(), 12000));
    EXPECT_GE(Main().height(), TwipsToPixelsY(Main(), 8000));

    Main().Loaded = false;
    Main().BotView().move(7, 7);
    Main().resize(Main().width() + 40, Main().height() + 30);
    ProcessEventsFor(50);
    EXPECT_EQ(Main().BotView().pos(), QPoint(7, 7));

    Main().Loaded = true;
    Main().resize(Main().width() + 40, Main().height() + 30);
    ProcessEventsFor(50);
    EXPECT_EQ(Main().BotView().x(), TwipsToPixelsX(Main(), 5000));
    EXPECT_EQ(Main().BotView().width(),
              Main().Area().viewport()->width() - TwipsToPixelsX(Main(), 5000));
}

TEST_F(MainWindowTest, ClosingAsksToSaveAndCancelKeepsEverythingOpen) {
    MakeAChange();
    Ui().messageAnswers.push_back(MsgAnswer::Cancel);
    Main().close();
    ProcessEventsFor(0);
    EXPECT_EQ(Ui().CountMessage(kSaveQuestion), 1);
    EXPECT_EQ(Ui().shown[0].buttons, torvane::MsgButtons::YesNoCancel);
    EXPECT_TRUE(Main().isVisible());
    EXPECT_TRUE(Main().BotView().isVisible());

    Ui().Clear();
    Ui().messageAnswers.push_back(MsgAnswer::No);
    Main().close();
    EXPECT_FALSE(Main().isVisible());
    EXPECT_EQ(Ui().shown.size(), 1u);  // no file dialog
}

TEST_F(MainWindowTest, ClosingWithYesSavesToTheKnownFile) {
    const std::string path = temp.Path("kept.bot");
    Ui().fileAnswers.push_back(path);
    Choose("mnuSave");
    QFile::remove(QString::fromStdString(path));
    MakeAChange();
    Ui().messageAnswers.push_back(MsgAnswer::Yes);
    Main().close();
    EXPECT_FALSE(Main().isVisible());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(path)));
    EXPECT_EQ(Ui().shown.size(), 1u);
}

TEST_F(MainWindowTest, ClosingWithYesAndACancelledDialogKeepsTheWindowOpen) {
    MakeAChange();
    Ui().messageAnswers.push_back(MsgAnswer::Yes);
    Main().close();
    ASSERT_EQ(Ui().shown.size(), 2u);
    EXPECT_EQ(Ui().shown[1].kind, torvane::ScriptedUserInterface::Kind::SaveDialog);
    EXPECT_TRUE(Main().isVisible());
    EXPECT_TRUE(Main().DocumentModified());
}

TEST_F(MainWindowTest, ASaveThatFailsOnClosingKeepsTheWindowOpen) {
    MakeAChange();
    Ui().messageAnswers.push_back(MsgAnswer::Yes);
    Ui().fileAnswers.push_back(temp.Path("missing-folder/robot.bot"));
    Main().close();
    ASSERT_EQ(Ui().Messages().size(), 2u);
    EXPECT_NE(Ui().Messages()[1].find("could not be saved"), std::string::npos);
    EXPECT_TRUE(Main().isVisible());
}

TEST_F(MainWindowTest, HelpOpensThePageBesideTheProgramOrSaysItIsMissing) {
    Main().ProgramFolder = QString::fromStdString(temp.Path(""));
    ClickToolbar("Help");
    EXPECT_EQ(Ui().CountMessage(
                  "Can't find 'mechanon.htm' help file.  Try reinstalling the application."),
              1);
    EXPECT_TRUE(openedUrls.empty());

    {
        QFile page(QString::fromStdString(temp.Path("mechanon.htm")));
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write("<html><body><h1>Part rooms</h1></body></html>");
    }
    Ui().Clear();
    Choose("mnuHelp1");
    ASSERT_EQ(openedUrls.size(), 1u);
    EXPECT_EQ(openedUrls[0],
              QUrl::fromLocalFile(QString::fromStdString(temp.Path("mechanon.htm"))));
    EXPECT_TRUE(Ui().shown.empty());

    openUrlResult = false;  // no browser: the page opens in the program's help window
    ASSERT_TRUE(MakeActive(Main()));
    QTest::keyClick(&Main(), Qt::Key_F1);
    ProcessEventsFor(20);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    auto* help = Main().findChild<HelpWindow*>("HelpWindow");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->Browser->toPlainText().contains("Part rooms"));
    help->close();

    // The home page is the help page shipped beside the program.
    Ui().Clear();
    openUrlResult = true;
    openedUrls.clear();
    Choose("mnuHomePage");
    EXPECT_TRUE(Ui().Messages().empty());
    ASSERT_EQ(openedUrls.size(), 1u);
    EXPECT_EQ(openedUrls[0],
              QUrl::fromLocalFile(QString::fromStdString(temp.Path("mechanon.htm"))));
}

TEST_F(MainWindowTest, TheHelpPageBuiltWithTheProgramStatesTheVersionItReports) {
    Main().ProgramFolder = QFileInfo(QStringLiteral(MECHANON_PROGRAM)).absolutePath();
    openUrlResult = false;
    Choose("mnuHelp1");
    EXPECT_TRUE(Ui().Messages().empty());
    auto* help = Main().findChild<HelpWindow*>("HelpWindow");
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(help->isVisible());
    // "Mechanon 0.1": the page says "Version 0.1".
    const QString version = QString::fromStdString(ProgramVersion()).section(' ', 1);
    ASSERT_FALSE(version.isEmpty());
    EXPECT_TRUE(help->Browser->toPlainText().contains("Version " + version))
        << help->Browser->toPlainText().left(200).toStdString();
    help->close();
}

}  // namespace
}  // namespace mechanon::testing
