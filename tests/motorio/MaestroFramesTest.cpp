// The servo controller's compact protocol byte for byte: the frames against the examples of its
// document, the choice between one Set Multiple Targets and single Set Targets, and what the
// protocol sends and refuses on a port that records every byte.

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "motorio/MaestroFrames.h"
#include "motorio/MaestroProtocol.h"
#include "tests/motorio/MotorTestSupport.h"

namespace torvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::CodeOf;

// A port that records what is written and answers each read with the next scripted reply.
class ScriptedPort final : public BusPort {
  public:
    void Discard() override { ++discards; }
    void Write(std::span<const std::uint8_t> b) override {
        written.emplace_back(b.begin(), b.end());
    }
    std::size_t Read(std::span<std::uint8_t> Into, std::chrono::microseconds) override {
        if (replies.empty()) return 0;
        const Bytes reply = replies.front();
        replies.pop_front();
        const std::size_t n = std::min(reply.size(), Into.size());
        std::copy_n(reply.begin(), n, Into.begin());
        return n;
    }
    const std::string& Device() const noexcept override { return device; }
    double ByteSeconds() const noexcept override { return 10.0 / 115200; }

    std::string device = "/dev/ttyACM0";
    std::vector<Bytes> written;
    std::deque<Bytes> replies;
    int discards = 0;
};

TEST(MaestroFramesTest, TargetsAreFramedAsTheDocumentPrintsThem) {
    // Channel 2 to 1500 us; channel 3 off and channel 4 to 1500 us in one command.
    EXPECT_EQ(MaestroTargetsFrame({{2, 6000}}, true), (Bytes{0x84, 0x02, 0x70, 0x2E}));
    EXPECT_EQ(MaestroTargetsFrame({{4, 6000}, {3, 0}}, true),
              (Bytes{0x9F, 0x02, 0x03, 0x00, 0x00, 0x70, 0x2E}));
    EXPECT_EQ(MaestroTargetsFrame({{4, 6000}, {3, 0}}, false),
              (Bytes{0x84, 0x03, 0x00, 0x00, 0x84, 0x04, 0x70, 0x2E}));
    // Runs of consecutive channels, whatever the order given; a lone channel is one Set Target.
    EXPECT_EQ(MaestroTargetsFrame({{10, 4000}, {0, 1}, {9, 16383}, {1, 8000}, {7, 6000}}, true),
              (Bytes{0x9F, 0x02, 0x00, 0x01, 0x00, 0x40, 0x3E,  //
                     0x84, 0x07, 0x70, 0x2E,                    //
                     0x9F, 0x02, 0x09, 0x7F, 0x7F, 0x20, 0x1F}));
    EXPECT_TRUE(MaestroTargetsFrame({}, true).empty());

    for (const std::vector<MaestroTarget>& bad : std::vector<std::vector<MaestroTarget>>{
             {{24, 6000}}, {{-1, 6000}}, {{0, 16384}}, {{0, -4}}, {{5, 6000}, {4, 1}, {5, 0}}})
        EXPECT_EQ(CodeOf([&] { MaestroTargetsFrame(bad, true); }), ErrorCode::InvalidArgument);
}

TEST(MaestroFramesTest, RepliesAreLittleEndianWordsAndErrorBitsHaveNames) {
    const std::int32_t channels[] = {0, 5, 23};
    EXPECT_EQ(MaestroPositionsRequest(channels), (Bytes{0x90, 0x00, 0x90, 0x05, 0x90, 0x17, 0xA1}));
    const Bytes reply{0x70, 0x17, 0xFF, 0x3F};
    EXPECT_EQ(MaestroReplyWord(reply, 0), 6000);
    EXPECT_EQ(MaestroReplyWord(reply, 2), 16383);

    EXPECT_NE(MaestroErrorNames(0x0010).find("serial protocol error"), std::string::npos);
    const std::string two = MaestroErrorNames(0x0120);
    EXPECT_NE(two.find("serial timeout"), std::string::npos) << two;
    EXPECT_NE(two.find("script program counter error"), std::string::npos) << two;
    EXPECT_NE(MaestroErrorNames(0x8000).find("error bit 15"), std::string::npos);
}

TEST(MaestroProtocolTest,
     WritesEachRoundInOneWriteAndSendsSetMultipleTargetsOnlyToALargerController) {
    const std::unique_ptr<ServoProtocol> protocol = MakeServoProtocol(DriveKind::Maestro);
    EXPECT_EQ(protocol->Kind(), DriveKind::Maestro);
    EXPECT_FALSE(protocol->Measures()) << "it reports the targets it outputs";
    EXPECT_EQ(protocol->HighestId(), 23);
    ScriptedPort port;

    // Channels 0 to 5 may be the smallest controller's, which lacks Set Multiple Targets.
    const std::int32_t small[] = {0, 1};
    protocol->WriteGoals(port, small, std::vector<std::int32_t>{6000, 7000});
    const std::int32_t large[] = {7, 6};
    protocol->WriteGoals(port, large, std::vector<std::int32_t>{7000, 6000});
    protocol->Torque(port, large, false);
    protocol->Torque(port, large, true);  // nothing to send: the next goal starts the pulses
    ASSERT_EQ(port.written.size(), 3u);
    EXPECT_EQ(port.written[0], (Bytes{0x84, 0x00, 0x70, 0x2E, 0x84, 0x01, 0x58, 0x36}));
    EXPECT_EQ(port.written[1], (Bytes{0x9F, 0x02, 0x06, 0x70, 0x2E, 0x58, 0x36}));
    EXPECT_EQ(port.written[2], (Bytes{0x9F, 0x02, 0x06, 0x00, 0x00, 0x00, 0x00}));
}

TEST(MaestroProtocolTest, RefusesGoalsAndChannelsItCannotSendAndLeavesThePortAlone) {
    MaestroProtocol protocol;
    ScriptedPort port;
    const std::int32_t ids[] = {0, 1};
    std::string message;
    // A goal of 0 would stop the pulses, a negative one or one above 14 bits cannot be sent.
    for (const std::int32_t bad : {0, -6000, 16384}) {
        EXPECT_EQ(CodeOf(
                      [&] {
                          protocol.WriteGoals(port, ids, std::vector{6000, bad});
                      },
                      &message),
                  ErrorCode::InvalidArgument);
        EXPECT_NE(message.find("channel 1 on /dev/ttyACM0"), std::string::npos) << message;
    }
    const std::int32_t beyond[] = {3, 24};
    std::vector<std::int32_t> counts(2);
    EXPECT_EQ(CodeOf(
                  [&] {
                      protocol.WriteGoals(port, beyond, std::vector{6000, 6000});
                  },
                  &message),
              ErrorCode::InvalidArgument);
    EXPECT_NE(message.find("no channel 24"), std::string::npos) << message;
    EXPECT_EQ(CodeOf([&] { protocol.ReadPositions(port, beyond, counts); }),
              ErrorCode::InvalidArgument);
    EXPECT_EQ(CodeOf([&] { protocol.Torque(port, beyond, false); }), ErrorCode::InvalidArgument);
    EXPECT_EQ(CodeOf([&] { protocol.WriteGoals(port, ids, std::vector{6000}); }),
              ErrorCode::InvalidArgument);
    EXPECT_TRUE(port.written.empty());
    EXPECT_FALSE(protocol.Ping(port, 24));
    EXPECT_FALSE(protocol.Ping(port, -1));
    EXPECT_TRUE(port.written.empty());
}

TEST(MaestroProtocolTest, AGarbledReplyIsAskedForOnceMoreAndASecondOneStopsNamingTheChannel) {
    MaestroProtocol protocol;
    ScriptedPort port;
    const std::int32_t ids[] = {4, 9};
    std::vector<std::int32_t> counts(2);
    const Bytes good{0x70, 0x17, 0x40, 0x1F, 0x00, 0x00};
    const Bytes garbled{0x70, 0x17, 0x40, 0xDF, 0x00, 0x00};

    port.replies = {garbled, good};
    protocol.ReadPositions(port, ids, counts);
    EXPECT_EQ(counts, (std::vector<std::int32_t>{6000, 8000}));
    ASSERT_EQ(port.written.size(), 2u);
    EXPECT_EQ(port.written[1], (Bytes{0x90, 0x04, 0x90, 0x09, 0xA1}));
    EXPECT_EQ(port.discards, 2) << "what came unasked is dropped before each request";

    port.replies = {garbled, garbled};
    try {
        protocol.ReadPositions(port, ids, counts);
        ADD_FAILURE() << "no error";
    } catch (const ServoBusError& e) {
        EXPECT_EQ(e.What(), ServoBusError::Kind::Checksum);
        EXPECT_EQ(e.Id(), 9);
        EXPECT_NE(std::string(e.what()).find("/dev/ttyACM0"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("channel 9"), std::string::npos) << e.what();
    }
    // A garbled error register counts as well.
    port.replies = {Bytes{0x70, 0x17, 0x40, 0x1F, 0x00, 0x80}, good};
    protocol.ReadPositions(port, ids, counts);
    EXPECT_EQ(counts[1], 8000);
}

}  // namespace
}  // namespace torvane
