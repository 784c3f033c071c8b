#include "shapes/clsShapes.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

#include "shapes/GlSink.h"
#include "shapes/LabelText.h"
#include "shapes/ShapeGeometry.h"
#include "shapes/ShapeLists.h"
#include "shapes/ShapeRegistry.h"

namespace primora {
namespace {

constexpr int kQuadricSlices = kConeSlices;
constexpr double kGridRodRadius = 0.05;
// Grid labels: a dark blue that stands out from the grey rods and the white background.
constexpr float kLabelRed = 0.05f;
constexpr float kLabelGreen = 0.1f;
constexpr float kLabelBlue = 0.45f;

struct Triple {
    double a, b, c;
};

[[noreturn]] void RaiseOverflow(const std::string& what) {
    throw ShapeError(ShapeErrorCode::Overflow, "Overflow: " + what);
}

// Indices 1 to 3 of a size array. A size that is not a finite number would hang the grid loops
// and poison every vertex after it, so it is refused as the overflow it came from.
Triple ReadTriple(const DoubleArray& size) {
    const Triple t{size(1), size(2), size(3)};
    if (!std::isfinite(t.a) || !std::isfinite(t.b) || !std::isfinite(t.c))
        RaiseOverflow("shape size is not a finite number");
    return t;
}

// A colour percentage as the single-precision GL colour component it becomes.
GLfloat ColorComponent(double percent) {
    const double v = percent / 100;
    if (!std::isfinite(v) || std::fabs(v) > FLT_MAX) RaiseOverflow("shape colour out of range");
    return static_cast<GLfloat>(v);
}

// Number of lines the grid loop from -extent to extent with step spacing would draw, estimated
// without running it; only used to refuse grids that could never be drawn.
double EstimatedGridLines(double extent, double spacing) {
    const double steps = 2 * extent / spacing;
    return steps >= 0 ? std::floor(steps) + 1 : 0;
}

// Runs body(v) for v from -extent while v has not passed extent, adding spacing each time. The
// limit and step are taken once; repeated addition (not a precomputed count) decides whether a
// line near the far end is drawn.
template <typename Body>
void ForEachGridLine(double extent, double spacing, Body body) {
    const double limit = extent;
    const double step = spacing;
    for (double v = -extent; step > 0 ? v <= limit : v >= limit; v += step) body(v);
}

}  // namespace

void clsShapes::QuadricDeleter::operator()(GLUquadric* q) const {
    gluDeleteQuadric(q);
}

clsShapes::clsShapes() : quadric_(gluNewQuadric()), shapeNames_(ShapeCatalogue().Names()) {
    // The quadric keeps GLU's defaults: filled, smooth normals, outside, no texture coordinates.
    if (!quadric_) throw std::bad_alloc();
}

clsShapes::~clsShapes() = default;

void clsShapes::ShowMessage(const std::string& text) const {
    if (messageHook_)
        messageHook_(text);
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

namespace {

// Makes at the current transform for as long as it lives, when there is an at.
class FrameAt {
  public:
    explicit FrameAt(const Placement* at) : at_(at) {
        if (!at_) return;
        glPushMatrix();
        glMultMatrixd(at_->data());
    }
    ~FrameAt() {
        if (at_) glPopMatrix();
    }
    FrameAt(const FrameAt&) = delete;
    FrameAt& operator=(const FrameAt&) = delete;

  private:
    const Placement* at_;
};

}  // namespace

void clsShapes::SelectShape(DoubleArray& InSize, std::string& InShapeName, DoubleArray& InColor,
                            std::string& PartName, std::string& SubPartName) {
    Select(nullptr, InSize, InShapeName, InColor, PartName, SubPartName);
}

void clsShapes::SelectShapeAt(const Placement& at, DoubleArray& InSize, std::string& InShapeName,
                              DoubleArray& InColor, std::string& PartName,
                              std::string& SubPartName) {
    Select(&at, InSize, InShapeName, InColor, PartName, SubPartName);
}

void clsShapes::Select(const Placement* at, DoubleArray& InSize, std::string& InShapeName,
                       DoubleArray& InColor, std::string& PartName, std::string& SubPartName) {
    // An array whose bounds cannot be read fails the check before the bound comparison does.
    if (!InSize.IsAllocated() || !InColor.IsAllocated()) {
        ShowMessage(kNotEnoughValuesMessage);
        return;
    }
    if (InSize.UBound() < 3 || InColor.UBound() < 3) {
        ShowMessage(kTooFewValuesMessage);
        ShowMessage(kNotEnoughValuesMessage);
        return;
    }

    if (doDraw_) {
        const std::array<float, 3> colour{ColorComponent(InColor(1)), ColorComponent(InColor(2)),
                                          ColorComponent(InColor(3))};
        glColor3f(colour[0], colour[1], colour[2]);
        const ShapeSize size = ReadShapeSize(InSize);
        if (const ShapeEntry* shape = ShapeCatalogue().Find(InShapeName))
            Draw(*shape, size, at, colour);
    }
    // No matrix change when no one draws: it would end the batch.
    if (subscribers_.empty()) return;
    const FrameAt frame(at);
    RaiseCustomDraw(InSize, InShapeName, InColor, PartName, SubPartName);
}

void clsShapes::Draw(const ShapeEntry& shape, const ShapeSize& size, const Placement* at,
                     const std::array<float, 3>& colour) const {
    if (shape.DrawInPlace) {
        const FrameAt frame(at);
        shape.DrawInPlace(*this, size);
        return;
    }
    if (!at) {
        GlSink sink;
        EmitSurface(shape, size, sink);
        return;
    }
    GlTriangleSink sink(*at, colour);
    EmitSurface(shape, size, sink);
}

void clsShapes::DrawSquarePlane(const DoubleArray& InSize) const {
    const auto [a, b, c] = ReadTriple(InSize);
    (void)c;
    GlSink sink;
    EmitSquarePlane(a, b, sink);
}

void clsShapes::DrawGLAirPlane(const DoubleArray& InSize) const {
    const auto [a, b, c] = ReadTriple(InSize);
    GlSink sink;
    EmitAirPlane(a, b, c, sink);
}

void clsShapes::DrawBox(const DoubleArray& InSize) const {
    const auto [a, b, c] = ReadTriple(InSize);
    GlSink sink;
    EmitBox(a, b, c, sink);
}

void clsShapes::DrawCone(const DoubleArray& InSize) const {
    const auto [bottomDiameter, topDiameter, height] = ReadTriple(InSize);
    GlSink sink;
    EmitCone(bottomDiameter, topDiameter, height, sink);
}

void clsShapes::DrawGrid(const DoubleArray& InSize) const {
    const double a = InSize(1);
    const double b = InSize(2);
    const double s = InSize(3);
    if (s == 0 || !showGrids_) return;
    ReadTriple(InSize);
    if (EstimatedGridLines(a, s) > kMaxGridLines || EstimatedGridLines(b, s) > kMaxGridLines)
        RaiseOverflow("too many grid lines for the grid's extent and spacing");

    // Rods parallel to Y, each labelled with its X value at its +Y end.
    ForEachGridLine(a, s, [&](double x) {
        glPushMatrix();
        glRotated(90, 1, 0, 0);
        glTranslated(x, 0, -b);
        gluCylinder(quadric_.get(), kGridRodRadius, kGridRodRadius, 2 * b, kQuadricSlices,
                    kQuadricSlices);
        PrintLabelToGL(LabelText(x));
        glPopMatrix();
    });
    // Rods parallel to X, unlabelled.
    ForEachGridLine(b, s, [&](double y) {
        glPushMatrix();
        glRotated(90, 0, 1, 0);
        glTranslated(0, y, -a);
        gluCylinder(quadric_.get(), kGridRodRadius, kGridRodRadius, 2 * a, kQuadricSlices,
                    kQuadricSlices);
        glPopMatrix();
    });
}

void clsShapes::DrawAxes(double X, double Y, double Z, double pixelsPerUnit) const {
    if (!showAxis_) return;
    // No matrix change around the lines: none is needed, and in a list being compiled each one
    // ends a batch of vertices.
    glNormal3f(0, 0, 1);
    glBegin(GL_LINES);
    glColor3f(1, 0, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(static_cast<GLfloat>(X), 0, 0);
    glColor3f(0, 1, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(0, static_cast<GLfloat>(Y), 0);
    glColor3f(0, 0, 1);
    glVertex3f(0, 0, 0);
    glVertex3f(0, 0, static_cast<GLfloat>(Z));
    glEnd();
    // The grey stays current: whatever follows without a colour of its own is grey.
    glColor3f(0.8f, 0.8f, 0.8f);
    // One shared list per level of detail for every marker when the context has it; the same
    // ball drawn in place otherwise.
    DrawAxisBall(AxisBallLevel(kAxisBallRadius * pixelsPerUnit));
}

void clsShapes::PrintLabelToGL(const std::string& PrintMe) const {
    glListBase(0);
    const ByteArray bytes = StringToBytes(PrintMe);
    // A label is text over the scene: a dark colour of its own (unlit, so the raster colour is
    // exactly that colour), at the nearest depth whatever lies in front of it, and written
    // there, so neither the rod it starts in nor anything drawn later can hide it. The colour,
    // material, lighting and depth state are restored afterwards.
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_VIEWPORT_BIT);
    glDisable(GL_LIGHTING);
    // Colour material would carry the label colour into the material of what follows.
    glDisable(GL_COLOR_MATERIAL);
    glDepthFunc(GL_ALWAYS);
    glDepthRange(0, 0);
    glColor3f(kLabelRed, kLabelGreen, kLabelBlue);
    // Bitmap glyphs start at the raster position; anchoring it at the current origin puts the
    // label where the caller stands instead of wherever the last label ended.
    glRasterPos3d(0, 0, 0);
    // No flush: in a compiled list it would stall the rasteriser once per label on every repaint.
    glCallLists(static_cast<GLsizei>(bytes.Count()), GL_UNSIGNED_BYTE, bytes.Values().data());
    glPopAttrib();
}

clsShapes::SubscriptionId clsShapes::SubscribeCustomDraw(CustomDrawHandler handler) {
    const SubscriptionId id = nextSubscription_++;
    subscribers_.push_back({id, std::move(handler)});
    return id;
}

bool clsShapes::UnsubscribeCustomDraw(SubscriptionId id) {
    const auto it = std::find_if(subscribers_.begin(), subscribers_.end(),
                                 [id](const Subscriber& s) { return s.id == id; });
    if (it == subscribers_.end()) return false;
    subscribers_.erase(it);
    return true;
}

void clsShapes::RaiseCustomDraw(DoubleArray& InSize, std::string& InShapeName, DoubleArray& InColor,
                                std::string& PartName, std::string& SubPartName) {
    // A handler may subscribe or unsubscribe while it runs; the round goes to the handlers that
    // were subscribed when it began and are still subscribed when their turn comes.
    std::vector<SubscriptionId> ids;
    ids.reserve(subscribers_.size());
    for (const Subscriber& s : subscribers_) ids.push_back(s.id);
    for (const SubscriptionId id : ids) {
        const auto it = std::find_if(subscribers_.begin(), subscribers_.end(),
                                     [id](const Subscriber& s) { return s.id == id; });
        if (it == subscribers_.end()) continue;
        const CustomDrawHandler handler = it->handler;  // survives an unsubscribe inside it
        handler(InSize, InShapeName, InColor, PartName, SubPartName);
    }
}

}  // namespace primora
