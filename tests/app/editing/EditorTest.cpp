// The part editor driven through its widgets: the fill and write-back of every field, the
// Enter rule, Apply and Ok, the motor options, the tree and its two tab strips, the layout.

#include <QLineEdit>

#include "app/QtGlSurface.h"
#include "app/SnapShots.h"
#include "app/Twips.h"
#include "app/editing/frmSpinText.h"
#include "tests/app/editing/EditingTestSupport.h"

namespace mechanon::testing {
namespace {

using torvane::DoubleArray;

std::vector<double> Values(const DoubleArray& a) {
    return a.Items();
}

class EditorTest : public EditingTest {
  protected:
    // Part 1 gets two subparts, "Left" using room A and "Right" using room B.
    void TwoSubParts() {
        CreateRoom("A");
        CreateRoom("B");
        ActivateThroughBar("Part 1");
        AddSubPart("A", "Left");
        AddSubPart("B", "Right");
        ASSERT_EQ(ActiveRoom()->SubParts.Count(), 2);
        Ui().Clear();
    }
};

TEST_F(EditorTest, EnterInACameraBoxStoresEveryFieldRebuildsTheTreeAndRedraws) {
    frmEditBot& e = Editor();
    EXPECT_EQ(e.windowTitle(), "Edit Part 1");
    Type(e.txtName, "Base");
    e.txtDescription->setPlainText("a base plate");
    ClickTab(*e.TabStrip1, "Camera / Shape");
    ASSERT_TRUE(e.framCamera->isVisible());
    Type(e.txtSize, "4, 4, 1");
    Type(e.txtCameraX, "-30");
    Type(e.txtLookAtZ, "abc");
    const QImage before = GrabView(Bots());

    Enter(e.txtCameraX);

    const torvane::typPartData data = ActiveRoom()->PartData();
    EXPECT_EQ(data.Name, "Base");
    EXPECT_EQ(data.Description, "a base plate");
    EXPECT_EQ(Values(data.Size), (std::vector<double>{4, 4, 1}));
    EXPECT_EQ(data.Size.LBound(), 1);
    EXPECT_EQ(data.Camera.CameraX, -30);
    EXPECT_EQ(data.Camera.CameraY, -10);  // " -10" as filled reads back unchanged
    EXPECT_EQ(data.Camera.LookAtZ, 0);    // letters read as 0, without a message
    EXPECT_TRUE(Ui().Messages().empty());
    EXPECT_EQ(e.windowTitle(), "Edit Base");
    ASSERT_EQ(e.TreeView1->topLevelItemCount(), 1);
    EXPECT_EQ(e.TreeView1->topLevelItem(0)->text(0), "Base");
    EXPECT_GT(DifferentShare(before, GrabView(Bots())), 0.01) << "the view was not redrawn";
    EXPECT_EQ(Main().BotView().CaptionLines(), QStringList{"Room=Base"});

    // The camera boxes show number text: a leading blank for values of zero or more.
    EXPECT_EQ(e.txtCameraZ->text(), " 8");
    e.UpdateInterface();
    EXPECT_EQ(e.txtCameraX->text(), "-30");
    EXPECT_EQ(e.txtSize->text(), " 4 ,  4 ,  1");
}

TEST_F(EditorTest, AnEditDrawsTheSceneOnceAndTheThumbnailIsMadeFromThatFrame) {
    frmEditBot& e = Editor();
    ClickTab(*e.TabStrip1, "Camera / Shape");
    // A frame with the selection in red cannot be the thumbnail: the plain view is read.
    e.chkReddenSelection->click();
    ASSERT_FALSE(e.chkReddenSelection->isChecked());
    ProcessEventsFor(100);  // the windows' late exposes are shown before frames are counted
    QtGlSurface& surface = Main().BotView().Surface();
    const auto oldSnapShot = ActiveRoom()->SnapShot;
    const int before = surface.FramesShown();
    Type(e.txtSize, "7, 7, 7");
    Enter(e.txtSize);
    EXPECT_EQ(Values(ActiveRoom()->PartData().Size), (std::vector<double>{7, 7, 7}));
    EXPECT_EQ(surface.FramesShown(), before + 1) << "one display per edit";
    ASSERT_TRUE(ActiveRoom()->SnapShot);
    EXPECT_NE(ActiveRoom()->SnapShot, oldSnapShot);
    // The thumbnail shows the frame on screen: below its name it matches the view scaled down.
    const QImage thumb = *SnapShotImage(ActiveRoom()->SnapShot);
    const QImage view =
        GrabView(Bots()).scaled(thumb.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QRect below(0, thumb.height() / 2, thumb.width(), thumb.height() / 2);
    EXPECT_LT(DifferentShare(thumb.copy(below), view.copy(below), 24), 0.02);
}

TEST_F(EditorTest, OkStoresAndHidesAndTheWindowKeepsItsStateForTheNextShowing) {
    frmEditBot& e = Editor();
    ClickTab(*e.TabStrip1, "Camera / Shape");
    Type(e.txtColor, "100, 0, 0");
    Click(e.Command2[1]);
    EXPECT_FALSE(e.isVisible());
    EXPECT_EQ(Values(ActiveRoom()->PartData().ShapeColor), (std::vector<double>{100, 0, 0}));

    Choose("mnuShowParts");
    EXPECT_TRUE(e.isVisible());
    EXPECT_TRUE(e.framCamera->isVisible());
    EXPECT_EQ(e.txtColor->text(), "100, 0, 0");
}

TEST_F(EditorTest, MotorOptionsSetCaptionsStoreTheTypeAndZeroTheMotor) {
    frmEditBot& e = Editor();
    ClickTab(*e.TabStrip1, "Motor Position");
    ASSERT_TRUE(e.framMotor->isVisible());
    EXPECT_TRUE(e.optNone->isChecked());
    EXPECT_EQ(e.optOne->text(), "No Motor");
    Type(e.txtMotorPosition, "5");
    ClickOption(e.optOne);
    ClickOption(e.optLinear);
    EXPECT_EQ(e.optOne->text(), "X");
    EXPECT_EQ(e.optTwo->text(), "Y");
    EXPECT_EQ(e.optThree->text(), "Z");
    torvane::typPartData data = ActiveRoom()->PartData();
    EXPECT_EQ(data.MotorType, 1);
    EXPECT_EQ(data.MotorDimension, 1);
    EXPECT_EQ(data.MotorPosition, 5);
    // Drawing moved the joint by 5; the option click zeroes it afterwards.
    EXPECT_EQ(data.JointTranslation, (torvane::typ3Point{0, 0, 0}));
    // The room's motor table now lists its motor.
    EXPECT_EQ(ActiveRoom()->MotorMasks().TotalMasks, 1);
    EXPECT_EQ(ActiveRoom()->MotorMasks().Masks(1).Name, "Part 1");

    ClickOption(e.optRotational);
    EXPECT_EQ(e.optOne->text(), "Pitch");
    EXPECT_EQ(e.optTwo->text(), "Yaw");
    EXPECT_EQ(e.optThree->text(), "Roll");
    EXPECT_EQ(ActiveRoom()->PartData().MotorType, 2);
    ClickOption(e.optThree);
    EXPECT_EQ(ActiveRoom()->PartData().MotorDimension, 3);

    ClickOption(e.optNone);
    for (QRadioButton* option : {e.optOne, e.optTwo, e.optThree})
        EXPECT_EQ(option->text(), "No Motor");
    EXPECT_EQ(ActiveRoom()->PartData().MotorType, 0);
    EXPECT_EQ(ActiveRoom()->MotorMasks().TotalMasks, 0);
    EXPECT_TRUE(Ui().Messages().empty());
}

TEST_F(EditorTest, MotorTypeNoneClearsTheDimensionOptionsAndWritingBackKeepsTheDimension) {
    torvane::typPartData data = ActiveRoom()->PartData();
    data.MotorType = 0;
    data.MotorDimension = 2;
    ActiveRoom()->SetPartData(data);
    Editor().UpdateInterface();
    for (QRadioButton* option : {Editor().optOne, Editor().optTwo, Editor().optThree})
        EXPECT_FALSE(option->isChecked());
    Editor().Apply();
    EXPECT_EQ(ActiveRoom()->PartData().MotorDimension, 2);
}

TEST_F(EditorTest, FillingAnotherRoomNeverWritesTheShownMotorIntoIt) {
    frmEditBot& e = Editor();
    ClickTab(*e.TabStrip1, "Motor Position");
    Type(e.txtMotorPosition, "5");
    ClickOption(e.optLinear);
    ClickOption(e.optTwo);
    CreateRoom("B");
    ActivateThroughBar("Part 1");
    EXPECT_TRUE(e.optLinear->isChecked());
    EXPECT_TRUE(e.optTwo->isChecked());
    EXPECT_EQ(e.txtMotorPosition->text(), "5");
    ActivateThroughBar("B");
    EXPECT_TRUE(e.optNone->isChecked());
    EXPECT_FALSE(e.optTwo->isChecked());

    const torvane::typPartData b = Rooms().GetRoomByName("B")->PartData();
    EXPECT_EQ(b.MotorType, 0);
    EXPECT_EQ(b.MotorDimension, 0);
    EXPECT_EQ(b.MotorPosition, 0);
    const torvane::typPartData a = Rooms().GetRoomByName("Part 1")->PartData();
    EXPECT_EQ(a.MotorType, 1);
    EXPECT_EQ(a.MotorDimension, 2);
    EXPECT_EQ(a.MotorPosition, 5);
}

TEST_F(EditorTest, AnEmptySizeOrColourIsRefusedAloneAndEveryOtherFieldIsStored) {
    frmEditBot& e = Editor();
    ClickTab(*e.TabStrip1, "Camera / Shape");
    Type(e.txtSize, "");
    e.cmbShape->setCurrentText("box");
    e.txtDescription->setPlainText("kept");
    Type(e.txtCameraZ, "20");
    Click(e.Command1[1]);
    EXPECT_EQ(Ui().CountMessage("You have to enter three numbers defined separated by commas to "
                                "define a shapes' size."),
              1);
    torvane::typPartData data = ActiveRoom()->PartData();
    EXPECT_EQ(Values(data.Size), (std::vector<double>{10, 10, 1}));
    EXPECT_EQ(data.ShapeName, "Grid");
    EXPECT_EQ(data.Description, "kept");
    EXPECT_EQ(data.Camera.CameraZ, 20);

    Ui().Clear();
    Type(e.txtSize, "3,,3");  // an empty piece reads as 0
    Type(e.txtColor, "");
    Enter(e.txtSize);
    EXPECT_EQ(Ui().Messages(), std::vector<std::string>{"You have to enter three numbers defined "
                                                        "separated by commas to define a shapes' "
                                                        "color."});
    data = ActiveRoom()->PartData();
    EXPECT_EQ(Values(data.Size), (std::vector<double>{3, 0, 3}));
    EXPECT_EQ(data.ShapeName, "box");
    EXPECT_EQ(Values(data.ShapeColor), (std::vector<double>{50, 50, 50}));
}

TEST_F(EditorTest, AnEmptyPositionSaysSoAndStoresZeros) {
    frmEditBot& e = Editor();
    ClickTab(*e.TabStrip1, "Part Position");
    Type(e.txtPosition, "1, 2, 3");
    Type(e.txtRotations, "0, 90, 0");
    Enter(e.txtPosition);
    EXPECT_EQ(ActiveRoom()->PartData().RelativePosition, (torvane::typ3Point{1, 2, 3}));
    EXPECT_EQ(ActiveRoom()->PartData().RelativeAttitude, (torvane::typAttitude{0, 90, 0}));
    Type(e.txtPosition, "");
    Enter(e.txtRotations);
    EXPECT_EQ(Ui().CountMessage(
                  "You need to enter three numbers separated by commas to define a position."),
              1);
    EXPECT_EQ(ActiveRoom()->PartData().RelativePosition, (torvane::typ3Point{0, 0, 0}));
}

TEST_F(EditorTest, ASpinStepStoresTheFieldsAtOnce) {
    frmEditBot& e = Editor();
    ClickTab(*e.TabStrip1, "Part Position");
    Type(e.txtPosition, "1, 2, 3");
    e.txtPosition->setSelection(3, 3);
    QTest::mouseClick(e.SpinPosition->Form().Command2, Qt::LeftButton);
    EXPECT_EQ(e.txtPosition->text(), "1, 3, 3");
    EXPECT_EQ(ActiveRoom()->PartData().RelativePosition, (torvane::typ3Point{1, 3, 3}));
    ClickTab(*e.TabStrip1, "Camera / Shape");
    e.txtCameraZ->selectAll();
    QTest::mouseClick(e.SpinCameraZ->Form().Command1, Qt::LeftButton);
    EXPECT_EQ(ActiveRoom()->PartData().Camera.CameraZ, 7);
}

TEST_F(EditorTest, EnterInTheShapeBoxDoesNothingAndTheDescriptionTakesItAsALineBreak) {
    frmEditBot& e = Editor();
    ClickTab(*e.TabStrip1, "Camera / Shape");
    e.cmbShape->lineEdit()->setFocus();
    e.cmbShape->setCurrentText("cone");
    Enter(e.cmbShape->lineEdit());
    EXPECT_EQ(ActiveRoom()->PartData().ShapeName, "Grid");

    ClickTab(*e.TabStrip1, "Description");
    e.txtDescription->setPlainText("one");
    e.txtDescription->moveCursor(QTextCursor::End);
    Enter(e.txtDescription);
    EXPECT_EQ(e.txtDescription->toPlainText(), "one\n");
    EXPECT_EQ(ActiveRoom()->PartData().Description, "");

    // Choosing a list entry stores at once.
    ClickTab(*e.TabStrip1, "Camera / Shape");
    e.cmbShape->setCurrentIndex(e.cmbShape->findText("cone"));
    QTest::keyClick(e.cmbShape, Qt::Key_Down);  // the next entry of the list, "box"
    ProcessEventsFor(0);
    EXPECT_EQ(ActiveRoom()->PartData().ShapeName, "box");
}

TEST_F(EditorTest, TheShapeListStartsWithNoShapeThenTheCatalogue) {
    QStringList items;
    for (int i = 0; i < Editor().cmbShape->count(); ++i) items << Editor().cmbShape->itemText(i);
    EXPECT_EQ(items, (QStringList{"No Shape", "airplane", "squareplane", "grid", "cone", "box",
                                  "cylinder", "sphere", "Mesh..."}));
}

TEST_F(EditorTest, RenamingThePartRenamesTheCaptionAndTheRootNodeButNeverToAnotherRoomsName) {
    frmEditBot& e = Editor();
    Type(e.txtName, "Base Plate");
    Click(e.Command1[0]);
    EXPECT_EQ(e.windowTitle(), "Edit Base Plate");
    EXPECT_EQ(e.TreeView1->topLevelItem(0)->text(0), "Base Plate");
    EXPECT_EQ(ActiveRoom()->Name(), "Base Plate");

    CreateRoom("B");
    Ui().Clear();
    Type(e.txtName, "Base Plate");
    e.txtDescription->setPlainText("second");
    Click(e.Command1[0]);
    EXPECT_EQ(Ui().CountMessage("The name Base Plate is in use by another part room.  The part "
                                "keeps its name B."),
              1);
    EXPECT_EQ(ActiveRoom()->Name(), "B");
    EXPECT_EQ(ActiveRoom()->PartData().Description, "second");
    EXPECT_EQ(e.txtName->text(), "B");
    EXPECT_EQ(e.windowTitle(), "Edit B");
}

TEST_F(EditorTest, TreeNodesSelectThePartOrASubpartAndItsTabStrip) {
    TwoSubParts();
    frmEditBot& e = Editor();
    ASSERT_EQ(e.TreeView1->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(e.TreeView1->topLevelItem(0)->child(1)->text(0), "Right (B)");

    ClickNode(3);
    EXPECT_EQ(ActiveRoom()->ActiveSubIndex, 2);
    EXPECT_TRUE(e.TabStrip2->isVisible());
    EXPECT_FALSE(e.TabStrip1->isVisible());
    EXPECT_EQ(e.txtSubName->text(), "Right");
    EXPECT_EQ(e.txtReferencedPartName->text(), "B");
    EXPECT_EQ(Main().BotView().CaptionLines(), (QStringList{"Room=Part 1", "SubPart=Right"}));
    ClickTab(*e.TabStrip2, "SubPart Position");
    EXPECT_TRUE(e.framSubPartPosition->isVisible());
    Type(e.txtSubPosition, "1, 2, 3");
    Enter(e.txtSubPosition);
    EXPECT_EQ(ActiveRoom()->SubParts(2).SubPartData().RelativePosition,
              (torvane::typ3Point{1, 2, 3}));
    EXPECT_EQ(ActiveRoom()->SubParts(1).SubPartData().RelativePosition,
              (torvane::typ3Point{0, 0, 0}));
    EXPECT_EQ(ActiveRoom()->PartData().RelativePosition, (torvane::typ3Point{0, 0, 0}));
    EXPECT_EQ(ActiveRoom()->SubParts(2).SubPartData().SavePartName, "");  // untouched field

    ClickNode(1);
    EXPECT_EQ(ActiveRoom()->ActiveSubIndex, 0);
    EXPECT_TRUE(e.TabStrip1->isVisible());
    EXPECT_FALSE(e.TabStrip2->isVisible());
    EXPECT_TRUE(e.framDescription->isVisible());
    EXPECT_EQ(e.txtSubPosition->text(), "0, 0, 0");
    EXPECT_EQ(e.txtSubName->text(), "");
}

TEST_F(EditorTest, ASubpartIsRenamedButNeverToTheNameOfAnotherSubpartOfTheRoom) {
    TwoSubParts();
    frmEditBot& e = Editor();
    ClickNode(3);
    ClickTab(*e.TabStrip2, "Description");
    Type(e.txtSubName, "left");
    Enter(e.txtSubName);
    EXPECT_EQ(Ui().CountMessage("The subpart name left is already in use in this part room.  The "
                                "subpart keeps its name Right."),
              1);
    EXPECT_EQ(ActiveRoom()->SubParts(2).Name(), "Right");
    EXPECT_EQ(e.txtSubName->text(), "Right");

    Type(e.txtSubName, "Grip");
    e.txtSubPartDescription->setPlainText("holds");
    Click(e.Command1[4]);
    EXPECT_EQ(ActiveRoom()->SubParts(2).Name(), "Grip");
    EXPECT_EQ(ActiveRoom()->SubParts(2).SubPartData().Description, "holds");
    EXPECT_EQ(e.TreeView1->topLevelItem(0)->child(1)->text(0), "Grip (B)");
    // While a subpart is edited the caption takes the name box of the part.
    EXPECT_EQ(e.windowTitle(), "Edit Part 1");
}

TEST_F(EditorTest, ARoomWithoutSubpartsOrASelectionPastItsListIsEditedItself) {
    ActiveRoom()->ActiveSubIndex = 3;
    Editor().UpdateInterface();
    EXPECT_EQ(ActiveRoom()->ActiveSubIndex, 0);
    EXPECT_TRUE(Editor().TabStrip1->isVisible());
    TwoSubParts();
    ActiveRoom()->ActiveSubIndex = 3;
    Editor().UpdateInterface();
    EXPECT_EQ(ActiveRoom()->ActiveSubIndex, 0);
    EXPECT_EQ(Editor().txtName->text(), "Part 1");
}

TEST_F(EditorTest, TheLayoutFollowsTheHeightOnlyFrom5000Twips) {
    frmEditBot& e = Editor();
    QWidget& client = *e.widget();
    const double tpp = TwipsPerPixelY(e);
    const QPoint stripBefore = e.TabStrip1->pos();
    // Below 5000 twips nothing moves.
    e.resize(e.width(), static_cast<int>(4000 / tpp));
    ProcessEventsFor(0);
    ASSERT_LT(client.height() * tpp, 5000);
    EXPECT_EQ(e.TabStrip1->pos(), stripBefore);

    e.resize(e.width(), static_cast<int>(9000 / tpp));
    ProcessEventsFor(0);
    const double H = client.height() * tpp;
    ASSERT_GE(H, 5000);
    const double tabTop = H - 3975 - 50;
    EXPECT_NEAR(e.TabStrip1->y() * tpp, tabTop, tpp);
    EXPECT_EQ(e.TabStrip2->y(), e.TabStrip1->y());
    EXPECT_NEAR(e.framCamera->y() * tpp, H - 100 - 3495, tpp);
    EXPECT_NEAR(e.cmdAddPart->y() * tpp, tabTop - 255 - 100, tpp);
    EXPECT_NEAR(e.TreeView1->height() * tpp, tabTop - 255 - 100 - 150, 2 * tpp);
    EXPECT_EQ(e.TabStrip1->x(), stripBefore.x());
}

TEST_F(EditorTest, TheHighlightBoxOnlyRedraws) {
    TwoSubParts();
    const auto a = Rooms().GetRoomByName("A");
    torvane::typPartData box = a->PartData();
    box.ShapeName = "box";
    box.Size = torvane::DoubleArray(1, {4, 4, 4});
    a->SetPartData(box);
    ClickNode(2);
    const QImage red = GrabView(Bots());
    Click(Editor().chkReddenSelection);
    EXPECT_FALSE(Editor().chkReddenSelection->isChecked());
    EXPECT_GT(DifferentShare(red, GrabView(Bots())), 0.0);
    EXPECT_EQ(ActiveRoom()->ActiveSubIndex, 1);
}

}  // namespace
}  // namespace mechanon::testing
