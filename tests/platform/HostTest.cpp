// The host the libraries talk to: the quiet default that is in place before the program
// installs its own, installation for a scope (nested, restored in reverse), and the clock.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/ScriptedUserInterface.h"
#include "platform/UserInterface.h"

namespace torvane {
namespace {

TEST(DefaultHost, AnswersTheFirstButtonAndCancelsEveryPrompt) {
    // A library call made before any host is installed must neither block nor choose a file.
    UserInterface& host = Host();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(host.MsgBox("Shown without a window", MsgButtons::OKCancel), MsgAnswer::OK);
    EXPECT_EQ(host.MsgBox("Asked without a window", MsgButtons::YesNoCancel), MsgAnswer::Yes);
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(written.find("Shown without a window"), std::string::npos);
    EXPECT_EQ(host.InputBox("Name?", "Part 1"), "");
    EXPECT_EQ(host.FileDialog(false, "robot.bot", "Bots files (*.Bots)|*.bot|"), "");
    EXPECT_NO_THROW(host.DoEvents());
}

TEST(ScopedHost, NestedScopesRestoreTheirPredecessorsInReverse) {
    UserInterface* const original = &Host();
    ScriptedUserInterface outer, inner;
    {
        const ScopedUserInterface first(outer);
        EXPECT_EQ(&Host(), &outer);
        {
            const ScopedUserInterface second(inner);
            Host().MsgBox("inner");
        }
        EXPECT_EQ(&Host(), &outer);
        Host().MsgBox("outer");
    }
    EXPECT_EQ(&Host(), original);
    EXPECT_EQ(inner.Messages(), std::vector<std::string>{"inner"});
    EXPECT_EQ(outer.Messages(), std::vector<std::string>{"outer"});
    InstallUserInterface(nullptr);  // back to the quiet default, never to a dangling host
    EXPECT_EQ(Host().InputBox("x", "y"), "");
}

TEST(ScriptedHost, QueuedAnswersAreUsedInOrderThenDefaultsApply) {
    ScriptedUserInterface ui;
    ui.messageAnswers = {MsgAnswer::No, MsgAnswer::Cancel};
    ui.inputAnswers = {"Arm"};
    EXPECT_EQ(ui.MsgBox("Save?", MsgButtons::YesNoCancel, {}), MsgAnswer::No);
    EXPECT_EQ(ui.MsgBox("Save?", MsgButtons::YesNoCancel, {}), MsgAnswer::Cancel);
    EXPECT_EQ(ui.MsgBox("Save?", MsgButtons::YesNo, {}), MsgAnswer::Yes);
    EXPECT_EQ(ui.InputBox("Name?", "Part 2", {}), "Arm");
    EXPECT_EQ(ui.InputBox("Name?", "Part 3", {}), "");
    EXPECT_EQ(ui.CountMessage("Save?"), 3);
    ASSERT_EQ(ui.shown.size(), 5u);
    EXPECT_EQ(ui.shown[4].extra, "Part 3");
}

// A clock a test sets by hand.
class ManualClock final : public Clock {
  public:
    double now = 0;
    double Seconds() const override { return now; }
};

TEST(SystemClockTest, NeverGoesBackwardsAndCanBeReplaced) {
    double last = SystemClock().Seconds();
    for (int i = 0; i < 1000; ++i) {
        const double t = SystemClock().Seconds();
        EXPECT_GE(t, last);
        last = t;
    }
    ManualClock manual;
    manual.now = 12.5;
    InstallClock(&manual);
    EXPECT_EQ(SystemClock().Seconds(), 12.5);
    InstallClock(nullptr);
    EXPECT_GE(SystemClock().Seconds(), last);
}

}  // namespace
}  // namespace torvane
