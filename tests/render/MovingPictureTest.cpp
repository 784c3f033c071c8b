// The view's world in rigid groups: new motor values place the moving parts without drawing any
// shape again, the markers are sized anew for a settled camera, and the quick picture drawn
// while the view moves shows each ball as a disc of its size until the exact picture returns.

#include <gmock/gmock.h>

#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>

#include "model/clsRooms.h"
#include "model/clsSubPart.h"
#include "platform/ScriptedUserInterface.h"
#include "tests/render/WorldScene.h"
#include "tests/support/PpmImage.h"
#include "tests/support/PrimoraShapes.h"

namespace mechanon::testing {
namespace {

using torvane::clsPartRoom;
using torvane::DoubleArray;

// The shape library as the program connects it, counting the parts it is asked to draw and
// failing at the part given.
class CountingShapes final : public torvane::IShapes {
  public:
    int drawn = 0;
    int failAt = 0;  // none

    void SelectShape(DoubleArray& size, std::string& name, DoubleArray& color, std::string& part,
                     std::string& sub) override {
        Count();
        inner_.SelectShape(size, name, color, part, sub);
    }
    bool PlacesShapes() const override { return true; }
    void SelectShapeAt(const std::array<double, 16>& at, DoubleArray& size, std::string& name,
                       DoubleArray& color, std::string& part, std::string& sub) override {
        Count();
        inner_.SelectShapeAt(at, size, name, color, part, sub);
    }
    void DrawAxes(std::int16_t X, std::int16_t Y, std::int16_t Z, double pixels) override {
        inner_.DrawAxes(X, Y, Z, pixels);
    }
    bool DrawsMarkersLast() const override { return true; }
    void DrawAxisMarkers(const std::vector<torvane::typAxisMarkerPlace>& places,
                         MarkerParts parts) override {
        inner_.DrawAxisMarkers(places, parts);
    }
    void DrawAxisBallSprites(const std::vector<torvane::typAxisMarkerPlace>& places,
                             const std::array<double, 3>& eye) override {
        inner_.DrawAxisBallSprites(places, eye);
    }
    bool ShowAxis() const override { return inner_.ShowAxis(); }
    void SetShowAxis(bool show) override { inner_.SetShowAxis(show); }
    bool ShowGrids() const override { return inner_.ShowGrids(); }
    void SetShowGrids(bool show) override { inner_.SetShowGrids(show); }
    std::string ShapeNames() const override { return inner_.ShapeNames(); }
    void SetShapeNames(const std::string& names) override { inner_.SetShapeNames(names); }

  private:
    void Count() {
        if (++drawn == failAt) throw std::runtime_error("the part could not be drawn");
    }
    PrimoraShapes inner_;
};

class MovingPictureTest : public ::testing::Test {
  protected:
    // A blue base holding a red arm that turns about z at x = 1, holding a green finger.
    void SetUp() override {
        base = Room("Base", 1, {0, 0, 100});
        arm = Room("Arm", 0.5, {100, 0, 0});
        finger = Room("Finger", 0.25, {0, 100, 0});
        auto data = arm->PartData();
        data.MotorType = 2;
        data.MotorDimension = 2;
        data.JointPosition = {1, 0, 0};
        arm->SetPartData(data);
        Use(*arm, finger, {0, 0, 0.6});
        Use(*base, arm, {1.5, 0, 0});
        rooms.Shapes = shapes;
        rooms.InsertPartRoom(base, 1);
        rooms.InsertPartRoom(arm, 2);
        rooms.InsertPartRoom(finger, 3);
        rooms.SetPartRoomIndex(1);
        rooms.MapMotorMasks();
        scene.gl.SetCameraData(torvane::typCamera{1, -7, 4, 1, 0, 0});
    }
    std::shared_ptr<clsPartRoom> Room(const std::string& name, double size,
                                      std::initializer_list<double> color) {
        auto room = std::make_shared<clsPartRoom>();
        room->Init(false);
        room->SetName(name);
        auto data = room->PartData();
        data.ShapeName = "box";
        data.Size = DoubleArray(1, {size, size, size});
        data.ShapeColor = DoubleArray(1, color);
        room->SetPartData(data);
        room->Shapes = shapes;
        return room;
    }
    static void Use(clsPartRoom& parent, const std::shared_ptr<clsPartRoom>& room,
                    torvane::typ3Point at) {
        auto sub = std::make_shared<torvane::clsSubPart>();
        auto data = sub->SubPartData();
        data.Name = room->Name();
        data.RelativePosition = at;
        sub->SetSubPartData(data);
        sub->Part = room;
        parent.AttachSubPart(sub);
    }
    void TurnArm(double degrees) {
        auto masks = base->MotorMasks();
        masks.Masks(1).Value = degrees;
        base->SetMotorMasks(masks);
    }
    torvane::GlImage Frame() {
        torvane::GlImage frame;
        scene.gl.DisplayWorldList(false, &frame);
        return frame;
    }
    torvane::GlImage Compiled() {
        scene.gl.CompileWorldList(base.get(), false);
        return Frame();
    }
    static int Different(const torvane::GlImage& a, const torvane::GlImage& b) {
        return CompareImages(a, b, 40).differentPixels;
    }

    torvane::ScriptedUserInterface ui;
    torvane::ScopedUserInterface installed{ui};
    WorldScene scene;
    std::shared_ptr<CountingShapes> shapes = std::make_shared<CountingShapes>();
    torvane::clsRooms rooms;
    std::shared_ptr<clsPartRoom> base, arm, finger;
};

TEST_F(MovingPictureTest, NewMotorValuesPlaceTheMovingPartsAsACompilationDoesDrawingNoShape) {
    const torvane::GlImage still = Compiled();
    ASSERT_EQ(shapes->drawn, 3);
    for (const double degrees : {40.0, -75.0}) {
        const int drawn = shapes->drawn;
        TurnArm(degrees);
        ASSERT_TRUE(scene.gl.PlaceWorldList(base.get()));
        EXPECT_EQ(shapes->drawn, drawn) << "nothing compiled but the placements";
        const torvane::GlImage placed = Frame();
        EXPECT_GT(Different(placed, still), 200) << degrees << ": the arm and finger swing";
        EXPECT_LE(Different(placed, Compiled()), 4) << degrees;
        EXPECT_EQ(scene.gl.WorldCompilations(), 1u + (degrees < 0 ? 2 : 1));
    }
}

TEST_F(MovingPictureTest, OnlyTheRobotCompiledAsItIsCanBePlaced) {
    EXPECT_FALSE(scene.gl.PlaceWorldList(base.get())) << "nothing compiled yet";
    const torvane::GlImage still = Compiled();
    EXPECT_FALSE(scene.gl.PlaceWorldList(arm.get())) << "another room";
    EXPECT_FALSE(scene.gl.PlaceWorldList(nullptr));
    Use(*base, finger, {-1, 0, 0});
    TurnArm(30);
    EXPECT_FALSE(scene.gl.PlaceWorldList(base.get())) << "another tree";
    EXPECT_EQ(Different(Frame(), still), 0) << "the picture is left as it was";
    Compiled();
    scene.gl.SetWORLD_LIST(scene.gl.WORLD_LIST());
    EXPECT_FALSE(scene.gl.PlaceWorldList(base.get())) << "a list set from outside";
    EXPECT_FALSE(scene.gl.SizeMarkersToCamera());
}

TEST_F(MovingPictureTest, TheQuickPictureShowsEachBallAsADiscOfItsSizeAndTheExactOneReturns) {
    const torvane::GlImage exact = Compiled();
    scene.gl.SetQuickPicture(true);
    const torvane::GlImage quick = Frame();
    scene.gl.SetQuickPicture(false);
    // The balls' pixels change shade, a few at their rims change hands; nothing else moves.
    const int changed = Different(quick, exact);
    EXPECT_GT(changed, 0);
    const auto grey = [](const torvane::GlImage& image) {
        int n = 0;
        for (int level = 120; level <= 250; level += 10)
            n += CountPixelsNear(image, level, level, level, 5);
        return n;
    };
    EXPECT_NEAR(grey(quick), grey(exact), 0.25 * grey(exact));
    EXPECT_LT(changed, grey(exact));
    const auto covered = [](const torvane::GlImage& image) {
        return image.width * image.height - CountPixelsNear(image, 255, 255, 255, 8);
    };
    EXPECT_NEAR(covered(quick), covered(exact), 0.02 * covered(exact));
    EXPECT_EQ(Different(Frame(), exact), 0) << "the exact picture is back";

    shapes->SetShowAxis(false);
    const torvane::GlImage bare = Compiled();
    scene.gl.SetQuickPicture(true);
    EXPECT_EQ(Different(Frame(), bare), 0) << "without markers the quick picture is exact";
    scene.gl.SetQuickPicture(false);
}

TEST_F(MovingPictureTest, MarkersSizedForASettledCameraAreThePictureACompilationGives) {
    Compiled();
    scene.gl.SetCameraData(torvane::typCamera{1, -2.5, 1.5, 1, 0, 0});
    ASSERT_TRUE(scene.gl.SizeMarkersToCamera());
    const torvane::GlImage resized = Frame();
    EXPECT_EQ(Different(resized, Compiled()), 0);
}

TEST_F(MovingPictureTest, APartThatCannotBeDrawnReachesTheCallerWithThePartsBeforeItShown) {
    shapes->failAt = 2;
    EXPECT_THROW(scene.gl.CompileWorldList(base.get(), false), std::runtime_error);
    const torvane::GlImage partial = Frame();
    EXPECT_GT(CountPixelsNear(partial, 0, 0, 255, 60), 500) << "the blue base was drawn";
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    shapes->failAt = 0;
    EXPECT_GT(Different(Compiled(), partial), 200) << "the arm and finger are drawn now";
}

}  // namespace
}  // namespace mechanon::testing
