#pragma once
// Carries input-line changes from the threads that see them to the user-interface thread.
// Posting is thread-safe and does not allocate once the queue has grown to its working size;
// only the user-interface thread takes events out.

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
    // User-interface thread. Moves every queued event into out (cleared first), oldest first.
    // out keeps its capacity between calls, so steady use does not allocate.
    void TakeAll(std::vector<LineEvent>& out);
    bool Empty() const;

    // Called from the posting thread after each post, so an event loop can schedule a drain on
    // its own thread. Set it before lines are opened; it must be thread-safe.
    void SetWakeUp(std::function<void()> wakeUp);

  private:
    mutable std::mutex mutex_;
    std::vector<LineEvent> events_;
    std::function<void()> wakeUp_;
};

}  // namespace torvane
