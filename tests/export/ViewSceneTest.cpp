// Aiming the camera at a whole room and picking the part under a pixel, on the shipped arm and
// on hand-made scenes.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>

#include "export/ViewScene.h"
#include "model/Error.h"
#include "model/clsRooms.h"

namespace mechanon {
namespace {

using torvane::typ3Point;

struct EyePoint {
    double right, up, depth;  // along the view's axes; depth > 0 in front of the eye
};

// The point in the camera's axes, built independently of the code under test.
EyePoint ToEye(const torvane::typCamera& c, const typ3Point& p) {
    const double fx = c.LookAtX - c.CameraX, fy = c.LookAtY - c.CameraY, fz = c.LookAtZ - c.CameraZ;
    const double fl = std::sqrt(fx * fx + fy * fy + fz * fz);
    const typ3Point f{fx / fl, fy / fl, fz / fl};
    typ3Point s{f.Y, -f.X, 0};  // f x (0,0,1)
    const double sl = std::hypot(s.X, s.Y);
    s = {s.X / sl, s.Y / sl, 0};
    const typ3Point u{s.Y * f.Z - s.Z * f.Y, s.Z * f.X - s.X * f.Z, s.X * f.Y - s.Y * f.X};
    const typ3Point d{p.X - c.CameraX, p.Y - c.CameraY, p.Z - c.CameraZ};
    return {d.X * s.X + d.Y * s.Y + d.Z * s.Z, d.X * u.X + d.Y * u.Y + d.Z * u.Z,
            d.X * f.X + d.Y * f.Y + d.Z * f.Z};
}

class ArmScene : public ::testing::Test {
  protected:
    void SetUp() override {
        rooms_.Load((std::filesystem::path(MECHANON_SOURCE_DIR) / "examples" / "arm.bot").string());
        placed_ = PlaceAtCurrentMotors(*rooms_.ActivePartRoom);
        meshes_ = PlacedMeshes(placed_);
    }
    torvane::clsRooms rooms_;
    std::vector<torvane::typPlacedOccurrence> placed_;
    std::vector<PlacedMesh> meshes_;
};

TEST_F(ArmScene, EveryPresetShowsTheWholeRoomInsideTheLens) {
    const ViewBox box = BoundingBox(meshes_);
    ASSERT_FALSE(box.Empty);
    for (const double aspect : {0.5, 1.0, 2.5}) {
        const ViewLens lens{45, aspect, 0.5, 200};
        const double tanY = std::tan(22.5 * std::numbers::pi / 180), tanX = tanY * aspect;
        for (const ViewPreset preset :
             {ViewPreset::Fit, ViewPreset::Front, ViewPreset::Side, ViewPreset::Top}) {
            const auto camera =
                FitCamera(torvane::typCamera{10, -20, 5, 0, 0, 0}, box, lens, preset);
            EXPECT_NEAR(camera.LookAtX, (box.Min.X + box.Max.X) / 2, 1e-9);
            EXPECT_NEAR(camera.LookAtZ, (box.Min.Z + box.Max.Z) / 2, 1e-9);
            double widest = 0;
            for (const auto& mesh : meshes_)
                for (const auto& triangle : mesh.Triangles)
                    for (const auto& corner : triangle) {
                        const EyePoint e = ToEye(camera, corner);
                        ASSERT_GT(e.depth, lens.NearClip);
                        EXPECT_LE(std::abs(e.right / e.depth), tanX + 1e-9);
                        EXPECT_LE(std::abs(e.up / e.depth), tanY + 1e-9);
                        widest = std::max({widest, std::abs(e.right / e.depth) / tanX,
                                           std::abs(e.up / e.depth) / tanY});
                    }
            // Fitted, not merely inside: the room fills a fair share of the narrower side.
            EXPECT_GT(widest, 0.3) << static_cast<int>(preset) << " at aspect " << aspect;
        }
    }
}

TEST_F(ArmScene, PresetsLookAlongTheirAxesAndFitKeepsTheDirection) {
    const ViewBox box = BoundingBox(meshes_);
    const ViewLens lens;
    const torvane::typCamera start{10, -20, 5, 1, 1, 1};
    const auto front = FitCamera(start, box, lens, ViewPreset::Front);
    EXPECT_GT(front.CameraY, front.LookAtY);
    EXPECT_DOUBLE_EQ(front.CameraX, front.LookAtX);
    EXPECT_DOUBLE_EQ(front.CameraZ, front.LookAtZ);
    const auto side = FitCamera(start, box, lens, ViewPreset::Side);
    EXPECT_LT(side.CameraX, side.LookAtX);
    EXPECT_DOUBLE_EQ(side.CameraY, side.LookAtY);
    const auto top = FitCamera(start, box, lens, ViewPreset::Top);
    EXPECT_GT(top.CameraZ, top.LookAtZ);
    EXPECT_NE(top.CameraY, top.LookAtY);  // Z up stays defined
    EXPECT_NEAR(top.CameraX, top.LookAtX, 1e-12);
    const auto fit = FitCamera(start, box, lens, ViewPreset::Fit);
    const double bx = fit.CameraX - fit.LookAtX, by = fit.CameraY - fit.LookAtY;
    EXPECT_NEAR(bx / by, (10.0 - 1) / (-20.0 - 1), 1e-9);
}

TEST_F(ArmScene, ClickingThroughAPartsCentrePicksItAndItsTopLevelSubPart) {
    const ViewBox box = BoundingBox(meshes_);
    const ViewLens lens{45, 1.5, 0.5, 200};
    const auto camera = FitCamera({}, box, lens, ViewPreset::Front);
    const int width = 600, height = 400;
    const double tanY = std::tan(22.5 * std::numbers::pi / 180), tanX = tanY * 1.5;
    int checked = 0;
    for (const auto& mesh : meshes_) {
        // The pixel of the first triangle's centroid: whatever is hit there lies no farther.
        const auto& t = mesh.Triangles.front();
        const typ3Point c{(t[0].X + t[1].X + t[2].X) / 3, (t[0].Y + t[1].Y + t[2].Y) / 3,
                          (t[0].Z + t[1].Z + t[2].Z) / 3};
        const EyePoint e = ToEye(camera, c);
        const double x = (e.right / e.depth / tanX + 1) / 2 * width;
        const double y = (1 - e.up / e.depth / tanY) / 2 * height;
        const ViewRay ray = RayThroughPixel(camera, lens, x, y, width, height);
        const double along = (c.X - ray.Origin.X) * ray.Direction.X +
                             (c.Y - ray.Origin.Y) * ray.Direction.Y +
                             (c.Z - ray.Origin.Z) * ray.Direction.Z;
        EXPECT_NEAR(ray.Origin.X + along * ray.Direction.X, c.X, 1e-6);
        EXPECT_NEAR(ray.Origin.Z + along * ray.Direction.Z, c.Z, 1e-6);
        EXPECT_GE(PickOccurrence(meshes_, ray), 0);
        ++checked;
    }
    EXPECT_GT(checked, 1);
    // Beside the whole room the ray meets nothing.
    EXPECT_EQ(PickOccurrence(meshes_, RayThroughPixel(camera, lens, 1, 1, width, height)), -1);
}

TEST_F(ArmScene, TheRoomIsPlacedAtTheMotorValuesItHoldsNow) {
    auto& room = *rooms_.ActivePartRoom;
    const ViewBox before = BoundingBox(meshes_);
    torvane::typMotorMasks masks = room.MotorMasks();
    ASSERT_GE(masks.TotalMasks, 2);
    masks.Masks(2).Value += 60;  // lift the upper arm
    room.SetMotorMasks(masks);
    const ViewBox after = BoundingBox(PlacedMeshes(PlaceAtCurrentMotors(room)));
    EXPECT_GT(std::abs(after.Max.Z - before.Max.Z) + std::abs(after.Max.X - before.Max.X) +
                  std::abs(after.Min.X - before.Min.X),
              0.1);
}

PlacedMesh Square(std::int32_t occurrence, double y) {
    const typ3Point a{-1, y, -1}, b{1, y, -1}, c{1, y, 1}, d{-1, y, 1};
    return {occurrence, {{a, b, c}, {a, c, d}}};
}

TEST(ViewPicking, TheNearestSurfaceInFrontOfTheEyeWins) {
    const ViewRay ray{{0, 0, 0}, {0, 1, 0}};
    EXPECT_EQ(PickOccurrence({Square(1, 5), Square(2, 3), Square(3, -2)}, ray), 2);
    EXPECT_EQ(PickOccurrence({Square(3, -2)}, ray), -1);                           // behind the eye
    EXPECT_EQ(PickOccurrence({Square(1, 5)}, ViewRay{{3, 0, 0}, {0, 1, 0}}), -1);  // beside
    EXPECT_EQ(PickOccurrence({Square(1, 5)}, ViewRay{{0, 0, 0}, {1, 0, 0}}), -1);  // parallel
}

TEST(ViewPicking, AnOccurrenceMapsToTheRoomsOwnSubPartAboveIt) {
    // room(0) -> a(1) -> a.x(2) -> a.x.y(3); room -> b(4) -> b.z(5)
    std::vector<torvane::typPlacedOccurrence> placed(6);
    const std::int32_t parents[] = {-1, 0, 1, 2, 0, 4};
    for (std::size_t i = 0; i < placed.size(); ++i) placed[i].Parent = parents[i];
    EXPECT_EQ(TopLevelSubPart(placed, 3), 1);
    EXPECT_EQ(TopLevelSubPart(placed, 1), 1);
    EXPECT_EQ(TopLevelSubPart(placed, 5), 2);
    EXPECT_EQ(TopLevelSubPart(placed, 0), 0);
    EXPECT_EQ(TopLevelSubPart(placed, -1), 0);
    EXPECT_EQ(TopLevelSubPart(placed, 6), 0);
}

TEST(ViewFitting, AnEmptyRoomIsRefusedWithAMessage) {
    try {
        FitCamera({}, ViewBox{}, ViewLens{}, ViewPreset::Fit);
        FAIL() << "an empty box was fitted";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("no shapes"), std::string::npos) << e.what();
    }
}

TEST(ViewFitting, ABoxTooLargeForTheViewIsRefusedAndALargeOneFits) {
    const ViewBox huge{{-1e308, -1e308, 0}, {1e308, 1e308, 1}, false};
    EXPECT_THROW(FitCamera({}, huge, ViewLens{}, ViewPreset::Fit), torvane::Error);
    const ViewBox large{{-1e9, -1e9, 0}, {1e9, 1e9, 1}, false};
    const torvane::typCamera fitted = FitCamera({}, large, ViewLens{}, ViewPreset::Front);
    EXPECT_TRUE(std::isfinite(fitted.CameraY));
    EXPECT_GT(std::fabs(fitted.CameraY), 1e9) << "far enough out for the whole box";
}

}  // namespace
}  // namespace mechanon
