// The lists shared by every occurrence: the axis marker's ball, its geometry, its culled back
// half, and the marker drawn through the shared list against the marker drawn in place.

#include <GL/glu.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "shapes/GlSink.h"
#include "shapes/ShapeGeometry.h"
#include "shapes/ShapeLists.h"
#include "tests/shapes/ShapesFixture.h"
#include "tests/support/PpmImage.h"

namespace mechanon::testing {
namespace {

// Every corner of a ball, with the normal it carries.
class CornerSink final : public primora::TriangleSink {
  public:
    void Begin(primora::PrimitiveMode mode) override {
        EXPECT_EQ(mode, primora::PrimitiveMode::QuadStrip);
        ++strips;
    }
    void Normal(double x, double y, double z) override { normal = {x, y, z}; }
    void Vertex(double x, double y, double z) override {
        corners.push_back({x, y, z});
        normals.push_back(normal);
    }
    void End() override {}
    int strips = 0;
    std::array<double, 3> normal{};
    std::vector<std::array<double, 3>> corners, normals;
};

TEST(AxisBallTest, CornersLieOnTheSphereWithOutwardNormalsAndStripsWindOutward) {
    CornerSink sink;
    primora::EmitBall(0.5, 8, 6, sink);
    EXPECT_EQ(sink.strips, 6);
    ASSERT_EQ(sink.corners.size(), 6u * 9u * 2u);
    for (std::size_t i = 0; i < sink.corners.size(); ++i) {
        const auto& p = sink.corners[i];
        const auto& n = sink.normals[i];
        EXPECT_NEAR(std::hypot(p[0], p[1], p[2]), 0.5, 1e-12);
        EXPECT_NEAR(n[0] * 0.5, p[0], 1e-12);
        EXPECT_NEAR(n[2] * 0.5, p[2], 1e-12);
    }
    // Both poles are reached, and every quad of every strip faces out as GL winds it (its
    // corners 0, 1, 3, 2), which culling the back half relies on; pole triangles are empty.
    EXPECT_NEAR(sink.corners.front()[2], 0.5, 1e-12);
    EXPECT_NEAR(sink.corners.back()[2], -0.5, 1e-12);
    const auto outward = [&](std::size_t i, std::size_t j, std::size_t k) {
        const auto &a = sink.corners[i], &b = sink.corners[j], &c = sink.corners[k];
        const std::array<double, 3> u{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const std::array<double, 3> v{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const std::array<double, 3> n{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                                      u[0] * v[1] - u[1] * v[0]};
        return n[0] * (a[0] + b[0] + c[0]) + n[1] * (a[1] + b[1] + c[1]) +
               n[2] * (a[2] + b[2] + c[2]);
    };
    int facing = 0;
    for (std::size_t strip = 0; strip < 6; ++strip)
        for (std::size_t q = 0; q < 8; ++q) {
            const std::size_t v = strip * 18 + q * 2;
            for (const double o : {outward(v, v + 1, v + 3), outward(v, v + 3, v + 2)}) {
                EXPECT_GE(o, -1e-12) << "strip " << strip << " quad " << q;
                if (o > 1e-6) ++facing;
            }
        }
    EXPECT_EQ(facing, 2 * 6 * 8 - 2 * 8);  // one empty triangle per quad at each pole
}

class AxisBallPixelTest : public ShapesFixture {
  protected:
    static constexpr double kNearEye = 0.8774964387392123;  // |(0.5, -0.6, 0.4)|
    // The eye distance at which the ball is radiusPixels across its half width in the 64 pixel
    // view with its 30 degree field.
    static double EyeDistanceFor(double radiusPixels) {
        return primora::kAxisBallRadius * 32 / std::tan(15 * std::numbers::pi / 180) / radiusPixels;
    }
    // A lit, depth-tested view with the ball filling most of it, from an oblique eye.
    torvane::GlImage Draw(const std::function<void()>& draw, double eyeDistance = kNearEye) {
        glViewport(0, 0, 64, 64);
        glClearColor(1, 1, 1, 1);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_COLOR_MATERIAL);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(30, 1, 0.1, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const double scale = eyeDistance / kNearEye;
        gluLookAt(0.5 * scale, -0.6 * scale, 0.4 * scale, 0, 0, 0, 0, 0, 1);
        glColor3f(0.8f, 0.8f, 0.8f);
        draw();
        glFinish();
        return surface.ReadBackBuffer();
    }
};

TEST_F(AxisBallPixelTest, CulledBallShowsTheSamePixelsAsTheWholeBall) {
    const torvane::GlImage whole = Draw([] {
        primora::GlSink sink;
        primora::EmitBall(primora::kAxisBallRadius, primora::kAxisBallSlices,
                          primora::kAxisBallStacks, sink);
    });
    const torvane::GlImage culled = Draw([] { primora::DrawAxisBall(); });
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));  // the caller's state comes back
    ASSERT_EQ(whole.rgb.size(), culled.rgb.size());
    int lit = 0;
    for (std::size_t i = 0; i < whole.rgb.size(); ++i) {
        EXPECT_EQ(whole.rgb[i], culled.rgb[i]) << "byte " << i;
        if (whole.rgb[i] < 250) ++lit;
    }
    EXPECT_GT(lit, 1000);  // the ball covers a good part of the view
}

TEST_F(AxisBallPixelTest, MarkerThroughTheSharedListMatchesTheMarkerDrawnInPlace) {
    const torvane::GlImage inPlace = Draw([this] { shapes.DrawAxes(1, 1, 1); });
    EXPECT_EQ(primora::CreateShapeLists(), 15 + primora::kAxisBallLevels);
    EXPECT_TRUE(glIsList(primora::kAxisBallList));
    EXPECT_EQ(primora::CreateShapeLists(), 0);  // existing lists are never replaced
    // Compiled into a world list as the view does it: the marker calls the shared list.
    const GLuint world = glGenLists(1);
    EXPECT_NE(world, primora::kAxisBallList);
    glNewList(world, GL_COMPILE);
    shapes.DrawAxes(1, 1, 1);
    glEndList();
    const torvane::GlImage shared = Draw([world] { glCallList(world); });
    EXPECT_EQ(inPlace.rgb, shared.rgb);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The largest gap, in pixels, between a ball radiusPixels across and the polygons of its
// tessellation: the sag of the chord between neighbouring corners of every strip, both along
// the strip (around Z) and across it (pole to pole).
double LargestSagPixels(const primora::BallDetail& detail, double radiusPixels) {
    CornerSink sink;
    primora::EmitBall(1, detail.slices, detail.stacks, sink);
    const auto sag = [&](std::size_t i, std::size_t j) {
        const auto &a = sink.corners[i], &b = sink.corners[j];
        return 1 - std::hypot(a[0] + b[0], a[1] + b[1], a[2] + b[2]) / 2;
    };
    double largest = 0;
    const auto perStrip = static_cast<std::size_t>(2 * (detail.slices + 1));
    for (std::size_t v = 0; v < sink.corners.size(); v += 2) {
        largest = std::max(largest, sag(v, v + 1));                               // across
        if ((v + 2) % perStrip != 0) largest = std::max(largest, sag(v, v + 2));  // around
    }
    return largest * radiusPixels;
}

TEST(AxisBallLevelTest, EachLevelKeepsTheOutlineWithinHalfAPixelAndSmallerBallsGetCoarser) {
    int previous = 0;
    for (double radius = 60; radius >= 0.25; radius *= 0.9) {
        const int level = primora::AxisBallLevel(radius);
        ASSERT_GE(level, previous) << radius;  // never finer for a smaller ball
        previous = level;
        if (level > 0) {
            EXPECT_LE(LargestSagPixels(primora::kAxisBallDetails[static_cast<std::size_t>(level)],
                                       radius),
                      primora::kBallOutlineTolerancePixels)
                << "radius " << radius << " level " << level;
        }
        // The next coarser level would stray too far, or there is none.
        if (level + 1 < primora::kAxisBallLevels) {
            EXPECT_GT(LargestSagPixels(
                          primora::kAxisBallDetails[static_cast<std::size_t>(level + 1)], radius),
                      primora::kBallOutlineTolerancePixels)
                << "radius " << radius << " level " << level;
        }
    }
    EXPECT_EQ(previous, primora::kAxisBallLevels - 1);  // a ball of a pixel is the coarsest
    EXPECT_EQ(primora::AxisBallLevel(500), 0);
    for (const double unknown : {0.0, -3.0, std::nan("")})
        EXPECT_EQ(primora::AxisBallLevel(unknown), 0);
}

TEST_F(AxisBallPixelTest, ACoarserBallAtItsOwnSizeShowsTheFinestBallsPicture) {
    // Edge pixels whose centres lie in the sliver between the two outlines may flip; the
    // outline's length bounds how many.
    const auto changed = [this](double radius, int level) {
        const double eye = EyeDistanceFor(radius);
        const torvane::GlImage finest = Draw([] { primora::DrawAxisBall(0); }, eye);
        const torvane::GlImage other = Draw([level] { primora::DrawAxisBall(level); }, eye);
        const int covered = 64 * 64 - CountPixelsNear(finest, 255, 255, 255, 8);
        EXPECT_NEAR(covered, std::numbers::pi * radius * radius, 2 * std::numbers::pi * radius);
        return CompareImages(finest, other, 40).differentPixels;
    };
    const auto edgeBound = [](double radius) { return std::numbers::pi * radius + 4; };
    for (const double radius : {3.0, 6.0, 12.0}) {
        const int level = primora::AxisBallLevel(radius);
        ASSERT_GT(level, 0) << radius;
        EXPECT_LE(changed(radius, level), edgeBound(radius)) << "radius " << radius;
    }
    // The bound tells a level too coarse for its size.
    EXPECT_GT(changed(12, primora::kAxisBallLevels - 1), edgeBound(12));
}

TEST_F(ShapesFixture, BallListNameOwnedBySomeoneElseIsLeftAlone) {
    glNewList(primora::kAxisBallList, GL_COMPILE);
    glPassThrough(7);
    glEndList();
    // The other levels' names are free and get their lists.
    EXPECT_EQ(primora::CreateAxisBallLists(), primora::kAxisBallLevels - 1);
    std::vector<FeedbackItem> items = CaptureFeedback([] { glCallList(primora::kAxisBallList); });
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].kind, FeedbackItem::Kind::PassThrough);
}

}  // namespace
}  // namespace mechanon::testing
