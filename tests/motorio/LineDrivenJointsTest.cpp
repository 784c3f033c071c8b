// Line-driven DC motors through the driven-joint interface alone, as a drive's rounds use them:
// which joints open, what a round reads and how it switches the lines.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <vector>

#include "motorio/LineDrivenJoints.h"
#include "motorio/frmMSComms.h"
#include "tests/motorio/MotorTestSupport.h"

namespace torvane {
namespace {

using test::FakeBench;
using test::FakeLines;

class LineJoints : public ::testing::Test {
  protected:
    LineJoints() { host->UseLineFactory(FakeLines(bench)); }
    // Moves port's encoder by `steps` single steps from where it stands.
    void Step(int port, int steps) {
        for (int n = 0; n < std::abs(steps); ++n)
            bench->ChangeToCount(port, counts[port] += steps > 0 ? 1 : -1);
    }
    std::shared_ptr<FakeBench> bench = std::make_shared<FakeBench>();
    std::shared_ptr<frmMSComms> host = std::make_shared<frmMSComms>();
    LineDrivenJoints lines{host};
    DrivenJoints& joints = lines;
    std::map<int, std::int64_t> counts;
    std::atomic<int> busy{0};
};

TEST_F(LineJoints, TheSameLinesStayOpenWithTheirCountsAndOthersReopen) {
    EXPECT_EQ(joints.Count(), 0);
    joints.Open({{3, "", 0.5}, {5, "", -2}});
    ASSERT_EQ(joints.Count(), 2);
    Step(3, 4);
    Step(5, 1);
    std::vector<double> measured(2);
    ASSERT_TRUE(joints.Read(measured));
    EXPECT_EQ(measured, (std::vector<double>{2, -2}));

    // Only the scales change: no port reopens and the counts stay.
    joints.Open({{3, "", 1}, {5, "", 1}});
    EXPECT_EQ(bench->wires[3].opens, 1);
    ASSERT_TRUE(joints.Read(measured));
    EXPECT_EQ(measured, (std::vector<double>{4, 1}));

    // Another list reopens every port from a count of 0; a named device must match as well.
    joints.Open({{3, "", 1}});
    EXPECT_EQ(bench->wires[3].opens, 2);
    EXPECT_EQ(joints.Count(), 1);
    joints.Open({{3, "fake3", 1}});
    EXPECT_EQ(bench->wires[3].opens, 2) << "the device the port already is";
    joints.Open({{3, "/dev/other", 1}});
    EXPECT_EQ(bench->wires[3].opens, 3);
    std::vector<double> one(1);
    ASSERT_TRUE(joints.Read(one));
    EXPECT_EQ(one[0], 0);

    // A port that cannot open: the joints are what did open, every line off.
    bench->missing.insert(7);
    EXPECT_THROW(joints.Open({{3, "", 1}, {7, "", 1}}), Error);
    EXPECT_EQ(joints.Count(), 1);
    EXPECT_EQ(lines.EncoderCount(), 1);
    EXPECT_FALSE(bench->AnyLineOn());
}

TEST_F(LineJoints, CommandsDriveTowardsTheTargetsOutsideOneStep) {
    joints.Open({{1, "", 0.5}, {2, "", 0.5}, {3, "", -1}});
    Step(1, 2);  // at 1
    Step(3, 2);  // at -2
    std::vector<double> measured(3);
    ASSERT_TRUE(joints.Read(measured));
    joints.Command(std::vector<double>{1.6, 0.4, -3.5}, busy);
    EXPECT_TRUE(bench->wires[1].dtr) << "above the dead band: forward";
    EXPECT_FALSE(bench->wires[2].dtr || bench->wires[2].rts) << "inside half a unit: off";
    EXPECT_TRUE(bench->wires[3].rts) << "below, with the encoder counting backwards";
    EXPECT_EQ(busy.load(), 3);

    // Only the joints commanded are touched; off by either way out.
    joints.Command(std::vector<double>{-5}, busy);
    EXPECT_TRUE(bench->wires[1].rts);
    EXPECT_TRUE(bench->wires[3].rts);
    EXPECT_TRUE(joints.AllOff());
    EXPECT_FALSE(bench->AnyLineOn());
    joints.Command(std::vector<double>{5, 5, 5}, busy);
    joints.EmergencyOff();
    EXPECT_FALSE(bench->AnyLineOn());
}

TEST_F(LineJoints, PortsClosedUnderTheJointsReadAsMissing) {
    joints.Open({{1, "", 1}, {2, "", 1}});
    std::vector<double> measured(2, 7);
    host->ClosePorts();  // another user of the same host
    EXPECT_FALSE(joints.Read(measured));
    EXPECT_EQ(measured, (std::vector<double>{7, 7})) << "nothing written";
    EXPECT_EQ(joints.Count(), 0);
    std::vector<double> none;
    EXPECT_TRUE(joints.Read(none));

    // A host of its own when given none, and the lines off when the joints go.
    joints.Open({{1, "", 1}});
    host->SetOutPuts(1, true, false);
    lines.SetHost(nullptr);
    EXPECT_FALSE(bench->AnyLineOn());
    EXPECT_EQ(joints.Count(), 0);
    EXPECT_NE(&lines.Host(), host.get());
}

}  // namespace
}  // namespace torvane
