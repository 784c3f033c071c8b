// The STS/SCS protocol against its emulator on a pseudo-terminal: control rounds, scans, torque,
// and every way a servo or the bus fails.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "model/Error.h"
#include "motorio/BusPort.h"
#include "motorio/FeetechProtocol.h"
#include "tests/support/FeetechEmulator.h"

using mechanon::testing::EmulatedServo;
using mechanon::testing::PtyServoBus;
using torvane::ServoBusError;

namespace {

std::vector<EmulatedServo> Servos(int count) {
    std::vector<EmulatedServo> all;
    for (int id = 1; id <= count; ++id) {
        EmulatedServo s;
        s.Id = id;
        s.Model = mechanon::testing::kSts3215Model;
        s.Position = 2000 + 10 * id;
        s.Goal = s.Position;
        s.Speed = 40000;
        all.push_back(s);
    }
    return all;
}

class FeetechBus : public ::testing::Test {
  protected:
    explicit FeetechBus(PtyServoBus::Responder respond = mechanon::testing::FeetechResponder())
        : bus_(Servos(6), std::move(respond)),
          port_(torvane::OpenSerialBus(bus_.DevicePath(), 1000000)) {}

    void Change(int id, const std::function<void(EmulatedServo&)>& change) {
        bus_.With([&](auto& servos) { change(servos.at(id)); });
    }
    // The failure a round raises, with its kind, servo and message.
    ServoBusError ReadFails(std::span<const std::int32_t> ids) {
        std::vector<std::int32_t> counts(ids.size());
        try {
            protocol_.ReadPositions(*port_, ids, counts);
        } catch (const ServoBusError& e) {
            return e;
        }
        ADD_FAILURE() << "the read succeeded";
        return ServoBusError(ServoBusError::Kind::Device, -2, "");
    }

    PtyServoBus bus_;
    std::unique_ptr<torvane::BusPort> port_;
    torvane::FeetechProtocol protocol_;
    const std::vector<std::int32_t> ids_{1, 2, 3, 4, 5, 6};
};

TEST_F(FeetechBus, RoundsMoveTheServosToTheirGoalsAndReadThemBack) {
    protocol_.Torque(*port_, ids_, true);
    bus_.With([](auto& servos) {
        for (auto& [id, s] : servos) EXPECT_TRUE(s.Torque) << id;
    });
    const std::vector<std::int32_t> goals{100, 4095, -300, 2048, 0, 3000};
    std::vector<std::int32_t> counts(ids_.size());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    do {
        protocol_.WriteGoals(*port_, ids_, goals);
        protocol_.ReadPositions(*port_, ids_, counts);
    } while (counts != goals && std::chrono::steady_clock::now() < deadline);
    EXPECT_EQ(counts, goals);

    // With torque off a servo stays where it is, whatever its goal.
    const std::vector<std::int32_t> two{2};
    protocol_.Torque(*port_, two, false);
    const std::vector<std::int32_t> away{10};
    protocol_.WriteGoals(*port_, two, away);
    bus_.With([](auto& servos) {
        EXPECT_FALSE(servos.at(2).Torque);
        EXPECT_TRUE(servos.at(3).Torque);
    });
    std::vector<std::int32_t> one(1);
    protocol_.ReadPositions(*port_, two, one);
    EXPECT_EQ(one[0], 4095);
}

TEST_F(FeetechBus, PingFindsModelAndPositionAndOnlyServosThatAnswer) {
    const auto found = protocol_.Ping(*port_, 3);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Id, 3);
    EXPECT_EQ(found->Model, 777);
    EXPECT_EQ(found->Position, 2030);
    EXPECT_FALSE(protocol_.Ping(*port_, 7));
    Change(4, [](EmulatedServo& s) { s.Answers = false; });
    EXPECT_FALSE(protocol_.Ping(*port_, 4));
    // A servo reporting a fault is still found by a scan.
    Change(5, [](EmulatedServo& s) { s.HardwareError = torvane::feetech::status::Overload; });
    EXPECT_TRUE(protocol_.Ping(*port_, 5));
    // One spoilt reply is asked for again.
    Change(1, [](EmulatedServo& s) { s.CorruptNextReply = true; });
    EXPECT_TRUE(protocol_.Ping(*port_, 1));
}

TEST_F(FeetechBus, ASilentServoIsNamedWithTheDevice) {
    Change(3, [](EmulatedServo& s) { s.Answers = false; });
    const ServoBusError e = ReadFails(ids_);
    EXPECT_EQ(e.What(), ServoBusError::Kind::Timeout);
    EXPECT_EQ(e.Id(), 3);
    EXPECT_NE(std::string(e.what()).find("servo 3 on " + bus_.DevicePath()), std::string::npos)
        << e.what();
    // Torque off still reaches the servos that listen, and names the one that did not answer.
    protocol_.Torque(*port_, std::vector<std::int32_t>{1, 2}, true);
    EXPECT_THROW(protocol_.Torque(*port_, ids_, false), ServoBusError);
    bus_.With([](auto& servos) {
        EXPECT_FALSE(servos.at(1).Torque);
        EXPECT_FALSE(servos.at(2).Torque);
    });
}

TEST_F(FeetechBus, HardwareErrorBitsStopTheRoundNamingServoAndFault) {
    Change(4, [](EmulatedServo& s) {
        s.HardwareError = torvane::feetech::status::Overload | torvane::feetech::status::Voltage;
    });
    const ServoBusError e = ReadFails(ids_);
    EXPECT_EQ(e.What(), ServoBusError::Kind::Hardware);
    EXPECT_EQ(e.Id(), 4);
    EXPECT_NE(std::string(e.what()).find("servo 4"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("overload"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("voltage"), std::string::npos) << e.what();
    // Switching the torque off after the fault is no new failure.
    protocol_.Torque(*port_, ids_, true);
    protocol_.Torque(*port_, ids_, false);
    bus_.With([](auto& servos) { EXPECT_FALSE(servos.at(4).Torque); });
}

TEST_F(FeetechBus, OneBadChecksumIsAskedForAgainWithinTheRound) {
    Change(2, [](EmulatedServo& s) { s.CorruptNextReply = true; });
    std::vector<std::int32_t> counts(ids_.size());
    protocol_.ReadPositions(*port_, ids_, counts);
    EXPECT_EQ(counts[1], 2020);
    EXPECT_EQ(counts[5], 2060);
}

// Servo 2 spoils the checksum of as many replies as spoil_ says.
class FeetechNoisyBus : public FeetechBus {
  protected:
    FeetechNoisyBus()
        : FeetechBus([spoil = spoil_, inner = mechanon::testing::FeetechResponder()](auto& received,
                                                                                     auto& servos) {
              EmulatedServo& two = servos.at(2);
              if (*spoil > 0) two.CorruptNextReply = true;
              auto reply = inner(received, servos);
              if (*spoil > 0 && !two.CorruptNextReply) --*spoil;
              return reply;
          }) {}
    static inline std::shared_ptr<int> spoil_ = std::make_shared<int>(0);
};

TEST_F(FeetechNoisyBus, ASecondBadChecksumStopsNamingTheServo) {
    *spoil_ = 2;  // the synchronous read's reply and its one repeat
    const ServoBusError e = ReadFails(ids_);
    EXPECT_EQ(e.What(), ServoBusError::Kind::Checksum);
    EXPECT_EQ(e.Id(), 2);
    EXPECT_NE(std::string(e.what()).find("servo 2 on " + bus_.DevicePath()), std::string::npos);
    // The next round reads cleanly again.
    std::vector<std::int32_t> counts(ids_.size());
    protocol_.ReadPositions(*port_, ids_, counts);
    EXPECT_EQ(counts[1], 2020);
    *spoil_ = 2;
    try {
        protocol_.Ping(*port_, 2);
        ADD_FAILURE() << "the ping succeeded";
    } catch (const ServoBusError& p) {
        EXPECT_EQ(p.What(), ServoBusError::Kind::Checksum);
    }
}

TEST_F(FeetechBus, AnUnpluggedBusIsADeviceError) {
    bus_.Unplug();
    const ServoBusError e = ReadFails(ids_);
    EXPECT_EQ(e.What(), ServoBusError::Kind::Device);
    EXPECT_NE(std::string(e.what()).find(bus_.DevicePath()), std::string::npos) << e.what();
}

TEST_F(FeetechBus, BadRequestsAreRefusedBeforeAnyByteIsSent) {
    const std::vector<std::int32_t> badId{1, 254};
    const std::vector<std::int32_t> counts{2048, 2048};
    EXPECT_THROW(protocol_.WriteGoals(*port_, badId, counts), torvane::Error);
    const std::vector<std::int32_t> far{2048, 40000};
    EXPECT_THROW(protocol_.WriteGoals(*port_, std::vector<std::int32_t>{1, 2}, far),
                 torvane::Error);
    EXPECT_THROW(protocol_.WriteGoals(*port_, ids_, counts), torvane::Error);
    EXPECT_THROW(protocol_.Torque(*port_, badId, false), torvane::Error);
    EXPECT_THROW(protocol_.Ping(*port_, -1), torvane::Error);
    // Nothing reached the bus, and nothing moved.
    std::vector<std::int32_t> now(ids_.size());
    protocol_.ReadPositions(*port_, ids_, now);
    EXPECT_EQ(bus_.Received(),
              torvane::feetech::SyncReadFrame(56, 2, std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(now[0], 2010);
}

}  // namespace
