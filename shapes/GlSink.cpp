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
    glNormal3d(x, y, z);
}

void GlSink::Vertex(double x, double y, double z) {
    glVertex3d(x, y, z);
}

void GlSink::End() {
    glEnd();
}

}  // namespace primora
