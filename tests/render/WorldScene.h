#pragma once
// The 3D view as the program drives it, off screen: a 320 by 240 context set up by clsOpenGL
// (label glyphs created first), the world list rebuilt from a part room the way the program's
// glue does it, and shown from that room's camera.

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <memory>
#include <stdexcept>

#include "model/clsPartRoom.h"
#include "render/clsOpenGL.h"
#include "shapes/LabelGlyphs.h"
#include "shapes/MeshShape.h"
#include "shapes/ShapeLists.h"
#include "tests/support/OffscreenGlSurface.h"

namespace mechanon::testing {

class WorldScene {
  public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;

    WorldScene() {
        gl.SetContextSetup([] {
            primora::CreateShapeLists();
            primora::StartMeshLists();
        });
        gl.SetListCompiled([] { primora::CompilePendingMeshLists(); });
        if (!gl.Initialize(surface)) throw std::runtime_error("no offscreen GL context");
        gl.SizeToWindow(kWidth, kHeight);
    }

    // Recompiles the world list from room as the program does (highlighting the room's
    // selection when asked).
    void Rebuild(torvane::clsPartRoom& room, bool highlight = true) {
        gl.CompileWorldList(&room, highlight);
    }

    torvane::GlImage Show(torvane::clsPartRoom& room, bool highlight = true) {
        gl.SetCameraData(room.PartData().Camera);
        Rebuild(room, highlight);
        torvane::GlImage frame;
        gl.DisplayWorldList(false, &frame);
        return frame;
    }

    // The window position (from the bottom-left, in pixels) at which a model point appears from
    // the current camera.
    std::array<double, 2> WindowOf(double x, double y, double z) const {
        const torvane::typCamera c = gl.CameraData();
        std::array<GLdouble, 16> model{}, projection{};
        std::array<GLint, 4> viewport{};
        glPushMatrix();
        gluLookAt(c.CameraX, c.CameraY, c.CameraZ, c.LookAtX, c.LookAtY, c.LookAtZ, 0, 0, 1);
        glGetDoublev(GL_MODELVIEW_MATRIX, model.data());
        glPopMatrix();
        glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
        glGetIntegerv(GL_VIEWPORT, viewport.data());
        GLdouble wx = 0, wy = 0, wz = 0;
        gluProject(x, y, z, model.data(), projection.data(), viewport.data(), &wx, &wy, &wz);
        return {wx, wy};
    }

    // The pixel (from the top-left) at which a model point appears from the current camera.
    std::array<int, 2> PixelOf(double x, double y, double z) const {
        const auto [wx, wy] = WindowOf(x, y, z);
        return {static_cast<int>(wx), kHeight - 1 - static_cast<int>(wy)};
    }

    ~WorldScene() { primora::StopMeshLists(); }

    OffscreenGlSurface surface{kWidth, kHeight};
    torvane::clsOpenGL gl;
};

}  // namespace mechanon::testing
