// Protocol 2.0 packets byte for byte: the examples printed in the protocol's document, byte
// stuffing both ways, and reading packets out of a stream that holds noise, halves and damage.

#include <gtest/gtest.h>

#include <vector>

#include "motorio/DynamixelFrames.h"

namespace torvane::dynamixel {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(DynamixelFrames, InstructionPacketsMatchTheDocumentsExamples) {
    // Read of Present Position (132, 4 bytes) of servo 1; its CRC is the document's 0x151D.
    const Bytes read{0xFF, 0xFF, 0xFD, 0x00, 0x01, 0x07, 0x00, 0x02, 0x84, 0x00, 0x04, 0x00};
    EXPECT_EQ(Crc(read), 0x151D);
    Bytes withCrc = read;
    withCrc.insert(withCrc.end(), {0x1D, 0x15});
    EXPECT_EQ(ReadPacket(1, kPresentPosition, 4), withCrc);

    EXPECT_EQ(PingPacket(1), (Bytes{0xFF, 0xFF, 0xFD, 0x00, 0x01, 0x03, 0x00, 0x01, 0x19, 0x4E}));
    const Bytes goal512{0x00, 0x02, 0x00, 0x00};
    EXPECT_EQ(WritePacket(1, kGoalPosition, goal512),
              (Bytes{0xFF, 0xFF, 0xFD, 0x00, 0x01, 0x09, 0x00, 0x03, 0x74, 0x00, 0x00, 0x02, 0x00,
                     0x00, 0xCA, 0x89}));

    const Bytes ids{1, 2};
    EXPECT_EQ(SyncReadPacket(kPresentPosition, 4, ids),
              (Bytes{0xFF, 0xFF, 0xFD, 0x00, 0xFE, 0x09, 0x00, 0x82, 0x84, 0x00, 0x04, 0x00, 0x01,
                     0x02, 0xCE, 0xFA}));
    // Goal 150 to servo 1 and 170 to servo 2 in one packet.
    const Bytes goals{0x96, 0x00, 0x00, 0x00, 0xAA, 0x00, 0x00, 0x00};
    EXPECT_EQ(SyncWritePacket(kGoalPosition, 4, ids, goals),
              (Bytes{0xFF, 0xFF, 0xFD, 0x00, 0xFE, 0x11, 0x00, 0x83, 0x74, 0x00, 0x04, 0x00,
                     0x01, 0x96, 0x00, 0x00, 0x00, 0x02, 0xAA, 0x00, 0x00, 0x00, 0x82, 0x87}));
}

TEST(DynamixelFrames, StatusPacketsOfTheDocumentReadBack) {
    // The ping's answer: model 1030, firmware 38; then two answers of the sync read, one stream.
    Bytes stream{0xFF, 0xFF, 0xFD, 0x00, 0x01, 0x07, 0x00, 0x55, 0x00, 0x06, 0x04,
                 0x26, 0x65, 0x5D, 0xFF, 0xFF, 0xFD, 0x00, 0x01, 0x08, 0x00, 0x55,
                 0x00, 0xA6, 0x00, 0x00, 0x00, 0x8C, 0xC0, 0xFF, 0xFF, 0xFD, 0x00,
                 0x02, 0x08, 0x00, 0x55, 0x00, 0x1F, 0x08, 0x00, 0x00, 0xBA, 0xBE};
    const std::uint8_t model[] = {0x06, 0x04, 0x26};
    EXPECT_EQ(StatusPacket(1, 0, model), Bytes(stream.begin(), stream.begin() + 14));

    std::vector<Frame> frames;
    for (std::span<const std::uint8_t> rest(stream); !rest.empty();) {
        Frame frame = ReadFrame(rest);
        ASSERT_EQ(frame.Is, Frame::State::Good);
        rest = rest.subspan(frame.Consumed);
        frames.push_back(frame);
    }
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].Instruction, kStatus);
    EXPECT_EQ(GetLittle(std::span(frames[0].Params).subspan(1, 2)), 1030u);
    EXPECT_EQ(frames[1].Id, 1);
    EXPECT_EQ(GetLittle(std::span(frames[1].Params).subspan(1)), 166u);
    EXPECT_EQ(frames[2].Id, 2);
    EXPECT_EQ(GetLittle(std::span(frames[2].Params).subspan(1)), 2079u);
}

TEST(DynamixelFrames, StuffingRoundTrips) {
    const std::vector<std::pair<Bytes, Bytes>> cases = {
        {{0xFF, 0xFF, 0xFD}, {0xFF, 0xFF, 0xFD, 0xFD}},
        {{0xFF, 0xFF, 0xFF, 0xFD, 0x01}, {0xFF, 0xFF, 0xFF, 0xFD, 0xFD, 0x01}},
        {{0xFF, 0xFF, 0xFD, 0xFD}, {0xFF, 0xFF, 0xFD, 0xFD, 0xFD}},
        {{0xFF, 0xFF, 0xFD, 0xFF, 0xFF, 0xFD}, {0xFF, 0xFF, 0xFD, 0xFD, 0xFF, 0xFF, 0xFD, 0xFD}},
        {{0xFF, 0xFD, 0xFF, 0xFE, 0xFD}, {0xFF, 0xFD, 0xFF, 0xFE, 0xFD}},
        {{}, {}},
    };
    for (const auto& [plain, sent] : cases) {
        EXPECT_EQ(Stuff(plain), sent);
        EXPECT_EQ(Unstuff(sent), plain);
    }
    // A goal of -131073 counts (extended position) holds FF FF FD: the length counts the extra
    // byte, the CRC covers it, and the packet reads back as written.
    const std::uint8_t goal[] = {0x05, 0xFF, 0xFF, 0xFD, 0xFF};
    const Bytes packet = Packet(kBroadcastId, kSyncWrite, goal);
    EXPECT_EQ(packet.size(), kHeaderBytes + 1 + 6 + kCrcBytes);
    EXPECT_EQ(GetLittle(std::span(packet).subspan(5, 2)), 9u);
    const Frame frame = ReadFrame(packet);
    ASSERT_EQ(frame.Is, Frame::State::Good);
    EXPECT_EQ(frame.Params, Bytes(std::begin(goal), std::end(goal)));
}

TEST(DynamixelFrames, StreamsWithHalvesNoiseAndDamage) {
    const std::uint8_t data[] = {0xA6, 0x00, 0x00, 0x00};
    const Bytes status = StatusPacket(3, 0, data);
    for (std::size_t cut = 0; cut < status.size(); ++cut)
        EXPECT_EQ(ReadFrame(std::span(status).first(cut)).Is, Frame::State::Incomplete) << cut;

    // Noise before a packet, even noise that starts like a header, is skipped to the packet.
    Bytes noisy{0x00, 0xFF, 0x12, 0xFF, 0xFF, 0xFD, 0x01};
    noisy.insert(noisy.end(), status.begin(), status.end());
    std::span<const std::uint8_t> rest(noisy);
    Frame frame;
    while ((frame = ReadFrame(rest)).Is == Frame::State::Noise) rest = rest.subspan(frame.Consumed);
    EXPECT_EQ(frame.Is, Frame::State::Good);
    EXPECT_EQ(frame.Id, 3);

    // A damaged CRC is a whole bad packet, so what follows it still reads.
    Bytes damaged = status;
    damaged.back() ^= 0x01;
    EXPECT_EQ(ReadFrame(damaged).Is, Frame::State::BadCrc);
    EXPECT_EQ(ReadFrame(damaged).Consumed, status.size());

    // A length that no packet has is noise, not a wait for 60000 bytes.
    const Bytes huge{0xFF, 0xFF, 0xFD, 0x00, 0x01, 0x60, 0xEA, 0x55};
    EXPECT_EQ(ReadFrame(huge).Is, Frame::State::Noise);
    const Bytes tiny{0xFF, 0xFF, 0xFD, 0x00, 0x01, 0x02, 0x00, 0x55};
    EXPECT_EQ(ReadFrame(tiny).Is, Frame::State::Noise);
}

TEST(DynamixelFrames, HardwareErrorsAreNamed) {
    EXPECT_EQ(HardwareErrorText(0x20), "overload");
    EXPECT_EQ(HardwareErrorText(0x01 | 0x04 | 0x08 | 0x10),
              "overheating, input voltage, electrical shock, motor encoder");
    EXPECT_EQ(HardwareErrorText(0x42), "unknown fault bits 66");
    EXPECT_EQ(HardwareErrorText(0), "");
}

}  // namespace
}  // namespace torvane::dynamixel
