// The pieces behind the joint sliders that need no window: the slider's span and steps over a
// motor's travel, and the legs that poses and jogs become, read back and re-timed as any path.

#include <gtest/gtest.h>

#include <memory>

#include "app/motion/JointTravel.h"
#include "app/motion/PoseLegs.h"
#include "model/Error.h"
#include "model/NumberText.h"
#include "motorio/frmMSComms.h"
#include "toolpath/ToolPathPieces.h"
#include "toolpath/TripleStops.h"
#include "toolpath/clsToolPath.h"

namespace mechanon::testing {
namespace {

using torvane::MotorKind;

// One limit: the span reaches a whole turn (or twice the robot's size) from it, and Centre does
// not leave the travel.
TEST(JointTravel, AnOpenEndLiesAWholeTurnOrTwiceTheRobotsSizeFromTheOther) {
    const JointSpan fromFive = SpanOf({5, std::nullopt}, MotorKind::Rotational, 0);
    EXPECT_EQ(fromFive.Upper, 365);
    EXPECT_EQ(fromFive.Centre(), 5);
    const JointSpan linear = SpanOf({std::nullopt, 10}, MotorKind::Linear, 4);
    EXPECT_EQ(linear.Lower, 2);
    EXPECT_EQ(linear.Centre(), 0);
    EXPECT_EQ(SpanOf({}, MotorKind::Linear, 3).Lower, -3);
}

TEST(JointTravel, SliderStepsReachBothEndsExactlyAndReadAsShortDecimals) {
    for (const auto& [lower, upper] : std::vector<std::pair<double, double>>{
             {-90, 45}, {-1.5707963267949, 1.5707963267949}, {0.25, 0.26}, {-1e4, 3e5}}) {
        const SliderSteps steps(SpanOf({lower, upper}, MotorKind::Rotational, 0));
        EXPECT_EQ(steps.ValueAt(steps.Minimum()), lower);
        EXPECT_EQ(steps.ValueAt(steps.Maximum()), upper);
        EXPECT_GE(steps.Maximum(), 1000);
        EXPECT_LE(steps.Maximum(), 10002);
        EXPECT_EQ(steps.PositionOf(lower - 1), steps.Minimum());
        EXPECT_EQ(steps.PositionOf(upper + 1), steps.Maximum());
        for (int position = 1; position < steps.Maximum(); position += 97) {
            const double value = steps.ValueAt(position);
            EXPECT_EQ(steps.PositionOf(value), position);
            // A multiple of the step, written without a tail of rounding digits.
            EXPECT_LE(torvane::PlainNumberText(value).size(), 10u)
                << torvane::PlainNumberText(value);
        }
    }
    const SliderSteps still(SpanOf({3, 3}, MotorKind::Rotational, 0));
    EXPECT_EQ(still.Maximum(), 0);
    EXPECT_EQ(still.ValueAt(0), 3);
}

class PoseLegs : public ::testing::Test {
  protected:
    std::shared_ptr<torvane::frmMSComms> host = std::make_shared<torvane::frmMSComms>();
    torvane::clsToolPath tp{host->ScriptEngine(), host};
    // Where the path puts the motors at parameter S of subleg `at` of piece `piece` (from 0).
    std::vector<double> At(const std::string& path, std::size_t piece, int at, double S) {
        const auto pieces = torvane::ReadToolPathPieces(tp.XMLClass(), path);
        const torvane::typToolPathSubLeg& subleg = pieces.at(piece).Sublegs(at);
        return tp.EvalMotorPositions(subleg, S, tp.EvalEqs(subleg.ParametricEQs, subleg.StartS))
            .Items();
    }
    static void ExpectNear(const std::vector<double>& got, const std::vector<double>& want) {
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << i;
    }
};

TEST_F(PoseLegs, PosesChainIntoLegsThatStartAndEndAtRestAndSurviveReTiming) {
    std::string path = AppendLeg("", PoseLeg({0, 0}, {10, -20}, 1));
    EXPECT_FALSE(PathEnd(tp, "").has_value());
    ExpectNear(*PathEnd(tp, path), {10, -20});
    path = AppendLeg(path, PoseLeg(*PathEnd(tp, path), {-30.25, 5}, 0.5));
    ExpectNear(*PathEnd(tp, path), {-30.25, 5});

    // S counts seconds; half way a smoothstep is half way, and near its ends it barely moves.
    ExpectNear(At(path, 0, 1, 0.5), {5, -10});
    ExpectNear(At(path, 1, 1, 0), {10, -20});
    const std::vector<double> early = At(path, 1, 1, 0.001);
    EXPECT_LT(std::abs(early[0] - 10), 1e-3);
    const std::vector<double> late = At(path, 1, 1, 0.499);
    EXPECT_LT(std::abs(late[0] + 30.25), 1e-3);

    // Re-timing keeps where the poses are.
    tp.ParseMotorsProperties("5,5\r\nA,A,1\r\nB,B,2");
    const std::string retimed = torvane::ExpandToTripleStops(tp, path);
    ExpectNear(*PathEnd(tp, retimed), {-30.25, 5});
}

TEST_F(PoseLegs, LegsJoinAPathInItsOwnLineEndsAndUnreadablePathsRaise) {
    const std::string leg = PoseLeg({1}, {2}, 1);
    const std::string bare = "<WAIT></WAIT>\n<WAIT></WAIT>";
    const std::string joined = AppendLeg(bare, leg);
    EXPECT_EQ(joined.find('\r'), std::string::npos);
    EXPECT_EQ(joined.rfind(bare + "\n<LEG>\n<DRIVE>\n", 0), 0u) << joined;
    EXPECT_EQ(AppendLeg("<WAIT></WAIT>\r\n", leg), "<WAIT></WAIT>\r\n" + leg);
    EXPECT_FALSE(PathEnd(tp, bare).has_value()) << "a path of waits drives nothing";
    EXPECT_THROW(PathEnd(tp, "<LEG>\r\n<DRIVE>\r\n\tStartS= 0\r\n</LEG>\r\n"), torvane::Error);
    EXPECT_THROW(PathEnd(tp, AppendLeg(leg, "<LEG>\r\n" +
                                                torvane::clsXML().WriteDrive(
                                                    0, 1, torvane::DoubleArray(1, {0}),
                                                    torvane::StringArray(1, {"1/(S-1)"})) +
                                                "</LEG>\r\n")),
                 torvane::Error)
        << "an equation without a value at the end of the last leg";
}

TEST_F(PoseLegs, AMotorJustBeyondItsTravelStartsAtItsEnd) {
    tp.ParseMotorsProperties("5,5\r\nA,A,1,0.5,,,-90,90\r\nB,B,2,1,,,-90,\r\nC,C,3");
    EXPECT_EQ(IntoTravel(tp, {90.75, -91, 1000}), (std::vector<double>{90, -90, 1000}));
    EXPECT_EQ(IntoTravel(tp, {91.5, -93, 5}), (std::vector<double>{91.5, -93, 5}))
        << "further out is not a slip of the encoder: the path that starts there is refused";
}

TEST_F(PoseLegs, AJogIsAStraightMoveWithinTheSpeedLimit) {
    tp.ParseMotorsProperties("10,100\r\nA,A,1\r\nB,B,2");
    EXPECT_TRUE(JogPath(tp, {1, 2}, {1, 2}).empty());
    const std::string path = JogPath(tp, {0, 0}, {30, 40});
    ExpectNear(*PathEnd(tp, path), {30, 40});
    double seconds = 0;
    for (const auto& piece : torvane::ReadToolPathPieces(tp.XMLClass(), path))
        for (const auto& subleg : piece.Sublegs.Items()) seconds += subleg.EndS - subleg.StartS;
    EXPECT_NEAR(seconds, 50.0 / 10 + 10.0 / 100, 1e-6) << "50 units at 10 per second, plus ramps";
    // Half way in time, half way along the line.
    const auto pieces = torvane::ReadToolPathPieces(tp.XMLClass(), path);
    ASSERT_EQ(pieces.size(), 1u);
    const torvane::typToolPathSubLeg& cruise = pieces[0].Sublegs(2);
    const std::vector<double> middle =
        tp.EvalMotorPositions(cruise, cruise.EndS / 2, tp.EvalEqs(cruise.ParametricEQs, 0)).Items();
    EXPECT_NEAR(middle[0] / middle[1], 0.75, 1e-9);
}

}  // namespace
}  // namespace mechanon::testing
