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

namespace {

// The lines of every marker in one primitive, lit as a marker drawn in place lights them: the
// normal is the marker's own Z axis. A marker drawn in place comes before its part's surface and
// keeps the pixels where the two lie at the same depth; these come after every surface, so ties
// go to them by the depth test instead.
void DrawAxisLineBatch(const std::vector<AxisMarkerPlace>& places) {
    glPushAttrib(GL_DEPTH_BUFFER_BIT);
    glDepthFunc(GL_LEQUAL);
    glBegin(GL_LINES);
    for (const AxisMarkerPlace& place : places) {
        const std::array<double, 16>& m = place.columns;
        glNormal3d(m[8], m[9], m[10]);
        for (std::size_t axis = 0; axis < 3; ++axis) {
            glColor3f(axis == 0, axis == 1, axis == 2);
            glVertex3d(m[12], m[13], m[14]);
            glVertex3d(m[12] + m[axis * 4], m[13] + m[axis * 4 + 1], m[14] + m[axis * 4 + 2]);
        }
    }
    glEnd();
    glPopAttrib();
}

}  // namespace

void DrawAxisMarkers(const std::vector<AxisMarkerPlace>& places) {
    DrawAxisMarkerLines(places);
    DrawAxisMarkerBalls(places);
}

void DrawAxisMarkerLines(const std::vector<AxisMarkerPlace>& places) {
    if (places.empty()) return;
    glPushAttrib(GL_CURRENT_BIT);
    DrawAxisLineBatch(places);
    glPopAttrib();
}

void DrawAxisMarkerBalls(const std::vector<AxisMarkerPlace>& places) {
    if (places.empty()) return;
    glPushAttrib(GL_CURRENT_BIT);
    CullBackFaces();
    glColor3f(0.8f, 0.8f, 0.8f);
    for (const AxisMarkerPlace& place : places) {
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
