#pragma once
// The frame just drawn, made small in the context for a thumbnail: halved again and again, each
// pixel the mean of the four it covers, and only the small picture read back. Reading a whole
// frame of a big window back and scaling it down on the CPU costs a software renderer a fifth
// of drawing the frame. Single-threaded: every member runs with the context current.

#include <array>

#include "platform/GlSurface.h"
#include "render/ColourFramebuffer.h"

namespace torvane {

class ReducedFrame {
  public:
    ReducedFrame() = default;
    ReducedFrame(const ReducedFrame&) = delete;
    ReducedFrame& operator=(const ReducedFrame&) = delete;

    // The colour buffer drawn to, inside viewport, halved for as long as both sides stay at
    // least width by height. Empty where it cannot be halved once: the viewport is smaller than
    // twice that size, the context has no framebuffer objects or the window is multisampled.
    GlImage Read(const std::array<int, 4>& viewport, int width, int height);
    // Drops the names without deleting them, for a context that is already gone.
    void Abandon() noexcept;

  private:
    std::array<ColourFramebuffer, 2> halves_;  // each level drawn from the other
};

}  // namespace torvane
