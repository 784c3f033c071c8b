// Scanning a bus for its servos, on the emulated servos of a pseudo-terminal: the ones that
// answer, in order of id; a cancel stops before the next id; a device that is missing or goes
// away mid-scan raises naming it.

#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <vector>

#include "model/Error.h"
#include "motorio/ServoProtocol.h"
#include "motorio/ServoScan.h"
#include "tests/motorio/FakeServoBus.h"
#include "tests/support/FeetechEmulator.h"

namespace torvane {
namespace {

using mechanon::testing::EmulatedServo;
using mechanon::testing::PtyServoBus;

std::vector<EmulatedServo> ThreeServos() {
    std::vector<EmulatedServo> servos(3);
    for (int k = 0; k < 3; ++k) {
        servos[k].Id = 1 + 2 * k;  // 1, 3, 5
        servos[k].Model = mechanon::testing::kSts3215Model;
        servos[k].Position = 1000 + 100 * k;
    }
    servos[2].Answers = false;
    return servos;
}

TEST(ServoScanTest, ListsTheServosThatAnswerAndStopsOnCancel) {
    PtyServoBus bus(ThreeServos(), mechanon::testing::FeetechResponder());
    bus.With([](auto& servos) { servos.at(3).CorruptNextReply = true; });
    std::vector<std::int32_t> asked;
    std::string advice = "unset";
    const ServoScanResult found = ScanDevice(
        DriveKind::Feetech, bus.DevicePath(), 0, 6, {},
        [&](std::int32_t id) { asked.push_back(id); }, &advice);
    EXPECT_EQ(asked, (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6}));
    ASSERT_EQ(found.Servos.size(), 2u) << "servo 5 is silent";
    EXPECT_EQ(found.Servos[0].Id, 1);
    EXPECT_EQ(found.Servos[0].Model, mechanon::testing::kSts3215Model);
    EXPECT_EQ(found.Servos[0].Position, 1000);
    EXPECT_EQ(found.Servos[1].Id, 3) << "a spoilt reply is asked for again";
    EXPECT_EQ(found.Servos[1].Position, 1100);
    EXPECT_FALSE(found.Cancelled);
    EXPECT_EQ(advice, "") << "a pseudo-terminal has no latency timer";

    std::stop_source cancel;
    asked.clear();
    const ServoScanResult stopped = ScanDevice(DriveKind::Feetech, bus.DevicePath(), 0, -1,
                                               cancel.get_token(), [&](std::int32_t id) {
                                                   asked.push_back(id);
                                                   if (id == 2) cancel.request_stop();
                                               });
    EXPECT_TRUE(stopped.Cancelled);
    EXPECT_EQ(asked.back(), 2);
    EXPECT_EQ(stopped.Servos.size(), 1u);
}

TEST(ServoScanTest, AMissingOrVanishingDeviceRaisesNamingIt) {
    const auto message = [](const std::function<void()>& scan) {
        try {
            scan();
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(message([] {
                  ScanDevice(DriveKind::Feetech, "/dev/ttyNOSUCH", 0, 3);
              }).find("/dev/ttyNOSUCH"),
              std::string::npos);
    PtyServoBus bus(ThreeServos(), mechanon::testing::FeetechResponder());
    EXPECT_NE(message([&] {
                  ScanDevice(DriveKind::Feetech, bus.DevicePath(), 0, 254);
              }).find("highest id"),
              std::string::npos);
    EXPECT_THROW(ScanDevice(DriveKind::Lines, bus.DevicePath(), 0, 3), Error);
    const std::string gone = message([&] {
        ScanDevice(DriveKind::Feetech, bus.DevicePath(), 0, -1, {}, [&](std::int32_t id) {
            if (id == 2) bus.Unplug();
        });
    });
    EXPECT_NE(gone.find(bus.DevicePath()), std::string::npos) << gone;
}

TEST(ServoScanTest, AnUnreadableReplyIsAskedOnceMoreThenReportedAndTheScanGoesOn) {
    auto state = std::make_shared<test::FakeBusState>();
    state->Servos[1].Position = 10;
    state->Servos[1].Fails = ServoBusError::Kind::Checksum;
    state->Servos[2].Position = 20;
    state->Servos[2].Fails = ServoBusError::Kind::Checksum;
    state->Servos[2].FailTimes = 2;
    state->Servos[3].Position = 30;
    test::FakeServoProtocol protocol(state);
    test::FakeBusPort bus("/dev/ttyFAKE", 1000000);
    const ServoScanResult found = ScanServos(bus, protocol, 4);
    ASSERT_EQ(found.Servos.size(), 2u);
    EXPECT_EQ(found.Servos[0].Position, 10) << "the second reply was good";
    EXPECT_EQ(found.Servos[1].Id, 3);
    ASSERT_EQ(found.Troubles.size(), 1u);
    EXPECT_NE(found.Troubles[0].find("servo 2 on /dev/ttyFAKE"), std::string::npos);

    state->Unplugged = true;
    EXPECT_THROW(ScanServos(bus, protocol, 4), Error);
}

TEST(ServoReplyTime, AnEmulatedBusAllowsMoreOnlyWhileItExistsAndTheProgramsLimitsComeBack) {
    using std::chrono::milliseconds;
    const auto limit = [](DriveKind kind) { return MakeServoProtocol(kind)->ReplyLimit(); };
    EXPECT_EQ(limit(DriveKind::Feetech), milliseconds(25));
    {
        PtyServoBus bus(ThreeServos(), mechanon::testing::FeetechResponder());
        EXPECT_EQ(limit(DriveKind::Feetech), milliseconds(25) + PtyServoBus::kExtraReplyTime);
        EXPECT_EQ(limit(DriveKind::Maestro), milliseconds(10) + PtyServoBus::kExtraReplyTime);
        { PtyServoBus second(ThreeServos(), mechanon::testing::FeetechResponder()); }
        EXPECT_EQ(limit(DriveKind::Dynamixel), milliseconds(25) + PtyServoBus::kExtraReplyTime)
            << "a second bus gone leaves the first one's allowance";
    }
    EXPECT_EQ(limit(DriveKind::Feetech), milliseconds(25));
    EXPECT_EQ(limit(DriveKind::Maestro), milliseconds(10));
    SetExtraReplyTime(milliseconds(-5));
    EXPECT_EQ(ExtraReplyTime(), milliseconds(0)) << "no less than the protocol's own limit";
}

}  // namespace
}  // namespace torvane
