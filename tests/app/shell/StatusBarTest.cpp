// The status bar says what the last command did: the document and room commands, exports and
// the editor's Apply in words of their own, every other menu item and toolbar button by its
// caption.

#include <QStatusBar>

#include "app/MDIForm1.h"
#include "app/editing/frmEditBot.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

class StatusBarTest : public AppTest {
  protected:
    std::string Status() const { return Main().statusBar()->currentMessage().toStdString(); }
};

TEST_F(StatusBarTest, EveryCommandLeavesWordsInTheStatusBar) {
    Ui().inputAnswers.push_back("Wrist");
    Choose("mnuCreatePartRoom");
    EXPECT_EQ(Status(), "Created the part room Wrist.");
    Ui().inputAnswers.push_back("");  // the name question cancelled
    Choose("mnuCreatePartRoom");
    EXPECT_EQ(Status(), "No part room was created.");

    Ui().messageAnswers.push_back(torvane::MsgAnswer::Cancel);
    Choose("mnuDeletePartRoom");
    EXPECT_EQ(Status(), "Kept the part room Wrist.");
    Ui().messageAnswers.push_back(torvane::MsgAnswer::OK);
    Choose("mnuDeletePartRoom");
    EXPECT_EQ(Status(), "Deleted the part room Wrist.");

    const std::string stl = temp.Path("part.stl");
    Ui().fileAnswers.push_back(stl);
    Choose("mnuExportStl");
    EXPECT_EQ(Status(), "Exported " + stl);

    Main().EditBot().Apply();
    EXPECT_EQ(Status(), "Applied the fields to Part 1.");

    Choose("mnuArrangeForms");
    EXPECT_EQ(Status(), "Arrange Forms: done.");
    ClickToolbar("ShowGridsOnGraph");
    EXPECT_EQ(Status(), "Show Grids On Graph: done.");
    Ui().fileAnswers.push_back(temp.Path("missing.bot"));
    Choose("mnuOpen");  // a file that is not there: the message, and the bar says so
    EXPECT_EQ(Status(), "Could not open " + temp.Path("missing.bot"));
    // A command that fails says so under its caption.
    Ui().messageAnswers.push_back(torvane::MsgAnswer::OK);
    Choose("mnuDeletePartRoom");  // the last room cannot go
    EXPECT_EQ(Status(), "Kept the part room Part 1.");
}

}  // namespace
}  // namespace mechanon::testing
