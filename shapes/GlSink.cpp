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

void GlTriangleSink::Begin(PrimitiveMode mode) {
    mode_ = mode;
    corners_.clear();
}

void GlTriangleSink::Normal(double x, double y, double z) {
    const Placement& m = at_;
    normal_ = {m[0] * x + m[4] * y + m[8] * z, m[1] * x + m[5] * y + m[9] * z,
               m[2] * x + m[6] * y + m[10] * z};
}

void GlTriangleSink::Vertex(double x, double y, double z) {
    const Placement& m = at_;
    corners_.push_back(
        {{m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
          m[2] * x + m[6] * y + m[10] * z + m[14]},
         normal_});
}

void GlTriangleSink::Emit(const Corner& corner) const {
    glColor3f(colour_[0], colour_[1], colour_[2]);
    glNormal3d(corner.normal[0], corner.normal[1], corner.normal[2]);
    glVertex3d(corner.at[0], corner.at[1], corner.at[2]);
}

// Quads, strips and fans are cut into the triangles the rasteriser cuts them into, corners in the
// same order, so the picture is the same to the pixel; lines stay lines.
void GlTriangleSink::End() {
    const std::vector<Corner>& c = corners_;
    const auto triangle = [this, &c](std::size_t a, std::size_t b, std::size_t d) {
        Emit(c[a]);
        Emit(c[b]);
        Emit(c[d]);
    };
    if (mode_ == PrimitiveMode::Lines) {
        glBegin(GL_LINES);
        for (const Corner& corner : c) Emit(corner);
        glEnd();
        return;
    }
    glBegin(GL_TRIANGLES);
    switch (mode_) {
        case PrimitiveMode::Triangles:
            for (std::size_t i = 0; i + 2 < c.size(); i += 3) triangle(i, i + 1, i + 2);
            break;
        case PrimitiveMode::Quads:
            for (std::size_t i = 0; i + 3 < c.size(); i += 4)
                triangle(i, i + 1, i + 3), triangle(i + 1, i + 2, i + 3);
            break;
        case PrimitiveMode::QuadStrip:
            for (std::size_t i = 0; i + 3 < c.size(); i += 2)
                triangle(i + 2, i, i + 3), triangle(i, i + 1, i + 3);
            break;
        case PrimitiveMode::TriangleFan:
            for (std::size_t i = 1; i + 1 < c.size(); ++i) triangle(0, i, i + 1);
            break;
        case PrimitiveMode::Lines:
            break;
    }
    glEnd();
}

}  // namespace primora
