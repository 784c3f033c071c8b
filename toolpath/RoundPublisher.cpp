#include "toolpath/RoundPublisher.h"

#include <algorithm>

namespace torvane {
namespace {

void CopyInto(std::vector<double>& to, const DoubleArray& from) {
    to.clear();
    if (!from.IsAllocated()) return;
    for (std::int32_t i = 1; i <= from.UBound(); ++i) to.push_back(from(i));
}

}  // namespace

void RoundPublisher::Publish(double T, const DoubleArray& Targets, const DoubleArray& Measured) {
    const std::lock_guard lock(mutex_);
    latest_.T = T;
    CopyInto(latest_.Targets, Targets);
    CopyInto(latest_.Measured, Measured);
    any_ = true;
    if (ring_.empty()) ring_.resize(kCapacity);
    if (waiting_ == kCapacity) {
        first_ = (first_ + 1) % kCapacity;
        --waiting_;
        ++dropped_;
    }
    PublishedRound& slot = ring_[(first_ + waiting_) % kCapacity];
    slot.T = T;
    slot.Targets.assign(latest_.Targets.begin(), latest_.Targets.end());
    slot.Measured.assign(latest_.Measured.begin(), latest_.Measured.end());
    ++waiting_;
}

std::vector<PublishedRound> RoundPublisher::Take(std::size_t MaxRounds) {
    std::vector<PublishedRound> rounds;
    rounds.reserve(MaxRounds);
    const std::lock_guard lock(mutex_);
    const std::size_t taken = std::min(MaxRounds, waiting_);
    for (std::size_t k = 0; k < taken; ++k) rounds.push_back(ring_[(first_ + k) % kCapacity]);
    first_ = (first_ + taken) % kCapacity;
    waiting_ -= taken;
    return rounds;
}

bool RoundPublisher::Latest(PublishedRound& Round) const {
    const std::lock_guard lock(mutex_);
    if (any_) Round = latest_;
    return any_;
}

std::uint64_t RoundPublisher::Dropped() const {
    const std::lock_guard lock(mutex_);
    return dropped_;
}

void RoundPublisher::Clear() {
    const std::lock_guard lock(mutex_);
    first_ = waiting_ = 0;
    latest_ = {};
    any_ = false;
    dropped_ = 0;
}

}  // namespace torvane
