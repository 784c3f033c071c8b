// The tip's pose as roll, pitch and yaw and back, the jog's moves and turns, and the view's
// projection that places the handle and follows the mouse across the view's plane.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "app/motion/TipPose.h"
#include "app/motion/ViewPlane.h"

namespace mechanon {
namespace {

constexpr double kPi = std::numbers::pi;

void ExpectSameFrame(const torvane::typFrame& a, const torvane::typFrame& b) {
    for (std::size_t i = 0; i < a.M.size(); ++i) EXPECT_NEAR(a.M[i], b.M[i], 1e-12) << i;
}

TEST(TipPose, RollPitchYawGiveBackTheFrameAlsoWherePitchIsAQuarterTurn) {
    for (const std::array<double, 3> rpy :
         {std::array<double, 3>{0.3, -0.4, 2.5}, {-3.0, 1.2, -0.1}, {0, 0, 0}, {1.0, 0, kPi}}) {
        const TipPose pose{{1, -2, 3}, rpy};
        const TipPose back = PoseOf(FrameOf(pose));
        for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(back.RollPitchYaw[i], rpy[i], 1e-12);
        ExpectSameFrame(FrameOf(back), FrameOf(pose));
    }
    // Roll and yaw turn about one axis here: the angles differ, the frame does not.
    for (const double pitch : {kPi / 2, -kPi / 2}) {
        const TipPose locked{{0, 0, 0}, {0.7, pitch, 0.2}};
        const TipPose back = PoseOf(FrameOf(locked));
        EXPECT_NEAR(back.RollPitchYaw[1], pitch, 1e-9);
        ExpectSameFrame(FrameOf(back), FrameOf(locked));
    }
}

TEST(TipPose, JogsMoveAlongAndTurnAboutTheRoomsAxesKeepingTheRest) {
    const TipPose start{{1, 2, 3}, {0.1, 0.2, 0.3}};
    const TipPose moved = Moved(start, Axis::Y, -0.5);
    EXPECT_EQ(moved.Position, (torvane::typ3Point{1, 1.5, 3}));
    EXPECT_EQ(moved.RollPitchYaw, start.RollPitchYaw);

    // A turn about the room's Z adds to the yaw of a frame and leaves the tip where it is.
    const TipPose turned = Turned(start, Axis::Z, 0.25);
    EXPECT_EQ(turned.Position, start.Position);
    EXPECT_NEAR(turned.RollPitchYaw[2], 0.55, 1e-12);
    EXPECT_NEAR(turned.RollPitchYaw[0], 0.1, 1e-12);
    // About X it is not a change of roll alone: the room's X is not the tip's.
    const TipPose rolled = Turned(start, Axis::X, 0.25);
    const torvane::typFrame expected = torvane::typFrame::Rotation(0.25 * 180 / kPi, {1, 0, 0}) *
                                       FrameOf({{}, start.RollPitchYaw});
    ExpectSameFrame(FrameOf({{}, rolled.RollPitchYaw}), expected);
    // A turn and its reverse come back.
    const TipPose back = Turned(Turned(start, Axis::Y, 0.4), Axis::Y, -0.4);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(back.RollPitchYaw[i], start.RollPitchYaw[i], 1e-12);
}

TEST(ViewPlane, APointIsDrawnWhereItsPixelsRayMeetsTheViewsPlane) {
    const torvane::typCamera camera{-12, -10, 8, 1, 2, 0.5};
    const ViewLens lens{45, 1.5, 0.5, 200};
    const int width = 600, height = 400;
    // The look-at point is in the middle of the view.
    const auto middle = PixelOfPoint(camera, lens, {1, 2, 0.5}, width, height);
    ASSERT_TRUE(middle);
    EXPECT_NEAR(middle->X, 300, 1e-9);
    EXPECT_NEAR(middle->Y, 200, 1e-9);

    // A point off the line of sight comes back from its pixel at its depth.
    const torvane::typ3Point point{3, -1, 4};
    const auto pixel = PixelOfPoint(camera, lens, point, width, height);
    ASSERT_TRUE(pixel);
    const auto back = PointOnViewPlane(camera, lens, point, pixel->X, pixel->Y, width, height);
    ASSERT_TRUE(back);
    EXPECT_NEAR(back->X, point.X, 1e-9);
    EXPECT_NEAR(back->Y, point.Y, 1e-9);
    EXPECT_NEAR(back->Z, point.Z, 1e-9);
    // Up the screen is up in the room for a Z-up camera.
    const auto higher = PixelOfPoint(camera, lens, {3, -1, 5}, width, height);
    ASSERT_TRUE(higher);
    EXPECT_LT(higher->Y, pixel->Y);
    // A move across the screen stays in the plane that faces the eye through the point.
    const auto across =
        PointOnViewPlane(camera, lens, point, pixel->X + 50, pixel->Y - 20, width, height);
    ASSERT_TRUE(across);
    const torvane::typ3Point forward{1 - -12, 2 - -10, 0.5 - 8};
    EXPECT_NEAR((across->X - point.X) * forward.X + (across->Y - point.Y) * forward.Y +
                    (across->Z - point.Z) * forward.Z,
                0, 1e-9);

    // Behind the eye nothing is drawn, and a plane behind it is never met.
    EXPECT_FALSE(PixelOfPoint(camera, lens, {-25, -22, 15.5}, width, height));
    EXPECT_FALSE(PointOnViewPlane(camera, lens, {-25, -22, 15.5}, 300, 200, width, height));
}

}  // namespace
}  // namespace mechanon
