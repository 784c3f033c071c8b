#pragma once
// A real GL context for the shape tests, plus pass-through "glyphs" that make every label
// character visible in feedback as its own code.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "shapes/clsShapes.h"
#include "tests/support/GlFeedback.h"
#include "tests/support/OffscreenGlSurface.h"

namespace mechanon::testing {

class ShapesFixture : public ::testing::Test {
  protected:
    void SetUp() override { surface.CreateCurrent(); }

    // Lists 32..126 that emit their own code as a pass-through token.
    static void CreatePassThroughGlyphs() {
        for (GLuint code = 32; code < 127; ++code) {
            glNewList(code, GL_COMPILE);
            glPassThrough(static_cast<GLfloat>(code));
            glEndList();
        }
    }
    // The label text a capture spells out, in order.
    static std::string PassedText(const std::vector<FeedbackItem>& items) {
        std::string text;
        for (const auto& item : items)
            if (item.kind == FeedbackItem::Kind::PassThrough)
                text.push_back(static_cast<char>(item.passValue));
        return text;
    }
    static std::array<GLfloat, 4> CurrentColor() {
        std::array<GLfloat, 4> c{};
        glGetFloatv(GL_CURRENT_COLOR, c.data());
        return c;
    }
    static std::array<GLfloat, 3> CurrentNormal() {
        std::array<GLfloat, 3> n{};
        glGetFloatv(GL_CURRENT_NORMAL, n.data());
        return n;
    }

    OffscreenGlSurface surface{64, 64};
    primora::clsShapes shapes;
};

}  // namespace mechanon::testing
