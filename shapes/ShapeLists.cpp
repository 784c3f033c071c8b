#include "shapes/ShapeLists.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "shapes/GlSink.h"
#include "shapes/LabelGlyphs.h"
#include "shapes/ShapeGeometry.h"

namespace primora {
namespace {

// The widest gap between a ball of radius 1 and the polygon of its tessellation: a chord across
// an angle step sags by 1 - cos(step / 2). Slices step a whole turn, stacks half a turn.
double OutlineSag(const BallDetail& detail) {
    const double aroundZ = 1 - std::cos(std::numbers::pi / detail.slices);
    const double poleToPole = 1 - std::cos(std::numbers::pi / (2.0 * detail.stacks));
    return std::max(aroundZ, poleToPole);
}

}  // namespace

int AxisBallLevel(double radiusPixels) {
    if (!(radiusPixels > 0)) return 0;  // also a size that is not a number
    int level = 0;
    for (int l = 1; l < kAxisBallLevels; ++l)
        if (radiusPixels * OutlineSag(kAxisBallDetails[static_cast<std::size_t>(l)]) <=
            kBallOutlineTolerancePixels)
            level = l;
    return level;
}

void DrawAxisBall(int level) {
    const BallDetail& detail =
        kAxisBallDetails[static_cast<std::size_t>(std::clamp(level, 0, kAxisBallLevels - 1))];
    // The ball is closed and convex and wound counter-clockwise seen from outside, so its back
    // half is always hidden behind its front half: culling it changes no pixel and halves the
    // triangles the rasteriser sets up.
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    GlSink sink;
    EmitBall(kAxisBallRadius, detail.slices, detail.stacks, sink);
    glPopAttrib();
}

int CreateAxisBallLists() {
    int created = 0;
    for (int level = 0; level < kAxisBallLevels; ++level) {
        const GLuint name = AxisBallList(level);
        if (glIsList(name)) continue;  // never overwrite a list someone else owns
        glNewList(name, GL_COMPILE);
        DrawAxisBall(level);
        glEndList();
        ++created;
    }
    return created;
}

int CreateShapeLists() {
    return CreateLabelGlyphs() + CreateAxisBallLists();
}

}  // namespace primora
