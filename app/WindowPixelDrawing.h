#pragma once
// Drawing over the scene in window pixels (origin at the bottom left, as GL counts rows), without
// light or depth, for as long as the object lives; the scene's matrices and state come back with
// its end, so what is drawn after it is drawn as before.

#include <GL/gl.h>

namespace mechanon {

class WindowPixelDrawing {
  public:
    WindowPixelDrawing(int width, int height) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(0, width, 0, height, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glViewport(0, 0, width, height);
    }
    ~WindowPixelDrawing() {
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopAttrib();
    }
    WindowPixelDrawing(const WindowPixelDrawing&) = delete;
    WindowPixelDrawing& operator=(const WindowPixelDrawing&) = delete;
};

}  // namespace mechanon
