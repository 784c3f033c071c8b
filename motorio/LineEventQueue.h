#pragma once
// Carries input-line changes from the threads that see them to the user-interface thread.
// Posting is thread-safe and does not allocate once the queue has grown to its working size;
// only the user-interface thread takes events out. The queue holds at most Limit() events: a
// port left open with nobody taking its changes out (a noisy line overnight) must not eat the
// memory, so changes beyond the limit are counted and dropped until the queue is emptied.

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/SerialLine.h"

namespace torvane {

struct LineEvent {
    std::uint64_t Generation = 0;  // which opening of the ports the event belongs to
    std::int16_t Index = 0;        // port index, from 1
    ModemInputs Inputs;            // both input states after the change
};

class LineEventQueue {
  public:
    LineEventQueue();

    // Any thread. Calls the wake-up hook, if set, after the event is queued.
    void Post(const LineEvent& event);
    // User-interface thread. Moves every queued event into out (cleared first), oldest first,
    // and returns how many were dropped since the last call. out keeps its capacity between
    // calls, so steady use does not allocate.
    std::uint64_t TakeAll(std::vector<LineEvent>& out);
    bool Empty() const;

    // About 16 MB of events by default.
    static constexpr std::size_t kDefaultLimit = std::size_t{1} << 20;
    std::size_t Limit() const;
    void SetLimit(std::size_t limit);

    // Called from the posting thread after each post, so an event loop can schedule a drain on
    // its own thread. Set it before lines are opened; it must be thread-safe.
    void SetWakeUp(std::function<void()> wakeUp);

  private:
    mutable std::mutex mutex_;
    std::vector<LineEvent> events_;
    std::size_t limit_ = kDefaultLimit;
    std::uint64_t dropped_ = 0;
    std::function<void()> wakeUp_;
};

}  // namespace torvane
