#include "tests/support/OffscreenGlSurface.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstring>
#include <stdexcept>
#include <string>

// Mesa's drivers keep a few allocations for the life of the process (compiler caches, driver
// screens) that LeakSanitizer reports as leaks at exit. Only these libraries are suppressed; a
// leak in our own code still fails a sanitizer run.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgallium\n"
           "leak:swrast_dri\n"
           "leak:libLLVM\n"
           "leak:libEGL_mesa\n"
           "leak:libglapi\n";
}

namespace mechanon::testing {
namespace {

EGLDisplay Display() {
    static const EGLDisplay display = [] {
        const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (!getPlatformDisplay) throw std::runtime_error("EGL has no platform displays");
        EGLDisplay d =
            getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (d == EGL_NO_DISPLAY || !eglInitialize(d, nullptr, nullptr))
            throw std::runtime_error("cannot open the EGL surfaceless display");
        return d;
    }();
    return display;
}

}  // namespace

OffscreenGlSurface::OffscreenGlSurface(int width, int height) : width_(width), height_(height) {}

OffscreenGlSurface::~OffscreenGlSurface() {
    DestroyContext();
    DestroyDrawable();
}

bool OffscreenGlSurface::ChooseFormat(const torvane::GlPixelFormat& wanted) {
    config_ = nullptr;
    if (!wanted.rgba || wanted.colorBits <= 0) return false;
    const EGLint channel = (wanted.colorBits + 2) / 3;
    const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                 EGL_PBUFFER_BIT,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_COLOR_BUFFER_TYPE,
                                 EGL_RGB_BUFFER,
                                 EGL_RED_SIZE,
                                 channel,
                                 EGL_GREEN_SIZE,
                                 channel,
                                 EGL_BLUE_SIZE,
                                 channel,
                                 EGL_DEPTH_SIZE,
                                 wanted.depthBits,
                                 EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(Display(), attributes, &config, 1, &count) || count < 1) return false;
    config_ = config;
    return true;
}

bool OffscreenGlSurface::CreateDrawable() {
    DestroyDrawable();
    const EGLint attributes[] = {EGL_WIDTH, width_, EGL_HEIGHT, height_, EGL_NONE};
    drawable_ = eglCreatePbufferSurface(Display(), static_cast<EGLConfig>(config_), attributes);
    return drawable_ != EGL_NO_SURFACE;
}

void OffscreenGlSurface::DestroyDrawable() {
    if (!drawable_) return;
    if (eglGetCurrentSurface(EGL_DRAW) == drawable_)
        eglMakeCurrent(Display(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroySurface(Display(), static_cast<EGLSurface>(drawable_));
    drawable_ = nullptr;
}

bool OffscreenGlSurface::CreateContext() {
    DestroyContext();
    if (!config_) return false;
    if (!eglBindAPI(EGL_OPENGL_API)) return false;
    const EGLint attributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    context_ =
        eglCreateContext(Display(), static_cast<EGLConfig>(config_), EGL_NO_CONTEXT, attributes);
    if (context_ == EGL_NO_CONTEXT) {
        context_ = nullptr;
        return false;
    }
    if (!CreateDrawable()) {
        DestroyContext();
        return false;
    }
    return true;
}

bool OffscreenGlSurface::MakeCurrent() {
    if (!context_ || !drawable_ || refuseMakeCurrent) return false;
    return eglMakeCurrent(Display(), static_cast<EGLSurface>(drawable_),
                          static_cast<EGLSurface>(drawable_),
                          static_cast<EGLContext>(context_)) == EGL_TRUE;
}

void OffscreenGlSurface::DoneCurrent() {
    if (eglGetCurrentContext() != EGL_NO_CONTEXT)
        eglMakeCurrent(Display(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

void OffscreenGlSurface::DestroyContext() {
    if (!context_) return;
    if (eglGetCurrentContext() == context_)
        eglMakeCurrent(Display(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(Display(), static_cast<EGLContext>(context_));
    context_ = nullptr;
}

void OffscreenGlSurface::SwapBuffers() {
    if (context_ && eglGetCurrentContext() == context_) glFlush();
    ++swapCount_;
    if (onSwap) onSwap();
}

torvane::GlImage OffscreenGlSurface::ReadBackBuffer() {
    torvane::GlImage image;
    image.width = width_;
    image.height = height_;
    const std::size_t row = static_cast<std::size_t>(width_) * 3;
    std::vector<std::uint8_t> bottomUp(row * static_cast<std::size_t>(height_));
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    glPopClientAttrib();
    image.rgb.resize(bottomUp.size());
    for (int y = 0; y < height_; ++y)
        std::memcpy(image.rgb.data() + static_cast<std::size_t>(y) * row,
                    bottomUp.data() + static_cast<std::size_t>(height_ - 1 - y) * row, row);
    return image;
}

void OffscreenGlSurface::CreateCurrent() {
    if (!ChooseFormat(torvane::GlPixelFormat{}))
        throw std::runtime_error("no EGL configuration for an RGB pbuffer with a depth buffer");
    if (!CreateContext()) throw std::runtime_error("cannot create a compatibility GL context");
    if (!MakeCurrent()) throw std::runtime_error("cannot make the GL context current");
}

void OffscreenGlSurface::Resize(int width, int height) {
    const bool wasCurrent = context_ && eglGetCurrentContext() == context_;
    width_ = width;
    height_ = height;
    if (!context_) return;
    if (!CreateDrawable()) throw std::runtime_error("cannot create a pbuffer of the new size");
    if (wasCurrent) MakeCurrent();
}

}  // namespace mechanon::testing
