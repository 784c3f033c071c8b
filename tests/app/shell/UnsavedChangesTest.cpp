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
    "Do you want to save your changes to the new robot before opening another robot?\n\nYes saves "
    "them, No discards them, Cancel keeps the robot open.";

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

TEST_F(UnsavedChanges, NewAndOpenOfferToSaveAndKeepTheRobotWhenTheSaveDoesNotHappen) {
    using torvane::MsgAnswer;
    // Save with a cancelled file dialog: nothing is written, the robot stays.
    TypeSize("5, 5, 1");
    Ui().Clear();
    Ui().messageAnswers.push_back(MsgAnswer::Yes);
    Choose("mnuNew");
    EXPECT_EQ(Ui().CountMessage("Do you want to save your changes to the new robot before "
                                "starting a new robot?\n\nYes saves them, No discards them, "
                                "Cancel keeps the robot open."),
              1);
    EXPECT_EQ(Ui().shown.back().kind, torvane::ScriptedUserInterface::Kind::SaveDialog);
    EXPECT_EQ(Main().EditBot().txtSize->text(), "5, 5, 1");
    EXPECT_TRUE(Main().DocumentModified());

    // A save that fails says so and keeps the robot; Open shows no dialog.
    Ui().Clear();
    Ui().messageAnswers.push_back(MsgAnswer::Yes);
    Ui().fileAnswers.push_back(temp.Path("missing-folder/robot.bot"));
    Choose("mnuOpen");
    ASSERT_EQ(Ui().Messages().size(), 2u);
    EXPECT_NE(Ui().Messages()[1].find("could not be saved"), std::string::npos);
    EXPECT_EQ(Ui().shown.size(), 3u) << "question, save dialog, failure: no open dialog";
    EXPECT_TRUE(Main().DocumentModified());

    // Save to a file, then Open goes on to the robot asked for; the saved file holds the work.
    const std::string kept = temp.Path("kept.bot");
    Ui().Clear();
    Ui().messageAnswers.push_back(MsgAnswer::Yes);
    Ui().fileAnswers.push_back(kept);
    Ui().fileAnswers.push_back(ExamplePath("arm.bot"));
    Choose("mnuOpen");
    EXPECT_EQ(Main().CurrentPath(), ExamplePath("arm.bot"));
    EXPECT_FALSE(Main().DocumentModified());
    OpenFile(kept);
    EXPECT_EQ(Main().EditBot().txtSize->text().remove(' '), "5,5,1");

    // The question names the file; No discards the change and goes on.
    TypeSize("6, 6, 1");
    Ui().Clear();
    Ui().messageAnswers.push_back(MsgAnswer::No);
    Choose("mnuNew");
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("\"kept.bot\" before starting a new robot"),
              std::string::npos)
        << Ui().Messages()[0];
    EXPECT_EQ(Main().CurrentPath(), "");
    OpenFile(kept);
    EXPECT_EQ(Main().EditBot().txtSize->text().remove(' '), "5,5,1") << "discarded, not saved";
}

}  // namespace
}  // namespace mechanon::testing
