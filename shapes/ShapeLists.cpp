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

namespace {

const BallDetail& DetailOf(int level) {
    return kAxisBallDetails[static_cast<std::size_t>(std::clamp(level, 0, kAxisBallLevels - 1))];
}

void EmitAxisBall(int level) {
    GlSink sink;
    EmitBall(kAxisBallRadius, DetailOf(level).slices, DetailOf(level).stacks, sink);
}

// The ball at level through its shared list when the context has it, drawn in place otherwise.
void CallAxisBall(int level) {
    const GLuint list = AxisBallList(std::clamp(level, 0, kAxisBallLevels - 1));
    if (glIsList(list))
        glCallList(list);
    else
        EmitAxisBall(level);
}

// The ball is closed and convex and wound counter-clockwise seen from outside, so its back half
// is always hidden behind its front half: culling it changes no pixel and halves the triangles
// the rasteriser sets up.
void CullBackFaces() {
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
}

}  // namespace

void DrawAxisBall(int level) {
    CullBackFaces();
    CallAxisBall(level);
    glPopAttrib();
}

void DrawAxisBalls(const std::vector<AxisBallPlace>& places) {
    if (places.empty()) return;
    glPushAttrib(GL_CURRENT_BIT);
    CullBackFaces();
    glColor3f(0.8f, 0.8f, 0.8f);
    for (const AxisBallPlace& place : places) {
        glPushMatrix();
        glMultMatrixd(place.columns.data());
        CallAxisBall(AxisBallLevel(kAxisBallRadius * place.pixelsPerUnit));
        glPopMatrix();
    }
    glPopAttrib();
    glPopAttrib();
}

int CreateAxisBallLists() {
    int created = 0;
    for (int level = 0; level < kAxisBallLevels; ++level) {
        const GLuint name = AxisBallList(level);
        if (glIsList(name)) continue;  // never overwrite a list someone else owns
        glNewList(name, GL_COMPILE);
        EmitAxisBall(level);
        glEndList();
        ++created;
    }
    return created;
}

int CreateShapeLists() {
    return CreateLabelGlyphs() + CreateAxisBallLists();
}

}  // namespace primora
