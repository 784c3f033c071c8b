#include "toolpath/RoundPublisher.h"

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
    if (queue_.size() >= kCapacity) {
        queue_.pop_front();
        ++dropped_;
    }
    queue_.push_back(latest_);
}

std::vector<PublishedRound> RoundPublisher::Take() {
    const std::lock_guard lock(mutex_);
    std::vector<PublishedRound> rounds(std::make_move_iterator(queue_.begin()),
                                       std::make_move_iterator(queue_.end()));
    queue_.clear();
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
    queue_.clear();
    latest_ = {};
    any_ = false;
    dropped_ = 0;
}

}  // namespace torvane
