// The sampling behind the motion plot: where sublegs fall on the time line, what the curves hold
// at boundaries and for motors a subleg does not drive, and the following-error watch.

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>

#include "model/Error.h"
#include "model/NumberText.h"
#include "script/Engine.h"
#include "toolpath/FollowingErrorWatch.h"
#include "toolpath/MotionSamples.h"
#include "toolpath/clsToolPath.h"

namespace torvane {
namespace {

std::string Block(double startS, double endS, const std::string& points, const std::string& eqs) {
    return "<DRIVE>\r\n\tStartS= " + NumberText(startS) + "\r\n\tEndS= " + NumberText(endS) +
           "\r\n\t" + points + "\r\n\t" + eqs + "\r\n</DRIVE>\r\n";
}

class Sampling : public ::testing::Test {
  protected:
    clsToolPath tp{std::make_shared<vbs::Engine>()};
};

TEST_F(Sampling, SublegsLieEndToEndAcrossLegsWaitsAndLooseBlocks) {
    // Leg 1: two sublegs (2 s, then 1 s from S = 1 to 2); a wait; a loose block of 3 s driving
    // only motor 1; an empty leg; leg 3 with a subleg running backwards (no time).
    const std::string text = "<LEG>" + Block(0, 2, " 0 , 10", "S,5*S") +
                             Block(1, 2, " 2 , 20", "S,-S") + "</LEG><WAIT></WAIT>" +
                             Block(0, 3, " 7", "2*S") + "<LEG></LEG><LEG>" +
                             Block(1, 0, " 1 , 1", "S,S") + "</LEG>";
    const MotionSamples s = SampleToolPath(tp, text);
    ASSERT_EQ(s.Spans.size(), 4u);
    EXPECT_EQ(s.Motors, 2);
    EXPECT_DOUBLE_EQ(s.Spans[1].Start, 2);
    EXPECT_DOUBLE_EQ(s.Spans[2].Start, 3) << "the wait takes no time on the plot";
    EXPECT_DOUBLE_EQ(s.Spans[3].Start, 6);
    EXPECT_DOUBLE_EQ(s.Duration(), 6) << "EndS below StartS lasts no time";
    EXPECT_EQ(s.Spans[2].Leg, 2);
    EXPECT_EQ(s.Spans[3].Leg, 3) << "the empty leg is no leg";
    EXPECT_EQ(s.LegStarts, (std::vector<double>{3, 6}));
    EXPECT_EQ(s.SublegStarts, (std::vector<double>{2}));

    ASSERT_EQ(s.Positions.size(), 2u);
    ASSERT_EQ(s.Times.size(), s.Positions[0].size());
    ASSERT_EQ(s.Times.size(), s.Velocities[1].size());
    EXPECT_DOUBLE_EQ(s.Times.front(), 0);
    EXPECT_DOUBLE_EQ(s.Times.back(), 6);
    for (std::size_t k = 0; k < s.Times.size(); ++k) {
        const double t = s.Times[k];
        if (t > 3 && t < 6) {
            // The loose block drives motor 1 from 7 at 2 units per second; motor 2 keeps the
            // position the first leg left it at (20 - 1).
            EXPECT_NEAR(s.Positions[0][k], 7 + 2 * (t - 3), 1e-9) << t;
            EXPECT_NEAR(s.Velocities[0][k], 2, 1e-9) << t;
            EXPECT_DOUBLE_EQ(s.Positions[1][k], 19) << t;
            EXPECT_DOUBLE_EQ(s.Velocities[1][k], 0) << t;
        }
        if (t > 0 && t < 2) {
            EXPECT_NEAR(s.Velocities[1][k], 5, 1e-9) << t;
        }
    }
    // Both sides of the boundary at 2 s are sampled: motor 2 runs at 5, then at -1 per second.
    int sidesAtTwo = 0;
    for (std::size_t k = 0; k < s.Times.size(); ++k)
        if (s.Times[k] == 2) {
            ++sidesAtTwo;
            EXPECT_NEAR(s.Velocities[1][k], sidesAtTwo == 1 ? 5 : -1, 1e-9);
            EXPECT_NEAR(s.Positions[1][k], 20, 1e-9) << "the pieces join";
        }
    EXPECT_EQ(sidesAtTwo, 2);
}

TEST_F(Sampling, PositionsAtAnInstantAreEvaluatedExactlyAndClamped) {
    const std::string text =
        "<LEG>" + Block(0, 2, " 0", "S*S") + Block(0, 1, " 4", "-3*S") + "</LEG>";
    const MotionSamples s = SampleToolPath(tp, text);
    EXPECT_EQ(s.SpanAt(2), &s.Spans[1]) << "at a boundary the subleg that starts there";
    EXPECT_EQ(s.SpanAt(-5), &s.Spans[0]);
    EXPECT_NEAR(PositionsAt(tp, s, 1.234)(1), 1.234 * 1.234, 1e-12);
    EXPECT_NEAR(PositionsAt(tp, s, 2.5)(1), 4 - 1.5, 1e-12);
    EXPECT_NEAR(PositionsAt(tp, s, 99)(1), 1, 1e-12) << "past the end: the end";
    EXPECT_NEAR(PositionsAt(tp, s, -1)(1), 0, 1e-12) << "before the start: the start";

    const MotionSamples none = SampleToolPath(tp, "<WAIT></WAIT>just text");
    EXPECT_TRUE(none.Spans.empty());
    EXPECT_EQ(none.Duration(), 0);
    EXPECT_EQ(none.SpanAt(0), nullptr);
    EXPECT_FALSE(PositionsAt(tp, none, 0).IsAllocated());
}

TEST_F(Sampling, EvaluationErrorsReachTheCaller) {
    EXPECT_THROW(SampleToolPath(tp, "<LEG>" + Block(0, 1, " 0", "S+(") + "</LEG>"), Error);
    // Two start points but one equation: the second motor cannot be evaluated.
    EXPECT_THROW(SampleToolPath(tp, "<LEG>" + Block(0, 1, " 0 , 0", "S") + "</LEG>"), Error);
}

TEST_F(Sampling, ManySublegsShareABoundedNumberOfSamples) {
    std::string text = "<LEG>";
    for (int i = 0; i < 1000; ++i) text += Block(0, 0.01, " 0", "S");
    text += "</LEG>";
    const MotionSamples s = SampleToolPath(tp, text);
    EXPECT_EQ(s.Spans.size(), 1000u);
    EXPECT_LE(s.Times.size(), static_cast<std::size_t>(kMaxPlotSamples + 1000));
    EXPECT_GE(s.Times.size(), 3000u) << "every subleg keeps at least its two ends and a middle";
    EXPECT_NEAR(s.Duration(), 10, 1e-9);
}

TEST(FollowingError, LimitTextIsANumberAboveZeroOrEmpty) {
    EXPECT_EQ(ReadFollowingErrorLimit(""), 0);
    EXPECT_EQ(ReadFollowingErrorLimit("   "), 0);
    EXPECT_EQ(ReadFollowingErrorLimit(" 2.5 "), 2.5);
    EXPECT_EQ(ReadFollowingErrorLimit(".5 degrees"), 0.5) << "read by its numeric prefix";
    for (const char* bad : {"abc", "0", "-1", "1E999"}) {
        try {
            ReadFollowingErrorLimit(bad);
            ADD_FAILURE() << bad;
        } catch (const Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::InvalidArgument);
            EXPECT_NE(std::string(e.what()).find(std::string("\"") + bad + "\""), std::string::npos)
                << e.what();
        }
    }
}

TEST(FollowingError, WatchKeepsTheLargestAndNamesTheFirstMotorBeyondTheLimit) {
    FollowingErrorWatch watch;
    watch.Reset(1.0);
    EXPECT_EQ(watch.LargestMotor(), 0);
    EXPECT_EQ(watch.Observe(DoubleArray(1, {1, 2, 3}), DoubleArray(1, {1.5, 2, 2.2})), 0);
    EXPECT_EQ(watch.LargestMotor(), 3);
    EXPECT_NEAR(watch.Largest(), 0.8, 1e-12);
    EXPECT_EQ(watch.Observe(DoubleArray(1, {0, -5, 9}), DoubleArray(1, {0, -3.5, 7})), 2)
        << "motors 2 and 3 are both beyond: the first is named";
    EXPECT_EQ(watch.LargestMotor(), 3);
    EXPECT_NEAR(watch.Largest(), 2, 1e-12);
    EXPECT_EQ(watch.Observe(DoubleArray(1, {std::numeric_limits<double>::quiet_NaN()}),
                            DoubleArray(1, {0})),
              1)
        << "a target that is not a number breaks the limit";

    watch.Reset(0);
    EXPECT_EQ(watch.Observe(DoubleArray(1, {100}), DoubleArray(1, {0})), 0) << "no limit";
    EXPECT_EQ(watch.Largest(), 100);
}

}  // namespace
}  // namespace torvane
