// The spin text control on a real text box: stepping one number of a list, the bounds, the
// step-size question, the mirror in the popup and the popup's place and close.

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "app/editing/clsSpinText.h"
#include "app/editing/frmSpinText.h"
#include "platform/ScriptedUserInterface.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

class SpinTextTest : public ::testing::Test {
  protected:
    SpinTextTest() : installed_(ui) {
        box.setText("1, 2, 3");
        spin.SetMyTextBox(&box);
        box.show();
    }
    void Up() { QTest::mouseClick(spin.Form().Command2, Qt::LeftButton); }
    void Down() { QTest::mouseClick(spin.Form().Command1, Qt::LeftButton); }
    QString Selected() const { return box.selectedText(); }
    QString Mirrored() const { return spin.Form().Text1->textCursor().selectedText(); }

    torvane::ScriptedUserInterface ui;
    QLineEdit box;
    clsSpinText spin;

  private:
    torvane::ScopedUserInterface installed_;
};

TEST_F(SpinTextTest, TheMiddleNumberWithItsCommaAndBlankStepsUpAndStaysSelected) {
    QSignalSpy fired(&spin, &clsSpinText::FireSpin);
    // FireSpin listeners read the box, which holds the new number by then.
    QString seen;
    QObject::connect(&spin, &clsSpinText::FireSpin, [&] { seen = box.text(); });
    box.setSelection(3, 3);  // "2, "
    Up();
    EXPECT_EQ(box.text(), "1, 3, 3");
    EXPECT_EQ(seen, "1, 3, 3");
    EXPECT_EQ(box.selectionStart(), 3);
    EXPECT_EQ(Selected(), "3,");
    EXPECT_EQ(fired.count(), 1);
    EXPECT_EQ(spin.Value, 3);
    // The mirror shows the whole field with only the number highlighted.
    EXPECT_EQ(spin.Form().Text1->toPlainText(), "1, 3, 3");
    EXPECT_EQ(Mirrored(), "3");
}

TEST_F(SpinTextTest, TheLastNumberStepsDownAndItsSelectionEndsWithTheText) {
    box.setSelection(6, 1);
    Down();
    EXPECT_EQ(box.text(), "1, 2, 2");
    EXPECT_EQ(Selected(), "2");
    Down();
    Down();
    EXPECT_EQ(box.text(), "1, 2, 0");
    Down();
    EXPECT_EQ(box.text(), "1, 2, -1");
    EXPECT_EQ(Selected(), "-1");
}

TEST_F(SpinTextTest, HalvesAreWrittenWithoutAZeroBeforeThePoint) {
    box.setText(".5");
    box.selectAll();
    Up();
    EXPECT_EQ(box.text(), "1.5");
    box.setText("-.5");
    box.selectAll();
    Up();
    EXPECT_EQ(box.text(), ".5");
    // A selection that is no number reads as 0.
    box.setText("x");
    box.selectAll();
    Up();
    EXPECT_EQ(box.text(), "1");
}

TEST_F(SpinTextTest, AStepPastABoundIsRefusedAndAStepOntoItIsAccepted) {
    QSignalSpy fired(&spin, &clsSpinText::FireSpin);
    box.setText("999999.5");
    box.selectAll();
    Up();
    EXPECT_EQ(ui.Messages(), std::vector<std::string>{"Out of Range."});
    EXPECT_EQ(box.text(), "999999.5");
    EXPECT_EQ(spin.Value, 0);
    EXPECT_EQ(fired.count(), 0);

    box.setText("999999");
    box.selectAll();
    Up();
    EXPECT_EQ(box.text(), "1000000");
    EXPECT_EQ(fired.count(), 1);

    ui.Clear();
    spin.LowBound = 0;
    box.setText(".5");
    box.selectAll();
    Down();
    EXPECT_EQ(ui.CountMessage("Out of Range."), 1);
    EXPECT_EQ(box.text(), ".5");
}

TEST_F(SpinTextTest, TheStepSizeQuestionRefusesZeroAndNegativesAndKeepsEmptyAnswers) {
    ui.inputAnswers = {"0", "-1", "", "2.5"};
    for (int i = 0; i < 4; ++i) QTest::mouseClick(spin.Form().Command3, Qt::LeftButton);
    ASSERT_EQ(ui.shown.size(), 6u);
    EXPECT_EQ(ui.shown[0].text, "Enter a new step size.");
    EXPECT_EQ(ui.shown[0].extra, " 1");
    EXPECT_EQ(ui.CountMessage("Out of range."), 2);
    EXPECT_EQ(spin.StepSize, 2.5);
    box.setSelection(0, 3);
    Up();
    EXPECT_EQ(box.text(), "3.5, 2, 3");
}

TEST_F(SpinTextTest, ADoubleClickOpensThePopupBesideTheBoxAndClosingItTurnsTheBoxWhite) {
    QPalette red = box.palette();
    red.setColor(QPalette::Base, Qt::red);
    box.setPalette(red);
    spin.SetCaption("Position");
    QTest::mouseDClick(&box, Qt::LeftButton, {}, QPoint(2, box.height() / 2));
    ProcessEventsFor(20);
    frmSpinText& popup = spin.Form();
    ASSERT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.windowTitle(), "Position");
    // Beside the box, so the number being stepped stays in view.
    const QRect field(box.mapToGlobal(QPoint(0, 0)), box.size());
    EXPECT_FALSE(popup.frameGeometry().intersects(field));
    EXPECT_LE(popup.frameGeometry().top(), field.bottom());
    EXPECT_EQ(popup.Text1->toPlainText(), "1, 2, 3");
    // The double click selected the word under the mouse, which the mirror shows.
    EXPECT_EQ(Mirrored(), Selected().trimmed().remove(','));

    popup.close();
    EXPECT_EQ(box.palette().color(QPalette::Base), QColor(255, 255, 255));
    // The popup comes back on the next double click, still wired to its control.
    QTest::mouseDClick(&box, Qt::LeftButton, {}, QPoint(2, box.height() / 2));
    ProcessEventsFor(20);
    EXPECT_TRUE(popup.isVisible());
    spin.Hide();
    EXPECT_FALSE(popup.isVisible());
}

}  // namespace
}  // namespace mechanon::testing
