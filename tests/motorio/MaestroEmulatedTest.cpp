// The servo controller's protocol against its emulator on a pseudo-terminal: channels driven and
// read back as the controller ramps its output, a scan, and the faults of a drive (a controller
// that stops answering, a garbled reply, the controller's error bits, an unplugged device).

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "model/Error.h"
#include "motorio/BusServoJoints.h"
#include "motorio/MaestroProtocol.h"
#include "tests/support/MaestroEmulator.h"

namespace torvane {
namespace {

using mechanon::testing::EmulatedServo;
using mechanon::testing::MaestroEmulator;
using mechanon::testing::PtyServoBus;
using namespace std::chrono_literals;

// Generous for a loaded machine where every reply is expected; short where one must time out.
constexpr std::chrono::microseconds Patient = 500ms;
constexpr std::chrono::microseconds Brief = 30ms;

std::vector<EmulatedServo> Channels(std::initializer_list<int> Numbers) {
    std::vector<EmulatedServo> servos;
    for (const int n : Numbers) servos.push_back(MaestroEmulator::Channel(n));
    return servos;
}

std::vector<std::int32_t> Read(ServoProtocol& Protocol, BusPort& Port,
                               std::span<const std::int32_t> Ids) {
    std::vector<std::int32_t> counts(Ids.size(), -1);
    Protocol.ReadPositions(Port, Ids, counts);
    return counts;
}

template <class Call>
ServoBusError BusErrorOf(Call&& call) {
    try {
        call();
    } catch (const ServoBusError& e) {
        return e;
    }
    ADD_FAILURE() << "no servo bus error";
    return ServoBusError(ServoBusError::Kind::Device, -2, "");
}

TEST(MaestroEmulatedTest, ReportsTheOutputAsItRampsToTheGoalAndStopsThePulsesOnTorqueOff) {
    PtyServoBus bus(Channels({0, 1, 2}), MaestroEmulator(24));
    const std::unique_ptr<BusPort> port = OpenSerialBus(bus.DevicePath(), 115200);
    MaestroProtocol protocol(Patient);
    const std::int32_t ids[] = {0, 1, 2};

    // Pulses off: every channel reports 0; the first goals are output at once.
    EXPECT_EQ(Read(protocol, *port, ids), (std::vector<std::int32_t>{0, 0, 0}));
    protocol.WriteGoals(*port, ids, std::vector{6000, 7000, 5000});
    EXPECT_EQ(Read(protocol, *port, ids), (std::vector<std::int32_t>{6000, 7000, 5000}));

    // Later goals are followed at the channel's speed limit, and read on the way.
    bus.With([](auto& servos) { servos[0].Speed = 2000; });
    protocol.WriteGoals(*port, ids, std::vector{7000, 7000, 9000});
    const std::int32_t first = Read(protocol, *port, ids)[0];
    EXPECT_GE(first, 6000);
    EXPECT_LT(first, 7000) << "a second's ramp read at once";
    std::vector<std::int32_t> now;
    for (auto end = std::chrono::steady_clock::now() + 4s;
         std::chrono::steady_clock::now() < end && now != std::vector{7000, 7000, 8000};)
        now = Read(protocol, *port, ids);
    EXPECT_EQ(now, (std::vector<std::int32_t>{7000, 7000, 8000})) << "8000: the channel's range";

    const std::int32_t one[] = {1};
    protocol.Torque(*port, one, false);
    EXPECT_EQ(Read(protocol, *port, ids), (std::vector<std::int32_t>{7000, 0, 8000}));
    bus.With([](auto& servos) { EXPECT_FALSE(servos[1].Torque); });
    protocol.WriteGoals(*port, one, std::vector{4000});
    EXPECT_EQ(Read(protocol, *port, one), std::vector<std::int32_t>{4000});
}

TEST(MaestroEmulatedTest, EveryChannelOfAControllerAnswersAScanAndAScanLeavesNoError) {
    // The smallest controller: six channels, no Set Multiple Targets.
    PtyServoBus bus({MaestroEmulator::Channel(3, 6000)}, MaestroEmulator(6));
    const std::unique_ptr<BusPort> port = OpenSerialBus(bus.DevicePath(), 115200);
    // Patient where a reply is due, brief where none comes, so that the scan stays short.
    MaestroProtocol patient(Patient);
    MaestroProtocol brief(Brief);
    std::vector<std::int32_t> found;
    for (std::int32_t id = 0; id <= patient.HighestId(); ++id)
        if (const auto servo = (id <= 5 ? patient : brief).Ping(*port, id)) {
            found.push_back(servo->Id);
            EXPECT_EQ(servo->Model, 0);
            EXPECT_EQ(servo->Position, id == 3 ? 6000 : 0);
        }
    EXPECT_EQ(found, (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5}));

    // Asking for channels 6 to 23 raised the controller's protocol error each time, and each Ping
    // cleared it again: a round afterwards drives all six channels without error.
    const std::int32_t all[] = {0, 1, 2, 3, 4, 5};
    patient.WriteGoals(*port, all, std::vector{5000, 5200, 5400, 5600, 5800, 6000});
    EXPECT_EQ(Read(patient, *port, all),
              (std::vector<std::int32_t>{5000, 5200, 5400, 5600, 5800, 6000}));
}

TEST(MaestroEmulatedTest, AControllerThatFallsSilentTimesOutNamingDeviceAndChannelThenRecovers) {
    PtyServoBus bus(Channels({0, 1, 2}), MaestroEmulator(24));
    const std::unique_ptr<BusPort> port = OpenSerialBus(bus.DevicePath(), 115200);
    MaestroProtocol protocol(Brief);
    const std::int32_t ids[] = {0, 1, 2};
    bus.With([](auto& servos) { servos[1].Answers = false; });
    const ServoBusError e = BusErrorOf([&] { Read(protocol, *port, ids); });
    EXPECT_EQ(e.What(), ServoBusError::Kind::Timeout);
    EXPECT_EQ(e.Id(), 1);
    EXPECT_NE(std::string(e.what()).find(bus.DevicePath()), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("channel 1"), std::string::npos) << e.what();

    // Answering again, it is read as before: nothing of the failed exchange is left over.
    bus.With([](auto& servos) { servos[1].Answers = true; });
    MaestroProtocol patient(Patient);
    EXPECT_EQ(Read(patient, *port, ids), (std::vector<std::int32_t>{0, 0, 0}));
}

TEST(MaestroEmulatedTest, GarbledRepliesAndTheControllersErrorsAreReported) {
    PtyServoBus bus(Channels({0, 1}), MaestroEmulator(24));
    const std::unique_ptr<BusPort> port = OpenSerialBus(bus.DevicePath(), 115200);
    MaestroProtocol protocol(Patient);
    const std::int32_t ids[] = {0, 1};
    protocol.WriteGoals(*port, ids, std::vector{6000, 6500});

    // Once garbled: asked for again within the call.
    bus.With([](auto& servos) { servos[1].CorruptNextReply = true; });
    EXPECT_EQ(Read(protocol, *port, ids), (std::vector<std::int32_t>{6000, 6500}));

    // An error bit of the controller (its serial timeout): reported, the channels went home.
    bus.With([](auto& servos) { servos[0].HardwareError = 1u << 5; });
    ServoBusError e = BusErrorOf([&] { Read(protocol, *port, ids); });
    EXPECT_EQ(e.What(), ServoBusError::Kind::Hardware);
    EXPECT_NE(std::string(e.what()).find("serial timeout"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find(bus.DevicePath()), std::string::npos) << e.what();
    EXPECT_EQ(Read(protocol, *port, ids), (std::vector<std::int32_t>{0, 0})) << "read clears it";

    // A stray byte it cannot read is its protocol error, reported by the next round.
    protocol.WriteGoals(*port, ids, std::vector{6000, 6500});
    port->Write(std::vector<std::uint8_t>{0x84, 0x00, 0x70});  // cut short by the next command
    e = BusErrorOf([&] { Read(protocol, *port, ids); });
    EXPECT_EQ(e.What(), ServoBusError::Kind::Hardware);
    EXPECT_NE(std::string(e.what()).find("serial protocol error"), std::string::npos) << e.what();
}

TEST(MaestroEmulatedTest, AnUnpluggedControllerEndsTheExchangeWithAnError) {
    PtyServoBus bus(Channels({0}), MaestroEmulator(24));
    const std::unique_ptr<BusPort> port = OpenSerialBus(bus.DevicePath(), 115200);
    MaestroProtocol protocol(Patient);
    const std::int32_t ids[] = {0};
    protocol.WriteGoals(*port, ids, std::vector{6000});
    bus.Unplug();
    std::vector<std::int32_t> counts(1);
    EXPECT_ANY_THROW(protocol.ReadPositions(*port, ids, counts));
}

TEST(MaestroEmulatedTest, AsADrivesJointsChannelsFollowTheirGoalsHoldAndGoLimp) {
    PtyServoBus bus(Channels({0, 1}), MaestroEmulator(24));
    BusServoJoints joints(bus.DevicePath(), std::make_unique<MaestroProtocol>(Patient));
    // Hobby servos: 4000 quarter-microseconds for 90 degrees about 1500 us, one turned round.
    JointLine line{0, bus.DevicePath(), 4000.0 / 90, DriveKind::Maestro, 0, 0, 6000};
    std::vector<JointLine> lines{line, line};
    lines[1].ServoId = 1;
    lines[1].Scale = -lines[1].Scale;
    joints.Open(lines);
    bus.With([](auto& servos) { EXPECT_FALSE(servos[0].Torque || servos[1].Torque); });

    std::atomic<int> busy{0};
    joints.Command(std::vector{9.0, 45.0}, busy);
    std::vector<double> measured(2);
    ASSERT_TRUE(joints.Read(measured));
    EXPECT_NEAR(measured[0], 9, 0.02);
    EXPECT_NEAR(measured[1], 45, 0.02);
    bus.With([](auto& servos) {
        EXPECT_EQ(servos[0].Goal, 6400);
        EXPECT_EQ(servos[1].Goal, 4000);
    });

    // A goal that would stop the pulses is refused, naming the channel; nothing reaches the bus.
    const std::size_t sent = bus.Received().size();
    try {
        joints.Command(std::vector{9.0, 140.0}, busy);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("channel 1"), std::string::npos) << e.what();
    }
    EXPECT_EQ(bus.Received().size(), sent);

    // Goals are written without a reply; a read after them is answered only once they are done.
    joints.Hold();
    ASSERT_TRUE(joints.Read(measured));
    bus.With([](auto& servos) { EXPECT_TRUE(servos[0].Torque && servos[1].Torque); });
    EXPECT_NEAR(measured[1], 45, 0.02);
    EXPECT_TRUE(joints.AllOff());
    ASSERT_TRUE(joints.Read(measured));
    bus.With([](auto& servos) { EXPECT_FALSE(servos[0].Torque || servos[1].Torque); });
}

}  // namespace
}  // namespace torvane
