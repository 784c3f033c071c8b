// The caption's modified marker, and New, Open and closing asking about unsaved work only when
// there is some.

#include <QLineEdit>
#include <QTest>

#include "app/MDIForm1.h"
#include "app/editing/frmEditBot.h"
#include "model/clsRooms.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

constexpr const char* kOpenQuestion =
    "Did you save your last file?  If you continue it will be deleted.";

class UnsavedChanges : public AppTest {
  protected:
    // A new size typed into the part editor and stored with Enter.
    void TypeSize(const QString& size) {
        QLineEdit* box = Main().EditBot().txtSize;
        box->selectAll();
        box->del();
        QTest::keyClicks(box, size);
        QTest::keyClick(box, Qt::Key_Return);
        ProcessEventsFor(500);  // the caption follows within a moment
    }
};

TEST_F(UnsavedChanges, TheCaptionMarksChangesAndOnlyThenDoNewOpenAndCloseAsk) {
    EXPECT_EQ(Main().windowTitle(), "Mechanon");
    Choose("mnuNew");
    Choose("mnuOpen");  // the dialog is cancelled
    EXPECT_TRUE(Ui().Messages().empty()) << "nothing to lose, nothing asked";
    ASSERT_EQ(Ui().shown.size(), 1u);
    EXPECT_EQ(Ui().shown[0].kind, torvane::ScriptedUserInterface::Kind::OpenDialog);

    const QString size = Main().EditBot().txtSize->text();
    TypeSize("12, 12, 1");
    EXPECT_EQ(Main().windowTitle(), "*Mechanon");
    Ui().Clear();
    Ui().messageAnswers.push_back(torvane::MsgAnswer::Cancel);
    Choose("mnuOpen");
    EXPECT_EQ(Ui().CountMessage(kOpenQuestion), 1);
    EXPECT_EQ(Ui().shown.size(), 1u) << "cancelled at the question: no dialog";

    // Typed back as it was, the robot is its file again.
    TypeSize(size);
    EXPECT_EQ(Main().windowTitle(), "Mechanon");

    TypeSize("7, 7, 1");
    const std::string path = temp.Path("kept.bot");
    Ui().fileAnswers.push_back(path);
    Choose("mnuSaveAs");
    EXPECT_EQ(Main().windowTitle().toStdString(), "Mechanon     " + path);
    ProcessEventsFor(500);
    EXPECT_EQ(Main().windowTitle().toStdString(), "Mechanon     " + path) << "drawing is no change";

    Ui().Clear();
    Main().close();
    EXPECT_FALSE(Main().isVisible());
    EXPECT_TRUE(Ui().Messages().empty()) << "saved: closing asks nothing";
}

}  // namespace
}  // namespace mechanon::testing
