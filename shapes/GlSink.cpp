#include "shapes/GlSink.h"

#include <GL/gl.h>

namespace primora {
namespace {

GLenum GlMode(PrimitiveMode mode) {
    switch (mode) {
        case PrimitiveMode::Triangles:
            return GL_TRIANGLES;
        case PrimitiveMode::Quads:
            return GL_QUADS;
        case PrimitiveMode::QuadStrip:
            return GL_QUAD_STRIP;
        case PrimitiveMode::TriangleFan:
            return GL_TRIANGLE_FAN;
        case PrimitiveMode::Lines:
            return GL_LINES;
    }
    return GL_TRIANGLES;
}

}  // namespace

void GlSink::Begin(PrimitiveMode mode) {
    glBegin(GlMode(mode));
}

void GlSink::Normal(double x, double y, double z) {
    if (!at_) return glNormal3d(x, y, z);
    const Placement& m = *at_;
    glNormal3d(m[0] * x + m[4] * y + m[8] * z, m[1] * x + m[5] * y + m[9] * z,
               m[2] * x + m[6] * y + m[10] * z);
}

void GlSink::Vertex(double x, double y, double z) {
    if (!at_) return glVertex3d(x, y, z);
    const Placement& m = *at_;
    glVertex3d(m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
               m[2] * x + m[6] * y + m[10] * z + m[14]);
}

void GlSink::End() {
    glEnd();
}

}  // namespace primora
