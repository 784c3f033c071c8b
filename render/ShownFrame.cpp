#include "render/ShownFrame.h"

// The entry points of framebuffer objects come from the extension header.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <type_traits>

#include "render/ColourFramebuffer.h"
#include "render/Framebuffers.h"

namespace torvane {

static_assert(std::is_same_v<GLint, int> && std::is_same_v<GLdouble, double>);

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
    const SavedFramebuffers saved;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, copy_.Name());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(key.Framebuffer));
    const std::array<int, 4>& v = key_.Viewport;
    glBlitFramebuffer(0, 0, copy_.Width(), copy_.Height(), v[0], v[1], v[0] + copy_.Width(),
                      v[1] + copy_.Height(), GL_COLOR_BUFFER_BIT, GL_NEAREST);
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
    if (samples > 0 || !copy_.Allocate(key.Viewport[2], key.Viewport[3])) return;
    key_ = key;
    const SavedFramebuffers saved;
    ReadFromDrawnBuffer();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, copy_.Name());
    const std::array<int, 4>& v = key.Viewport;
    glBlitFramebuffer(v[0], v[1], v[0] + v[2], v[1] + v[3], 0, 0, v[2], v[3], GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    kept_ = true;
}

void ShownFrame::Release() {
    copy_.Release();
    Abandon();
}

void ShownFrame::Abandon() noexcept {
    copy_.Abandon();
    kept_ = false;
    drawn_ = false;
}

}  // namespace torvane
