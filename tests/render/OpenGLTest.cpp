// clsOpenGL on a real offscreen context: the pixel format request and its failure, the GL state
// after Initialize, the projection numbers, the display sequence with its busy flag and
// DoNotClear, and the release of the context.

#include <EGL/egl.h>
#include <GL/gl.h>
#include <gmock/gmock.h>

#include <array>
#include <cmath>

#include "platform/ScriptedUserInterface.h"
#include "render/clsOpenGL.h"
#include "shapes/LabelGlyphs.h"
#include "tests/support/OffscreenGlSurface.h"
#include "tests/support/PpmImage.h"

namespace mechanon::testing {
namespace {

using torvane::clsOpenGL;
using torvane::GlImage;

// A surface that refuses the pixel format or the context, around a working one.
class RefusingSurface final : public torvane::GlSurface {
  public:
    explicit RefusingSurface(bool refuseFormat) : refuseFormat_(refuseFormat) {}
    bool ChooseFormat(const torvane::GlPixelFormat& wanted) override {
        ++chooseCalls;
        return !refuseFormat_ && inner.ChooseFormat(wanted);
    }
    bool CreateContext() override { return false; }
    bool HasContext() const override { return false; }
    bool MakeCurrent() override { return false; }
    void DoneCurrent() override {}
    void DestroyContext() override {}
    void SwapBuffers() override { ++swaps; }
    GlImage ReadBackBuffer() override { return {}; }

    OffscreenGlSurface inner{8, 8};
    int chooseCalls = 0;
    int swaps = 0;

  private:
    bool refuseFormat_;
};

class OpenGLTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(gl.Initialize(surface)); }

    // A world list holding one unlit square of the given colour around (x, y, 0), seen from
    // straight above.
    void CompileSquare(double x, double y, float r, float g, float b) {
        glNewList(static_cast<GLuint>(gl.WORLD_LIST()), GL_COMPILE);
        glDisable(GL_LIGHTING);
        glColor3f(r, g, b);
        glBegin(GL_QUADS);
        glVertex3d(x - 1, y - 1, 0);
        glVertex3d(x + 1, y - 1, 0);
        glVertex3d(x + 1, y + 1, 0);
        glVertex3d(x - 1, y + 1, 0);
        glEnd();
        glEnable(GL_LIGHTING);
        glEndList();
        gl.SetCameraData(torvane::typCamera{0, -0.001, 20, 0, 0, 0});
    }

    OffscreenGlSurface surface{320, 240};
    clsOpenGL gl;
};

TEST_F(OpenGLTest, InitializeSetsTheFixedState) {
    EXPECT_TRUE(gl.HasContext());
    EXPECT_NE(eglGetCurrentContext(), EGL_NO_CONTEXT);
    std::array<GLfloat, 4> clear{};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear.data());
    EXPECT_THAT(clear, ::testing::ElementsAre(1, 1, 1, 1));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    GLint face = 0, parameter = 0, twoSide = 1;
    glGetIntegerv(GL_COLOR_MATERIAL_FACE, &face);
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &parameter);
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSide);
    EXPECT_EQ(face, GL_FRONT);
    EXPECT_EQ(parameter, GL_AMBIENT_AND_DIFFUSE);
    EXPECT_EQ(twoSide, GL_FALSE);
    GLint depthBits = 0, redBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    glGetIntegerv(GL_RED_BITS, &redBits);
    EXPECT_GE(depthBits, 16);
    EXPECT_GE(redBits * 3, 24);
    EXPECT_TRUE(glIsList(static_cast<GLuint>(gl.WORLD_LIST())));
    EXPECT_EQ(gl.FieldOfView(), 45);
    EXPECT_EQ(gl.AspectRatio(), 1.0);
}

TEST_F(OpenGLTest, WorldListNameIsReservedAfterTheGlyphs) {
    OffscreenGlSurface other(16, 16);  // outlives the GL object, as a window does
    clsOpenGL second;
    int setupRuns = 0;
    second.SetContextSetup([&] {
        ++setupRuns;
        EXPECT_EQ(primora::CreateLabelGlyphs(), 15);
    });
    ASSERT_TRUE(second.Initialize(other));
    EXPECT_EQ(setupRuns, 1);
    const std::string glyphs = primora::kLabelCharacters;
    EXPECT_EQ(glyphs.find(static_cast<char>(second.WORLD_LIST())), std::string::npos);
    for (char c : glyphs) EXPECT_TRUE(glIsList(static_cast<GLuint>(c)));
}

TEST(OpenGLFailureTest, NoPixelFormatShowsTheMessageAndLeavesNoContext) {
    torvane::ScriptedUserInterface ui;
    const torvane::ScopedUserInterface installed(ui);
    RefusingSurface surface(true);
    clsOpenGL gl;
    EXPECT_FALSE(gl.Initialize(surface));
    EXPECT_THAT(ui.Messages(), ::testing::ElementsAre("ChoosePixelFormat failed"));
    EXPECT_EQ(ui.shown[0].buttons, torvane::MsgButtons::OK);
    EXPECT_FALSE(gl.HasContext());
    gl.SizeToWindow(100, 50);
    gl.DisplayWorldList();
    EXPECT_EQ(surface.swaps, 0);
    EXPECT_EQ(gl.AspectRatio(), 2.0);

    // A context that cannot be made is no message, but no success either.
    RefusingSurface noContext(false);
    ui.Clear();
    EXPECT_FALSE(gl.Initialize(noContext));
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_FALSE(gl.HasContext());
}

TEST_F(OpenGLTest, SizeToWindowSetsViewportAndPerspective) {
    gl.SizeToWindow(640, 0);
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_THAT(viewport, ::testing::ElementsAre(0, 0, 640, 1));
    EXPECT_EQ(gl.AspectRatio(), 640.0);

    gl.SizeToWindow(320, 240);
    std::array<GLdouble, 16> p{}, m{};
    glGetDoublev(GL_PROJECTION_MATRIX, p.data());
    glGetDoublev(GL_MODELVIEW_MATRIX, m.data());
    const double f = 1 / std::tan(22.5 * M_PI / 180);
    EXPECT_NEAR(p[0], f / (320.0 / 240.0), 1e-6);           // GL keeps matrices in single precision
    EXPECT_NEAR(p[5], f, 1e-6);                             // GL keeps matrices in single precision
    EXPECT_NEAR(p[10], (200 + 0.5) / (0.5 - 200), 1e-6);    // GL keeps matrices in single precision
    EXPECT_NEAR(p[14], 2 * 200 * 0.5 / (0.5 - 200), 1e-6);  // GL keeps matrices in single precision
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[static_cast<std::size_t>(i)], i % 5 == 0 ? 1 : 0);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(OpenGLTest, DisplayShowsTheListFromTheCameraAndSwapsOnce) {
    gl.SizeToWindow(320, 240);
    CompileSquare(0, 0, 1, 0, 0);
    GlImage frame;
    gl.DisplayWorldList(false, &frame);
    EXPECT_EQ(surface.SwapCount(), 1);
    ASSERT_EQ(frame.width, 320);
    EXPECT_THAT(frame.Pixel(160, 120), ::testing::ElementsAre(255, 0, 0));
    EXPECT_THAT(frame.Pixel(5, 5), ::testing::ElementsAre(255, 255, 255));
    // The camera transform is pushed and popped: between displays the model-view is identity.
    std::array<GLdouble, 16> m{};
    glGetDoublev(GL_MODELVIEW_MATRIX, m.data());
    EXPECT_EQ(m[0], 1);
    EXPECT_EQ(m[14], 0);

    // Moving the copy of the camera moves nothing until it is set back.
    torvane::typCamera camera = gl.CameraData();
    camera.LookAtX = 50;
    gl.DisplayWorldList(false, &frame);
    EXPECT_THAT(frame.Pixel(160, 120), ::testing::ElementsAre(255, 0, 0));
    gl.SetCameraData(camera);
    camera.CameraX = 50;
    gl.DisplayWorldList(false, &frame);
    EXPECT_THAT(frame.Pixel(160, 120), ::testing::ElementsAre(255, 255, 255));
}

TEST_F(OpenGLTest, DoNotClearDrawsOverThePreviousFrame) {
    gl.SizeToWindow(320, 240);
    CompileSquare(-4, 0, 1, 0, 0);
    gl.DisplayWorldList();
    CompileSquare(4, 0, 0, 0, 1);
    GlImage frame;
    gl.DisplayWorldList(true, &frame);
    EXPECT_GT(CountPixelsNear(frame, 255, 0, 0, 0), 100);
    EXPECT_GT(CountPixelsNear(frame, 0, 0, 255, 0), 100);
    gl.DisplayWorldList(false, &frame);
    EXPECT_EQ(CountPixelsNear(frame, 255, 0, 0, 0), 0);
    EXPECT_GT(CountPixelsNear(frame, 0, 0, 255, 0), 100);
}

TEST_F(OpenGLTest, ARepaintDuringADisplayIsDropped) {
    gl.SizeToWindow(320, 240);
    CompileSquare(0, 0, 0, 1, 0);
    int nested = 0;
    surface.onSwap = [&] {
        EXPECT_TRUE(gl.IsDisplaying());
        ++nested;
        gl.DisplayWorldList();  // as a paint event handled inside the display would
    };
    gl.DisplayWorldList();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(surface.SwapCount(), 1);
    EXPECT_FALSE(gl.IsDisplaying());
    surface.onSwap = [] { throw std::runtime_error("lost drawable"); };
    EXPECT_THROW(gl.DisplayWorldList(), std::runtime_error);
    EXPECT_FALSE(gl.IsDisplaying());  // a failed display does not freeze the view
    surface.onSwap = nullptr;
    gl.DisplayWorldList();
    EXPECT_EQ(surface.SwapCount(), 3);
}

TEST_F(OpenGLTest, NothingIsDrawnWhileTheDrawableCannotBeDrawn) {
    surface.refuseMakeCurrent = true;
    gl.DisplayWorldList();
    EXPECT_EQ(surface.SwapCount(), 0);
    EXPECT_FALSE(gl.IsDisplaying());
}

TEST(OpenGLLifetimeTest, DestructionReleasesTheContext) {
    OffscreenGlSurface surface(16, 16);
    {
        clsOpenGL gl;
        ASSERT_TRUE(gl.Initialize(surface));
        EXPECT_TRUE(surface.HasContext());
        // A second Initialize replaces the context rather than leaking the first.
        ASSERT_TRUE(gl.Initialize(surface));
        EXPECT_NE(eglGetCurrentContext(), EGL_NO_CONTEXT);
    }
    EXPECT_FALSE(surface.HasContext());
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
}

}  // namespace
}  // namespace mechanon::testing
