#include "render/ColourFramebuffer.h"

// The entry points of framebuffer objects come from the extension header.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

namespace torvane {

static_assert(std::is_same_v<GLint, int> && std::is_same_v<GLuint, unsigned>);

bool ColourFramebuffer::Allocate(int width, int height) {
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

void ColourFramebuffer::Release() {
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (colour_) glDeleteRenderbuffers(1, &colour_);
    Abandon();
}

void ColourFramebuffer::Abandon() noexcept {
    framebuffer_ = 0;
    colour_ = 0;
    width_ = height_ = 0;
}

SavedFramebuffers::SavedFramebuffers() {
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read_);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw_);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer_);
}

SavedFramebuffers::~SavedFramebuffers() {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read_));
    glReadBuffer(static_cast<GLenum>(readBuffer_));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw_));
}

void ReadFromDrawnBuffer() {
    GLint framebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
    GLint drawn = GL_BACK;
    glGetIntegerv(GL_DRAW_BUFFER, &drawn);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(framebuffer));
    glReadBuffer(static_cast<GLenum>(drawn));
}

GlImage ReadColour(int width, int height) {
    GlImage picture;
    picture.width = width;
    picture.height = height;
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> bottomUp(row * static_cast<std::size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    picture.rgb.resize(bottomUp.size());
    // GL rows run bottom to top; the picture's run top to bottom.
    for (int y = 0; y < height; ++y)
        std::memcpy(picture.rgb.data() + static_cast<std::size_t>(y) * row,
                    bottomUp.data() + static_cast<std::size_t>(height - 1 - y) * row, row);
    return picture;
}

}  // namespace torvane
