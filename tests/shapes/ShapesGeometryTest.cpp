// The primitives' geometry as it leaves the pipeline (GL feedback mode), their matrix
// discipline, the grid's loops and labels, the axis marker, and the label glyphs.

#include <gmock/gmock.h>

#include <array>
#include <cmath>
#include <map>
#include <set>

#include "shapes/LabelGlyphs.h"
#include "tests/shapes/ShapesFixture.h"

namespace mechanon::testing {
namespace {

using primora::DoubleArray;
using ::testing::ElementsAre;
using Kind = FeedbackItem::Kind;

struct Bounds {
    double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9, minZ = 1e9, maxZ = -1e9;
    void Add(const ObjectSpaceView::Point& p) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        minZ = std::min(minZ, p.z), maxZ = std::max(maxZ, p.z);
    }
};

Bounds BoundsOf(const std::vector<FeedbackItem>& items, const ObjectSpaceView& view,
                Kind kind = Kind::Polygon) {
    Bounds b;
    for (const auto& item : items)
        if (item.kind == kind)
            for (const auto& v : item.vertices) b.Add(view.ToModel(v));
    return b;
}

constexpr double kTol = 0.03;  // one feedback pixel of the 20-unit view is 0.02

TEST_F(ShapesFixture, SolidsHaveTheirExtents) {
    ObjectSpaceView view(10);
    auto box = CaptureFeedback([&] { shapes.DrawBox(DoubleArray(1, {1, 2, 3})); });
    const Bounds bb = BoundsOf(box, view);
    EXPECT_NEAR(bb.minX, -1, kTol);
    EXPECT_NEAR(bb.maxY, 2, kTol);
    EXPECT_NEAR(bb.minZ, -3, kTol);
    EXPECT_NEAR(bb.maxZ, 3, kTol);

    // Half sizes (0.5, 0.5, 0.5): a unit square in Z = 0, whatever c is.
    auto square = CaptureFeedback([&] { shapes.DrawSquarePlane(DoubleArray(1, {.5, .5, 9})); });
    const Bounds sb = BoundsOf(square, view);
    EXPECT_NEAR(sb.maxX - sb.minX, 1, kTol);
    EXPECT_NEAR(sb.maxY - sb.minY, 1, kTol);
    EXPECT_NEAR(sb.minZ, 0, kTol);
    EXPECT_NEAR(sb.maxZ, 0, kTol);
}

// The model-space corners of every polygon of a capture, rounded to the feedback resolution.
std::vector<std::vector<std::array<double, 3>>> Corners(const std::vector<FeedbackItem>& items,
                                                        const ObjectSpaceView& view) {
    std::vector<std::vector<std::array<double, 3>>> out;
    for (const auto& item : items) {
        if (item.kind != Kind::Polygon) continue;
        out.emplace_back();
        for (const auto& v : item.vertices) {
            const auto p = view.ToModel(v);
            out.back().push_back({std::round(p.x * 100) / 100, std::round(p.y * 100) / 100,
                                  std::round(p.z * 100) / 100});
        }
    }
    return out;
}

TEST_F(ShapesFixture, AirplaneTrianglesComeInTheirOrderWithTheirCorners) {
    ObjectSpaceView view(10);
    const auto items = CaptureFeedback([&] { shapes.DrawGLAirPlane(DoubleArray(1, {2, 1, 0.5})); });
    using P = std::array<double, 3>;
    EXPECT_THAT(Corners(items, view),
                ElementsAre(ElementsAre(P{-2, 1, 0}, P{-2, -1, 0}, P{2, 0, 0}),  // upper wing
                            ElementsAre(P{-2, 1, -0.1}, P{-2, -1, -0.1}, P{2, 0, -0.05}),  // lower
                            ElementsAre(P{-2, 0, 0.5}, P{-2, 0.1, 0}, P{2, 0, 0}),     // fin, left
                            ElementsAre(P{-2, 0, 0.5}, P{-2, -0.1, 0}, P{2, 0, 0})));  // fin, right
    // The normal of the last face stays current.
    EXPECT_THAT(CurrentNormal(), ElementsAre(0.0f, -1.0f, 0.0f));
}

TEST_F(ShapesFixture, BoxFacesComeInTheirOrder) {
    ObjectSpaceView view(10);
    const auto items = CaptureFeedback([&] { shapes.DrawBox(DoubleArray(1, {1, 2, 3})); });
    const auto corners = Corners(items, view);
    ASSERT_EQ(corners.size(), 12u);  // each quad arrives as two triangles
    // The plane each pair of triangles lies in, in the order top, bottom, +X, -X, +Y, -Y.
    const auto constant = [](const std::vector<std::array<double, 3>>& a,
                             const std::vector<std::array<double, 3>>& b) {
        for (int axis = 0; axis < 3; ++axis) {
            bool same = true;
            for (const auto* polygon : {&a, &b})
                for (const auto& p : *polygon) same = same && p[axis] == a[0][axis];
            if (same) return std::array<double, 2>{static_cast<double>(axis), a[0][axis]};
        }
        return std::array<double, 2>{-1, 0};
    };
    const std::array<std::array<double, 2>, 6> faces = {
        {{2, 3}, {2, -3}, {0, 1}, {0, -1}, {1, 2}, {1, -2}}};
    for (std::size_t f = 0; f < 6; ++f)
        EXPECT_EQ(constant(corners[2 * f], corners[2 * f + 1]), faces[f]) << "face " << f;
    EXPECT_THAT(CurrentNormal(), ElementsAre(0.0f, -1.0f, 0.0f));
}

TEST_F(ShapesFixture, AirplaneEmitsTwelveVerticesEvenWhenFlat) {
    ObjectSpaceView view(10);
    for (double b : {1.0, 0.0}) {
        const auto items = CaptureFeedback([&] {
            shapes.DrawGLAirPlane(DoubleArray(1, {2, b, 1}));
        });
        std::size_t vertices = 0;
        for (const auto& item : items) vertices += item.vertices.size();
        EXPECT_EQ(CountKind(items, Kind::Polygon), 4u) << "b = " << b;
        EXPECT_EQ(vertices, 12u) << "b = " << b;
        // Nose at +X on the wing plane, fin top above the rear edge.
        const Bounds bb = BoundsOf(items, view);
        EXPECT_NEAR(bb.maxX, 2, kTol);
        EXPECT_NEAR(bb.minX, -2, kTol);
        EXPECT_NEAR(bb.maxZ, 1, kTol);
        EXPECT_NEAR(bb.minZ, -0.1, kTol);
    }
}

TEST_F(ShapesFixture, ConeTakesFullSizesAndSelectShapePassesThemUnhalved) {
    ObjectSpaceView view(10);
    DoubleArray size(1, {2, 0, 4}), color(1, {50, 50, 50});
    std::string name = "cone", part, sub;
    const auto items = CaptureFeedback([&] { shapes.SelectShape(size, name, color, part, sub); });
    ASSERT_GT(items.size(), 0u);
    const Bounds bb = BoundsOf(items, view);
    EXPECT_NEAR(bb.minZ, -2, kTol);
    EXPECT_NEAR(bb.maxZ, 2, kTol);
    EXPECT_NEAR(bb.maxX, 1, kTol);  // base radius d1 / 2
    // The widest point near the top is the apex: top diameter 0 gives a pointed cone.
    double topRadius = 0;
    for (const auto& item : items)
        for (const auto& v : item.vertices) {
            const auto p = view.ToModel(v);
            if (p.z > 2 - kTol) topRadius = std::max(topRadius, std::hypot(p.x, p.y));
        }
    EXPECT_LT(topRadius, kTol);
}

// The cone's bottom faces down: lit from above it gets only the ambient light, the top the full
// light. (Its disk used to carry the quadric's upward normal and shone as brightly as the top.)
TEST_F(ShapesFixture, ConeBottomIsLitAsAFaceLookingDown) {
    ObjectSpaceView view(10);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const auto items = CaptureFeedback([&] { shapes.DrawCone(DoubleArray(1, {2, 2, 2})); });
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    double top = -1, bottom = -1;
    for (const auto& item : items) {
        if (item.kind != Kind::Polygon) continue;
        bool allTop = true, allBottom = true;
        for (const auto& v : item.vertices) {
            allTop = allTop && view.ToModel(v).z > 1 - kTol;
            allBottom = allBottom && view.ToModel(v).z < -1 + kTol;
        }
        if (allTop) top = item.vertices[0].r;
        if (allBottom) bottom = item.vertices[0].r;
    }
    ASSERT_GE(top, 0);
    ASSERT_GE(bottom, 0);
    EXPECT_GT(top, 0.5);
    EXPECT_LT(bottom, 0.1);
}

// Rods found in a grid capture: the X of each rod parallel to Y, the Y of each rod parallel to X.
struct Rods {
    std::set<long> alongY, alongX;  // positions rounded to whole units
    Bounds yRodSpan, xRodSpan;
};

Rods FindRods(const std::vector<FeedbackItem>& items, const ObjectSpaceView& view) {
    Rods rods;
    for (const auto& item : items) {
        if (item.kind != Kind::Polygon) continue;
        Bounds b;
        for (const auto& v : item.vertices) b.Add(view.ToModel(v));
        if (b.maxX - b.minX < 0.15 && b.maxY - b.minY > 0.15) {
            rods.alongY.insert(std::lround((b.minX + b.maxX) / 2));
            rods.yRodSpan.Add({b.minX, b.minY, b.minZ});
            rods.yRodSpan.Add({b.maxX, b.maxY, b.maxZ});
        } else if (b.maxY - b.minY < 0.15 && b.maxX - b.minX > 0.15) {
            rods.alongX.insert(std::lround((b.minY + b.maxY) / 2));
            rods.xRodSpan.Add({b.minX, b.minY, b.minZ});
            rods.xRodSpan.Add({b.maxX, b.maxY, b.maxZ});
        }
    }
    return rods;
}

TEST_F(ShapesFixture, GridDrawsElevenRodsEachWayAndLabelsTheFirstFamily) {
    CreatePassThroughGlyphs();
    ObjectSpaceView view(10);
    const auto items = CaptureFeedback([&] { shapes.DrawGrid(DoubleArray(1, {5, 5, 1})); });
    const Rods rods = FindRods(items, view);
    std::set<long> expected;
    for (int k = -5; k <= 5; ++k) expected.insert(k);
    EXPECT_EQ(rods.alongY, expected);
    EXPECT_EQ(rods.alongX, expected);
    EXPECT_NEAR(rods.yRodSpan.minY, -5, kTol);
    EXPECT_NEAR(rods.yRodSpan.maxY, 5, kTol);
    EXPECT_NEAR(rods.xRodSpan.minX, -5, kTol);
    EXPECT_NEAR(rods.xRodSpan.maxZ, 0.05, kTol);
    // 22 rods in all: every rod is the same cylinder, and a grid of extent 0.3 and spacing 1
    // has exactly one rod each way.
    const auto pair = CaptureFeedback([&] { shapes.DrawGrid(DoubleArray(1, {.3, .3, 1})); });
    ASSERT_GT(CountKind(pair, Kind::Polygon), 0u);
    EXPECT_EQ(CountKind(items, Kind::Polygon), 11 * CountKind(pair, Kind::Polygon));
    // Eleven labels, leading blank for zero and positive values, all on the first family.
    EXPECT_EQ(PassedText(items), "-5-4-3-2-1 0 1 2 3 4 5");
    std::size_t lastLabel = 0;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].kind == Kind::PassThrough) lastLabel = i;
    std::size_t firstXRod = items.size();
    for (std::size_t i = 0; i < items.size() && firstXRod == items.size(); ++i) {
        if (items[i].kind != Kind::Polygon) continue;
        Bounds b;
        for (const auto& v : items[i].vertices) b.Add(view.ToModel(v));
        if (b.maxY - b.minY < 0.15 && b.maxX - b.minX > 0.15) firstXRod = i;
    }
    EXPECT_LT(lastLabel, firstXRod);
}

TEST_F(ShapesFixture, GridWithoutSpacingOrSwitchedOffDrawsNothing) {
    CreatePassThroughGlyphs();
    ObjectSpaceView view(10);
    EXPECT_TRUE(CaptureFeedback([&] { shapes.DrawGrid(DoubleArray(1, {5, 5, 0})); }).empty());
    EXPECT_TRUE(CaptureFeedback([&] { shapes.DrawGrid(DoubleArray(1, {5, 5, -1})); }).empty());
    shapes.SetShowGrids(false);
    EXPECT_TRUE(CaptureFeedback([&] { shapes.DrawGrid(DoubleArray(1, {5, 5, 1})); }).empty());
    // Switched off, even a size that could never be drawn is no fault.
    EXPECT_NO_THROW(shapes.DrawGrid(DoubleArray(1, {HUGE_VAL, 5, 1})));
}

TEST_F(ShapesFixture, GridStepsByRepeatedAddition) {
    CreatePassThroughGlyphs();
    ObjectSpaceView view(10);
    const auto items = CaptureFeedback([&] { shapes.DrawGrid(DoubleArray(1, {.3, .3, .1})); });
    // -0.3 + 0.1 + ... overshoots 0.3 by a rounding error, so the last line is not drawn, and
    // the line near zero is not exactly zero. Six rods each way: every rod is the same cylinder,
    // so the polygon count is six times that of a grid with one line each way.
    const auto single = CaptureFeedback([&] { shapes.DrawGrid(DoubleArray(1, {.3, .3, 1})); });
    ASSERT_GT(CountKind(single, Kind::Polygon), 0u);
    EXPECT_EQ(CountKind(items, Kind::Polygon), 6 * CountKind(single, Kind::Polygon));
    EXPECT_EQ(PassedText(items), "-.3-.2-.1 2.77555756156289E-17 .1 .2");

    const auto halves = CaptureFeedback([&] { shapes.DrawGrid(DoubleArray(1, {1, 1, .5})); });
    EXPECT_EQ(PassedText(halves), "-1-.5 0 .5 1");
}

TEST_F(ShapesFixture, GridsThatCouldNeverBeDrawnAreRefused) {
    for (const DoubleArray& size : {DoubleArray(1, {HUGE_VAL, 5, 1}), DoubleArray(1, {5, 5, NAN}),
                                    DoubleArray(1, {1e9, 1, 1e-3})}) {
        try {
            shapes.DrawGrid(size);
            ADD_FAILURE() << "grid drawn";
        } catch (const primora::ShapeError& e) {
            EXPECT_EQ(e.Code(), primora::ShapeErrorCode::Overflow);
        }
    }
}

TEST_F(ShapesFixture, AxesDrawColouredLinesAndLeaveGrey) {
    ObjectSpaceView view(10);
    const auto items = CaptureFeedback([&] { shapes.DrawAxes(1, 2, 3); });
    std::vector<std::array<double, 6>> lines;  // end point and colour of each line
    for (const auto& item : items)
        if (item.kind == Kind::Line) {
            const auto end = view.ToModel(item.vertices[1]);
            lines.push_back(
                {end.x, end.y, end.z, item.vertices[1].r, item.vertices[1].g, item.vertices[1].b});
        }
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NEAR(lines[0][0], 1, kTol);
    EXPECT_EQ(lines[0][3], 1.0);
    EXPECT_NEAR(lines[1][1], 2, kTol);
    EXPECT_EQ(lines[1][4], 1.0);
    EXPECT_NEAR(lines[2][2], 3, kTol);
    EXPECT_EQ(lines[2][5], 1.0);
    // The ball at the origin, radius 0.2, grey; the grey stays current afterwards.
    const Bounds ball = BoundsOf(items, view);
    EXPECT_NEAR(ball.maxX, 0.2, kTol);
    EXPECT_NEAR(ball.maxZ, 0.2, kTol);  // the half facing the viewer; the back half is culled
    EXPECT_FLOAT_EQ(CurrentColor()[0], 0.8f);
}

TEST_F(ShapesFixture, AxesSwitchedOffChangeNoState) {
    shapes.SetShowAxis(false);
    glColor3f(0.1f, 0.2f, 0.3f);
    glNormal3f(1, 0, 0);
    glTranslated(1, 2, 3);
    std::array<GLdouble, 16> before{}, after{};
    GLint depthBefore = 0, depthAfter = 0;
    glGetDoublev(GL_MODELVIEW_MATRIX, before.data());
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    {
        ObjectSpaceView view(10);
        EXPECT_TRUE(CaptureFeedback([&] { shapes.DrawAxes(1, 1, 1); }).empty());
    }
    shapes.DrawAxes(1, 1, 1);
    EXPECT_THAT(CurrentColor(), ElementsAre(0.1f, 0.2f, 0.3f, 1.0f));
    EXPECT_THAT(CurrentNormal(), ElementsAre(1.0f, 0.0f, 0.0f));
    glGetDoublev(GL_MODELVIEW_MATRIX, after.data());
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(before, after);
    EXPECT_EQ(depthBefore, depthAfter);

    // Compiled into a list, the call records nothing either: replaying the list emits nothing
    // and leaves the colour as it was.
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    shapes.DrawAxes(1, 1, 1);
    glEndList();
    glColor3f(0.5f, 0.5f, 0.5f);
    {
        ObjectSpaceView view(10);
        EXPECT_TRUE(CaptureFeedback([&] { glCallList(list); }).empty());
    }
    EXPECT_THAT(CurrentColor(), ElementsAre(0.5f, 0.5f, 0.5f, 1.0f));
    glDeleteLists(list, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShapesFixture, PrimitivesLeaveTheModelViewAsFound) {
    CreatePassThroughGlyphs();
    glMatrixMode(GL_MODELVIEW);
    glTranslated(1, 2, 3);
    std::array<GLdouble, 16> before{}, after{};
    GLint depthBefore = 0, depthAfter = 0;
    glGetDoublev(GL_MODELVIEW_MATRIX, before.data());
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    const DoubleArray size(1, {2, 2, 1});
    shapes.DrawCone(size);
    shapes.DrawGrid(size);
    shapes.DrawAxes(1, 1, 1);
    shapes.DrawBox(size);
    shapes.DrawGLAirPlane(size);
    shapes.DrawSquarePlane(size);
    shapes.PrintLabelToGL(" 1");
    glGetDoublev(GL_MODELVIEW_MATRIX, after.data());
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(before, after);
    EXPECT_EQ(depthBefore, depthAfter);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShapesFixture, LabelGlyphsAreListsNamedByCharacterCode) {
    EXPECT_EQ(primora::CreateLabelGlyphs(), 15);
    for (const char* c = primora::kLabelCharacters; *c; ++c)
        EXPECT_TRUE(glIsList(static_cast<GLuint>(*c))) << *c;
    EXPECT_EQ(primora::CreateLabelGlyphs(), 0);  // existing lists are never replaced
    // A name reserved afterwards never collides with a glyph.
    const GLuint reserved = glGenLists(1);
    EXPECT_EQ(std::string(primora::kLabelCharacters).find(static_cast<char>(reserved)),
              std::string::npos);

    // Each character is one bitmap; the label starts at the current origin and advances.
    ObjectSpaceView view(10);
    glTranslated(2, 3, 0);
    const auto items = CaptureFeedback([&] { shapes.PrintLabelToGL("-12.5"); });
    ASSERT_EQ(CountKind(items, Kind::Bitmap), 5u);
    const auto start = view.ToModel(items[0].vertices[0]);
    EXPECT_NEAR(start.x, 2, kTol);
    EXPECT_NEAR(start.y, 3, kTol);
    EXPECT_GT(items[1].vertices[0].x, items[0].vertices[0].x);
    EXPECT_EQ(items[1].vertices[0].y, items[0].vertices[0].y);
}

TEST_F(ShapesFixture, LabelGlyphsShowOnPixels) {
    primora::CreateLabelGlyphs();
    glViewport(0, 0, 64, 64);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(0, 0, 0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(-0.5, 0, 0);  // pixel 16, 32
    shapes.PrintLabelToGL("-8");
    glFinish();
    const torvane::GlImage image = surface.ReadBackBuffer();
    int dark = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (image.Pixel(x, y)[0] < 128) {
                ++dark;
                EXPECT_GE(x, 16);
                EXPECT_LT(x, 16 + 12);
                EXPECT_LE(y, 32);
                EXPECT_GT(y, 32 - 8);
            }
    // The minus bar is five pixels, the eight has 17 set dots.
    EXPECT_EQ(dark, 5 + 17);
}

TEST_F(ShapesFixture, ScaledLabelsShowInFrontInTheirOwnColourAndLeaveTheColourAlone) {
    primora::CreateLabelGlyphs();
    EXPECT_EQ(primora::ScaleLabelGlyphs(2), 15);
    glViewport(0, 0, 64, 64);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // Light grey squares nearer than the label over the whole view, one drawn before it and
    // one after: neither may hide it.
    glEnable(GL_DEPTH_TEST);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glColor3f(0.6f, 0.6f, 0.6f);
    glRectf(-1, -1, 1, 1);  // at depth 0
    glPushMatrix();
    glTranslated(-0.5, -0.5, 0.5);  // pixel 16, 16, farther than the squares
    shapes.PrintLabelToGL("-8");
    glPopMatrix();
    glRectf(-1, -1, 1, 1);
    glFinish();

    std::array<GLfloat, 4> colour{}, diffuse{};
    glGetFloatv(GL_CURRENT_COLOR, colour.data());
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse.data());
    EXPECT_FLOAT_EQ(colour[0], 0.6f) << "what follows a label keeps the colour it had";
    EXPECT_FLOAT_EQ(diffuse[0], 0.6f) << "and so does the material";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    const torvane::GlImage image = surface.ReadBackBuffer();
    int dark = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (image.Pixel(x, y)[0] < 128) {
                ++dark;
                EXPECT_GT(image.Pixel(x, y)[2], image.Pixel(x, y)[0] + 40) << "a blue of its own";
            }
    // Every dot of the minus bar and the eight is two by two pixels.
    EXPECT_EQ(dark, (5 + 17) * 4);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_DEPTH_TEST);
}

}  // namespace
}  // namespace mechanon::testing
