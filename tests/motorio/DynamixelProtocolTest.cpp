// The protocol-2.0 servos through the protocol interface against emulated X-series servos on a
// pseudo-terminal: a control round, a scan, values that need byte stuffing, and each fault a bus
// has (a silent servo, corrupt replies, hardware errors, requests that cannot be sent).

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "model/Error.h"
#include "motorio/BusServoJoints.h"
#include "motorio/DynamixelProtocol.h"
#include "tests/support/DynamixelEmulator.h"

namespace torvane {
namespace {

using mechanon::testing::DynamixelResponder;
using mechanon::testing::DynamixelTestPacket;
using mechanon::testing::EmulatedServo;
using mechanon::testing::PtyServoBus;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

EmulatedServo Servo(std::int32_t Id, std::int32_t Model, double Position) {
    EmulatedServo servo;
    servo.Id = Id;
    servo.Model = Model;
    servo.Position = servo.Goal = Position;
    return servo;
}

bool Contains(const Bytes& Haystack, const Bytes& Needle) {
    return std::search(Haystack.begin(), Haystack.end(), Needle.begin(), Needle.end()) !=
           Haystack.end();
}

// Waits until the emulator has received Needle (a request nobody answers).
bool Received(const PtyServoBus& Bus, const Bytes& Needle) {
    for (const auto end = Clock::now() + std::chrono::seconds(2); Clock::now() < end;)
        if (Contains(Bus.Received(), Needle)) return true;
    return false;
}

ServoBusError BusErrorOf(const std::function<void()>& Call) {
    try {
        Call();
    } catch (const ServoBusError& e) {
        return e;
    }
    ADD_FAILURE() << "no bus error";
    return ServoBusError(ServoBusError::Kind::Device, -1, "");
}

bool Mentions(const ServoBusError& Error, const std::string& Part) {
    return std::string(Error.what()).find(Part) != std::string::npos;
}

struct Fixture {
    explicit Fixture(std::vector<EmulatedServo> Servos,
                     PtyServoBus::Responder Respond = DynamixelResponder())
        : bus(std::move(Servos), std::move(Respond)),
          owned(OpenSerialBus(bus.DevicePath(), 1'000'000)),
          port(*owned) {}
    EmulatedServo Get(int Id) {
        EmulatedServo copy;
        bus.With([&](auto& all) { copy = all.at(Id); });
        return copy;
    }
    PtyServoBus bus;
    std::unique_ptr<BusPort> owned;
    BusPort& port;
    DynamixelProtocol protocol;
};

TEST(DynamixelProtocol, TheEmulatorAnswersTheDocumentsSyncReadAsPrinted) {
    // Servos 1 and 2 at 166 and 2079 asked for their present positions in one request.
    Bytes request{0xFF, 0xFF, 0xFD, 0x00, 0xFE, 0x09, 0x00, 0x82,
                  0x84, 0x00, 0x04, 0x00, 0x01, 0x02, 0xCE, 0xFA};
    std::map<int, EmulatedServo> servos{{1, Servo(1, 1030, 166)}, {2, Servo(2, 1030, 2079)}};
    const Bytes answer = DynamixelResponder()(request, servos);
    EXPECT_EQ(answer, (Bytes{0xFF, 0xFF, 0xFD, 0x00, 0x01, 0x08, 0x00, 0x55, 0x00, 0xA6,
                             0x00, 0x00, 0x00, 0x8C, 0xC0, 0xFF, 0xFF, 0xFD, 0x00, 0x02,
                             0x08, 0x00, 0x55, 0x00, 0x1F, 0x08, 0x00, 0x00, 0xBA, 0xBE}));
    EXPECT_TRUE(request.empty());
}

TEST(DynamixelProtocol, DrivesRoundsAndScansTheEmulatedServos) {
    Fixture f({Servo(1, mechanon::testing::kXl430Model, 2048),
               Servo(2, mechanon::testing::kXm430Model, 1000)});
    const std::int32_t ids[] = {1, 2};
    f.protocol.Torque(f.port, ids, true);
    EXPECT_TRUE(f.Get(1).Torque && f.Get(2).Torque);

    const std::int32_t goals[] = {2100, 900};
    f.protocol.WriteGoals(f.port, ids, goals);
    // One sync write for both, as the emulator's own framing writes it.
    EXPECT_TRUE(Received(f.bus, DynamixelTestPacket(0xFE, 0x83,
                                                    {0x74, 0x00, 0x04, 0x00, 0x01, 0x34, 0x08, 0x00,
                                                     0x00, 0x02, 0x84, 0x03, 0x00, 0x00})));
    std::int32_t counts[] = {0, 0};
    for (const auto end = Clock::now() + std::chrono::seconds(2);
         Clock::now() < end && !(counts[0] == 2100 && counts[1] == 900);)
        f.protocol.ReadPositions(f.port, ids, counts);
    EXPECT_EQ(counts[0], 2100);
    EXPECT_EQ(counts[1], 900);

    const std::optional<ServoFound> found = f.protocol.Ping(f.port, 2);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Model, mechanon::testing::kXm430Model);
    EXPECT_EQ(found->Position, 900);
    EXPECT_FALSE(f.protocol.Ping(f.port, 5));

    f.protocol.Torque(f.port, ids, false);
    EXPECT_FALSE(f.Get(1).Torque || f.Get(2).Torque);

    const std::unique_ptr<ServoProtocol> made = MakeServoProtocol(DriveKind::Dynamixel);
    EXPECT_EQ(made->Kind(), DriveKind::Dynamixel);
    EXPECT_EQ(made->DefaultBaud(), 57600);
}

TEST(DynamixelProtocol, ServosThatAnswerReadsOnlyAreDrivenAllTheSame) {
    Fixture f({Servo(1, mechanon::testing::kXl430Model, 100),
               Servo(2, mechanon::testing::kXl430Model, 200)});
    // Status Return Level 1 for servo 2: its answer to this write is the last of its writes.
    f.port.Write(DynamixelTestPacket(2, 0x03, {68, 0, 1}));
    std::uint8_t status[11];
    ASSERT_EQ(f.port.Read(status, std::chrono::seconds(2)), sizeof status);

    const std::int32_t ids[] = {1, 2};
    f.protocol.Torque(f.port, ids, true);
    EXPECT_TRUE(f.Get(1).Torque && f.Get(2).Torque);
    std::int32_t counts[] = {0, 0};
    f.protocol.ReadPositions(f.port, ids, counts);
    EXPECT_EQ(counts[1], 200);
    f.protocol.Torque(f.port, ids, false);
    EXPECT_FALSE(f.Get(1).Torque || f.Get(2).Torque);
}

TEST(DynamixelProtocol, PositionsThatNeedStuffingCrossTheBus) {
    // -131073 counts (extended position, 32 turns back) is FF FF FD FF on the wire.
    EmulatedServo servo = Servo(7, mechanon::testing::kXm430Model, -131073);
    servo.Goal = 0;
    Fixture f({servo});
    const std::int32_t ids[] = {7};
    std::int32_t counts[] = {0};
    f.protocol.ReadPositions(f.port, ids, counts);
    EXPECT_EQ(counts[0], -131073);

    const std::int32_t goal[] = {-131073};
    f.protocol.WriteGoals(f.port, ids, goal);
    EXPECT_TRUE(Received(f.bus, {0xFF, 0xFF, 0xFD, 0xFD, 0xFF}));
    for (const auto end = Clock::now() + std::chrono::seconds(2);
         Clock::now() < end && f.Get(7).Goal != goal[0];) {
    }
    EXPECT_EQ(f.Get(7).Goal, goal[0]);
}

TEST(DynamixelProtocol, ACorruptReplyIsAskedForOnceThenNamed) {
    EmulatedServo noisy = Servo(2, mechanon::testing::kXl430Model, 1500);
    noisy.CorruptNextReply = true;
    Fixture once({Servo(1, mechanon::testing::kXl430Model, 500), noisy});
    const std::int32_t ids[] = {1, 2};
    std::int32_t counts[] = {0, 0};
    once.protocol.ReadPositions(once.port, ids, counts);
    EXPECT_EQ(counts[0], 500);
    EXPECT_EQ(counts[1], 1500);
    // The second request asks only the servo whose reply was corrupt.
    EXPECT_TRUE(Contains(once.bus.Received(),
                         DynamixelTestPacket(0xFE, 0x82, {0x84, 0x00, 0x04, 0x00, 0x02})));

    // A servo whose every reply is corrupt: the second failure ends the call, naming it.
    auto alwaysCorrupt = [inner = DynamixelResponder()](Bytes& Received, auto& Servos) {
        Servos.at(2).CorruptNextReply = true;
        return inner(Received, Servos);
    };
    Fixture always({Servo(1, mechanon::testing::kXl430Model, 500), noisy}, alwaysCorrupt);
    std::int32_t kept[] = {-1, -1};
    const ServoBusError e =
        BusErrorOf([&] { always.protocol.ReadPositions(always.port, ids, kept); });
    EXPECT_EQ(e.What(), ServoBusError::Kind::Checksum);
    EXPECT_EQ(e.Id(), 2);
    EXPECT_TRUE(Mentions(e, always.bus.DevicePath()) && Mentions(e, "servo 2"));
    EXPECT_EQ(kept[0], -1);  // nothing of a failed read is reported as read
}

TEST(DynamixelProtocol, ASilentServoTimesOutNamingDeviceAndId) {
    EmulatedServo silent = Servo(2, mechanon::testing::kXl430Model, 1500);
    silent.Answers = false;
    EmulatedServo first = Servo(1, mechanon::testing::kXl430Model, 500);
    first.Torque = true;
    Fixture f({first, silent});
    const std::int32_t ids[] = {1, 2};
    std::int32_t counts[] = {-1, -1};
    ServoBusError e = BusErrorOf([&] { f.protocol.ReadPositions(f.port, ids, counts); });
    EXPECT_EQ(e.What(), ServoBusError::Kind::Timeout);
    EXPECT_EQ(e.Id(), 2);
    EXPECT_TRUE(Mentions(e, f.bus.DevicePath()) && Mentions(e, "servo 2"));
    EXPECT_EQ(counts[0], -1);

    // Switching torque off reaches every servo that answers before the silent one is named.
    const std::int32_t silentFirst[] = {2, 1};
    e = BusErrorOf([&] { f.protocol.Torque(f.port, silentFirst, false); });
    EXPECT_EQ(e.Id(), 2);
    EXPECT_FALSE(f.Get(1).Torque);
}

TEST(DynamixelProtocol, HardwareErrorsStopWithTheirNames) {
    EmulatedServo hot = Servo(3, mechanon::testing::kXm430Model, 2048);
    hot.HardwareError = mechanon::testing::kDxlOverload | mechanon::testing::kDxlOverheating;
    Fixture f({Servo(1, mechanon::testing::kXm430Model, 0), hot});
    const std::int32_t ids[] = {1, 3};
    std::int32_t counts[] = {0, 0};
    ServoBusError e = BusErrorOf([&] { f.protocol.ReadPositions(f.port, ids, counts); });
    EXPECT_EQ(e.What(), ServoBusError::Kind::Hardware);
    EXPECT_EQ(e.Id(), 3);
    EXPECT_TRUE(Mentions(e, "servo 3") && Mentions(e, "overload") && Mentions(e, "overheating"));

    e = BusErrorOf([&] { f.protocol.Torque(f.port, ids, true); });
    EXPECT_EQ(e.What(), ServoBusError::Kind::Hardware);
    // Off is what a servo in trouble should be: no error for that.
    EXPECT_NO_THROW(f.protocol.Torque(f.port, ids, false));
    // A scan still finds it.
    EXPECT_TRUE(f.protocol.Ping(f.port, 3));
}

TEST(DynamixelProtocol, RequestsThatCannotBeSentAreRefusedBeforeTheBus) {
    Fixture f({Servo(1, mechanon::testing::kXl430Model, 0)});
    const std::int32_t two[] = {1, 2};
    const std::int32_t one[] = {5};
    const std::int32_t beyond[] = {253};
    const std::int32_t twice[] = {1, 1};
    std::int32_t counts[] = {0, 0};
    for (const auto& call : std::vector<std::function<void()>>{
             [&] { f.protocol.WriteGoals(f.port, two, one); },
             [&] { f.protocol.WriteGoals(f.port, beyond, one); },
             [&] { f.protocol.ReadPositions(f.port, twice, counts); },
             [&] { f.protocol.Ping(f.port, -1); }}) {
        try {
            call();
            ADD_FAILURE() << "not refused";
        } catch (const Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::InvalidArgument);
        }
    }
    EXPECT_TRUE(f.bus.Received().empty());
}

JointLine DynamixelLine(const std::string& Device, std::int32_t Id, double Scale, double Zero) {
    JointLine line;
    line.Device = Device;
    line.Kind = DriveKind::Dynamixel;
    line.ServoId = Id;
    line.Baud = 1'000'000;
    line.Scale = Scale;
    line.Zero = Zero;
    return line;
}

TEST(DynamixelProtocol, DrivesAPathThroughTheJointsOfItsBus) {
    PtyServoBus bus({Servo(1, mechanon::testing::kXl430Model, 2048),
                     Servo(2, mechanon::testing::kXm430Model, 1024)},
                    DynamixelResponder());
    BusServoJoints joints(bus.DevicePath(), MakeServoProtocol(DriveKind::Dynamixel));
    // Servo 2 turns the other way round; both in degrees, 4096 counts a turn.
    joints.Open({DynamixelLine(bus.DevicePath(), 1, 4096.0 / 360, 2048),
                 DynamixelLine(bus.DevicePath(), 2, -4096.0 / 360, 1024)});
    std::atomic<int> busy{0};
    double measured[2] = {};
    ASSERT_TRUE(joints.Read(measured));
    EXPECT_NEAR(measured[0], 0, 1e-9);
    EXPECT_NEAR(measured[1], 0, 1e-9);

    // A ramp to 10 degrees, then rounds until both stand there.
    for (int step = 1; step <= 10; ++step) {
        const double targets[] = {step * 1.0, step * 1.0};
        joints.Command(targets, busy);
        ASSERT_TRUE(joints.Read(measured));
    }
    for (const auto end = Clock::now() + std::chrono::seconds(2);
         Clock::now() < end && std::abs(measured[0] - 10) + std::abs(measured[1] - 10) > 0.2;)
        ASSERT_TRUE(joints.Read(measured));
    EXPECT_NEAR(measured[0], 10, 0.1);
    EXPECT_NEAR(measured[1], 10, 0.1);
    bus.With([](auto& all) {
        EXPECT_EQ(all.at(1).Goal, 2162);  // 2048 + 10 * 4096 / 360, rounded
        EXPECT_EQ(all.at(2).Goal, 910);
        EXPECT_TRUE(all.at(1).Torque && all.at(2).Torque);
        all.at(2).Answers = false;  // unplugged from the bus mid-drive
    });
    try {
        joints.Read(measured);
        ADD_FAILURE() << "a silent servo was not noticed";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("servo 2 on " + bus.DevicePath()), std::string::npos)
            << e.what();
    }
    joints.Close();
    bus.With([](auto& all) { EXPECT_FALSE(all.at(1).Torque); });
}

}  // namespace
}  // namespace torvane
