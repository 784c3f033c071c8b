#pragma once
// Moves the model-view matrix to a frame (column-major) for as long as it lives, and pops it also
// when the drawing inside fails half way.

#include <GL/gl.h>

#include <array>

namespace torvane {

class MatrixAt {
  public:
    explicit MatrixAt(const std::array<double, 16>& columns) {
        glPushMatrix();
        glMultMatrixd(columns.data());
    }
    ~MatrixAt() { glPopMatrix(); }
    MatrixAt(const MatrixAt&) = delete;
    MatrixAt& operator=(const MatrixAt&) = delete;
};

}  // namespace torvane
