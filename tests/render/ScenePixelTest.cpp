// Whole scenes: the placement walk drawing through the shape library into the world list, shown
// by clsOpenGL on a 320 x 240 offscreen context and checked on pixels, and walked in feedback
// mode where geometry matters. Messages travel through the installed host.

#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/ModelLimits.h"
#include "model/clsRooms.h"
#include "platform/ScriptedUserInterface.h"
#include "tests/render/WorldScene.h"
#include "tests/support/GlFeedback.h"
#include "tests/support/PpmImage.h"
#include "tests/support/PrimoraShapes.h"
#include "tests/support/RecordingShapes.h"

namespace mechanon::testing {
namespace {

using torvane::clsPartRoom;
using torvane::clsSubPart;
using torvane::DoubleArray;

const std::string kReference = std::string(MECHANON_TEST_DATA) + "/data/startup_robot.ppm";

class ScenePixelTest : public ::testing::Test {
  protected:
    // The robot the program starts with: one grid room "Part 1" with the default camera.
    std::shared_ptr<clsPartRoom> StartupRoom() {
        rooms.Shapes = shapes;
        std::string name = "Part 1";
        EXPECT_EQ(rooms.CreatePartRoom(name, true), "");
        rooms.MapMotorMasks();
        return rooms.ActivePartRoom;
    }
    std::shared_ptr<clsPartRoom> Room(const std::string& name, const std::string& shape,
                                      DoubleArray size, DoubleArray color) {
        auto room = std::make_shared<clsPartRoom>();
        room->Init(false);
        room->SetName(name);
        auto data = room->PartData();
        data.ShapeName = shape;
        data.Size = size;
        data.ShapeColor = color;
        room->SetPartData(data);
        room->Shapes = shapes;
        return room;
    }
    static void Use(clsPartRoom& parent, const std::shared_ptr<clsPartRoom>& room,
                    const std::string& name, torvane::typ3Point at) {
        auto sub = std::make_shared<clsSubPart>();
        auto data = sub->SubPartData();
        data.Name = name;
        data.RelativePosition = at;
        sub->SetSubPartData(data);
        sub->Part = room;
        parent.AttachSubPart(sub);
    }
    // Gives room a rotational motor about Z (yaw) at degrees, turning about joint.
    static void TurnAboutZ(clsPartRoom& room, double degrees, torvane::typ3Point joint) {
        auto data = room.PartData();
        data.MotorType = 2;
        data.MotorDimension = 2;
        data.MotorPosition = degrees;
        data.JointPosition = joint;
        room.SetPartData(data);
    }
    static int NonWhite(const torvane::GlImage& image) {
        return image.width * image.height - CountPixelsNear(image, 255, 255, 255, 8);
    }

    torvane::ScriptedUserInterface ui;
    torvane::ScopedUserInterface installed{ui};
    WorldScene scene;
    std::shared_ptr<PrimoraShapes> shapes = std::make_shared<PrimoraShapes>();
    torvane::clsRooms rooms;
};

TEST_F(ScenePixelTest, StartupRobotMatchesTheReferenceImage) {
    auto room = StartupRoom();
    const torvane::GlImage frame = scene.Show(*room);
    if (std::getenv("MECHANON_WRITE_REFERENCES")) WritePpm(kReference, frame);
    // Not blank: the grid covers a good part of the view, and its labels are drawn.
    EXPECT_GT(NonWhite(frame), 3000);
    const torvane::GlImage reference = ReadPpm(kReference);
    const ImageDifference d = CompareImages(frame, reference, 40);
    ASSERT_TRUE(d.sameSize);
    // A rasteriser update may move a few edge pixels; a changed scene moves hundreds.
    EXPECT_LT(d.differentPixels, 150)
        << "largest channel difference " << d.largestChannelDifference;
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(ScenePixelTest, StartupGridLabelsAreVisible) {
    auto room = StartupRoom();
    const torvane::GlImage withGlyphs = scene.Show(*room);
    // The same scene with the glyph lists deleted differs only by the labels.
    for (const char* c = primora::kLabelCharacters; *c; ++c)
        glDeleteLists(static_cast<GLuint>(*c), 1);
    const torvane::GlImage without = scene.Show(*room);
    EXPECT_GT(CompareImages(withGlyphs, without, 40).differentPixels, 40);
}

TEST_F(ScenePixelTest, RedBoxShowsRedAtTheCentre) {
    auto box = Room("Box", "box", DoubleArray(1, {3, 3, 3}), DoubleArray(1, {100, 0, 0}));
    const torvane::GlImage frame = scene.Show(*box);
    // The centre of the view and a point a little below it (the near faces).
    for (const int dy : {0, 20}) {
        const auto centre = frame.Pixel(WorldScene::kWidth / 2, WorldScene::kHeight / 2 + dy);
        EXPECT_GT(centre[0], 60) << dy;
        EXPECT_LT(centre[1], 10) << dy;
        EXPECT_LT(centre[2], 10) << dy;
    }
    // Three lit faces in shades of red.
    int red = 0;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) {
            const auto p = frame.Pixel(x, y);
            if (p[0] > 60 && p[1] < 10 && p[2] < 10) ++red;
        }
    EXPECT_GT(red, 3000);
}

// A cube from -0.5 to 0.5 as an ASCII STL, each face two triangles wound outward.
std::string CubeStl() {
    std::string text = "solid cube\n";
    const auto corner = [](int i) {
        return std::to_string((i & 1) - 0.5) + " " + std::to_string(((i >> 1) & 1) - 0.5) + " " +
               std::to_string(((i >> 2) & 1) - 0.5);
    };
    // Corners by bits (x, y, z); each face's corners counter-clockwise seen from outside.
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& f : faces)
        for (const auto& t : {std::array{f[0], f[1], f[2]}, std::array{f[0], f[2], f[3]}}) {
            text += "facet normal 0 0 0\nouter loop\n";
            for (const int i : t) text += "vertex " + corner(i) + "\n";
            text += "endloop\nendfacet\n";
        }
    return text + "endsolid cube\n";
}

// A mesh part is drawn like the shape it describes: a cube file stretched to 3 x 3 x 3 shows the
// picture of a box of that size, through the shared list filled after the world list, in the
// first frame; a part whose file is missing shows its small marker and no message.
TEST_F(ScenePixelTest, MeshPartLooksLikeTheShapeItsFileDescribes) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("mesh-scene-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "cube.stl") << CubeStl();
    primora::SetMeshFolder(folder);
    const DoubleArray size(1, {3, 3, 3}), red(1, {100, 0, 0});
    auto box = Room("Box", "box", size, red);
    auto mesh = Room("Mesh", "mesh:cube.stl", size, red);
    const torvane::GlImage boxFrame = scene.Show(*box);
    const torvane::GlImage meshFrame = scene.Show(*mesh);
    EXPECT_GT(NonWhite(meshFrame), 3000);
    EXPECT_LT(CompareImages(meshFrame, boxFrame, 40).differentPixels, 60);

    auto missing = Room("Lost", "mesh:lost.stl", size, red);
    const int marker = NonWhite(scene.Show(*missing));
    EXPECT_GT(marker, 20);
    EXPECT_LT(marker, NonWhite(boxFrame) / 10);
    EXPECT_TRUE(ui.Messages().empty());
    primora::SetMeshFolder({});
    std::filesystem::remove_all(folder);
}

// A room drawn off screen is the view's frame at the picture's size, and the view keeps its own
// world list, viewport and framebuffer: the next display shows what it showed before.
TEST_F(ScenePixelTest, OffScreenPictureIsTheViewAtItsSizeAndLeavesTheViewAlone) {
    auto grid = StartupRoom();
    auto box = Room("Box", "box", DoubleArray(1, {3, 3, 3}), DoubleArray(1, {100, 0, 0}));
    const torvane::GlImage shown = scene.Show(*grid);
    torvane::clsOpenGL& gl = scene.gl;
    const torvane::typCamera camera = grid->PartData().Camera;
    const torvane::GlImage same =
        gl.DrawOffScreen(grid.get(), camera, true, WorldScene::kWidth, WorldScene::kHeight);
    const ImageDifference d = CompareImages(shown, same, 40);
    ASSERT_TRUE(d.sameSize);
    EXPECT_LT(d.differentPixels, 20) << "largest channel difference " << d.largestChannelDifference;

    // Half the size, another room: red at the centre of the smaller picture.
    const torvane::GlImage half = gl.DrawOffScreen(box.get(), box->PartData().Camera, true,
                                                   WorldScene::kWidth / 2, WorldScene::kHeight / 2);
    ASSERT_EQ(half.width, WorldScene::kWidth / 2);
    ASSERT_EQ(half.height, WorldScene::kHeight / 2);
    const auto centre = half.Pixel(half.width / 2, half.height / 2);
    EXPECT_GT(centre[0], 60);
    EXPECT_LT(centre[1], 10);

    torvane::GlImage again;
    gl.DisplayWorldList(false, &again);
    EXPECT_LT(CompareImages(shown, again, 8).differentPixels, 1) << "the view changed";
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_EQ(viewport[2], WorldScene::kWidth);
    EXPECT_EQ(viewport[3], WorldScene::kHeight);

    // Nothing to draw into: no picture, and the view still shows its frame.
    EXPECT_TRUE(gl.DrawOffScreen(box.get(), camera, true, 0, 10).Empty());
    EXPECT_TRUE(gl.DrawOffScreen(box.get(), camera, true, 10, -1).Empty());
    gl.DisplayWorldList(false, &again);
    EXPECT_LT(CompareImages(shown, again, 8).differentPixels, 1);
}

// A thumbnail's frame halved in the context is the frame with each block of pixels averaged;
// a size the frame cannot be halved to gives the whole frame, and the view shows what it
// showed before either way.
TEST_F(ScenePixelTest, AFrameHalvedForAThumbnailIsTheFrameAveragedInBlocks) {
    auto grid = StartupRoom();
    const torvane::GlImage shown = scene.Show(*grid);
    torvane::clsOpenGL& gl = scene.gl;
    const auto blockMean = [&](int x, int y, int block, int channel) {
        int sum = 0;
        for (int dy = 0; dy < block; ++dy)
            for (int dx = 0; dx < block; ++dx)
                sum +=
                    shown.Pixel(x * block + dx, y * block + dy)[static_cast<std::size_t>(channel)];
        return static_cast<double>(sum) / (block * block);
    };
    for (const auto& [least, block] : {std::pair{40, 8}, std::pair{70, 4}}) {
        torvane::GlImage small;
        gl.DisplayWorldList(false, &small, least, least * 3 / 4);
        ASSERT_EQ(small.width, WorldScene::kWidth / block) << "at least " << least;
        ASSERT_EQ(small.height, WorldScene::kHeight / block);
        double worst = 0;
        int darkBlocks = 0;
        for (int y = 0; y < small.height; ++y)
            for (int x = 0; x < small.width; ++x)
                for (int c = 0; c < 3; ++c) {
                    const double mean = blockMean(x, y, block, c);
                    worst = std::max(worst, std::abs(small.Pixel(x, y)[c] - mean));
                    if (c == 0 && mean < 200) ++darkBlocks;
                }
        EXPECT_LT(worst, 4.0) << "at least " << least;
        EXPECT_GT(darkBlocks, 10) << "the grid's lines are in the blocks";
    }

    // Too big to halve once: the whole frame.
    torvane::GlImage whole;
    gl.DisplayWorldList(false, &whole, WorldScene::kWidth / 2 + 1, 10);
    EXPECT_EQ(CompareImages(shown, whole, 0).differentPixels, 0);

    torvane::GlImage again;
    gl.DisplayWorldList(false, &again);
    EXPECT_EQ(CompareImages(shown, again, 0).differentPixels, 0) << "the view changed";
}

TEST_F(ScenePixelTest, HighlightedSubtreeShowsTheHighlightColour) {
    shapes->SetShowAxis(false);
    auto base = Room("Base", "squareplane", DoubleArray(1, {2, 2, 0}), DoubleArray(1, {0, 100, 0}));
    auto left = Room("Left", "box", DoubleArray(1, {1, 1, 1}), DoubleArray(1, {0, 0, 100}));
    auto right = Room("Right", "box", DoubleArray(1, {1, 1, 1}), DoubleArray(1, {0, 0, 100}));
    auto tip = Room("Tip", "box", DoubleArray(1, {1, 1, 1}), DoubleArray(1, {100, 100, 0}));
    Use(*base, left, "left", {-3, 3, 0});
    Use(*base, right, "right", {3, -3, 0});
    Use(*right, tip, "tip", {0, 0, 2});
    base->ActiveSubIndex = 2;
    glDisable(GL_LIGHTING);  // flat colours: the pixel is the colour that was set
    const torvane::GlImage frame = scene.Show(*base);
    const auto at = [&](double x, double y, double z) {
        const auto p = scene.PixelOf(x, y, z);
        const auto c = frame.Pixel(p[0], p[1]);
        return std::vector<int>{c[0], c[1], c[2]};
    };
    EXPECT_THAT(at(3, -3, 0.5), ::testing::ElementsAre(191, 64, 64));
    EXPECT_THAT(at(3, -3, 2.5), ::testing::ElementsAre(191, 64, 64));
    EXPECT_THAT(at(-3, 3, 0.5), ::testing::ElementsAre(0, 0, 255));
    EXPECT_THAT(at(0, 0, 0), ::testing::ElementsAre(0, 255, 0));

    // Without the highlight switch nothing is highlighted.
    const torvane::GlImage plain = scene.Show(*base, false);
    EXPECT_EQ(CountPixelsNear(plain, 191, 64, 64, 2), 0);
    glEnable(GL_LIGHTING);
}

// The shape library through the model's interface, drawing each marker whole where it stands.
class WholeMarkerShapes final : public torvane::IShapes {
  public:
    explicit WholeMarkerShapes(std::shared_ptr<PrimoraShapes> inner) : inner_(std::move(inner)) {}
    void SelectShape(DoubleArray& size, std::string& name, DoubleArray& color, std::string& part,
                     std::string& sub) override {
        inner_->SelectShape(size, name, color, part, sub);
    }
    void DrawAxes(std::int16_t x, std::int16_t y, std::int16_t z, double pixelsPerUnit) override {
        inner_->DrawAxes(x, y, z, pixelsPerUnit);
    }
    bool ShowAxis() const override { return inner_->ShowAxis(); }
    void SetShowAxis(bool show) override { inner_->SetShowAxis(show); }
    bool ShowGrids() const override { return inner_->ShowGrids(); }
    void SetShowGrids(bool show) override { inner_->SetShowGrids(show); }
    std::string ShapeNames() const override { return inner_->ShapeNames(); }
    void SetShapeNames(const std::string& names) override { inner_->SetShapeNames(names); }

  private:
    std::shared_ptr<PrimoraShapes> inner_;
};

// The balls of all markers drawn after the rest of the world, each at its marker's frame, give
// the picture of the markers drawn whole as the walk reaches them, also with joints turned.
TEST_F(ScenePixelTest, BallsDrawnLastShowTheSamePictureAsWholeMarkers) {
    auto base = Room("Base", "box", DoubleArray(1, {3, 2, 0.5}), DoubleArray(1, {20, 40, 90}));
    auto arm = Room("Arm", "cone", DoubleArray(1, {0.8, 0.3, 1.5}), DoubleArray(1, {90, 60, 10}));
    TurnAboutZ(*arm, 35, {0.3, 0.2, 0.1});
    for (int i = 0; i < 3; ++i) Use(*base, arm, "arm " + std::to_string(i), {-1.0 + i, 0.4, 0.5});
    auto camera = base->PartData();
    camera.Camera = torvane::typCamera{-4, -5, 4, 0, 0, 0};
    base->SetPartData(camera);
    const torvane::GlImage last = scene.Show(*base);

    const auto whole = std::make_shared<WholeMarkerShapes>(shapes);
    base->Shapes = whole;
    arm->Shapes = whole;
    const torvane::GlImage inPlace = scene.Show(*base);
    EXPECT_GT(CountPixelsNear(inPlace, 204, 204, 204, 40), 200) << "the balls are in the view";
    const ImageDifference d = CompareImages(last, inPlace, 24);
    ASSERT_TRUE(d.sameSize);
    EXPECT_LT(d.differentPixels, 10) << "largest channel difference " << d.largestChannelDifference;
}

// A display of the same picture copies the frame kept from the last one, pixel for pixel; any
// change the picture depends on draws the world again. The balls' shared lists are emptied
// behind the view's back, so a drawing shows no balls and the kept frame still does. Each
// change follows a frame drawn for a fresh compilation: the frames of a drag are not kept.
TEST_F(ScenePixelTest, TheSamePictureIsTheKeptFrameAndEveryChangeDrawsAgain) {
    auto base = Room("Base", "box", DoubleArray(1, {0.1, 0.1, 0.1}), DoubleArray(1, {20, 40, 90}));
    auto camera = base->PartData();
    camera.Camera = torvane::typCamera{-4, -5, 4, 0, 0, 0};
    base->SetPartData(camera);
    const auto balls = [](const torvane::GlImage& image) {
        return CountPixelsNear(image, 204, 204, 204, 30);
    };
    const auto display = [this](bool doNotClear = false) {
        torvane::GlImage frame;
        scene.gl.DisplayWorldList(doNotClear, &frame);
        return frame;
    };
    const auto setBallLists = [](bool empty) {
        for (int level = 0; level < primora::kAxisBallLevels; ++level)
            glDeleteLists(primora::AxisBallList(level), 1);
        if (!empty) return primora::CreateAxisBallLists();
        for (int level = 0; level < primora::kAxisBallLevels; ++level) {
            glNewList(primora::AxisBallList(level), GL_COMPILE);
            glEndList();
        }
        return 0;
    };
    const torvane::GlImage drawn = scene.Show(*base);
    ASSERT_GT(balls(drawn), 20);
    setBallLists(true);
    EXPECT_EQ(display().rgb, drawn.rgb) << "the kept frame, not a drawing";
    EXPECT_EQ(display().rgb, drawn.rgb) << "and again";
    scene.gl.ForgetShownFrame();
    EXPECT_EQ(balls(display()), 0) << "forgotten: drawn again";

    // Each change after a frame with balls was kept: the world drawn again shows none.
    const std::vector<std::pair<std::string, std::function<torvane::GlImage()>>> changes = {
        {"camera",
         [&] {
             scene.gl.SetCameraData(torvane::typCamera{-4, -5, 4.1, 0, 0, 0});
             return display();
         }},
        {"recompiled",
         [&] {
             scene.Rebuild(*base);
             return display();
         }},
        {"viewport",
         [&] {
             scene.gl.SizeToWindow(WorldScene::kWidth, WorldScene::kHeight - 10);
             return display();
         }},
        {"drawn over, then shown",
         [&] {
             display(true);
             return display();
         }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        setBallLists(false);
        scene.gl.SizeToWindow(WorldScene::kWidth, WorldScene::kHeight);
        const torvane::GlImage kept = scene.Show(*base);
        ASSERT_GT(balls(kept), 20);
        setBallLists(true);
        EXPECT_EQ(balls(change()), 0);
    }
    setBallLists(false);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(ScenePixelTest, YawMotorTurnsTheShapeAboutItsJointPosition) {
    auto arm = Room("Arm", "box", DoubleArray(1, {0.4, 0.4, 0.4}), DoubleArray(1, {0, 0, 100}));
    TurnAboutZ(*arm, 30, {1, 0, 0});
    ObjectSpaceView view(5);
    clsSubPart root;
    torvane::typMotorMasks masks;
    masks.CountMasks = 1;
    const auto items = CaptureFeedback([&] { arm->CalculateForwardKinematics(root, masks); });
    double bx = 0, by = 0, gx = 0, gy = 0;
    int boxVertices = 0, ballVertices = 0;
    for (const auto& item : items) {
        if (item.kind != FeedbackItem::Kind::Polygon) continue;
        for (const auto& v : item.vertices) {
            const auto p = view.ToModel(v);
            if (v.b == 1.0 && v.r == 0) {
                bx += p.x, by += p.y, ++boxVertices;
            } else if (std::abs(v.r - 0.8) < 1e-3) {
                gx += p.x, gy += p.y, ++ballVertices;
            }
        }
    }
    ASSERT_GT(boxVertices, 0);
    ASSERT_GT(ballVertices, 0);
    // The box centre swings from the origin to the pivot plus the origin turned by -30 degrees
    // about z; the marker ball stays on the pivot.
    EXPECT_NEAR(bx / boxVertices, 1 - std::cos(M_PI / 6), 0.02);
    EXPECT_NEAR(by / boxVertices, 0.5, 0.02);
    EXPECT_NEAR(gx / ballVertices, 1, 0.02);
    EXPECT_NEAR(gy / ballVertices, 0, 0.02);
}

TEST_F(ScenePixelTest, EachMarkerIsCompiledWithThePixelsPerUnitTheViewShowsAtIt) {
    const auto recording = std::make_shared<RecordingShapes>();
    recording->recordMatrices = false;
    auto base = Room("Base", "box", DoubleArray(1, {1, 1, 1}), DoubleArray(1, {0, 0, 100}));
    auto part = Room("Part", "box", DoubleArray(1, {1, 1, 1}), DoubleArray(1, {0, 0, 100}));
    base->Shapes = part->Shapes = recording;
    Use(*base, part, "near", {0, -10, 0});
    Use(*base, part, "far", {0, 10, 0});
    Use(*base, part, "aside", {6, 0, 4});
    Use(*base, part, "behind", {0, -25, 0});
    scene.gl.SetCameraData(torvane::typCamera{0, -20, 0, 0, 0, 0});
    scene.Rebuild(*base, false);
    std::vector<double> seen;
    for (const auto& call : recording->calls)
        if (call.axes) seen.push_back(call.pixelsPerUnit);
    ASSERT_EQ(seen.size(), 5u);
    // On the line of sight: what GL's own projection makes of a short step across the view.
    const auto measured = [this](double y) {
        const double step = 0.01;
        return (scene.WindowOf(step, y, 0)[0] - scene.WindowOf(-step, y, 0)[0]) / (2 * step);
    };
    EXPECT_NEAR(seen[0], measured(0), 0.005 * measured(0));
    EXPECT_NEAR(seen[1], measured(-10), 0.005 * measured(-10));
    EXPECT_NEAR(seen[2], measured(10), 0.005 * measured(10));
    // Off the line of sight an image stretches outwards: never smaller than on it.
    EXPECT_GT(seen[3], seen[0] * 1.01);
    EXPECT_LT(seen[3], seen[0] * 1.2);
    EXPECT_EQ(seen[4], 0);  // behind the eye: no size, drawn at its finest
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(ScenePixelTest, ShowGridsFalseRemovesTheGrid) {
    auto room = StartupRoom();
    const int withGrid = NonWhite(scene.Show(*room));
    shapes->SetShowGrids(false);
    const torvane::GlImage frame = scene.Show(*room);
    // Only the axis marker at the origin is left, near the middle of the view.
    const int withoutGrid = NonWhite(frame);
    EXPECT_GT(withoutGrid, 0);
    EXPECT_LT(withoutGrid * 10, withGrid);
    for (int y = 0; y < frame.height; y += 4)
        for (int x = 0; x < 60; ++x) EXPECT_THAT(frame.Pixel(x, y), ::testing::Each(255));
}

TEST_F(ScenePixelTest, ShowAxisFalseDrawsNoMarker) {
    auto room = StartupRoom();
    shapes->SetShowGrids(false);
    shapes->SetShowAxis(false);
    const torvane::GlImage frame = scene.Show(*room);
    EXPECT_EQ(NonWhite(frame), 0);
    ObjectSpaceView view(20);
    clsSubPart root;
    torvane::typMotorMasks masks;
    EXPECT_TRUE(CaptureFeedback([&] { room->CalculateForwardKinematics(root, masks); }).empty());
}

TEST_F(ScenePixelTest, WalkLeavesTheStackAsDeepAsItFoundIt) {
    auto base = StartupRoom();
    auto arm = Room("Arm", "cone", DoubleArray(1, {1, 0.5, 2}), DoubleArray(1, {50, 0, 0}));
    auto hand = Room("Hand", "grid", DoubleArray(1, {2, 2, 1}), DoubleArray(1, {0, 50, 0}));
    Use(*base, arm, "arm", {1, 1, 1});
    Use(*arm, hand, "hand", {0, 0, 2});
    Use(*arm, Room("Wing", "airplane", DoubleArray(1, {1, 1, 1}), DoubleArray(1, {0, 0, 50})),
        "wing", {0, 1, 0});
    GLint before = 0, after = 0;
    std::array<GLdouble, 16> matrixBefore{}, matrixAfter{};
    glTranslated(0.5, 0, 0);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &before);
    glGetDoublev(GL_MODELVIEW_MATRIX, matrixBefore.data());
    clsSubPart root;
    torvane::typMotorMasks masks;
    base->CalculateForwardKinematics(root, masks);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after);
    glGetDoublev(GL_MODELVIEW_MATRIX, matrixAfter.data());
    EXPECT_EQ(before, after);
    EXPECT_EQ(matrixBefore, matrixAfter);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ScenePixelTest, DeepestTreeTheWalkAllowsFitsTheStackOfTheDisplay) {
    // kMaxPlacementDepth levels, each a step along x; at the bottom a cone, which pushes one
    // more matrix while it draws, and every level's axis marker pushes too.
    GLint maxDepth = 0;
    glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &maxDepth);
    ASSERT_GE(maxDepth, 32);
    std::vector<std::shared_ptr<clsPartRoom>> chain;
    for (std::int32_t k = 0; k + 1 < torvane::kMaxPlacementDepth; ++k)
        chain.push_back(Room("Level " + std::to_string(k + 1), "none", DoubleArray(1, {1, 1, 1}),
                             DoubleArray(1, {50, 50, 50})));
    chain.push_back(Room("Tip", "cone", DoubleArray(1, {1, 1, 1}), DoubleArray(1, {100, 0, 0})));
    for (std::size_t k = 0; k + 1 < chain.size(); ++k)
        Use(*chain[k], chain[k + 1], "next", {0.1, 0, 0});
    auto top = chain.front();
    glDisable(GL_LIGHTING);
    while (glGetError() != GL_NO_ERROR) {
    }
    const torvane::GlImage frame = scene.Show(*top);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // The cone stands where the whole chain of steps put it.
    const double x = 0.1 * (torvane::kMaxPlacementDepth - 1);
    const auto p = scene.PixelOf(x, 0, 0);
    const auto c = frame.Pixel(p[0], p[1]);
    EXPECT_THAT((std::vector<int>{c[0], c[1], c[2]}), ::testing::ElementsAre(255, 0, 0));
    glEnable(GL_LIGHTING);
}

TEST_F(ScenePixelTest, TooFewValuesShowBothMessagesThroughTheHost) {
    auto part = Room("Part", "box", DoubleArray(1, {1, 1}), DoubleArray(1, {50, 50, 50}));
    int customDraws = 0;
    shapes->Library().SubscribeCustomDraw([&](primora::DoubleArray&, std::string&,
                                              primora::DoubleArray&, std::string&,
                                              std::string&) { ++customDraws; });
    scene.Show(*part);
    EXPECT_THAT(ui.Messages(), ::testing::ElementsAre(primora::clsShapes::kTooFewValuesMessage,
                                                      primora::clsShapes::kNotEnoughValuesMessage));
    EXPECT_EQ(customDraws, 0);

    ui.Clear();
    auto data = part->PartData();
    data.Size = DoubleArray();
    part->SetPartData(data);
    scene.Show(*part);
    EXPECT_THAT(ui.Messages(), ::testing::ElementsAre(primora::clsShapes::kNotEnoughValuesMessage));
    EXPECT_EQ(customDraws, 0);

    // With three values the event is raised once per drawn part.
    data.Size = DoubleArray(1, {1, 1, 1});
    part->SetPartData(data);
    ui.Clear();
    scene.Show(*part);
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(customDraws, 1);
}

}  // namespace
}  // namespace mechanon::testing
