#pragma once
// A framebuffer object with one RGBA8 colour buffer, what a copy between framebuffers changes,
// and reading a colour buffer back. Single-threaded: everything runs with the context current.

#include "platform/GlSurface.h"

namespace torvane {

class ColourFramebuffer {
  public:
    ColourFramebuffer() = default;
    ColourFramebuffer(const ColourFramebuffer&) = delete;
    ColourFramebuffer& operator=(const ColourFramebuffer&) = delete;

    // A colour buffer of width by height, made anew unless it already has that size; false,
    // holding none, when it cannot be made.
    bool Allocate(int width, int height);
    // Deletes the GL objects.
    void Release();
    // Drops the names without deleting them, for a context that is already gone.
    void Abandon() noexcept;

    unsigned Name() const noexcept { return framebuffer_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }

  private:
    unsigned framebuffer_ = 0;  // GL names
    unsigned colour_ = 0;
    int width_ = 0;
    int height_ = 0;
};

// The framebuffer bindings and the read buffer, put back however a copy ends.
class SavedFramebuffers {
  public:
    SavedFramebuffers();
    ~SavedFramebuffers();
    SavedFramebuffers(const SavedFramebuffers&) = delete;
    SavedFramebuffers& operator=(const SavedFramebuffers&) = delete;

  private:
    int read_ = 0;
    int draw_ = 0;
    int readBuffer_ = 0;
};

// The colour buffer drawn to now: the window's back buffer, or a framebuffer object's first
// colour attachment. Binds the draw framebuffer for reading and selects that buffer.
void ReadFromDrawnBuffer();

// The read framebuffer's colour between (0, 0) and (width, height), top row first.
GlImage ReadColour(int width, int height);

}  // namespace torvane
