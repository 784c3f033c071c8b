#pragma once
// The encoder count kept beside each port by whichever thread reports its line changes (the
// device watcher or, for the simulated motor, the thread that polls it). One thread feeds it;
// any thread may read the count.

#include <atomic>
#include <cstdint>

#include "motorio/clsQuadEncoder.h"
#include "platform/SerialLine.h"

namespace torvane {

class LineStepCounter {
  public:
    // Sets the reference states before the feeding thread starts.
    void Reset(ModemInputs reference) noexcept {
        previous_ = reference;
        steps_.store(0, std::memory_order_relaxed);
    }
    // Only the feeding thread calls this.
    void Feed(ModemInputs now) noexcept {
        const int step = clsQuadEncoder::StepOf(previous_.DCD, previous_.CTS, now.DCD, now.CTS);
        previous_ = now;
        if (step != 0) steps_.fetch_add(step, std::memory_order_relaxed);
    }
    std::int64_t Steps() const noexcept { return steps_.load(std::memory_order_relaxed); }

  private:
    ModemInputs previous_;
    std::atomic<std::int64_t> steps_{0};
};

}  // namespace torvane
