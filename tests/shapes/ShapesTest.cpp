// SelectShape: the size and colour checks with their messages, the name dispatch, the colour,
// DoDraw, and the CustomDraw subscription; StringToBytes and the errors that reach the caller.

#include <gmock/gmock.h>

#include <array>
#include <functional>

#include "tests/shapes/ShapesFixture.h"

namespace mechanon::testing {
namespace {

using primora::DoubleArray;
using ::testing::ElementsAre;
using Kind = FeedbackItem::Kind;

class SelectShapeTest : public ShapesFixture {
  protected:
    void SetUp() override {
        ShapesFixture::SetUp();
        shapes.SetMessageHook([this](const std::string& text) { messages.push_back(text); });
        shapes.SubscribeCustomDraw(
            [this](DoubleArray&, std::string& name, DoubleArray&, std::string& part,
                   std::string& sub) { events.push_back(name + "|" + part + "|" + sub); });
    }
    // Runs SelectShape and returns what it drew.
    std::vector<FeedbackItem> Select(DoubleArray size, std::string name, DoubleArray color) {
        std::string part = "Arm", sub = "Left";
        ObjectSpaceView view(10);
        return CaptureFeedback([&] { shapes.SelectShape(size, name, color, part, sub); });
    }

    std::vector<std::string> messages;
    std::vector<std::string> events;
};

TEST_F(SelectShapeTest, TooFewValuesShowBothMessagesAndDrawNothing) {
    glColor3f(0.1f, 0.2f, 0.3f);
    for (auto [size, color] : {std::pair{DoubleArray(1, {1, 1}), DoubleArray(1, {50, 50, 50})},
                               std::pair{DoubleArray(1, {1, 1, 1}), DoubleArray(1, {50, 50})},
                               std::pair{DoubleArray(1, {}), DoubleArray(1, {50, 50, 50})}}) {
        messages.clear();
        EXPECT_TRUE(Select(size, "box", color).empty());
        EXPECT_THAT(messages, ElementsAre(primora::clsShapes::kTooFewValuesMessage,
                                          primora::clsShapes::kNotEnoughValuesMessage));
    }
    EXPECT_TRUE(events.empty());
    EXPECT_FLOAT_EQ(CurrentColor()[0], 0.1f);
    EXPECT_FLOAT_EQ(CurrentColor()[2], 0.3f);
}

TEST_F(SelectShapeTest, ArraysWithoutElementsShowOnlyTheSecondMessage) {
    // The unallocated array wins over the other array's short bound.
    for (auto [size, color] : {std::pair{DoubleArray(), DoubleArray(1, {50, 50, 50})},
                               std::pair{DoubleArray(1, {1}), DoubleArray()}}) {
        messages.clear();
        EXPECT_TRUE(Select(size, "box", color).empty());
        EXPECT_THAT(messages, ElementsAre(primora::clsShapes::kNotEnoughValuesMessage));
    }
    EXPECT_TRUE(events.empty());
}

TEST_F(SelectShapeTest, NamesAreLowerCasedThenTrimmed) {
    const auto box = Select(DoubleArray(1, {2, 2, 2}), "  Box ", DoubleArray(1, {0, 0, 100}));
    EXPECT_EQ(CountKind(box, Kind::Polygon), 12u);  // six quads, split into two triangles each
    const auto plane = Select(DoubleArray(1, {2, 2, 2}), "AirPlane", DoubleArray(1, {0, 0, 100}));
    EXPECT_EQ(CountKind(plane, Kind::Polygon), 4u);
    // Inner blanks are not trimmed: no shape of that name exists.
    EXPECT_TRUE(Select(DoubleArray(1, {2, 2, 2}), "b ox", DoubleArray(1, {0, 0, 100})).empty());
    EXPECT_TRUE(messages.empty());
    EXPECT_THAT(events, ElementsAre("  Box |Arm|Left", "AirPlane|Arm|Left", "b ox|Arm|Left"));
}

TEST_F(SelectShapeTest, ColourIsPercentSetBeforeDrawingAndNotClamped) {
    const auto box = Select(DoubleArray(1, {2, 2, 2}), "box", DoubleArray(1, {100, 0, 0}));
    ASSERT_FALSE(box.empty());
    EXPECT_DOUBLE_EQ(box[0].vertices[0].r, 1.0);
    EXPECT_DOUBLE_EQ(box[0].vertices[0].g, 0.0);

    // A name outside the catalogue still sets the colour, draws nothing, raises the event once.
    events.clear();
    EXPECT_TRUE(Select(DoubleArray(1, {1, 1, 1}), "torus", DoubleArray(1, {50, 50, 50})).empty());
    EXPECT_FLOAT_EQ(CurrentColor()[1], 0.5f);
    EXPECT_EQ(events.size(), 1u);

    Select(DoubleArray(1, {1, 1, 1}), "torus", DoubleArray(1, {150, 0, 0}));
    EXPECT_FLOAT_EQ(CurrentColor()[0], 1.5f);
}

TEST_F(SelectShapeTest, LowerBoundZeroIgnoresElementZero) {
    const auto box = Select(DoubleArray(0, {99, 2, 4, 6}), "box", DoubleArray(0, {99, 0, 100, 0}));
    ASSERT_FALSE(box.empty());
    EXPECT_DOUBLE_EQ(box[0].vertices[0].g, 1.0);
    EXPECT_DOUBLE_EQ(box[0].vertices[0].r, 0.0);
    ObjectSpaceView view(10);
    double maxZ = 0;
    for (const auto& item : box)
        for (const auto& v : item.vertices) maxZ = std::max(maxZ, view.ToModel(v).z);
    EXPECT_NEAR(maxZ, 3.0, 0.02);  // half of element 3, not of element 2
}

TEST_F(SelectShapeTest, DoDrawFalseDrawsNothingKeepsColourButRaisesTheEvent) {
    shapes.SetDoDraw(false);
    glColor3f(0.25f, 0.25f, 0.25f);
    EXPECT_TRUE(Select(DoubleArray(1, {1, 1, 1}), "box", DoubleArray(1, {100, 0, 0})).empty());
    EXPECT_FLOAT_EQ(CurrentColor()[0], 0.25f);
    EXPECT_THAT(events, ElementsAre("box|Arm|Left"));
}

TEST_F(SelectShapeTest, FaultsAfterTheCheckReachTheCaller) {
    // Lower bound 2: index 1 is missing.
    EXPECT_THROW(Select(DoubleArray(2, {1, 1, 1}), "box", DoubleArray(1, {1, 1, 1})),
                 primora::ShapeError);
    try {
        Select(DoubleArray(1, {1, HUGE_VAL, 1}), "box", DoubleArray(1, {1, 1, 1}));
        ADD_FAILURE() << "an infinite size must not draw";
    } catch (const primora::ShapeError& e) {
        EXPECT_EQ(e.Code(), primora::ShapeErrorCode::Overflow);
    }
    EXPECT_THROW(Select(DoubleArray(1, {1, 1, 1}), "box", DoubleArray(1, {1e300, 1, 1})),
                 primora::ShapeError);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(events.empty());
}

TEST_F(ShapesFixture, CustomDrawSubscribersRunInOrderAndCanLeave) {
    std::vector<std::string> calls;
    const auto first = shapes.SubscribeCustomDraw(
        [&](DoubleArray& size, std::string& name, DoubleArray&, std::string&, std::string&) {
            calls.push_back("first " + name);
            size(1) = 7;  // the values travel by reference to later handlers and the caller
        });
    primora::clsShapes::SubscriptionId second = 0;
    second = shapes.SubscribeCustomDraw(
        [&](DoubleArray& size, std::string&, DoubleArray&, std::string&, std::string&) {
            calls.push_back("second " + std::to_string(static_cast<int>(size(1))));
            shapes.UnsubscribeCustomDraw(second);  // leaving from inside its own call
        });
    DoubleArray size(1, {1, 1, 1}), color(1, {1, 1, 1});
    std::string name = "mine", part, sub;
    shapes.SelectShape(size, name, color, part, sub);
    shapes.SelectShape(size, name, color, part, sub);
    EXPECT_THAT(calls, ElementsAre("first mine", "second 7", "first mine"));
    EXPECT_EQ(size(1), 7);
    EXPECT_TRUE(shapes.UnsubscribeCustomDraw(first));
    EXPECT_FALSE(shapes.UnsubscribeCustomDraw(first));
    EXPECT_FALSE(shapes.UnsubscribeCustomDraw(second));
}

// A part placed by SelectShapeAt is the part drawn in place under that frame: the same corners
// and, lit, the same colours (its normals turned with it); a grid and a host's drawing see the
// frame as their transform, and the transform is as it was afterwards.
TEST_F(ShapesFixture, PlacedPartsAreThePartsDrawnUnderTheirFrame) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRotated(30, 1, 1, 0);
    glTranslated(1, -2, 0.5);
    primora::Placement at{};
    glGetDoublev(GL_MODELVIEW_MATRIX, at.data());
    glPopMatrix();
    std::vector<std::array<double, 16>> seen;
    shapes.SubscribeCustomDraw(
        [&](DoubleArray&, std::string&, DoubleArray&, std::string&, std::string&) {
            std::array<double, 16> m{};
            glGetDoublev(GL_MODELVIEW_MATRIX, m.data());
            seen.push_back(m);
        });
    const auto lit = [](const std::function<void()>& draw) {
        return CaptureFeedback([&] {
            ObjectSpaceView view(10);
            glEnable(GL_LIGHTING);
            glEnable(GL_LIGHT0);
            glEnable(GL_COLOR_MATERIAL);
            draw();
            glDisable(GL_COLOR_MATERIAL);
            glDisable(GL_LIGHT0);
            glDisable(GL_LIGHTING);
        });
    };
    for (const std::string shape : {"box", "cone", "airplane", "grid"}) {
        SCOPED_TRACE(shape);
        DoubleArray size(1, {2, 1.5, 1}), color(1, {20, 60, 90});
        std::string name = shape, part = "Arm", sub = "Left";
        const auto inPlace = lit([&] {
            glPushMatrix();
            glMultMatrixd(at.data());
            shapes.SelectShape(size, name, color, part, sub);
            glPopMatrix();
        });
        const auto placed = lit([&] { shapes.SelectShapeAt(at, size, name, color, part, sub); });
        ASSERT_EQ(placed.size(), inPlace.size());
        ASSERT_GT(CountKind(placed, Kind::Polygon), 0u);
        for (std::size_t i = 0; i < placed.size(); ++i) {
            ASSERT_EQ(placed[i].vertices.size(), inPlace[i].vertices.size());
            for (std::size_t v = 0; v < placed[i].vertices.size(); ++v) {
                const FeedbackVertex &p = placed[i].vertices[v], &q = inPlace[i].vertices[v];
                EXPECT_NEAR(p.x, q.x, 1e-3);
                EXPECT_NEAR(p.y, q.y, 1e-3);
                EXPECT_NEAR(p.z, q.z, 1e-6);
                EXPECT_NEAR(p.r + p.g + p.b, q.r + q.g + q.b, 1e-4);
            }
        }
        std::array<double, 16> after{};
        glGetDoublev(GL_MODELVIEW_MATRIX, after.data());
        EXPECT_EQ(after, (std::array<double, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    }
    ASSERT_EQ(seen.size(), 8u);
    for (std::size_t i = 1; i < seen.size(); i += 2)
        for (std::size_t k = 0; k < 16; ++k) EXPECT_NEAR(seen[i][k], seen[i - 1][k], 1e-12);
}

TEST(StringToBytesTest, CodePageBytesFromOne) {
    const auto bytes = primora::clsShapes::StringToBytes("-4.5E+2 ");
    EXPECT_EQ(bytes.LBound(), 1);
    EXPECT_THAT(bytes.Values(), ElementsAre('-', '4', '.', '5', 'E', '+', '2', ' '));
    EXPECT_THAT(primora::clsShapes::StringToBytes("\xC3\xA9\xE2\x82\xAC").Values(),
                ElementsAre(0xE9, 0x80));  // é and the euro sign
}

TEST(StringToBytesTest, EmptyOrUnrepresentableTextFails) {
    try {
        primora::clsShapes::StringToBytes("");
        ADD_FAILURE();
    } catch (const primora::ShapeError& e) {
        EXPECT_EQ(e.Code(), primora::ShapeErrorCode::SubscriptOutOfRange);
    }
    for (const char* text : {"\xE4\xB8\xAD", "a\xC3", "\xFF"}) {
        try {
            primora::clsShapes::StringToBytes(text);
            ADD_FAILURE() << text;
        } catch (const primora::ShapeError& e) {
            EXPECT_EQ(e.Code(), primora::ShapeErrorCode::Overflow);
        }
    }
}

TEST(ShapesPropertiesTest, InitialValues) {
    const primora::clsShapes shapes;
    EXPECT_EQ(shapes.ShapeNames(), "airplane,squareplane,grid,cone,box,cylinder,sphere");
    EXPECT_TRUE(shapes.ShowAxis());
    EXPECT_TRUE(shapes.ShowGrids());
    EXPECT_TRUE(shapes.DoDraw());
}

}  // namespace
}  // namespace mechanon::testing
