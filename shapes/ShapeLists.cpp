#include "shapes/ShapeLists.h"

#include <GL/gl.h>

#include "shapes/GlSink.h"
#include "shapes/LabelGlyphs.h"
#include "shapes/ShapeGeometry.h"

namespace primora {

bool CreateAxisBallList() {
    if (glIsList(kAxisBallList)) return false;  // never overwrite a list someone else owns
    glNewList(kAxisBallList, GL_COMPILE);
    GlSink sink;
    EmitBall(kAxisBallRadius, kAxisBallSlices, kAxisBallStacks, sink);
    glEndList();
    return true;
}

int CreateShapeLists() {
    const int glyphs = CreateLabelGlyphs();
    return glyphs + (CreateAxisBallList() ? 1 : 0);
}

}  // namespace primora
