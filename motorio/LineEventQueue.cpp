#include "motorio/LineEventQueue.h"

#include <utility>

namespace torvane {
namespace {
// Room for the bursts between two drains of a fast motor, so posting rarely allocates.
constexpr std::size_t kInitialCapacity = 4096;
}  // namespace

LineEventQueue::LineEventQueue() {
    events_.reserve(kInitialCapacity);
}

void LineEventQueue::Post(const LineEvent& event) {
    std::function<void()>* wake = nullptr;
    {
        const std::lock_guard lock(mutex_);
        if (events_.size() < limit_)
            events_.push_back(event);
        else
            ++dropped_;
        if (wakeUp_) wake = &wakeUp_;
    }
    if (wake) (*wake)();
}

std::uint64_t LineEventQueue::TakeAll(std::vector<LineEvent>& out) {
    out.clear();
    const std::lock_guard lock(mutex_);
    out.swap(events_);
    // The swapped-in vector keeps whatever capacity the caller's had; give the queue back room.
    if (events_.capacity() < kInitialCapacity) events_.reserve(kInitialCapacity);
    return std::exchange(dropped_, 0);
}

std::size_t LineEventQueue::Limit() const {
    const std::lock_guard lock(mutex_);
    return limit_;
}

void LineEventQueue::SetLimit(std::size_t limit) {
    const std::lock_guard lock(mutex_);
    limit_ = limit;
}

bool LineEventQueue::Empty() const {
    const std::lock_guard lock(mutex_);
    return events_.empty();
}

void LineEventQueue::SetWakeUp(std::function<void()> wakeUp) {
    const std::lock_guard lock(mutex_);
    wakeUp_ = std::move(wakeUp);
}

}  // namespace torvane
