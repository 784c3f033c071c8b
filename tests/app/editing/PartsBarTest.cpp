// The parts bar, the subpart picker and their scroll frames: thumbnails in line with the
// rooms, activation by click, the picker's offer rule (never a room that would close a cycle)
// and the scroll range rules.

#include <QCheckBox>
#include <QSignalSpy>

#include "app/QtGlSurface.h"
#include "app/SnapShots.h"
#include "app/Twips.h"
#include "app/editing/clsScrollFRame.h"
#include "tests/app/editing/EditingTestSupport.h"

namespace mechanon::testing {
namespace {

class PartsBarTest : public EditingTest {
  protected:
    // Room user gets a subpart named subName that uses room used, through the model.
    void Use(const std::string& user, const std::string& subName, const std::string& used) {
        torvane::typSubPartData data;
        data.Name = subName;
        auto sub = std::make_shared<torvane::clsSubPart>(data);
        sub->Part = Rooms().GetRoomByName(used);
        Rooms().GetRoomByName(user)->AttachSubPart(sub);
    }
    // The names the picker offers for room, as it sets itself up for an Add SubPart.
    std::vector<std::string> Offered(const std::string& room) {
        frmSubParts picker(Bots(), Editor());
        picker.SetUpSubPart(Rooms().GetRoomByName(room));
        std::vector<std::string> names;
        for (int i = 1; i <= picker.Strip().Count(); ++i) names.push_back(picker.OfferedNames()(i));
        return names;
    }
};

TEST_F(PartsBarTest, OneRoomGivesOneThumbnailAFrameAsWideAsItAndNoScrolling) {
    ThumbnailStrip& strip = Bar().Strip();
    ASSERT_EQ(strip.Count(), 1);
    const QRect thumb = strip.Thumbnail(1).geometry();
    EXPECT_EQ(strip.Frame1->width(), thumb.x() + thumb.width());
    EXPECT_GT(strip.HScroll1->width(), strip.Frame1->width());
    EXPECT_FALSE(strip.HScroll1->isEnabled());
    EXPECT_EQ(strip.Thumbnail(1).frameStyle(), QFrame::Box | QFrame::Plain);
    EXPECT_FALSE(strip.Thumbnail(0).isVisible());
}

// The rightmost column of thumbnail index's name band holding ink darker than the picture.
int NameInkRight(const frmPartsBar& bar, int index) {
    const QImage band = bar.ThumbnailPicture(index).copy(0, 0, bar.ThumbnailSize().width(), 12);
    int right = -1;
    for (int y = 0; y < band.height(); ++y)
        for (int x = 0; x < band.width(); ++x)
            if (qGray(band.pixel(x, y)) < 160) right = std::max(right, x);
    return right;
}

TEST_F(PartsBarTest, ThumbnailsAreLargeEnoughForWholeNamesAndLongNamesAreElidedWithATip) {
    const QString longName = "Turntable with a very long name for its room";
    for (const QString& name : {QString("Turntab"), QString("Turntable"), longName})
        CreateRoom(name.toStdString());
    ProcessEventsFor(0);
    const QSize size = Bar().ThumbnailSize();
    EXPECT_GE(size.width(), 96);
    EXPECT_GE(size.height(), 64);
    EXPECT_TRUE(Bar().ThumbnailFullyVisible(1));  // whole above the scroll bar
    Bar().UpdatePics();
    // "Turntable" is printed past where "Turntab" ends: the name is not cut at the border.
    EXPECT_GT(NameInkRight(Bar(), 3), NameInkRight(Bar(), 2) + 4);
    EXPECT_EQ(Bar().Strip().Thumbnail(3).toolTip(), "Turntable");
    // The long one stays inside its thumbnail, and its tip holds it whole.
    EXPECT_LT(NameInkRight(Bar(), 4), size.width() - 1);
    EXPECT_EQ(Bar().Strip().Thumbnail(4).toolTip(), longName);
}

TEST_F(PartsBarTest, ThumbnailsArePlacedWithAGapAndTheLastOneGoesWithItsRoom) {
    for (const char* name : {"B", "C", "D", "E"}) CreateRoom(name);
    ThumbnailStrip& strip = Bar().Strip();
    ASSERT_EQ(strip.Count(), 5);
    const double tpp = TwipsPerPixelX(Bar());
    std::vector<int> lefts;
    for (int i = 1; i <= 5; ++i) lefts.push_back(strip.Thumbnail(i).x());
    for (int i = 2; i <= 5; ++i)
        EXPECT_NEAR((lefts[i - 1] - lefts[i - 2]) * tpp, strip.Thumbnail(i).width() * tpp + 50,
                    tpp);
    // The name is printed at the top of each thumbnail: its top rows are not all white.
    EXPECT_FALSE(IsUniform(strip.Picture(3).copy(0, 0, strip.ThumbnailSize().width(), 12)));

    Ui().messageAnswers.push_back(torvane::MsgAnswer::OK);
    Choose("mnuDeletePartRoom");  // E, the active room
    ASSERT_EQ(Rooms().TotalRooms, 4);
    EXPECT_EQ(strip.Count(), 4);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(strip.Thumbnail(i).x(), lefts[i - 1]);
}

TEST_F(PartsBarTest, ClickingAThumbnailMakesItsRoomActiveEverywhere) {
    CreateRoom("B");
    torvane::typPartData b = Rooms().GetRoomByName("B")->PartData();
    ASSERT_EQ(Rooms().PartRoomIndex(), 2);
    ClickThumbnail(1);
    EXPECT_EQ(Rooms().PartRoomIndex(), 1);
    EXPECT_EQ(ActiveRoom()->Name(), "Part 1");
    EXPECT_EQ(Editor().windowTitle(), "Edit Part 1");
    EXPECT_EQ(Editor().TreeView1->topLevelItem(0)->text(0), "Part 1");
    EXPECT_EQ(Main().BotView().CaptionLines(), QStringList{"Room=Part 1"});
    EXPECT_EQ(Bar().Strip().Thumbnail(1).frameStyle(), QFrame::Box | QFrame::Plain);
    EXPECT_EQ(Bar().Strip().Thumbnail(2).frameStyle(), QFrame::NoFrame);
    EXPECT_EQ(Rooms().GetRoomByName("B")->PartData(), b);
}

TEST_F(PartsBarTest, OpenShowsTheViewFirstAndTheThumbnailsFillInOffScreen) {
    QtGlSurface& surface = Main().BotView().Surface();
    const int framesBefore = surface.FramesShown();
    // File > Open, the dialog answered; the event loop has not run since.
    Ui().fileAnswers.push_back(ExamplePath("gripper.bot"));
    Main().MenuItem("mnuOpen")->trigger();
    ASSERT_GT(Rooms().TotalRooms, 2);
    // Open has shown room 1 and returned; every room still waits for its picture, room 1's
    // first: the view shows its whole tree in red, so its thumbnail is drawn apart.
    EXPECT_GT(surface.FramesShown(), framesBefore);
    EXPECT_EQ(Rooms().PartRoomIndex(), 1);
    EXPECT_EQ(Bots().SnapShotsWaiting(), Rooms().TotalRooms);
    for (int i = 1; i <= Rooms().TotalRooms; ++i) EXPECT_FALSE(Rooms().Rooms(i)->SnapShot) << i;
    const QImage view = GrabView(Bots());
    const int framesOpened = surface.FramesShown();
    std::vector<torvane::typPartData> records;
    for (int i = 1; i <= Rooms().TotalRooms; ++i) records.push_back(Rooms().Rooms(i)->PartData());

    WaitForSnapShots();
    EXPECT_EQ(Bots().SnapShotsWaiting(), 0);
    for (int i = 1; i <= Rooms().TotalRooms; ++i) {
        ASSERT_TRUE(Rooms().Rooms(i)->SnapShot) << i;
        const QImage& picture = *SnapShotImage(Rooms().Rooms(i)->SnapShot);
        EXPECT_EQ(picture.size(), Bar().ThumbnailSize());
        EXPECT_EQ(Bar().ThumbnailPicture(i).convertToFormat(QImage::Format_RGB32),
                  picture.convertToFormat(QImage::Format_RGB32))
            << "thumbnail " << i << " shows its room's picture";
        EXPECT_FALSE(IsUniform(picture.copy(0, 16, picture.width(), picture.height() - 16))) << i;
    }
    // Drawn off screen: nothing was shown in the view, which still shows room 1, and the robot
    // is as it was, down to the joint poses its drawing writes.
    for (int i = 1; i <= Rooms().TotalRooms; ++i)
        EXPECT_EQ(Rooms().Rooms(i)->PartData(), records[static_cast<std::size_t>(i - 1)]) << i;
    EXPECT_FALSE(Main().DocumentModified());
    EXPECT_EQ(surface.FramesShown(), framesOpened);
    EXPECT_EQ(Rooms().PartRoomIndex(), 1);
    EXPECT_LT(DifferentShare(view, GrabView(Bots())), 0.001);

    // The background picture is the one the room's own frame in the view gives.
    const auto drawnOffScreen = Rooms().Rooms(2)->SnapShot;
    const QImage background = *SnapShotImage(drawnOffScreen);
    ClickThumbnail(2);
    ASSERT_EQ(Rooms().PartRoomIndex(), 2);
    ASSERT_NE(Rooms().Rooms(2)->SnapShot, drawnOffScreen) << "no picture from the view's frame";
    const QImage fromFrame = *SnapShotImage(Rooms().Rooms(2)->SnapShot);
    const QRect below(0, background.height() / 3, background.width(), background.height() / 2);
    EXPECT_LT(DifferentShare(background.copy(below), fromFrame.copy(below), 32), 0.05);
}

TEST_F(PartsBarTest, ScrollRangesFollowTheWidthsWithoutA16BitLimit) {
    ScrollRange r = ComputeScrollRange(3000, 1000);
    EXPECT_TRUE(r.Enabled);
    EXPECT_EQ(r.Max, 2000);
    EXPECT_EQ(r.LargeChange, 200);
    EXPECT_EQ(r.SmallChange, 20);
    r = ComputeScrollRange(1050, 1000);
    EXPECT_EQ(r.Max, 50);
    EXPECT_EQ(r.LargeChange, 5);
    EXPECT_EQ(r.SmallChange, 1);  // .5 refused: the earlier 1 stays
    r = ComputeScrollRange(1045, 1000);
    EXPECT_EQ(r.LargeChange, 4);  // 4.5 rounds to the even 4
    EXPECT_EQ(r.SmallChange, 1);
    r = ComputeScrollRange(1004, 1000);
    EXPECT_EQ(r.LargeChange, 10);
    r = ComputeScrollRange(101000, 1000);
    EXPECT_EQ(r.Max, 100000);
    EXPECT_EQ(r.LargeChange, 10000);
    EXPECT_FALSE(ComputeScrollRange(1000, 1000).Enabled);
}

TEST_F(PartsBarTest, ScrollingMovesTheFrameAndRaisesChangeOnce) {
    ThumbnailStrip& strip = Bar().Strip();
    const double tpp = TwipsPerPixelX(Bar());
    const auto excess = [&] { return (strip.Frame1->width() - strip.HScroll1->width()) * tpp; };
    // Enough rooms for a strip wider than the bar by more than 16 bits of twips.
    for (int i = 2; excess() <= 33000 && i < 200; ++i) CreateRoom("Room " + std::to_string(i));
    Bar().ZeroFrame();
    ASSERT_TRUE(strip.HScroll1->isEnabled());
    EXPECT_NEAR(strip.HScroll1->maximum(), excess(), 1);
    EXPECT_GT(strip.HScroll1->maximum(), 32767);
    QSignalSpy changed(&strip.ScrollFrame, &clsScrollFRame::Change);
    strip.HScroll1->setValue(1500);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(strip.Frame1->x(), -TwipsToPixelsX(Bar(), 1500));
    Bar().ZeroFrame();
    EXPECT_EQ(strip.Frame1->x(), 0);
    EXPECT_EQ(strip.HScroll1->value(), 0);
}

TEST_F(PartsBarTest, ThePickerOffersOnlyRoomsThatCannotReachThePart) {
    CreateRoom("A");
    CreateRoom("B");
    CreateRoom("C");
    Use("B", "Arm", "A");
    // A is itself and B contains it; Part 1 and C may be attached.
    EXPECT_EQ(Offered("A"), (std::vector<std::string>{"Part 1", "C"}));
    // D contains E contains F: the picker for F offers neither D nor E.
    for (const char* name : {"D", "E", "F"}) CreateRoom(name);
    Use("D", "Hand", "E");
    Use("E", "Finger", "F");
    EXPECT_EQ(Offered("F"), (std::vector<std::string>{"Part 1", "A", "B", "C"}));
    EXPECT_EQ(Offered("D"), (std::vector<std::string>{"Part 1", "A", "B", "C", "E", "F"}));
    EXPECT_TRUE(Ui().Messages().empty());
}

TEST_F(PartsBarTest, WithNothingToOfferThePickerSaysSo) {
    const std::vector<std::string> none = Offered("Part 1");
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(Ui().CountMessage(
                  "There are no available SubParts that do not contain the current part.  You can "
                  "create PartRooms with the Create Part Room command and then attach them as "
                  "SubParts."),
              1);
}

TEST_F(PartsBarTest, ThePickerHandsTheClickedRoomBackAndTheTemplatePicksNothing) {
    CreateRoom("A");
    CreateRoom("B");
    frmSubParts picker(Bots(), Editor());
    picker.SetUpSubPart(Rooms().GetRoomByName("A"));
    ASSERT_EQ(picker.Strip().Count(), 2);
    EXPECT_EQ(picker.Tag(2), " 3");
    picker.PickThumbnail(0);
    EXPECT_EQ(Editor().PassSubPart, nullptr);
    picker.PickThumbnail(2);
    EXPECT_EQ(Editor().PassSubPart, Rooms().GetRoomByName("B"));
    Editor().PassSubPart.reset();
    EXPECT_EQ(picker.windowTitle(), "SubParts");
    picker.show();
    ProcessEventsFor(0);
    // The pictures keep their height under the instruction, however many lines it takes.
    EXPECT_EQ(picker.Strip().height(), TwipsToPixelsY(picker, 1470));
    picker.close();
}

TEST_F(PartsBarTest, ThumbnailsShowNoSelectionInRedAndFollowTheRoomsTheyUse) {
    OpenFile(ExamplePath("arm.bot"));
    QCheckBox& redden = *Editor().chkReddenSelection;
    ASSERT_TRUE(redden.isChecked());
    // Every room drawn with the box unticked, then with the whole arm selected in red.
    const auto pictures = [&] {
        Bots().FillSnapShots();
        WaitForSnapShots();
        std::vector<QImage> all;
        for (int i = 1; i <= Bar().Strip().Count(); ++i) all.push_back(Bar().Strip().Picture(i));
        return all;
    };
    redden.click();
    ASSERT_FALSE(redden.isChecked());
    const std::vector<QImage> plain = pictures();
    redden.click();
    ClickNode(2);  // "Base": everything the arm shows turns red in the view
    const std::vector<QImage> selected = pictures();
    ASSERT_EQ(selected.size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i)
        EXPECT_LT(DifferentShare(plain[i], selected[i]), 0.002) << "room " << i + 1;

    // The arm's thumbnail shows its forearm as the forearm's room is changed.
    const QImage arm = Bar().Strip().Picture(1);
    ActivateThroughBar("ForeArm");
    Type(Editor().txtColor, "0, 0, 100");
    Enter(Editor().txtColor);
    WaitForSnapShots();
    EXPECT_GT(DifferentShare(arm, Bar().Strip().Picture(1)), 0.002);
}

}  // namespace
}  // namespace mechanon::testing
