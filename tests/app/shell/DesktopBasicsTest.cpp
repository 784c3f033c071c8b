// The standard shortcuts, File > Recent Files kept between runs, File > Exit and the status bar.

#include <QMenu>
#include <QSettings>
#include <QStatusBar>
#include <QTest>

#include "app/DesktopBasics.h"
#include "app/MDIForm1.h"
#include "model/clsRooms.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

class DesktopBasics : public AppTest {
  protected:
    void SetUp() override {
        QSettings().remove("recentFiles");
        AppTest::SetUp();
    }
    QString Status() const { return Main().statusBar()->currentMessage(); }
    void Exit() {
        QAction* exit = Main().findChild<QAction*>("mnuExit");
        ASSERT_NE(exit, nullptr);
        exit->trigger();
    }
    // Keys reach the window's shortcuts only while it is the active window.
    void PressKeys(int key, Qt::KeyboardModifiers modifiers) {
        ASSERT_TRUE(MakeActive(Main()));
        QTest::keyClick(&Main(), static_cast<Qt::Key>(key), modifiers);
        ProcessEventsFor(0);
    }
};

TEST_F(DesktopBasics, ShortcutsReachTheFileAndHelpCommands) {
    const struct {
        const char* item;
        QKeySequence keys;
    } expected[] = {
        {"mnuNew", QKeySequence("Ctrl+N")},  {"mnuOpen", QKeySequence("Ctrl+O")},
        {"mnuSave", QKeySequence("Ctrl+S")}, {"mnuSaveAs", QKeySequence("Ctrl+Shift+S")},
        {"mnuExit", QKeySequence("Ctrl+Q")}, {"mnuHelp1", QKeySequence("F1")}};
    for (const auto& e : expected) {
        const QAction* action = Main().findChild<QAction*>(e.item);
        ASSERT_NE(action, nullptr) << e.item;
        EXPECT_EQ(action->shortcut(), e.keys) << e.item;
    }
    // Ctrl+S on a robot never saved asks where, as Save does.
    const std::string path = temp.Path("keys.bot");
    Ui().fileAnswers.push_back(path);
    PressKeys(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Main().CurrentPath(), path);
    EXPECT_EQ(Status().toStdString(), "Saved " + path);
}

TEST_F(DesktopBasics, RecentFilesKeepTheLastEightNewestFirstAndOpenThem) {
    for (int i = 1; i <= 10; ++i) RememberRecentFile(QString("/robots/%1.bot").arg(i));
    RememberRecentFile("/robots/4.bot");
    const QStringList files = RecentFiles();
    ASSERT_EQ(files.size(), kMostRecentFiles);
    EXPECT_EQ(files.front(), "/robots/4.bot") << "once, at the front";
    EXPECT_EQ(files.count("/robots/4.bot"), 1);
    EXPECT_EQ(files.back(), "/robots/3.bot") << "the oldest fell off";

    // A robot opened goes to the front, is kept in the settings and opens from the menu.
    const std::string arm = ExamplePath("arm.bot");
    OpenFile(arm);
    EXPECT_EQ(RecentFiles().front().toStdString(), arm);
    EXPECT_EQ(Status().toStdString(), "Opened " + arm);
    Choose("mnuNew");
    ASSERT_EQ(Rooms().TotalRooms, 1);
    QMenu* file = Main().findChild<QMenu*>("mnuFile");
    ASSERT_NE(file, nullptr);
    Q_EMIT file->aboutToShow();
    auto* first = Main().findChild<QAction*>("mnuRecent1");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text(), "&1 arm.bot");
    first->trigger();
    EXPECT_EQ(Main().CurrentPath(), arm);
    EXPECT_GT(Rooms().TotalRooms, 1);

    // A file that is gone is reported and the robot stays.
    RememberRecentFile(QString::fromStdString(temp.Path("gone.bot")));
    Q_EMIT file->aboutToShow();
    Ui().Clear();
    Main().findChild<QAction*>("mnuRecent1")->trigger();
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("cannot be read"), std::string::npos) << Ui().Messages()[0];
    EXPECT_EQ(Main().CurrentPath(), arm);
}

TEST_F(DesktopBasics, ExitClosesAndAsksAboutUnsavedWorkFirst) {
    MakeAChange();
    Ui().messageAnswers.push_back(torvane::MsgAnswer::Cancel);
    Exit();
    EXPECT_EQ(Ui().CountMessage(
                  "Do you want to save your changes to the new robot before "
                  "exiting?\n\nYes saves them, No discards them, Cancel keeps the robot open."),
              1);
    EXPECT_TRUE(Main().isVisible());
    Ui().messageAnswers.push_back(torvane::MsgAnswer::No);
    Exit();
    EXPECT_FALSE(Main().isVisible());
}

}  // namespace
}  // namespace mechanon::testing
