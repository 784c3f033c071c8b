// The program as it opens: the document, the caption, the layout and the first picture.

#include <QAction>

#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/frmBot.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

using StartUpTest = AppTest;

TEST_F(StartUpTest, OpensWithOneGridRoomAndDrawsIt) {
    ASSERT_EQ(Rooms().TotalRooms, 1);
    const auto room = ActiveRoom();
    ASSERT_TRUE(room);
    EXPECT_EQ(room->Name(), "Part 1");
    const torvane::typPartData data = room->PartData();
    EXPECT_EQ(data.ShapeName, "Grid");
    ASSERT_TRUE(data.Size.IsAllocated());
    EXPECT_EQ(data.Size(1), 10);
    EXPECT_EQ(data.Size(2), 10);
    EXPECT_EQ(data.Size(3), 1);
    EXPECT_EQ(Main().windowTitle(), "Mechanon");
    EXPECT_TRUE(Main().Loaded);
    EXPECT_EQ(Main().CurrentPath(), "");

    const QImage view = GrabView(Bots());
    ASSERT_FALSE(view.isNull());
    EXPECT_FALSE(IsUniform(view));
    EXPECT_EQ(Main().BotView().CaptionLines(), QStringList{"Room=Part 1"});
}

}  // namespace
}  // namespace mechanon::testing
