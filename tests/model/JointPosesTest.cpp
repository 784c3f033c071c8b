// The placement walk only reads the rooms: the joint poses its motors set go to the visitor, and
// JointPoses stores them where the caller wants the robot to hold them, also after a walk that
// failed half way.

#include <gtest/gtest.h>

#include <vector>

#include "ModelTestSupport.h"
#include "model/FramePlacementVisitor.h"
#include "model/JointPoses.h"
#include "model/clsPartRoom.h"
#include "model/clsSubPart.h"

namespace torvane {
namespace {

using namespace torvane::testing;

void SetJoint(clsPartRoom& room, double motorPosition, const typAttitude& attitude,
              const typ3Point& translation, const DoubleArray& angles) {
    typPartData data = room.PartData();
    data.MotorPosition = motorPosition;
    data.JointAttitude = attitude;
    data.JointTranslation = translation;
    data.JointAngles = angles;
    room.SetPartData(data);
}

std::vector<typPartData> Records(const std::vector<std::shared_ptr<clsPartRoom>>& rooms) {
    std::vector<typPartData> records;
    for (const auto& room : rooms) records.push_back(room->PartData());
    return records;
}

std::vector<typPlacedOccurrence> Walk(clsPartRoom& room, JointPoses* poses) {
    typMotorMasks masks = room.MotorMasks();
    masks.CountMasks = 1;
    clsSubPart root;
    FramePlacementVisitor frames(poses);
    room.CalculateForwardKinematics(root, masks, frames);
    return frames.Occurrences();
}

TEST(JointPoses, TheWalkHandsThePosesOnAndStoringThemChangesNoFrame) {
    const auto base = MakeRoom("Base");
    const auto arm = MakeRoom("Arm", 2, 2);      // rotational, yaw
    const auto slide = MakeRoom("Slide", 1, 3);  // linear along z
    const auto knob = MakeRoom("Knob", 2, 0);    // rotational without a valid axis
    const auto fixed = MakeRoom("Fixed");
    SetJoint(*arm, 30, {5, 0, 7}, {}, DoubleArray(1, {0, 0, 0}));
    SetJoint(*slide, 2, {}, {1, 1, 9}, DoubleArray(1, {4, 5, 6}));
    SetJoint(*knob, 99, {0, 12, 0}, {}, DoubleArray(1, {1, 1, 1}));
    SetJoint(*fixed, 0, {}, {}, DoubleArray(1, {10, 0, 0}));
    Use(*base, "upper", arm);
    Use(*base, "lower", arm);
    Use(*arm, "slide", slide);
    Use(*base, "knob", knob);
    Use(*base, "fixed", fixed);
    base->MapMotorMasks();
    typMotorMasks masks = base->MotorMasks();
    ASSERT_EQ(masks.TotalMasks, 5);  // arm, slide, arm, slide, knob
    for (std::int32_t k = 1; k <= 5; ++k) masks.Masks(k).Value = 10 * k;
    base->SetMotorMasks(masks);
    const std::vector<std::shared_ptr<clsPartRoom>> rooms{base, arm, slide, knob, fixed};
    const auto before = Records(rooms);

    JointPoses poses;
    const auto placed = Walk(*base, &poses);
    EXPECT_EQ(Records(rooms), before) << "the walk wrote into a part record";
    ASSERT_FALSE(poses.Empty());

    poses.Store();
    // The last occurrence's pose stays: the second arm (mask 3) and its slide (mask 4).
    EXPECT_EQ(arm->PartData().JointAttitude, (typAttitude{5, 60, 7}));
    EXPECT_EQ(arm->PartData().JointAngles, DoubleArray(1, {60, 5, 7}));
    EXPECT_EQ(slide->PartData().JointTranslation, (typ3Point{1, 1, 42}));
    EXPECT_EQ(slide->PartData().JointAngles, DoubleArray(1, {4, 5, 6}));
    EXPECT_EQ(knob->PartData().JointAttitude, (typAttitude{0, 12, 0}));
    EXPECT_EQ(knob->PartData().JointAngles, DoubleArray(1, {12, 0, 0}));
    EXPECT_EQ(fixed->PartData(), before[4]);
    EXPECT_EQ(base->PartData(), before[0]);

    // Placed again over the stored poses, every part stands where it stood.
    const auto again = Walk(*base, nullptr);
    ASSERT_EQ(again.size(), placed.size());
    for (std::size_t i = 0; i < placed.size(); ++i)
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_DOUBLE_EQ(again[i].WorldFromShape(r, c), placed[i].WorldFromShape(r, c))
                    << "occurrence " << i;
}

TEST(JointPoses, AFailedWalkStoresThePosesSetBeforeTheFault) {
    const auto base = MakeRoom("Base", 2, 2);
    const auto first = MakeRoom("First", 1, 1);
    const auto last = MakeRoom("Last", 1, 1);
    SetJoint(*base, 15, {}, {}, DoubleArray(1, {0, 0, 0}));
    SetJoint(*first, 3, {}, {}, DoubleArray(1, {0, 0, 0}));
    SetJoint(*last, 4, {}, {}, DoubleArray(1, {0, 0, 0}));
    Use(*base, "first", first);
    const auto broken = MakeSub("broken");  // uses no room: the walk stops there
    base->AttachSubPart(broken);
    Use(*base, "last", last);
    const auto storingWalk = [&] {
        JointPoses::StoreSetBy([&](JointPoses& set) { Walk(*base, &set); });
    };

    EXPECT_EQ(CodeOf(storingWalk), ErrorCode::MissingObject);
    EXPECT_EQ(base->PartData().JointAttitude.Yaw, 15);
    EXPECT_EQ(first->PartData().JointTranslation.X, 3);
    EXPECT_EQ(last->PartData().JointTranslation.X, 0);

    broken->Part = MakeRoom("Mended");
    EXPECT_NO_THROW(storingWalk());
    EXPECT_EQ(last->PartData().JointTranslation.X, 4);
}

}  // namespace
}  // namespace torvane
