// Thinning a recorded motion and the tool-path text that replays it.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/motorio/MotorTestSupport.h"
#include "toolpath/RecordedPath.h"
#include "toolpath/clsXML.h"

namespace torvane {
namespace {

using test::CodeOf;

std::vector<typMotionSample> Samples(std::initializer_list<typMotionSample> list) {
    return list;
}

// A corner of motor 1, and a bump of motor 2 at 0.75 s that is `bump` high.
std::vector<typMotionSample> CornerAndBump(double bump) {
    return Samples(
        {{0, {0, 10}}, {0.25, {1, 10}}, {0.5, {2, 10}}, {0.75, {2, 10 + bump}}, {1, {2, 10}}});
}

TEST(RecordedPath, KeepsTheSamplesThatLeaveTheToleranceOfAnyMotor) {
    // The straight run of motor 1 is one piece; its corner is kept; a bump of motor 2 within the
    // tolerance is smoothed away, one beyond it is kept.
    EXPECT_EQ(ThinMotionSamples(CornerAndBump(0.4), 0.5), (std::vector<std::size_t>{0, 2, 4}));
    EXPECT_EQ(ThinMotionSamples(CornerAndBump(-0.6), 0.5), (std::vector<std::size_t>{0, 2, 3, 4}));
    // A still motion is one piece; a finer tolerance keeps every turn.
    EXPECT_EQ(ThinMotionSamples(Samples({{0, {5}}, {1, {5}}, {2, {5}}, {3, {5}}}), 0.01),
              (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(ThinMotionSamples(CornerAndBump(0.4), 0.1), (std::vector<std::size_t>{0, 2, 3, 4}));
    // A long still recording keeps a sample every 2000 (ten seconds at 200 a second).
    std::vector<typMotionSample> still;
    for (int k = 0; k <= 4500; ++k) still.push_back({k * 0.005, {1}});
    EXPECT_EQ(ThinMotionSamples(still, 0.5), (std::vector<std::size_t>{0, 2000, 4000, 4500}));
    // Uneven times: the line is in time, not in sample order. Motor 1 moves at one speed
    // through samples spaced 0.1 and 0.9 s apart.
    EXPECT_EQ(ThinMotionSamples(Samples({{0, {0}}, {0.1, {1}}, {1, {10}}}), 0.001),
              (std::vector<std::size_t>{0, 2}));
}

TEST(RecordedPath, WritesOneTimedLegOfStraightPiecesThatJoin) {
    const clsXML xml;
    RecordedPathSummary summary;
    const std::string text = WriteRecordedPath(xml, CornerAndBump(0.4), 0.5, &summary);
    EXPECT_EQ(text,
              "<LEG>\r\n"
              "<DRIVE>\r\n\tStartS=  0\r\n\tEndS=  .5\r\n\t 0 ,  10\r\n\t 4*t, 0*t\r\n</DRIVE>\r\n"
              "<DRIVE>\r\n\tStartS=  0\r\n\tEndS=  .5\r\n\t 2 ,  10\r\n\t 0*t, 0*t\r\n</DRIVE>\r\n"
              "</LEG>\r\n");
    EXPECT_EQ(summary.Samples, 5u);
    EXPECT_EQ(summary.Pieces, 2u);
    EXPECT_EQ(summary.Duration, 1);
    EXPECT_NEAR(summary.LargestDeviation, 0.4, 1e-12);

    // Time counts from the first sample; a sample taken no later than the one before is left
    // out; negative speeds are written with their sign.
    const std::string later = WriteRecordedPath(
        xml, Samples({{3, {1.5}}, {3.5, {0.5}}, {3.5, {7}}, {4, {0.5}}}), 0.25, &summary);
    EXPECT_EQ(later,
              "<LEG>\r\n"
              "<DRIVE>\r\n\tStartS=  0\r\n\tEndS=  .5\r\n\t 1.5\r\n\t-2*t\r\n</DRIVE>\r\n"
              "<DRIVE>\r\n\tStartS=  0\r\n\tEndS=  .5\r\n\t .5\r\n\t 0*t\r\n</DRIVE>\r\n"
              "</LEG>\r\n");
    EXPECT_EQ(summary.Samples, 3u);

    // The pieces read back as the driver reads them, each starting where the one before ends.
    const VbArray<typToolPathSubLeg> pieces =
        xml.ParseXMLSublegs(text.substr(7, text.size() - 7 - 8));
    ASSERT_EQ(pieces.Count(), 2u);
    EXPECT_EQ(pieces(1).StartPoints(1) + 4 * pieces(1).EndS, pieces(2).StartPoints(1));
}

TEST(RecordedPath, PositionsBeyondAMotorsTravelAreKeptAtItsEnd) {
    std::vector<typMotionSample> samples = Samples({{0, {-5, 1, 7}}, {1, {5, 2, 9}}});
    const std::vector<std::int32_t> moved =
        KeepWithinTravel(samples, {{-2.0, 2.0}, {std::nullopt, 1.5}});
    EXPECT_EQ(moved, (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(samples[0].Positions, (std::vector<double>{-2, 1, 7}));
    EXPECT_EQ(samples[1].Positions, (std::vector<double>{2, 1.5, 9})) << "motor 3 has no range";
}

TEST(RecordedPath, RefusesWhatCannotBeWrittenNamingIt) {
    const clsXML xml;
    std::string message;
    for (double tolerance : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(CodeOf([&] { WriteRecordedPath(xml, CornerAndBump(0), tolerance); }, &message),
                  ErrorCode::InvalidArgument);
        EXPECT_NE(message.find("tolerance"), std::string::npos) << message;
    }
    // Nothing to replay: no samples, one, or two at the same time (a Stop at once).
    for (const auto& few : {Samples({}), Samples({{0, {1}}}), Samples({{0, {1}}, {0, {2}}})}) {
        EXPECT_EQ(CodeOf([&] { WriteRecordedPath(xml, few, 0.5); }, &message),
                  ErrorCode::InvalidArgument);
        EXPECT_NE(message.find("fewer than two samples"), std::string::npos) << message;
    }
    EXPECT_EQ(CodeOf(
                  [&] {
                      WriteRecordedPath(xml, Samples({{0, {1, 2}}, {1, {1}}}), 0.5);
                  },
                  &message),
              ErrorCode::InvalidArgument);
    EXPECT_NE(message.find("same motors"), std::string::npos) << message;
    EXPECT_EQ(CodeOf([&] {
                  WriteRecordedPath(xml, Samples({{0, {}}, {1, {}}}), 0.5);
              }),
              ErrorCode::InvalidArgument);
    EXPECT_EQ(CodeOf([&] {
                  WriteRecordedPath(xml, Samples({{0, {1}}, {1, {std::nan("")}}}), 0.5);
              }),
              ErrorCode::InvalidArgument);
}

}  // namespace
}  // namespace torvane
