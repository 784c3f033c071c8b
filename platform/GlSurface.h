#pragma once
// The drawable of the one GL context. The program implements it with a window of its toolkit;
// tests and tools implement it off screen. The GL object (render/clsOpenGL.h) asks for a pixel
// format, creates and makes current a legacy (compatibility) context, swaps after each display
// and reads the back buffer when a snapshot is wanted.

#include <array>
#include <cstdint>
#include <vector>

namespace torvane {

// The pixel format a context is asked for: a double-buffered RGBA drawable with at least this
// many colour and depth bits.
struct GlPixelFormat {
    int colorBits = 24;
    int depthBits = 16;
    bool doubleBuffered = true;
    bool rgba = true;
};

// Pixels read back from a drawable: rows from top to bottom, three bytes (R, G, B) per pixel.
struct GlImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    bool Empty() const noexcept { return width <= 0 || height <= 0; }
    // (x, y) counted from the top-left pixel; the caller keeps inside the image.
    std::array<std::uint8_t, 3> Pixel(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                               static_cast<std::size_t>(x)) *
                              3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

class GlSurface {
  public:
    virtual ~GlSurface() = default;

    // Picks the drawable's closest format that meets the request. False when none does; then
    // nothing is created.
    virtual bool ChooseFormat(const GlPixelFormat& wanted) = 0;
    // Creates a compatibility-profile context with the chosen format (replacing any earlier one).
    virtual bool CreateContext() = 0;
    virtual bool HasContext() const = 0;
    // Makes the context current on the calling thread with this drawable. False when there is
    // no context or the drawable cannot be drawn now (a window that is not exposed).
    virtual bool MakeCurrent() = 0;
    // Makes the context current even while the drawable cannot be shown (a hidden window), so
    // that display lists can be compiled at any time. False when there is no context.
    virtual bool MakeCurrentForCompiling() { return MakeCurrent(); }
    // Leaves no context current on the calling thread.
    virtual void DoneCurrent() = 0;
    // Deletes the context and everything that lives in it (display lists).
    virtual void DestroyContext() = 0;
    // Presents the frame drawn into the back buffer.
    virtual void SwapBuffers() = 0;
    // The back buffer as drawn so far; call after glFinish and before SwapBuffers.
    virtual GlImage ReadBackBuffer() = 0;
};

}  // namespace torvane
