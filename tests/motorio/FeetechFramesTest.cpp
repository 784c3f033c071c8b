// The frames of the STS/SCS protocol against the examples printed in its public document.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "model/Error.h"
#include "motorio/FeetechFrames.h"

namespace ft = torvane::feetech;

namespace {

ft::Bytes Hex(std::initializer_list<int> bytes) {
    ft::Bytes b;
    for (const int x : bytes) b.push_back(static_cast<std::uint8_t>(x));
    return b;
}

std::vector<ft::Status> StatusesOf(const ft::Bytes& bytes) {
    std::vector<ft::Status> all;
    std::size_t at = 0;
    while (auto s = ft::NextStatus(bytes, at)) all.push_back(*s);
    return all;
}

}  // namespace

TEST(FeetechFrames, InstructionsAreTheDocumentsExamples) {
    EXPECT_EQ(ft::PingFrame(1), Hex({0xFF, 0xFF, 0x01, 0x02, 0x01, 0xFB}));
    EXPECT_EQ(ft::ReadFrame(1, 0x38, 2), Hex({0xFF, 0xFF, 0x01, 0x04, 0x02, 0x38, 0x02, 0xBE}));
    // The broadcast write of id 1 to address 5, whose sum passes 255.
    const std::uint8_t newId[] = {0x01};
    EXPECT_EQ(ft::WriteFrame(ft::kBroadcastId, 0x05, newId),
              Hex({0xFF, 0xFF, 0xFE, 0x04, 0x03, 0x05, 0x01, 0xF4}));
    ft::Bytes goal;
    ft::PutCount(goal, 2048);
    ft::PutCount(goal, 0);
    ft::PutCount(goal, 1000);
    EXPECT_EQ(ft::WriteFrame(1, 0x2A, goal),
              Hex({0xFF, 0xFF, 0x01, 0x09, 0x03, 0x2A, 0x00, 0x08, 0x00, 0x00, 0xE8, 0x03, 0xD5}));
    // Position 2048, time 0 and speed 1000 to servos 1 to 4 in one frame.
    const std::uint8_t ids[] = {1, 2, 3, 4};
    ft::Bytes data;
    for (int k = 0; k < 4; ++k) data.insert(data.end(), goal.begin(), goal.end());
    EXPECT_EQ(ft::SyncWriteFrame(0x2A, 6, ids, data),
              Hex({0xFF, 0xFF, 0xFE, 0x20, 0x83, 0x2A, 0x06, 0x01, 0x00, 0x08, 0x00, 0x00,
                   0xE8, 0x03, 0x02, 0x00, 0x08, 0x00, 0x00, 0xE8, 0x03, 0x03, 0x00, 0x08,
                   0x00, 0x00, 0xE8, 0x03, 0x04, 0x00, 0x08, 0x00, 0x00, 0xE8, 0x03, 0x58}));
    const std::uint8_t two[] = {1, 2};
    EXPECT_EQ(ft::SyncReadFrame(0x38, 8, two),
              Hex({0xFF, 0xFF, 0xFE, 0x06, 0x82, 0x38, 0x08, 0x01, 0x02, 0x36}));
    EXPECT_THROW(ft::SyncWriteFrame(0x2A, 2, ids, data), torvane::Error);  // data not 2 per servo
}

TEST(FeetechFrames, StatusesOfTheDocumentsExamplesAreRead) {
    EXPECT_EQ(ft::StatusFrame(1, 0, {}), Hex({0xFF, 0xFF, 0x01, 0x02, 0x00, 0xFC}));
    const auto read = StatusesOf(Hex({0xFF, 0xFF, 0x01, 0x04, 0x00, 0x18, 0x05, 0xDD}));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_TRUE(read[0].ChecksumOk);
    EXPECT_EQ(ft::CountOf(read[0].Params[0], read[0].Params[1]), 1304);
    // The two replies of the synchronous read, back to back, after some noise on the line.
    const auto sync = StatusesOf(Hex({0x00, 0xFF, 0xFF, 0xFF, 0x01, 0x0A, 0x00, 0x00, 0x08, 0x00,
                                      0x00, 0x00, 0x00, 0x79, 0x1E, 0x55, 0xFF, 0xFF, 0x02, 0x0A,
                                      0x00, 0xFF, 0x07, 0x00, 0x00, 0x00, 0x00, 0x77, 0x23, 0x53}));
    ASSERT_EQ(sync.size(), 2u);
    EXPECT_EQ(sync[0].Id, 1);
    EXPECT_EQ(sync[1].Id, 2);
    EXPECT_TRUE(sync[0].ChecksumOk && sync[1].ChecksumOk);
    EXPECT_EQ(ft::CountOf(sync[0].Params[0], sync[0].Params[1]), 2048);
    EXPECT_EQ(ft::CountOf(sync[1].Params[0], sync[1].Params[1]), 2047);
}

TEST(FeetechFrames, BrokenAndPartialStatusesAreToldApart) {
    auto bytes = Hex({0xFF, 0xFF, 0x01, 0x04, 0x20, 0x18, 0x05, 0xDD});  // error bit, old sum
    auto got = StatusesOf(bytes);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_FALSE(got[0].ChecksumOk);
    bytes.pop_back();  // the checksum not arrived yet: nothing whole, nothing consumed
    std::size_t at = 0;
    EXPECT_FALSE(ft::NextStatus(bytes, at));
    EXPECT_EQ(at, 0u);
    EXPECT_EQ(ft::StatusErrorText(ft::status::Overload | ft::status::Overheat),
              "overheating, overload");
    EXPECT_EQ(ft::StatusErrorText(0x41), "input voltage out of range, error bits 64");
}

TEST(FeetechFrames, CountsCarryTheirSignInBit15) {
    ft::Bytes b;
    ft::PutCount(b, -5);
    ft::PutCount(b, 32767);
    EXPECT_EQ(b, Hex({0x05, 0x80, 0xFF, 0x7F}));
    EXPECT_EQ(ft::CountOf(0x05, 0x80), -5);
    EXPECT_EQ(ft::CountOf(0xFF, 0x7F), 32767);
    EXPECT_THROW(ft::PutCount(b, 32768), torvane::Error);
    EXPECT_THROW(ft::PutCount(b, -32768), torvane::Error);
    EXPECT_EQ(b.size(), 4u);
}

TEST(FeetechFrames, NoiseIsReadWithinItsBoundsAndWholeFramesComeOutAsSent) {
    std::mt19937 random(35);
    std::uniform_int_distribution<int> length(0, 12), byte(0, 255), coin(0, 3);
    const auto noise = [&](ft::Bytes& into) {
        for (int n = length(random); n > 0; --n)
            into.push_back(coin(random) == 0 ? 0xFF : static_cast<std::uint8_t>(byte(random)));
    };
    int whole = 0;
    for (int round = 0; round < 3000; ++round) {
        // Noise, a status, noise, the whole cut short at random.
        ft::Bytes line;
        noise(line);
        ft::Bytes params;
        noise(params);
        const ft::Bytes frame = ft::StatusFrame(static_cast<std::uint8_t>(byte(random) % 254),
                                                static_cast<std::uint8_t>(byte(random)), params);
        line.insert(line.end(), frame.begin(), frame.end());
        noise(line);
        line.resize(std::uniform_int_distribution<std::size_t>(0, line.size())(random));
        std::size_t at = 0;
        while (const auto s = ft::NextStatus(line, at)) {
            ASSERT_LE(at, line.size());
            if (!s->ChecksumOk) continue;
            ++whole;
            const ft::Bytes again = ft::StatusFrame(s->Id, s->Error, s->Params);
            ASSERT_LE(again.size(), at);
            EXPECT_TRUE(std::equal(again.begin(), again.end(), line.begin() + (at - again.size())));
        }
    }
    EXPECT_GT(whole, 300);  // the frames were found, not only skipped
}
