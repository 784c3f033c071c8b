#pragma once
// A GlSurface on Mesa's EGL surfaceless platform: a pbuffer drawable of a fixed size and a
// compatibility-profile context, so tests and tools render real pixels without a display server.
// Every surface shares the process's one EGL display, which stays initialised until exit.

#include <functional>

#include "platform/GlSurface.h"

namespace mechanon::testing {

class OffscreenGlSurface final : public torvane::GlSurface {
  public:
    OffscreenGlSurface(int width, int height);
    ~OffscreenGlSurface() override;
    OffscreenGlSurface(const OffscreenGlSurface&) = delete;
    OffscreenGlSurface& operator=(const OffscreenGlSurface&) = delete;

    bool ChooseFormat(const torvane::GlPixelFormat& wanted) override;
    bool CreateContext() override;
    bool HasContext() const override { return context_ != nullptr; }
    bool MakeCurrent() override;
    void DoneCurrent() override;
    void DestroyContext() override;
    // A pbuffer has a single buffer: presenting is a flush, counted, and the hook runs.
    void SwapBuffers() override;
    torvane::GlImage ReadBackBuffer() override;

    // Chooses the standard format, creates the context and makes it current; throws
    // std::runtime_error when any step fails.
    void CreateCurrent();
    // A new drawable of the given size; the context survives.
    void Resize(int width, int height);

    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    int SwapCount() const noexcept { return swapCount_; }
    // Runs inside every SwapBuffers, after the count is raised.
    std::function<void()> onSwap;
    // When set, MakeCurrent refuses as a window that is not exposed does.
    bool refuseMakeCurrent = false;

  private:
    void DestroyDrawable();
    bool CreateDrawable();

    int width_;
    int height_;
    void* config_ = nullptr;
    void* context_ = nullptr;
    void* drawable_ = nullptr;
    int swapCount_ = 0;
};

}  // namespace mechanon::testing
