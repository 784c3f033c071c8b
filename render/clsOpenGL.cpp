#include "render/clsOpenGL.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/UserInterface.h"
#include "render/BusyFlag.h"

namespace torvane {

clsOpenGL::~clsOpenGL() {
    ReleaseContext();
}

void clsOpenGL::ReleaseContext() {
    shown_.Abandon();  // their objects go with the context
    reduced_.Abandon();
    groups_.Abandon();
    if (!surface_) return;
    if (hasContext_) {
        surface_->DoneCurrent();
        surface_->DestroyContext();
    }
    hasContext_ = false;
    surface_ = nullptr;
}

bool clsOpenGL::Initialize(GlSurface& surface) {
    ReleaseContext();      // a second Initialize replaces the first context
    GlPixelFormat wanted;  // double-buffered RGBA, 24 colour bits, 16 depth bits
    if (!surface.ChooseFormat(wanted)) {
        Host().MsgBox("ChoosePixelFormat failed", MsgButtons::OK);
        return false;
    }
    surface_ = &surface;
    // Without a current context of our own, the GL calls below would land in whatever context
    // happens to be current, or nowhere.
    if (!surface.CreateContext()) {
        surface_ = nullptr;
        return false;
    }
    hasContext_ = true;
    if (!surface.MakeCurrent()) {
        ReleaseContext();
        return false;
    }
    SetInitialState();
    fieldOfView_ = 45;
    nearClip_ = 0.5;
    farClip_ = 200;
    aspectRatio_ = 1.0;
    if (contextSetup_) contextSetup_();
    worldList_ = static_cast<std::int32_t>(glGenLists(1));
    quickList_ = static_cast<std::int32_t>(glGenLists(1));
    groups_.Abandon();
    groupsCompilation_ = 0;  // no groups compiled in this context yet
    offScreenList_ = 0;      // reserved by the first off-screen drawing in this context
    return true;
}

void clsOpenGL::SetInitialState() {
    glClearColor(1, 1, 1, 1);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    // The current colour becomes the ambient and diffuse material of front faces.
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
    // Light 0 keeps its defaults: white, directional, from the viewer (+Z in eye coordinates).
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glDisable(GL_CULL_FACE);
}

bool clsOpenGL::MakeCurrent() {
    return hasContext_ && surface_ && surface_->MakeCurrent();
}

void clsOpenGL::SizeToWindow(std::int32_t W, std::int32_t H) {
    if (H == 0) H = 1;
    aspectRatio_ = static_cast<double>(W) / static_cast<double>(H);
    viewportHeight_ = H;
    if (!MakeCurrent()) return;
    glViewport(0, 0, W, H);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView_, aspectRatio_, nearClip_, farClip_);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void clsOpenGL::DrawWorld(bool quick) const {
    glPushMatrix();
    gluLookAt(camera_.CameraX, camera_.CameraY, camera_.CameraZ, camera_.LookAtX, camera_.LookAtY,
              camera_.LookAtZ, 0, 0, 1);  // Z is up in model space
    if (quick) {
        glCallList(static_cast<GLuint>(quickList_));
        groups_.DrawBallSprites({camera_.CameraX, camera_.CameraY, camera_.CameraZ});
    } else {
        glCallList(static_cast<GLuint>(worldList_));
    }
    glPopMatrix();
}

void clsOpenGL::DisplayWorldList(bool DoNotClear, GlImage* snapshot, int leastWidth,
                                 int leastHeight) {
    if (displaying_) return;
    const BusyFlag busy(displaying_);
    if (!MakeCurrent()) return;
    const bool quick = quick_ && GroupsCurrent();
    typFrameKey key = ShownFrame::KeyNow(compilations_, camera_);
    key.Quick = quick;
    if (DoNotClear) {
        shown_.Forget();  // what this draws over is not part of the key
        DrawWorld(quick);
    } else if (!shown_.Restore(key)) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawWorld(quick);
        // A quick picture is replaced by the next change within moments: copying it costs a
        // moving view a share of every frame and would seldom be shown again.
        if (!quick) shown_.Keep(key);
    }
    glFinish();
    if (snapshot) {
        *snapshot = leastWidth > 0 && leastHeight > 0
                        ? reduced_.Read(key.Viewport, leastWidth, leastHeight)
                        : GlImage{};
        if (snapshot->Empty()) *snapshot = surface_->ReadBackBuffer();
    }
    surface_->SwapBuffers();
}

}  // namespace torvane
