// Drawing a room off screen: a framebuffer object of the picture's size, its own display list,
// and the view's viewport, projection and framebuffer put back afterwards.

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <array>
#include <string_view>

#include "model/clsPartRoom.h"
#include "render/BusyFlag.h"
#include "render/ColourFramebuffer.h"
#include "render/Framebuffers.h"
#include "render/clsOpenGL.h"

namespace torvane {
namespace {

// A colour and depth target of the picture's size, bound while it lives; the framebuffer bound
// before is bound again when it goes.
class OffScreenTarget {
  public:
    OffScreenTarget(int width, int height) {
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous_);
        glGenFramebuffers(1, &framebuffer_);
        glGenRenderbuffers(2, buffers_.data());
        glBindRenderbuffer(GL_RENDERBUFFER, buffers_[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers_[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  buffers_[0]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                  buffers_[1]);
        complete_ = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }
    ~OffScreenTarget() {
        glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous_));
        glDeleteRenderbuffers(2, buffers_.data());
        glDeleteFramebuffers(1, &framebuffer_);
    }
    OffScreenTarget(const OffScreenTarget&) = delete;
    OffScreenTarget& operator=(const OffScreenTarget&) = delete;

    bool Complete() const noexcept { return complete_; }

  private:
    GLint previous_ = 0;
    GLuint framebuffer_ = 0;
    std::array<GLuint, 2> buffers_{};
    bool complete_ = false;
};

// The viewport and projection of the view, put back however the drawing ends.
class SavedView {
  public:
    SavedView() {
        glGetIntegerv(GL_VIEWPORT, viewport_.data());
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
    ~SavedView() {
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
    }
    SavedView(const SavedView&) = delete;
    SavedView& operator=(const SavedView&) = delete;

  private:
    std::array<GLint, 4> viewport_{};
};

}  // namespace

GlImage clsOpenGL::DrawOffScreen(clsPartRoom* room, const typCamera& camera,
                                 bool highlightSelection, int width, int height) {
    if (!CompileOffScreen(room, camera, highlightSelection, height)) return {};
    return ShowOffScreen(camera, width, height);
}

bool clsOpenGL::CompileOffScreen(clsPartRoom* room, const typCamera& camera,
                                 bool highlightSelection, int height) {
    if (displaying_ || height <= 0 || !surface_) return false;
    if (!surface_->MakeCurrentForCompiling() || !ContextHasFramebuffers()) return false;
    if (offScreenList_ == 0) offScreenList_ = static_cast<std::int32_t>(glGenLists(1));
    CompileInto(offScreenList_, room, highlightSelection, ScaleFor(camera, height));
    return true;
}

GlImage clsOpenGL::ShowOffScreen(const typCamera& camera, int width, int height) {
    if (displaying_ || width <= 0 || height <= 0 || !surface_ || offScreenList_ == 0) return {};
    if (!surface_->MakeCurrentForCompiling()) return {};
    const BusyFlag busy(displaying_);
    const SavedView view;
    const OffScreenTarget target(width, height);
    if (!target.Complete()) return {};
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The view's aspect ratio, not the picture's: the picture is the view's frame at its size.
    gluPerspective(fieldOfView_, aspectRatio_, nearClip_, farClip_);
    glMatrixMode(GL_MODELVIEW);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    gluLookAt(camera.CameraX, camera.CameraY, camera.CameraZ, camera.LookAtX, camera.LookAtY,
              camera.LookAtZ, 0, 0, 1);
    glCallList(static_cast<GLuint>(offScreenList_));
    glPopMatrix();
    glFinish();
    return ReadColour(width, height);
}

}  // namespace torvane
