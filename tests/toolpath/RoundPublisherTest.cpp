// What the control rounds publish for the window thread: every round in order, in bounded
// batches, the oldest dropped (and counted) when nobody takes them, and the latest kept apart.

#include <gtest/gtest.h>

#include <thread>

#include "toolpath/RoundPublisher.h"

namespace torvane {
namespace {

DoubleArray Values(double a, double b) {
    return DoubleArray(1, std::vector<double>{a, b});
}

TEST(RoundPublisher, RoundsComeInOrderInBatchesAndTheOldestAreDroppedWhenNobodyTakesThem) {
    RoundPublisher published;
    PublishedRound latest;
    EXPECT_FALSE(published.Latest(latest));
    const std::size_t extra = 10;
    for (std::size_t k = 0; k < RoundPublisher::kCapacity + extra; ++k)
        published.Publish(static_cast<double>(k), Values(k, 1), Values(2, k));
    EXPECT_EQ(published.Dropped(), extra);
    ASSERT_TRUE(published.Latest(latest));
    EXPECT_EQ(latest.T, static_cast<double>(RoundPublisher::kCapacity + extra - 1));

    std::vector<double> times;
    for (auto batch = published.Take(1000); !batch.empty(); batch = published.Take(1000)) {
        EXPECT_LE(batch.size(), 1000u);
        for (const PublishedRound& r : batch) {
            ASSERT_EQ(r.Targets, (std::vector<double>{r.T, 1}));
            ASSERT_EQ(r.Measured, (std::vector<double>{2, r.T}));
            times.push_back(r.T);
        }
    }
    ASSERT_EQ(times.size(), RoundPublisher::kCapacity);
    for (std::size_t k = 0; k < times.size(); ++k)
        ASSERT_EQ(times[k], static_cast<double>(k + extra)) << "the oldest were dropped";

    published.Clear();
    EXPECT_FALSE(published.Latest(latest));
    EXPECT_EQ(published.Dropped(), 0u);
    EXPECT_TRUE(published.Take().empty());
}

TEST(RoundPublisher, ATakerOnAnotherThreadSeesEveryRoundOnce) {
    RoundPublisher published;
    constexpr int kRounds = 20000;
    std::vector<double> seen;
    std::jthread taker([&](std::stop_token stop) {
        while (true) {
            const bool last = stop.stop_requested();
            const std::vector<PublishedRound> batch = published.Take();
            for (const PublishedRound& r : batch) seen.push_back(r.T);
            if (last && batch.empty()) return;
        }
    });
    for (int k = 0; k < kRounds; ++k) published.Publish(k, Values(k, 0), Values(0, k));
    taker.request_stop();
    taker.join();
    ASSERT_EQ(seen.size() + published.Dropped(), static_cast<std::size_t>(kRounds));
    for (std::size_t k = 1; k < seen.size(); ++k) ASSERT_LT(seen[k - 1], seen[k]);
}

}  // namespace
}  // namespace torvane
