// Simulated joints through the driven-joint interface, and the grouping of a motor list by the
// set that serves each motor: one read and one command per set and round, positions and busy
// marks back at the drive's motor numbers.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "motorio/GroupedJoints.h"
#include "motorio/JointSets.h"
#include "motorio/LineDrivenJoints.h"
#include "motorio/SimulatedJoints.h"
#include "motorio/frmMSComms.h"
#include "tests/motorio/MotorTestSupport.h"

namespace torvane {
namespace {

using test::ManualClock;
using test::ScopedClock;

constexpr JointLine Simulated(std::int16_t port, double scale) {
    return {port, "", scale, DriveKind::Simulated};
}

TEST(SimulatedJointsTest, DriveTowardsTheTargetCoastWhenOffAndKeepTheirPlaceForTheSameLines) {
    ManualClock clock;
    const ScopedClock installed(clock);
    SimulatedJoints sim;
    DrivenJoints& joints = sim;
    std::atomic<int> busy{0};
    joints.Open({Simulated(1, 0.5), Simulated(2, 1)});
    ASSERT_EQ(joints.Count(), 2);

    // Closed loop at 10 kHz: both motors reach their targets within one step and hold there.
    std::vector<double> measured(2);
    for (int round = 0; round < 5000; ++round) {
        clock.now += 1e-4;
        ASSERT_TRUE(joints.Read(measured));
        joints.Command(std::vector<double>{20, -30}, busy);
    }
    EXPECT_EQ(busy.load(), 2);
    ASSERT_TRUE(joints.Read(measured));
    EXPECT_NEAR(measured[0], 20, 2 * 0.5);
    EXPECT_NEAR(measured[1], -30, 2);
    EXPECT_EQ(measured[0], 0.5 * static_cast<double>(sim.Motor(1).Count())) << "no step lost";

    // All off: the motors coast to a stop; the same lines keep them where they stand.
    joints.Command(std::vector<double>{1000, 1000}, busy);
    clock.now += 0.01;
    EXPECT_TRUE(joints.AllOff());
    clock.now += 1;
    ASSERT_TRUE(joints.Read(measured));
    EXPECT_EQ(sim.Motor(1).Velocity(), 0);
    const double stood = measured[0];
    joints.Open({Simulated(1, 1), Simulated(2, 1)});
    ASSERT_TRUE(joints.Read(measured));
    EXPECT_EQ(measured[0], 2 * stood) << "only the scale changed";

    // Other lines are other motors, at 0; fewer joints than asked for read nothing.
    joints.Open({Simulated(3, 1)});
    std::vector<double> one(1, -1);
    ASSERT_TRUE(joints.Read(one));
    EXPECT_EQ(one[0], 0);
    EXPECT_FALSE(joints.Read(measured));
    joints.Close();
    EXPECT_EQ(joints.Count(), 0);
}

TEST(SimulatedJointsTest, EmergencyOffStopsTheDrive) {
    ManualClock clock;
    const ScopedClock installed(clock);
    SimulatedJoints joints;
    std::atomic<int> busy{0};
    joints.Open({Simulated(1, 1)});
    joints.Command(std::vector<double>{100}, busy);
    EXPECT_EQ(joints.Motor(1).Drive(), 1);
    joints.EmergencyOff();
    EXPECT_EQ(joints.Motor(1).Drive(), 0);
}

// A set that records what the rounds asked of it.
class RecordingJoints final : public DrivenJoints {
  public:
    explicit RecordingJoints(double base) : base_(base) {}
    void Open(const std::vector<JointLine>& Lines) override { opened = Lines; }
    void Close() noexcept override { opened.clear(); }
    std::int32_t Count() const override { return static_cast<std::int32_t>(opened.size()); }
    bool Read(std::span<double> Measured) override {
        ++reads;
        for (std::size_t k = 0; k < Measured.size(); ++k) Measured[k] = base_ + double(k);
        return readable;
    }
    void Command(std::span<const double> Targets, const BusyJoint& Busy) override {
        ++commands;
        commanded.assign(Targets.begin(), Targets.end());
        if (!Targets.empty()) Busy.Mark(static_cast<int>(Targets.size()));
    }
    bool AllOff() noexcept override { return ++offs, true; }
    void EmergencyOff() noexcept override { ++offs; }
    void DriveFrom(std::thread::id) noexcept override {}

    std::vector<JointLine> opened;
    std::vector<double> commanded;
    int reads = 0, commands = 0, offs = 0;
    bool readable = true;

  private:
    double base_;
};

TEST(GroupedJointsTest, EachSetOnceARoundWithItsMotorsBackInOrder) {
    auto a = std::make_shared<RecordingJoints>(10);
    auto b = std::make_shared<RecordingJoints>(20);
    GroupedJoints joints({{a, {1, 3, 4}}, {b, {2, 5}}});
    std::vector<JointLine> lines;
    for (std::int16_t port = 1; port <= 5; ++port) lines.push_back({port, "", 1});
    joints.Open(lines);
    ASSERT_EQ(a->opened.size(), 3u);
    EXPECT_EQ(a->opened[1].Port, 3);
    EXPECT_EQ(b->opened[1].Port, 5);
    EXPECT_EQ(joints.Count(), 5);

    std::vector<double> measured(5);
    ASSERT_TRUE(joints.Read(measured));
    EXPECT_EQ(measured, (std::vector<double>{10, 20, 11, 12, 21}));
    std::atomic<int> busy{0};
    joints.Command(std::vector<double>{1, 2, 3, 4}, busy);
    EXPECT_EQ(a->commanded, (std::vector<double>{1, 3, 4}));
    EXPECT_EQ(b->commanded, (std::vector<double>{2}));
    EXPECT_EQ(busy.load(), 2) << "b's joint 1 is motor 2";
    EXPECT_EQ(a->reads + a->commands + b->reads + b->commands, 4);

    // A set that cannot read leaves the positions alone; one that lost joints shortens the list.
    b->readable = false;
    std::vector<double> untouched(5, -1);
    EXPECT_FALSE(joints.Read(untouched));
    EXPECT_EQ(untouched, std::vector<double>(5, -1));
    b->opened.resize(1);
    EXPECT_EQ(joints.Count(), 4);
    EXPECT_TRUE(joints.AllOff());
    joints.EmergencyOff();
    EXPECT_EQ(a->offs + b->offs, 4);
}

TEST(MakeDrivenJointsTest, GroupsByKindAndHandsOutOneSetAsItIs) {
    auto host = std::make_shared<frmMSComms>();
    host->UsePortBackend(PortBackend::SimulatedMotor);
    auto lines = std::make_shared<LineDrivenJoints>(host);
    JointSets sets(lines);
    EXPECT_EQ(MakeDrivenJoints({}, sets), lines);
    EXPECT_EQ(MakeDrivenJoints({{1, "", 1}, {2, "", 1}}, sets), lines);
    const auto simulated = MakeDrivenJoints({Simulated(1, 1), Simulated(2, 1)}, sets);
    EXPECT_EQ(MakeDrivenJoints({Simulated(4, 1)}, sets), simulated) << "kept between drives";

    // Simulated motor 1 and line-driven motor 2 (port 1 of the host).
    const std::vector<JointLine> mixed{Simulated(1, 1), {1, "", 1}};
    const std::shared_ptr<DrivenJoints> joints = MakeDrivenJoints(mixed, sets);
    joints->Open(mixed);
    EXPECT_EQ(joints->Count(), 2);
    EXPECT_EQ(simulated->Count(), 1);
    EXPECT_EQ(lines->Count(), 1);
    EXPECT_EQ(host->PortNumber(1), 1);

    // Servos: one set per kind and device, kept between drives.
    const auto servo = [](std::string device, std::int32_t id) {
        JointLine line{0, std::move(device), 11.4, DriveKind::Feetech};
        line.ServoId = id;
        return line;
    };
    const auto bus = MakeDrivenJoints({servo("/dev/ttyUSB0", 1), servo("/dev/ttyUSB0", 2)}, sets);
    EXPECT_EQ(MakeDrivenJoints({servo("/dev/ttyUSB0", 3)}, sets), bus);
    EXPECT_NE(MakeDrivenJoints({servo("/dev/ttyUSB1", 1)}, sets), bus);
    EXPECT_NE(
        dynamic_cast<GroupedJoints*>(
            MakeDrivenJoints({servo("/dev/ttyUSB0", 1), servo("/dev/ttyUSB1", 1)}, sets).get()),
        nullptr);
}

}  // namespace
}  // namespace torvane
