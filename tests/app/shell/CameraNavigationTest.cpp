// Mouse navigation as camera arithmetic: what orbit, pan and zoom keep, and where they stop.

#include <gtest/gtest.h>

#include <cmath>

#include "app/CameraNavigation.h"
#include "app/QtUserInterface.h"

namespace mechanon {
namespace {

double Distance(const torvane::typCamera& c) {
    return std::hypot(c.CameraX - c.LookAtX, c.CameraY - c.LookAtY, c.CameraZ - c.LookAtZ);
}

// Degrees of the eye above the look-at point.
double Elevation(const torvane::typCamera& c) {
    return std::asin((c.CameraZ - c.LookAtZ) / Distance(c)) * 180 / 3.14159265358979;
}

const torvane::typCamera kStart{-12, -10, 8, 1, 2, 0.5};

TEST(CameraNavigation, OrbitTurnsAboutTheLookAtPointAndNeverPassesOverTheTop) {
    const torvane::typCamera turned = Orbit(kStart, 40, -25);
    EXPECT_NEAR(Distance(turned), Distance(kStart), 1e-9);
    EXPECT_EQ(turned.LookAtX, kStart.LookAtX);
    EXPECT_EQ(turned.LookAtZ, kStart.LookAtZ);
    EXPECT_NE(turned.CameraX, kStart.CameraX);

    // Dragging far up or down stops short of straight above or below, where Z-up is undefined.
    EXPECT_NEAR(Elevation(Orbit(kStart, 0, 10000)), kMaxElevationDegrees, 1e-6);
    EXPECT_NEAR(Elevation(Orbit(kStart, 0, -10000)), -kMaxElevationDegrees, 1e-6);
    // A drag and its reverse come back to the start.
    const torvane::typCamera back = Orbit(Orbit(kStart, 30, 12), -30, -12);
    EXPECT_NEAR(back.CameraX, kStart.CameraX, 1e-9);
    EXPECT_NEAR(back.CameraZ, kStart.CameraZ, 1e-9);
}

TEST(CameraNavigation, PanMovesEyeAndLookAtTogetherAcrossTheView) {
    const torvane::typCamera panned = Pan(kStart, 20, 0, 600);
    EXPECT_NEAR(panned.CameraX - kStart.CameraX, panned.LookAtX - kStart.LookAtX, 1e-12);
    EXPECT_NEAR(panned.CameraY - kStart.CameraY, panned.LookAtY - kStart.LookAtY, 1e-12);
    EXPECT_NEAR(panned.CameraZ, kStart.CameraZ, 1e-12);  // a sideways drag stays level
    EXPECT_NEAR(Distance(panned), Distance(kStart), 1e-9);
    EXPECT_GT(Pan(kStart, 0, 30, 600).LookAtZ, kStart.LookAtZ);

    // No view height, or looking straight down: nothing to pan along.
    EXPECT_EQ(Pan(kStart, 20, 20, 0), kStart);
    const torvane::typCamera down{0, 0, 10, 0, 0, 0};
    EXPECT_EQ(Pan(down, 20, 20, 600), down);
}

TEST(CameraNavigation, ZoomMovesAlongTheLineOfSightWithinItsLimits) {
    const torvane::typCamera closer = Zoom(kStart, 120);
    EXPECT_LT(Distance(closer), Distance(kStart));
    EXPECT_EQ(closer.LookAtY, kStart.LookAtY);
    EXPECT_NEAR(Distance(Zoom(kStart, 120 * 200)), kMinDistance, 1e-9);
    EXPECT_NEAR(Distance(Zoom(kStart, -120 * 200)), kMaxDistance, 1e-9);
    // An eye on the look-at point has no line of sight; it is left as it is.
    const torvane::typCamera same{1, 1, 1, 1, 1, 1};
    EXPECT_EQ(Zoom(same, 120), same);
    EXPECT_EQ(Orbit(same, 5, 5), same);
}

TEST(FileDialogFilters, RobotFilterListBecomesTheDialogsFilters) {
    EXPECT_EQ(ConvertFilterList("Bots files (*.Bots)|*.bot|"), "Bots files (*.Bots) (*.bot)");
    EXPECT_EQ(ConvertFilterList("Text (*.txt)|*.txt|All files|*.*|"),
              "Text (*.txt) (*.txt);;All files (*.*)");
    EXPECT_EQ(ConvertFilterList("Pictures|*.png; *.bmp|"), "Pictures (*.png *.bmp)");
    EXPECT_EQ(ConvertFilterList(""), "");
    EXPECT_EQ(DefaultSuffix("Bots files (*.Bots)|*.bot|"), "bot");
    EXPECT_EQ(DefaultSuffix("All files|*.*|"), "");
    EXPECT_EQ(DefaultSuffix("broken"), "");
}

}  // namespace
}  // namespace mechanon
