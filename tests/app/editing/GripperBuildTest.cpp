// A whole robot built through the windows alone, from a new robot: a two-finger gripper (a
// palm carrying the same finger room twice, each finger on a linear motor) on the base grid.
// Saved, opened and saved again, the file keeps every byte.

#include <QFile>

#include "tests/app/editing/EditingTestSupport.h"

namespace mechanon::testing {
namespace {

QByteArray Bytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

class GripperBuildTest : public EditingTest {
  protected:
    // The shape, size and colour of the active room, typed into the Camera / Shape tab.
    void SetLook(const QString& shape, const QString& size, const QString& color) {
        frmEditBot& e = Editor();
        ClickTab(*e.TabStrip1, "Camera / Shape");
        e.cmbShape->lineEdit()->selectAll();
        QTest::keyClicks(e.cmbShape->lineEdit(), shape);
        Type(e.txtSize, size);
        Type(e.txtColor, color);
        Click(e.Command1[1]);
    }
    void SetSubPosition(const QString& position) {
        frmEditBot& e = Editor();
        ClickTab(*e.TabStrip2, "SubPart Position");
        Type(e.txtSubPosition, position);
        Enter(e.txtSubPosition);
    }
    void BuildGripper() {
        frmEditBot& e = Editor();
        CreateRoom("Palm");
        SetLook("box", "4, 1, .5", "30, 30, 80");
        CreateRoom("Finger");
        SetLook("box", ".5, .5, 2", "80, 20, 20");
        ClickTab(*e.TabStrip1, "Motor Position");
        Type(e.txtJointHomePosition, "0, 0, -1");
        ClickOption(e.optLinear);
        ClickOption(e.optOne);
        ClickTab(*e.TabStrip1, "Description");
        e.txtDescription->setPlainText("One finger; it slides along X.");
        Click(e.Command1[0]);

        ActivateThroughBar("Palm");
        AddSubPart("Finger", "Left Finger");
        SetSubPosition("-1.5, 0, 1.25");
        AddSubPart("Finger", "Right Finger");
        SetSubPosition("1.5, 0, 1.25");

        ActivateThroughBar("Part 1");
        AddSubPart("Palm", "Palm");
        SetSubPosition("0, 0, 2");
        ClickNode(1);
    }
};

TEST_F(GripperBuildTest, TheGripperBuiltInTheWindowsSavesLoadsAndSavesToTheSameBytes) {
    Ui().messageAnswers.push_back(torvane::MsgAnswer::No);
    Choose("mnuNew");
    Ui().Clear();
    BuildGripper();
    EXPECT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();

    ASSERT_EQ(Rooms().TotalRooms, 3);
    const auto palm = Rooms().GetRoomByName("Palm");
    const auto finger = Rooms().GetRoomByName("Finger");
    ASSERT_EQ(palm->SubParts.Count(), 2);
    EXPECT_EQ(palm->SubParts(1).Part, finger);
    EXPECT_EQ(palm->SubParts(2).Part, finger);
    EXPECT_EQ(palm->SubParts(2).SubPartData().RelativePosition, (torvane::typ3Point{1.5, 0, 1.25}));
    EXPECT_EQ(finger->PartData().MotorType, 1);
    EXPECT_EQ(finger->PartData().MotorDimension, 1);
    EXPECT_EQ(finger->PartData().JointPosition, (torvane::typ3Point{0, 0, -1}));
    EXPECT_EQ(palm->PartData().ShapeName, "box");
    EXPECT_EQ(palm->PartData().Size.Items(), (std::vector<double>{4, 1, .5}));
    // The base's motor table lists both fingers, in walk order.
    const torvane::typMotorMasks masks = Rooms().Rooms(1)->MotorMasks();
    ASSERT_EQ(masks.TotalMasks, 2);
    EXPECT_EQ(masks.Masks(1).Name, "Finger");
    EXPECT_EQ(masks.Masks(2).Name, "Finger");
    EXPECT_FALSE(IsUniform(GrabView(Bots())));

    const std::string first = temp.Path("gripper.bot");
    const std::string second = temp.Path("again.bot");
    Ui().fileAnswers.push_back(first);
    Choose("mnuSaveAs");
    OpenFile(first);
    ASSERT_EQ(Rooms().TotalRooms, 3);
    EXPECT_EQ(Rooms().GetRoomByName("Palm")->SubParts(2).Part, Rooms().GetRoomByName("Finger"));
    Ui().fileAnswers.push_back(second);
    Choose("mnuSaveAs");
    EXPECT_TRUE(Ui().Messages().empty()) << "saved just before, so Open asks nothing";

    const QByteArray saved = Bytes(first);
    ASSERT_FALSE(saved.isEmpty());
    EXPECT_EQ(saved, Bytes(second));
}

}  // namespace
}  // namespace mechanon::testing
