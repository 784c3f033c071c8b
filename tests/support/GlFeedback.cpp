#include "tests/support/GlFeedback.h"

#include <GL/gl.h>

#include <stdexcept>

namespace mechanon::testing {
namespace {

constexpr int kViewportSize = 1000;
constexpr std::size_t kFloatsPerVertex = 7;  // GL_3D_COLOR in RGBA mode: x, y, z, r, g, b, a

FeedbackVertex ReadVertex(const std::vector<GLfloat>& buf, std::size_t& i) {
    if (i + kFloatsPerVertex > buf.size()) throw std::runtime_error("truncated feedback vertex");
    FeedbackVertex v{buf[i],     buf[i + 1], buf[i + 2], buf[i + 3],
                     buf[i + 4], buf[i + 5], buf[i + 6]};
    i += kFloatsPerVertex;
    return v;
}

std::vector<FeedbackItem> Parse(const std::vector<GLfloat>& buf) {
    std::vector<FeedbackItem> items;
    std::size_t i = 0;
    while (i < buf.size()) {
        const auto token = static_cast<GLint>(buf[i++]);
        FeedbackItem item;
        switch (token) {
            case GL_POINT_TOKEN:
                item.kind = FeedbackItem::Kind::Point;
                item.vertices.push_back(ReadVertex(buf, i));
                break;
            case GL_LINE_TOKEN:
            case GL_LINE_RESET_TOKEN:
                item.kind = FeedbackItem::Kind::Line;
                item.vertices.push_back(ReadVertex(buf, i));
                item.vertices.push_back(ReadVertex(buf, i));
                break;
            case GL_POLYGON_TOKEN: {
                item.kind = FeedbackItem::Kind::Polygon;
                const auto n = static_cast<std::size_t>(buf.at(i++));
                for (std::size_t k = 0; k < n; ++k) item.vertices.push_back(ReadVertex(buf, i));
                break;
            }
            case GL_BITMAP_TOKEN:
                item.kind = FeedbackItem::Kind::Bitmap;
                item.vertices.push_back(ReadVertex(buf, i));
                break;
            case GL_DRAW_PIXEL_TOKEN:
            case GL_COPY_PIXEL_TOKEN:
                item.kind = FeedbackItem::Kind::Pixels;
                item.vertices.push_back(ReadVertex(buf, i));
                break;
            case GL_PASS_THROUGH_TOKEN:
                item.kind = FeedbackItem::Kind::PassThrough;
                item.passValue = buf.at(i++);
                break;
            default:
                throw std::runtime_error("unknown feedback token");
        }
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace

std::vector<FeedbackItem> CaptureFeedback(const std::function<void()>& draw) {
    for (std::size_t size = 1 << 16; size <= (std::size_t{1} << 26); size *= 4) {
        std::vector<GLfloat> buf(size);
        glFeedbackBuffer(static_cast<GLsizei>(size), GL_3D_COLOR, buf.data());
        glRenderMode(GL_FEEDBACK);
        draw();
        const GLint used = glRenderMode(GL_RENDER);
        if (used >= 0) {
            buf.resize(static_cast<std::size_t>(used));
            return Parse(buf);
        }
    }
    throw std::runtime_error("feedback capture too large");
}

std::size_t CountKind(const std::vector<FeedbackItem>& items, FeedbackItem::Kind kind) {
    std::size_t n = 0;
    for (const auto& item : items)
        if (item.kind == kind) ++n;
    return n;
}

ObjectSpaceView::ObjectSpaceView(double extent) : extent_(extent) {
    glPushAttrib(GL_VIEWPORT_BIT | GL_ENABLE_BIT | GL_TRANSFORM_BIT);
    glViewport(0, 0, kViewportSize, kViewportSize);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-extent, extent, -extent, extent, -extent, extent);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

ObjectSpaceView::~ObjectSpaceView() {
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

ObjectSpaceView::Point ObjectSpaceView::ToModel(const FeedbackVertex& v) const {
    const double scale = 2 * extent_ / kViewportSize;
    // The orthographic near plane is at z = +extent in model space, so depth 0 is +extent.
    return {v.x * scale - extent_, v.y * scale - extent_, -(2 * v.z - 1) * extent_};
}

}  // namespace mechanon::testing
