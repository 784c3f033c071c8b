#pragma once
// The last frame the view drew, kept in the context: a repaint that would draw the same picture
// (the window exposed again after a menu or a dialog closed over it, a caption redrawn) copies
// it back instead of drawing the whole world again, which on a software renderer takes as long
// as the first time. Everything the picture depends on is part of the frame's key: the list's
// compilation, the camera, and the viewport, matrices and framebuffer the list would be drawn
// with. Single-threaded: every member runs with the context current.

#include <array>
#include <cstdint>

#include "model/Records.h"
#include "render/ColourFramebuffer.h"

namespace torvane {

struct typFrameKey {
    std::uint64_t Compilation = 0;  // counts the compilations of the list shown
    typCamera Camera;
    std::array<int, 4> Viewport{};
    std::array<double, 16> Projection{};
    std::array<double, 16> ModelView{};
    int Framebuffer = 0;
    bool Quick = false;  // the quick picture drawn while the view moves
    friend bool operator==(const typFrameKey&, const typFrameKey&) = default;
};

class ShownFrame {
  public:
    ShownFrame() = default;
    ShownFrame(const ShownFrame&) = delete;
    ShownFrame& operator=(const ShownFrame&) = delete;

    // The key of a frame of compilation seen from camera, drawn now with the current state.
    static typFrameKey KeyNow(std::uint64_t compilation, const typCamera& camera);

    // Copies the kept frame into the colour buffer drawn to when it was kept for key; false,
    // with nothing drawn, when there is none or it was kept for another key.
    bool Restore(const typFrameKey& key);
    // Keeps the colour buffer drawn to, as it is now, for key. Where the context cannot copy
    // it (no framebuffer objects, a multisampled window) nothing is kept, nor is a frame of a
    // drag: the list drawn last from a camera that has moved since.
    void Keep(const typFrameKey& key);
    // Nothing kept any more: for a picture drawn over an older one, or a change the key cannot
    // see (a shared list replaced).
    void Forget() noexcept { kept_ = false; }
    // Deletes the copy's GL objects; the context must be current.
    void Release();
    // Drops the names without deleting them, for a context that is already gone.
    void Abandon() noexcept;

  private:
    ColourFramebuffer copy_;  // of the viewport's place in the window
    bool kept_ = false;
    typFrameKey key_;
    bool drawn_ = false;  // lastDrawn_ holds the key of the frame drawn last
    typFrameKey lastDrawn_;
};

}  // namespace torvane
