#include "shapes/ShapeLists.h"

#include <GL/gl.h>

#include "shapes/GlSink.h"
#include "shapes/LabelGlyphs.h"
#include "shapes/ShapeGeometry.h"

namespace primora {

void DrawAxisBall() {
    // The ball is closed and convex and wound counter-clockwise seen from outside, so its back
    // half is always hidden behind its front half: culling it changes no pixel and halves the
    // triangles the rasteriser sets up.
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    GlSink sink;
    EmitBall(kAxisBallRadius, kAxisBallSlices, kAxisBallStacks, sink);
    glPopAttrib();
}

bool CreateAxisBallList() {
    if (glIsList(kAxisBallList)) return false;  // never overwrite a list someone else owns
    glNewList(kAxisBallList, GL_COMPILE);
    DrawAxisBall();
    glEndList();
    return true;
}

int CreateShapeLists() {
    const int glyphs = CreateLabelGlyphs();
    return glyphs + (CreateAxisBallList() ? 1 : 0);
}

}  // namespace primora
