// The placement walk through a recording shapes object: the frame each part is drawn in, the
// rotation convention, the motors, the motor-mask cursor (including a room used twice and a
// mask that does not match), the highlight of the selected subtree, and the matrix stack.

#include <gmock/gmock.h>

#include <cmath>
#include <memory>

#include "model/Error.h"
#include "model/ModelLimits.h"
#include "model/clsPartRoom.h"
#include "tests/support/OffscreenGlSurface.h"
#include "tests/support/RecordingShapes.h"

namespace mechanon::testing {
namespace {

using torvane::clsPartRoom;
using torvane::clsSubPart;
using torvane::DoubleArray;
using torvane::typ3Point;
using torvane::typAttitude;
using torvane::typMotorMasks;

// Column-major 4x4 matrices, built independently of GL.
using Mat = std::array<double, 16>;

Mat Identity() {
    Mat m{};
    m[0] = m[5] = m[10] = m[15] = 1;
    return m;
}
Mat Mul(const Mat& a, const Mat& b) {
    Mat r{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k) r[c * 4 + row] += a[k * 4 + row] * b[c * 4 + k];
    return r;
}
Mat T(const typ3Point& p) {
    Mat m = Identity();
    m[12] = p.X, m[13] = p.Y, m[14] = p.Z;
    return m;
}
// Right-handed turn by degrees about a unit axis (Rodrigues).
Mat Rot(double degrees, double x, double y, double z) {
    const double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a), t = 1 - c;
    Mat m = Identity();
    m[0] = t * x * x + c, m[4] = t * x * y - s * z, m[8] = t * x * z + s * y;
    m[1] = t * x * y + s * z, m[5] = t * y * y + c, m[9] = t * y * z - s * x;
    m[2] = t * x * z - s * y, m[6] = t * y * z + s * x, m[10] = t * z * z + c;
    return m;
}
// An attitude: yaw about -z, then pitch about -y, then roll about x, each on the right.
Mat R(const typAttitude& a) {
    return Mul(Mul(Rot(a.Yaw, 0, 0, -1), Rot(a.Pitch, 0, -1, 0)), Rot(a.Roll, 1, 0, 0));
}
typ3Point Apply(const std::array<GLdouble, 16>& m, double x, double y, double z) {
    return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
            m[2] * x + m[6] * y + m[10] * z + m[14]};
}
// GL keeps its matrices in single precision.
constexpr double kTol = 1e-5;
void ExpectMatrix(const std::array<GLdouble, 16>& actual, const Mat& expected) {
    for (std::size_t i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], kTol) << "element " << i;
}
void ExpectPoint(const typ3Point& p, double x, double y, double z) {
    EXPECT_NEAR(p.X, x, kTol);
    EXPECT_NEAR(p.Y, y, kTol);
    EXPECT_NEAR(p.Z, z, kTol);
}

class PlacementTest : public ::testing::Test {
  protected:
    void SetUp() override {
        surface.CreateCurrent();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    std::shared_ptr<clsPartRoom> Room(const std::string& name, double red = 10) {
        auto room = std::make_shared<clsPartRoom>();
        room->Init(false);
        room->SetName(name);
        auto data = room->PartData();
        data.ShapeName = "box";
        data.ShapeColor = DoubleArray(1, {red, 20, 30});
        room->SetPartData(data);
        room->Shapes = shapes;
        return room;
    }
    static std::shared_ptr<clsSubPart> Use(const std::shared_ptr<clsPartRoom>& parent,
                                           const std::shared_ptr<clsPartRoom>& room,
                                           const std::string& name, typ3Point at = {}) {
        auto sub = std::make_shared<clsSubPart>();
        auto data = sub->SubPartData();
        data.Name = name;
        data.RelativePosition = at;
        sub->SetSubPartData(data);
        sub->Part = room;
        parent->AttachSubPart(sub);
        return sub;
    }
    static void SetMotor(clsPartRoom& room, std::int16_t type, std::int16_t dimension,
                         double position, typ3Point pivot = {}) {
        auto data = room.PartData();
        data.MotorType = type;
        data.MotorDimension = dimension;
        data.MotorPosition = position;
        data.JointPosition = pivot;
        room.SetPartData(data);
    }
    // Walks room wrapped in root with a copy of its masks, cursor at 1; returns that copy.
    typMotorMasks Walk(clsPartRoom& room, clsSubPart& root) {
        typMotorMasks masks = room.MotorMasks();
        masks.CountMasks = 1;
        room.CalculateForwardKinematics(root, masks);
        return masks;
    }
    static typMotorMasks Masks(std::vector<std::pair<std::string, double>> list) {
        typMotorMasks m;
        m.Masks.ReDim(1, static_cast<std::int32_t>(list.size()));
        for (std::size_t i = 0; i < list.size(); ++i)
            m.Masks(static_cast<std::int32_t>(i + 1)) = {list[i].first, list[i].second};
        m.TotalMasks = static_cast<std::int32_t>(list.size());
        return m;
    }

    OffscreenGlSurface surface{16, 16};
    std::shared_ptr<RecordingShapes> shapes = std::make_shared<RecordingShapes>();
};

TEST_F(PlacementTest, PartIsDrawnInTheProductOfSlotPartAndJointFrames) {
    auto arm = Room("Arm");
    SetMotor(*arm, 2, 3, 40, {0, 1, 0});
    auto data = arm->PartData();
    data.RelativePosition = {-1, 0, 2};
    data.RelativeAttitude = {5, 15, 25};
    data.JointTranslation = {0, 0, 0.25};
    arm->SetPartData(data);
    clsSubPart root;
    auto slot = root.SubPartData();
    slot.Name = "Left arm";
    slot.RelativePosition = {1, 2, 3};
    slot.RelativeAttitude = {10, 20, 30};
    slot.JointTranslation = {0.5, 0, 0};
    root.SetSubPartData(slot);

    Walk(*arm, root);
    ASSERT_EQ(shapes->calls.size(), 2u);
    const Mat toPivot = Mul(Mul(Mul(T(slot.RelativePosition), R(slot.RelativeAttitude)),
                                Mul(T(data.RelativePosition), R(data.RelativeAttitude))),
                            T(data.JointPosition));
    EXPECT_TRUE(shapes->calls[0].axes);  // the marker stands at the pivot, before the turn
    ExpectMatrix(shapes->calls[0].modelView, toPivot);
    const Mat part =
        Mul(Mul(Mul(toPivot, R(typAttitude{0, 0, 40})), T({0, -1, 0})), T({0.5, 0, 0.25}));
    const auto& drawn = shapes->calls[1];
    ExpectMatrix(drawn.modelView, part);
    EXPECT_EQ(drawn.shapeName, "box");
    EXPECT_EQ(drawn.partName, "Arm");
    EXPECT_EQ(drawn.subPartName, "Left arm");
    EXPECT_EQ(drawn.size, DoubleArray(1, {1, 1, 1}));
    EXPECT_EQ(drawn.color, DoubleArray(1, {10, 20, 30}));
    EXPECT_EQ(arm->PartData().JointAttitude.Roll, 40);
    EXPECT_EQ(arm->PartData().JointAngles, DoubleArray(1, {0, 0, 40}));
}

TEST_F(PlacementTest, RotationConvention) {
    auto part = Room("Part");
    const auto turned = [&](typAttitude attitude, double x, double y, double z) {
        auto data = part->PartData();
        data.RelativeAttitude = attitude;
        part->SetPartData(data);
        shapes->calls.clear();
        clsSubPart root;
        Walk(*part, root);
        return Apply(shapes->Shapes().at(0).modelView, x, y, z);
    };
    const double c = std::cos(M_PI / 6), s = 0.5;
    ExpectPoint(turned({0, 30, 0}, 1, 0, 0), c, -s, 0);  // yaw: clockwise seen from +z
    ExpectPoint(turned({30, 0, 0}, 1, 0, 0), c, 0, s);   // pitch: clockwise seen from +y
    ExpectPoint(turned({0, 0, 30}, 0, 1, 0), 0, c, s);   // roll: counter-clockwise from +x
    // Roll first, then pitch, then yaw: the nose pitched straight up stays up under yaw.
    ExpectPoint(turned({90, 90, 0}, 1, 0, 0), 0, 0, 1);
}

TEST_F(PlacementTest, RotationalMotorTurnsAboutThePivotAndMasksAddToIt) {
    auto arm = Room("Arm");
    SetMotor(*arm, 2, 2, 30, {1, 0, 0});
    clsSubPart root;
    typMotorMasks after = Walk(*arm, root);
    EXPECT_EQ(arm->PartData().JointAttitude.Yaw, 30);
    EXPECT_EQ(arm->PartData().JointAngles, DoubleArray(1, {30, 0, 0}));
    const double c = std::cos(M_PI / 6);
    // The part's origin swings around the pivot; the marker stays on the pivot, unturned.
    ExpectPoint(Apply(shapes->Shapes()[0].modelView, 0, 0, 0), 1 - c, 0.5, 0);
    ExpectPoint(Apply(shapes->calls[0].modelView, 1, 0, 0), 2, 0, 0);
    EXPECT_EQ(after.CountMasks, 1);

    arm->SetMotorMasks(Masks({{"Arm", 15}}));
    shapes->calls.clear();
    after = Walk(*arm, root);
    EXPECT_EQ(arm->PartData().JointAttitude.Yaw, 45);
    EXPECT_EQ(arm->PartData().MotorPosition, 30);
    EXPECT_EQ(after.CountMasks, 2);
    EXPECT_EQ(arm->MotorMasks().CountMasks, 0);  // the walk works on a copy
    const double c45 = std::cos(M_PI / 4);
    ExpectPoint(Apply(shapes->Shapes()[0].modelView, 0, 0, 0), 1 - c45, c45, 0);
}

TEST_F(PlacementTest, OtherMotorKindsAndAxes) {
    auto slide = Room("Slide");
    SetMotor(*slide, 1, 3, 2, {5, 5, 5});  // linear along z: the pivot plays no part
    clsSubPart root;
    Walk(*slide, root);
    ExpectPoint(Apply(shapes->Shapes()[0].modelView, 0, 0, 0), 0, 0, 2);
    EXPECT_EQ(slide->PartData().JointTranslation.Z, 2);

    // A rotational motor without a valid axis keeps the stored attitude but recomputes the
    // angles from it.
    auto knob = Room("Knob");
    SetMotor(*knob, 2, 0, 99);
    auto data = knob->PartData();
    data.JointAttitude.Yaw = 12;
    knob->SetPartData(data);
    Walk(*knob, root);
    EXPECT_EQ(knob->PartData().JointAttitude.Yaw, 12);
    EXPECT_EQ(knob->PartData().JointAngles, DoubleArray(1, {12, 0, 0}));

    // An unknown motor kind moves nothing, and joint angles without elements turn nothing.
    auto odd = Room("Odd");
    SetMotor(*odd, 7, 1, 50);
    data = odd->PartData();
    data.JointAngles = DoubleArray();
    odd->SetPartData(data);
    shapes->calls.clear();
    Walk(*odd, root);
    ExpectMatrix(shapes->Shapes()[0].modelView, Identity());
    EXPECT_EQ(odd->PartData().JointTranslation, typ3Point{});
}

TEST_F(PlacementTest, MasksAreConsumedInWalkOrderOnlyByTheirOwnRoom) {
    auto base = Room("Base");
    auto arm = Room("Arm");
    auto hand = Room("Hand");
    SetMotor(*arm, 2, 2, 1);
    SetMotor(*hand, 1, 1, 0);
    Use(base, arm, "arm");
    Use(arm, hand, "hand");
    // A stale table: its first mask names the hand, so the arm keeps its own position and the
    // hand still takes the mask.
    base->SetMotorMasks(Masks({{"Hand", 3}, {"Arm", 100}}));
    clsSubPart root;
    const typMotorMasks after = Walk(*base, root);
    EXPECT_EQ(arm->PartData().JointAttitude.Yaw, 1);
    EXPECT_EQ(hand->PartData().JointTranslation.X, 3);
    EXPECT_EQ(after.CountMasks, 2);

    // A count larger than the table holds matches nothing rather than failing.
    typMotorMasks shortTable = Masks({{"Arm", 5}});
    shortTable.TotalMasks = 4;
    shortTable.CountMasks = 2;
    EXPECT_NO_THROW(base->CalculateForwardKinematics(root, shortTable));
    EXPECT_EQ(shortTable.CountMasks, 2);
}

TEST_F(PlacementTest, RoomUsedTwiceIsDrawnTwiceWithConsecutiveMasks) {
    auto hand = Room("Hand");
    auto finger = Room("Finger");
    SetMotor(*finger, 2, 2, 5);
    Use(hand, finger, "upper", {0, 1, 0});
    Use(hand, finger, "lower", {0, -1, 0});
    hand->MapMotorMasks();
    typMotorMasks masks = hand->MotorMasks();
    ASSERT_EQ(masks.TotalMasks, 2);
    masks.Masks(1).Value = 10;
    masks.Masks(2).Value = 20;
    hand->SetMotorMasks(masks);
    clsSubPart root;
    const typMotorMasks after = Walk(*hand, root);
    EXPECT_EQ(after.CountMasks, 3);
    const auto drawn = shapes->Shapes();
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[1].subPartName, "upper");
    EXPECT_EQ(drawn[2].subPartName, "lower");
    // Yaw 15 and 25 at the two places: the unit x vector of each finger turns clockwise by that.
    ExpectPoint(Apply(drawn[1].modelView, 0, 0, 0), 0, 1, 0);
    ExpectPoint(Apply(drawn[2].modelView, 0, 0, 0), 0, -1, 0);
    const auto x1 = Apply(drawn[1].modelView, 1, 0, 0), x2 = Apply(drawn[2].modelView, 1, 0, 0);
    EXPECT_NEAR(std::atan2(-(x1.Y - 1), x1.X) * 180 / M_PI, 15, 1e-4);
    EXPECT_NEAR(std::atan2(-(x2.Y + 1), x2.X) * 180 / M_PI, 25, 1e-4);
    EXPECT_EQ(finger->PartData().JointAttitude.Yaw, 25);  // the last occurrence's value stays
    EXPECT_EQ(finger->PartData().MotorPosition, 5);
}

TEST_F(PlacementTest, SelectedSubtreeIsHighlighted) {
    auto base = Room("Base", 1);
    auto a = Room("A", 2);
    auto b = Room("B", 3);
    auto c = Room("C", 4);
    auto useA = Use(base, a, "a");
    auto useB = Use(base, b, "b");
    auto useC = Use(b, c, "c");
    const DoubleArray highlight(1, {75, 25, 25});
    const auto colours = [&] {
        std::vector<DoubleArray> out;
        for (const auto& call : shapes->Shapes()) out.push_back(call.color);
        shapes->calls.clear();
        return out;
    };

    clsSubPart root;
    root.IsRoot = true;
    root.ActiveSubPart = 2;
    Walk(*base, root);
    EXPECT_THAT(colours(),
                ::testing::ElementsAre(DoubleArray(1, {1, 20, 30}), DoubleArray(1, {2, 20, 30}),
                                       highlight, highlight));
    EXPECT_TRUE(useC->IsActive && useC->IsActiveChild && useB->IsActive);
    EXPECT_FALSE(useA->IsActive || useA->IsActiveChild);

    // The room itself selected: only the room is highlighted, and old flags are cleared.
    clsSubPart selfSelected;
    selfSelected.IsRoot = true;
    selfSelected.IsActive = true;
    Walk(*base, selfSelected);
    EXPECT_THAT(colours(),
                ::testing::ElementsAre(highlight, DoubleArray(1, {2, 20, 30}),
                                       DoubleArray(1, {3, 20, 30}), DoubleArray(1, {4, 20, 30})));
    EXPECT_FALSE(useB->IsActive || useC->IsActive || useC->IsActiveChild);

    // A subpart further down selected through the room's selection path: only it turns red.
    base->SelectPath({2, 1});
    EXPECT_EQ(base->SelectedPath(), (std::vector<std::int32_t>{2, 1}));
    clsSubPart deep;
    deep.IsRoot = true;
    deep.ActiveSubPart = base->ActiveSubIndex;
    deep.SelectedBelow = {1};
    Walk(*base, deep);
    EXPECT_THAT(colours(),
                ::testing::ElementsAre(DoubleArray(1, {1, 20, 30}), DoubleArray(1, {2, 20, 30}),
                                       DoubleArray(1, {3, 20, 30}), highlight));
    EXPECT_FALSE(useB->IsActive);
    EXPECT_TRUE(useC->IsActive);
    // Another top-level subpart selected directly drops the deeper steps.
    base->ActiveSubIndex = 1;
    EXPECT_EQ(base->SelectedPath(), std::vector<std::int32_t>{1});
    base->ActiveSubIndex = 2;
    base->SelectPath({2, 5});
    EXPECT_EQ(base->SelectedPath(), std::vector<std::int32_t>{2}) << "a step that does not exist";
}

TEST_F(PlacementTest, TreesTooDeepOrTooLargeAreRefusedBeforeAnythingIsDrawn) {
    // A chain of rooms, each using the next: as deep as the walk allows, then one level more.
    std::vector<std::shared_ptr<clsPartRoom>> chain;
    for (std::int32_t k = 0; k <= torvane::kMaxPlacementDepth; ++k) {
        chain.push_back(Room("Level " + std::to_string(k + 1)));
        SetMotor(*chain.back(), 2, 2, 10);
    }
    for (std::size_t k = 1; k + 1 < chain.size(); ++k) Use(chain[k], chain[k + 1], "next");
    GLint before = 0, after = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &before);
    clsSubPart root;
    Walk(*chain[1], root);  // kMaxPlacementDepth levels
    EXPECT_EQ(shapes->Shapes().size(), static_cast<std::size_t>(torvane::kMaxPlacementDepth));

    Use(chain[0], chain[1], "next");  // one level more
    shapes->calls.clear();
    typMotorMasks masks = Masks({{"Level 1", 5}});
    masks.CountMasks = 1;
    try {
        chain[0]->CalculateForwardKinematics(root, masks);
        ADD_FAILURE() << "a tree deeper than the walk allows was drawn";
    } catch (const torvane::Error& e) {
        EXPECT_EQ(e.Code(), torvane::ErrorCode::InvalidArgument);
        EXPECT_EQ(std::string(e.what()),
                  "The part room \"Level 1\" cannot be drawn: its subparts nest " +
                      std::to_string(torvane::kMaxPlacementDepth + 1) +
                      " levels deep, and at most " + std::to_string(torvane::kMaxPlacementDepth) +
                      " levels can be placed.");
    }
    EXPECT_TRUE(shapes->calls.empty());
    EXPECT_EQ(masks.CountMasks, 1);
    EXPECT_EQ(chain[0]->PartData().JointAttitude.Yaw, 0);  // no motor was applied either
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after);
    EXPECT_EQ(before, after);

    // Twenty rooms each using the next twice: shallow, but more than a million occurrences.
    std::vector<std::shared_ptr<clsPartRoom>> doubling;
    for (int k = 0; k < 20; ++k) doubling.push_back(Room("D" + std::to_string(k)));
    for (std::size_t k = 0; k + 1 < doubling.size(); ++k) {
        Use(doubling[k], doubling[k + 1], "a");
        Use(doubling[k], doubling[k + 1], "b");
    }
    try {
        Walk(*doubling[0], root);
        ADD_FAILURE() << "a tree of more than a million occurrences was drawn";
    } catch (const torvane::Error& e) {
        EXPECT_NE(std::string(e.what()).find("more than " +
                                             std::to_string(torvane::kMaxExpandedPartOccurrences)),
                  std::string::npos)
            << e.what();
    }
    EXPECT_TRUE(shapes->calls.empty());
}

TEST_F(PlacementTest, StackIsBalancedAfterAWalkAndAfterAFailedOne) {
    auto base = Room("Base");
    auto arm = Room("Arm");
    auto hand = Room("Hand");
    Use(base, arm, "arm", {1, 0, 0});
    Use(arm, hand, "hand", {0, 1, 0});
    GLint before = 0, after = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &before);
    clsSubPart root;
    Walk(*base, root);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after);
    EXPECT_EQ(before, after);
    EXPECT_EQ(shapes->Shapes().size(), 3u);
    ExpectPoint(Apply(shapes->Shapes()[2].modelView, 0, 0, 0), 1, 1, 0);

    // A subpart that uses no room stops the walk with a missing-object error.
    auto broken = std::make_shared<clsSubPart>();
    broken->SetName("broken");
    hand->AttachSubPart(broken);
    try {
        Walk(*base, root);
        ADD_FAILURE() << "walk over a subpart without a room";
    } catch (const torvane::Error& e) {
        EXPECT_EQ(e.Code(), torvane::ErrorCode::MissingObject);
    }
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after);
    EXPECT_EQ(before, after);

    // A room without a shapes object fails at its first drawing call.
    auto bare = std::make_shared<clsPartRoom>();
    bare->Init(true);
    try {
        Walk(*bare, root);
        ADD_FAILURE() << "walk without a shapes object";
    } catch (const torvane::Error& e) {
        EXPECT_EQ(e.Code(), torvane::ErrorCode::MissingObject);
    }
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after);
    EXPECT_EQ(before, after);
}

}  // namespace
}  // namespace mechanon::testing
