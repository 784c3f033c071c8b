// The windows follow the document through its one announcement of each change: an undo shows in
// the editor, the parts bar and the view once each, and a change the editor makes itself is
// drawn once and leaves its tree as the user clicked it.

#include <QSignalSpy>

#include "app/DocumentChanges.h"
#include "app/QtGlSurface.h"
#include "app/SnapShots.h"
#include "app/undo/DocumentHistory.h"
#include "tests/app/editing/EditingTestSupport.h"

namespace mechanon::testing {
namespace {

class DocumentChangesTest : public EditingTest {
  protected:
    int Frames() const { return Main().BotView().Surface().FramesShown(); }
    static QImage Rgb(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }
};

TEST_F(DocumentChangesTest, AnUndoShowsInTheEditorTheBarAndTheViewOnceEach) {
    const QString size = Editor().txtSize->text();
    Editor().txtSize->setText("3, 2, 1");
    Editor().Apply();
    ASSERT_TRUE(Bots().History().Stack().canUndo());
    const auto shownBefore = ActiveRoom()->SnapShot;
    std::vector<ChangeKind> told;
    const torvane::Subscription listening =
        Bots().Changes().Subscribe([&told](const Change& change) { told.push_back(change.Kind); });
    QSignalSpy treeRebuilt(Editor().TreeView1->model(), &QAbstractItemModel::modelReset);
    const int frames = Frames();

    Main().MenuItem("mnuUndo")->trigger();  // observed before the event loop runs again
    EXPECT_EQ(told, std::vector<ChangeKind>{ChangeKind::History});
    EXPECT_EQ(Editor().txtSize->text(), size) << "the editor shows the size undone";
    EXPECT_EQ(treeRebuilt.count(), 1);
    EXPECT_EQ(Frames() - frames, 1) << "one picture for the whole step";
    WaitForSnapShots();  // the view shows the room in red: its thumbnail is drawn apart
    EXPECT_EQ(Frames() - frames, 1) << "and none for the thumbnail";
    ASSERT_TRUE(ActiveRoom()->SnapShot);
    EXPECT_NE(ActiveRoom()->SnapShot, shownBefore) << "a new thumbnail";
    EXPECT_EQ(Rgb(Bar().ThumbnailPicture(1)), Rgb(*SnapShotImage(ActiveRoom()->SnapShot)))
        << "the bar shows it as the view took it";
}

TEST_F(DocumentChangesTest, AnEditorStoreIsDrawnOnceAndTheClickedNodeStaysCurrent) {
    CreateRoom("B");
    ActivateThroughBar("Part 1");
    AddSubPart("B", "Arm");
    ClickNode(2);
    QTreeWidgetItem* clicked = Editor().TreeView1->currentItem();
    ASSERT_NE(clicked, nullptr);
    ASSERT_EQ(clicked->text(0), "Arm (B)");
    QSignalSpy treeRebuilt(Editor().TreeView1->model(), &QAbstractItemModel::modelReset);
    const int frames = Frames();

    Editor().txtSubPosition->setText("1, 2, 3");
    Editor().txtSubPosition->setSelection(0, 1);
    Editor().SpinSubPosition->SpinUp();
    EXPECT_EQ(ActiveRoom()->SubParts(1).SubPartData().RelativePosition.X, 2);
    EXPECT_EQ(Frames() - frames, 1);
    EXPECT_EQ(treeRebuilt.count(), 0);
    EXPECT_EQ(Editor().TreeView1->currentItem(), clicked);
    EXPECT_EQ(Main().BotView().CaptionLines(), (QStringList{"Room=Part 1", "SubPart=Arm"}));
}

}  // namespace
}  // namespace mechanon::testing
