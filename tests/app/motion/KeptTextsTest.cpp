// Texts typed into the motor control window belong to their room at once: activating the window
// again, switching rooms, Save and reopening keep them byte for byte, and a re-timed path too.

#include <QTest>

#include "app/editing/frmEditBot.h"
#include "app/editing/frmPartsBar.h"
#include "tests/app/motion/MotionWindowTest.h"

namespace mechanon::testing {
namespace {

class KeptTexts : public MotionWindowTest {
  protected:
    // Types lines into box as a user does, Enter between them.
    static void TypeLines(QWidget* box, const std::vector<QString>& lines) {
        QTest::mouseClick(box, Qt::LeftButton);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i > 0) QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClicks(box, lines[i]);
        }
        ProcessEventsFor(0);
    }
    void ClickRoom(int index) {
        PictureBox& picture = Main().PartsBar().Strip().Thumbnail(index);
        QTest::mouseClick(&picture, Qt::LeftButton, {}, picture.rect().center());
        ProcessEventsFor(0);
    }
    void ActivateAgain() {
        Main().Area().setActiveSubWindow(&Main().EditBot());
        ProcessEventsFor(0);
        ShowWindow();
    }
};

TEST_F(KeptTexts, ATypedPathSurvivesActivationARoomSwitchSaveAndReopen) {
    BuildArm();
    Main().PartsBar().UpdatePics();
    ShowWindow();
    SelectPage(1);
    TypeLines(Window().txtXML, {"<DRIVE>", "StartS=0", "EndS=2", " 0 , 0", "S,-S", "</DRIVE>"});
    const std::string typed = "<DRIVE>\r\nStartS=0\r\nEndS=2\r\n 0 , 0\r\nS,-S\r\n</DRIVE>";
    ASSERT_EQ(Window().txtXML->Text(), typed);
    SelectPage(2);
    TypeLines(Window().txtVBScript, {"' a draft", "' of two lines"});
    const std::string script = "' a draft\r\n' of two lines";

    ActivateAgain();
    EXPECT_EQ(Window().txtXML->Text(), typed);
    EXPECT_EQ(ActiveRoom()->MotorMasks().XMLScript, typed) << "no Apply was needed";

    // Another room shows its own (empty) texts; coming back shows these again.
    ClickRoom(2);
    ASSERT_EQ(ActiveRoom()->Name(), "Shoulder");
    EXPECT_EQ(Window().txtXML->Text(), "");
    ClickRoom(1);
    ShowWindow();
    EXPECT_EQ(Window().txtXML->Text(), typed);
    EXPECT_EQ(Window().txtVBScript->Text(), script);

    const std::string file = temp.Path("typed.bot");
    Ui().fileAnswers.push_back(file);
    Choose("mnuSaveAs");
    Choose("mnuNew");
    EXPECT_EQ(Window().txtXML->Text(), "");
    OpenFile(file);
    ShowWindow();
    EXPECT_EQ(Window().txtXML->Text(), typed);
    EXPECT_EQ(Window().txtVBScript->Text(), script);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
}

TEST_F(KeptTexts, ARetimedPathIsTheRoomsWithoutApply) {
    BuildArm();
    ShowWindow();
    SelectPage(1);
    Window().txtXML->SetText("<DRIVE>\r\nStartS=0\r\nEndS=20\r\n 0 , 0\r\nS,S\r\n</DRIVE>\r\n");
    Click(Window().cmdTripleStop);
    ASSERT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    const std::string retimed = Window().txtXML->Text();
    EXPECT_EQ(Count(retimed, "<DRIVE>"), 3) << retimed;
    ActivateAgain();
    EXPECT_EQ(Window().txtXML->Text(), retimed);
    EXPECT_EQ(ActiveRoom()->MotorMasks().XMLScript, retimed);
}

}  // namespace
}  // namespace mechanon::testing
