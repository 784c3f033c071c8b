#pragma once
// What the control rounds of a drive publish for the window thread to show: every round's
// parameter, targets and measured positions, queued in order, and the latest of them. Publish
// runs on the control thread, Take and Latest on the window thread; a mutex held only to copy a
// few numbers guards both sides. The rounds wait in a ring whose slots keep their memory, so
// publishing allocates nothing once the ring has gone round once. When nobody takes the rounds
// for a long time the oldest are dropped (counted), so a stalled window never holds the control
// thread up or fills the memory.

#include <cstdint>
#include <mutex>
#include <vector>

#include "model/VbArray.h"

namespace torvane {

struct PublishedRound {
    double T = 0;                  // the subleg parameter of the round
    std::vector<double> Targets;   // motors 1 to n at [0] to [n - 1]
    std::vector<double> Measured;  // the encoder positions the round drove by
};

class RoundPublisher {
  public:
    static constexpr std::size_t kCapacity = 8192;

    void Publish(double T, const DoubleArray& Targets, const DoubleArray& Measured);
    // The oldest rounds published since the last call, at most MaxRounds of them, oldest first
    // (a bounded batch, so the control thread never waits long for the lock).
    std::vector<PublishedRound> Take(std::size_t MaxRounds = 256);
    // The latest round; false before the first.
    bool Latest(PublishedRound& Round) const;
    std::uint64_t Dropped() const;
    // Forgets everything (a new drive starts).
    void Clear();

  private:
    mutable std::mutex mutex_;
    std::vector<PublishedRound> ring_;  // kCapacity slots once the first round is published
    std::size_t first_ = 0;             // the oldest waiting round
    std::size_t waiting_ = 0;
    PublishedRound latest_;
    bool any_ = false;
    std::uint64_t dropped_ = 0;
};

}  // namespace torvane
