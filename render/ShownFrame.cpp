#include "render/ShownFrame.h"

// The entry points of framebuffer objects come from the extension header.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <type_traits>

#include "render/Framebuffers.h"

namespace torvane {
namespace {

// The framebuffer bindings and the read buffer, put back however a copy ends.
class SavedBindings {
  public:
    SavedBindings() {
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read_);
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw_);
        glGetIntegerv(GL_READ_BUFFER, &readBuffer_);
    }
    ~SavedBindings() {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read_));
        glReadBuffer(static_cast<GLenum>(readBuffer_));
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw_));
    }
    SavedBindings(const SavedBindings&) = delete;
    SavedBindings& operator=(const SavedBindings&) = delete;

  private:
    GLint read_ = 0;
    GLint draw_ = 0;
    GLint readBuffer_ = 0;
};

static_assert(std::is_same_v<GLint, int> && std::is_same_v<GLuint, unsigned> &&
              std::is_same_v<GLdouble, double>);

}  // namespace

typFrameKey ShownFrame::KeyNow(std::uint64_t compilation, const typCamera& camera) {
    typFrameKey key;
    key.Compilation = compilation;
    key.Camera = camera;
    glGetIntegerv(GL_VIEWPORT, key.Viewport.data());
    glGetDoublev(GL_PROJECTION_MATRIX, key.Projection.data());
    glGetDoublev(GL_MODELVIEW_MATRIX, key.ModelView.data());
    if (ContextHasFramebuffers()) glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &key.Framebuffer);
    return key;
}

bool ShownFrame::Restore(const typFrameKey& key) {
    if (!kept_ || !(key == key_)) return false;
    Copy(framebuffer_, static_cast<GLuint>(key.Framebuffer));
    return true;
}

void ShownFrame::Keep(const typFrameKey& key) {
    // The same list from a camera that moved: a frame of a drag, which the next frame replaces.
    // Copying it would cost every frame of the drag; the drag's last picture, drawn once the
    // list is compiled for it, is kept.
    const bool dragging =
        drawn_ && key.Compilation == lastDrawn_.Compilation && !(key.Camera == lastDrawn_.Camera);
    lastDrawn_ = key;
    drawn_ = true;
    kept_ = false;
    if (dragging || !ContextHasFramebuffers()) return;
    // A single-sampled copy cannot be put back into a multisampled window.
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &samples);
    if (samples > 0 || !Allocate(key.Viewport[2], key.Viewport[3])) return;
    key_ = key;
    Copy(static_cast<GLuint>(key.Framebuffer), framebuffer_);
    kept_ = true;
}

void ShownFrame::Copy(unsigned from, unsigned to) {
    const SavedBindings saved;
    // The window's colour buffer drawn to is the one read from: the back buffer.
    GLint drawn = GL_BACK;
    if (from != framebuffer_) glGetIntegerv(GL_DRAW_BUFFER, &drawn);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
    glReadBuffer(from == framebuffer_ ? GL_COLOR_ATTACHMENT0 : static_cast<GLenum>(drawn));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    const std::array<int, 4>& v = key_.Viewport;
    if (from == framebuffer_)
        glBlitFramebuffer(0, 0, width_, height_, v[0], v[1], v[0] + width_, v[1] + height_,
                          GL_COLOR_BUFFER_BIT, GL_NEAREST);
    else
        glBlitFramebuffer(v[0], v[1], v[0] + width_, v[1] + height_, 0, 0, width_, height_,
                          GL_COLOR_BUFFER_BIT, GL_NEAREST);
}

bool ShownFrame::Allocate(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    if (framebuffer_ && width == width_ && height == height_) return true;
    Release();
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    glGenRenderbuffers(1, &colour_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
    width_ = width;
    height_ = height;
    if (!complete) Release();
    return complete;
}

void ShownFrame::Release() {
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (colour_) glDeleteRenderbuffers(1, &colour_);
    Abandon();
}

void ShownFrame::Abandon() noexcept {
    framebuffer_ = 0;
    colour_ = 0;
    width_ = height_ = 0;
    kept_ = false;
    drawn_ = false;
}

}  // namespace torvane
