// From each example robot, random edits of every kind made through the windows: undoing all of
// them gives the file the robot started as, redoing all gives the file it ended as, and any mix
// of undo, redo and new edits leaves the robot that making just the edits still in effect on
// the opened file gives, byte for byte (the joints' pose the view draws included: every part
// record step keeps it).

#include <QSettings>
#include <QUndoStack>
#include <random>
#include <vector>

#include "RandomEdits.h"
#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "app/undo/DocumentHistory.h"
#include "model/clsRooms.h"
#include "tests/app/AppTestSupport.h"

namespace mechanon::testing {
namespace {

constexpr int kEdits = 300;
constexpr int kMixedSteps = 100;

// The edits in effect, grouped as the history undoes them: a group is one edit, or a run of
// typing that the history merged into one step.
struct Group {
    std::vector<RandomEdits::Edit> edits;
    int steps = 0;
};

class UndoProperty : public AppTest, public ::testing::WithParamInterface<const char*> {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        // The whole run fits in the history.
        QSettings().setValue(DocumentHistory::kLimitKey, 4 * (kEdits + kMixedSteps));
        start_ = temp.Path("start.bot");
        // A small view draws fast: the run makes thousands of frames.
        Main().resize(Main().minimumSize());
        OpenFile(ExamplePath(GetParam()));
        startBytes_ = SavedBytes(Main(), Bots(), start_);
        Ui().Clear();
    }
    void TearDown() override {
        QSettings().remove(DocumentHistory::kLimitKey);
        AppTest::TearDown();
    }
    QUndoStack& Stack() { return Bots().History().Stack(); }
    std::string Bytes() { return SavedBytes(Main(), Bots(), temp.Path("now.bot")); }

    // Makes edit and files it as the history did.
    void Make(const RandomEdits::Edit& edit) {
        const int before = Stack().index();
        edit();
        const int steps = Stack().index() - before;
        if (steps > 0) {
            done_.push_back({{edit}, steps});
            undone_.clear();
        } else if (steps < 0) {
            done_.pop_back();  // typing that came back to where it began
        } else if (!done_.empty() && undone_.empty()) {
            done_.back().edits.push_back(edit);  // merged, or no change at all
        }
    }
    void UndoGroup() {
        for (int i = 0; i < done_.back().steps; ++i) Choose("mnuUndo");
        undone_.push_back(std::move(done_.back()));
        done_.pop_back();
    }
    void RedoGroup() {
        for (int i = 0; i < undone_.back().steps; ++i) Choose("mnuRedo");
        done_.push_back(std::move(undone_.back()));
        undone_.pop_back();
    }
    // The robot the edits in effect make from the opened file.
    std::string Replayed() {
        OpenFile(start_);
        for (const Group& group : done_)
            for (const auto& edit : group.edits) edit();
        return Bytes();
    }

    std::string start_;
    std::string startBytes_;
    std::vector<Group> done_;
    std::vector<Group> undone_;
};

TEST_P(UndoProperty, UndoAllRedoAllAndMixedStepsMatchTheFiles) {
    RandomEdits edits(Main(), Bots(), Ui(), 21);
    for (int i = 0; i < kEdits; ++i) Make(edits.Next());
    ASSERT_GT(done_.size(), kEdits / 2u) << "most edits change the robot";
    const std::string endBytes = Bytes();
    EXPECT_NE(endBytes, startBytes_);

    Ui().Clear();
    while (Stack().canUndo()) Choose("mnuUndo");
    ASSERT_TRUE(Ui().Messages().empty()) << Ui().Messages().front();
    EXPECT_EQ(RobotDifference(Bytes(), startBytes_), "") << "undo all";
    EXPECT_FALSE(Main().DocumentModified());
    while (Stack().canRedo()) Choose("mnuRedo");
    EXPECT_EQ(RobotDifference(Bytes(), endBytes), "") << "redo all";

    std::mt19937 mix(7);
    for (int i = 0; i < kMixedSteps; ++i) {
        const int roll = std::uniform_int_distribution<int>(1, 10)(mix);
        if (roll <= 3 && !done_.empty())
            UndoGroup();
        else if (roll <= 5 && !undone_.empty())
            RedoGroup();
        else
            Make(edits.Next());
    }
    const std::string mixed = Bytes();
    EXPECT_EQ(RobotDifference(Replayed(), mixed), "") << "interleaved undo, redo and edits";
}

INSTANTIATE_TEST_SUITE_P(Examples, UndoProperty, ::testing::Values("arm.bot", "gripper.bot"),
                         [](const auto& info) {
                             return std::string(info.param).substr(0, info.param[0] == 'a' ? 3 : 7);
                         });

}  // namespace
}  // namespace mechanon::testing
