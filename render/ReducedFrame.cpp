#include "render/ReducedFrame.h"

// The entry points of framebuffer objects come from the extension header.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "render/Framebuffers.h"

namespace torvane {

GlImage ReducedFrame::Read(const std::array<int, 4>& viewport, int width, int height) {
    int w = viewport[2] / 2;
    int h = viewport[3] / 2;
    if (width <= 0 || height <= 0 || w < width || h < height || !ContextHasFramebuffers())
        return {};
    // A multisampled colour buffer can only be copied at its own size.
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &samples);
    if (samples > 0) return {};
    for (ColourFramebuffer& half : halves_)
        if (!half.Allocate(w, h)) return {};
    const SavedFramebuffers saved;
    ReadFromDrawnBuffer();
    // A blit to half the size with linear filtering samples the corner four source pixels
    // share: their mean.
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, halves_[0].Name());
    glBlitFramebuffer(viewport[0], viewport[1], viewport[0] + viewport[2],
                      viewport[1] + viewport[3], 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    std::size_t last = 0;
    while (w / 2 >= width && h / 2 >= height) {
        const std::size_t next = 1 - last;
        glBindFramebuffer(GL_READ_FRAMEBUFFER, halves_[last].Name());
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, halves_[next].Name());
        glBlitFramebuffer(0, 0, w, h, 0, 0, w / 2, h / 2, GL_COLOR_BUFFER_BIT, GL_LINEAR);
        w /= 2;
        h /= 2;
        last = next;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, halves_[last].Name());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    return ReadColour(w, h);
}

void ReducedFrame::Abandon() noexcept {
    for (ColourFramebuffer& half : halves_) half.Abandon();
}

}  // namespace torvane
