// What the part editor refuses before it stores anything: letters in a size or colour box, a
// size of fewer than three numbers, an empty room name; and a part whose size cannot be drawn
// is reported once, not again at every redraw of the view.

#include "app/QtGlSurface.h"
#include "app/editing/frmSpinText.h"
#include "app/undo/DocumentHistory.h"
#include "tests/app/editing/EditingTestSupport.h"

namespace mechanon::testing {
namespace {

using TypedFields = EditingTest;

TEST_F(TypedFields, UnusableSizesColoursAndNamesAreRefusedNamingTheFieldModelUnchanged) {
    frmEditBot& e = Editor();
    ClickTab(*e.TabStrip1, "Camera / Shape");
    const torvane::typPartData before = ActiveRoom()->PartData();
    struct Case {
        QLineEdit* box;
        QString typed;
        std::string says;
    };
    const QString size = e.txtSize->text();
    const QString color = e.txtColor->text();
    for (const Case& c : {Case{e.txtSize, "2,x,2", "The size \"2,x,2\" cannot be used: \"x\""},
                          Case{e.txtSize, "4,4", "The size \"4,4\" holds 2 numbers"},
                          Case{e.txtColor, "red", "The color \"red\" cannot be used"},
                          Case{e.txtColor, "50,50,5O", "\"5O\" is not a number"},
                          Case{e.txtName, "", "A part room needs a name"}}) {
        SCOPED_TRACE(c.typed.toStdString());
        Ui().Clear();
        Type(c.box, c.typed);
        Type(e.txtCameraZ, "33");  // a field that would be stored with them
        Enter(e.txtCameraZ);
        ASSERT_EQ(Ui().Messages().size(), 1u);
        EXPECT_NE(Ui().Messages()[0].find(c.says), std::string::npos) << Ui().Messages()[0];
        EXPECT_EQ(ActiveRoom()->PartData(), before) << "nothing of the commit was stored";
        Type(e.txtSize, size);
        Type(e.txtColor, color);
        Type(e.txtName, QString::fromStdString(before.Name));
    }
    // Numbers in every form number text reads are taken.
    Ui().Clear();
    Type(e.txtSize, " 2.5, .5 ,&H3");
    Type(e.txtColor, "1E1,-0,+20");
    Enter(e.txtSize);
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
    EXPECT_EQ(ActiveRoom()->PartData().Size, torvane::DoubleArray(1, {2.5, 0.5, 3}));
}

TEST_F(TypedFields, ASizeThatCannotBeDrawnIsReportedOnceNotAtEveryClickInTheView) {
    // A robot file may hold such a size; the editor no longer stores one.
    torvane::typPartData data = ActiveRoom()->PartData();
    data.ShapeName = "Box";
    data.Size = torvane::DoubleArray(1, {2, 2});
    ActiveRoom()->SetPartData(data);
    Ui().Clear();
    Bots().UpdatePicture(false, false);
    const int shown = static_cast<int>(Ui().Messages().size());
    EXPECT_GE(shown, 1);
    QtGlSurface& view = Main().BotView().Surface();
    for (int click = 0; click < 3; ++click) {
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(view.width() / 2, view.height() / 2));
        ProcessEventsFor(20);
        Bots().UpdatePicture(false, false);
    }
    EXPECT_EQ(static_cast<int>(Ui().Messages().size()), shown) << "no message again";
}

TEST_F(TypedFields, SizesPositionsAndAnglesTooLargeToPlaceAreRefusedSayingTheLargest) {
    OpenFile(ExamplePath("arm.bot"));
    ActivateThroughBar("ForeArm");
    frmEditBot& e = Editor();
    const torvane::typPartData before = ActiveRoom()->PartData();
    const int steps = Bots().History().Stack().count();
    for (QLineEdit* box : {e.txtSize, e.txtPosition, e.txtRotations, e.txtCameraX}) {
        SCOPED_TRACE(box->objectName().toStdString());
        const QString kept = box->text();
        Ui().Clear();
        Type(box, box == e.txtCameraX ? "1e308" : "1, 1e308, 1");
        Enter(box);
        ASSERT_EQ(Ui().Messages().size(), 1u);
        EXPECT_NE(Ui().Messages()[0].find("\"1e308\" is too large"), std::string::npos)
            << Ui().Messages()[0];
        EXPECT_NE(Ui().Messages()[0].find("at most 1000000000"), std::string::npos);
        EXPECT_EQ(ActiveRoom()->PartData(), before);
        EXPECT_EQ(Bots().History().Stack().count(), steps) << "no step for what was refused";
        Type(box, kept);
    }
    // Beyond a double altogether, and in a subpart's placement.
    ActivateThroughBar("UpperArm");
    ClickNode(2);
    const torvane::typSubPartData sub = ActiveRoom()->SubParts(1).SubPartData();
    Ui().Clear();
    Type(e.txtSubPosition, "0, 0, -1e400");
    Enter(e.txtSubPosition);
    ASSERT_EQ(Ui().Messages().size(), 1u);
    EXPECT_NE(Ui().Messages()[0].find("subpart position"), std::string::npos);
    EXPECT_EQ(ActiveRoom()->SubParts(1).SubPartData(), sub);
    // The largest magnitude itself is taken.
    Ui().Clear();
    Type(e.txtSubPosition, "0, 0, -1e9");
    Enter(e.txtSubPosition);
    EXPECT_TRUE(Ui().Messages().empty());
    EXPECT_EQ(ActiveRoom()->SubParts(1).SubPartData().RelativePosition.Z, -1e9);
}

TEST_F(TypedFields, ADoubleClickSelectsTheWholeNumberSoAStepChangesThatNumber) {
    frmEditBot& e = Editor();
    ClickTab(*e.TabStrip1, "Camera / Shape");
    QLineEdit& box = *e.txtSize;
    const auto stepUpAt = [&](int index) {
        box.setCursorPosition(index);
        const QPoint at = box.inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        QTest::mouseDClick(&box, Qt::LeftButton, {}, at + QPoint(2, 0));
        ProcessEventsFor(20);
        ASSERT_TRUE(e.SpinSize->Form().isVisible());
        QTest::mouseClick(e.SpinSize->Form().Command2, Qt::LeftButton);
        ProcessEventsFor(0);
    };
    Type(&box, "1, -2, .5");
    stepUpAt(4);  // on the 2 of "-2"
    EXPECT_EQ(box.text(), "1, -1, .5");
    EXPECT_EQ(ActiveRoom()->PartData().Size, torvane::DoubleArray(1, {1, -1, 0.5}));
    stepUpAt(8);  // on the 5 of ".5"
    EXPECT_EQ(box.text(), "1, -1, 1.5");
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages()[0];
}

}  // namespace
}  // namespace mechanon::testing
