// The placement walk: builds every part's frame step by step for a visitor (the GL model-view
// stack when drawing), applies the motors (forward kinematics), marks the selected subtree and
// hands each joint's pose and each part's shape to the visitor. The part records are only read.

#include <algorithm>
#include <unordered_set>

#include "model/Error.h"
#include "model/MimicPositions.h"
#include "model/clsPartRoom.h"

namespace torvane {
namespace {

// Red, green, blue in percent of the selected subtree.
constexpr double kHighlightRed = 75;
constexpr double kHighlightGreen = 25;
constexpr double kHighlightBlue = 25;

// One Enter per node and the matching Leave on every way out, so a failed walk leaves the
// visitor's frames (the GL model-view stack) as deep as it found them.
class OccurrenceLevel {
  public:
    OccurrenceLevel(IPlacementVisitor& visitor, const clsSubPart& use, clsPartRoom& room)
        : visitor_(visitor) {
        visitor_.Enter(use, room);
    }
    ~OccurrenceLevel() { visitor_.Leave(); }
    OccurrenceLevel(const OccurrenceLevel&) = delete;
    OccurrenceLevel& operator=(const OccurrenceLevel&) = delete;

  private:
    IPlacementVisitor& visitor_;
};

// A joint angle that a stored record lacks turns nothing: a robot file may hold joint angles
// without elements, and a missing angle must not make the whole robot undrawable.
double AngleOrZero(const DoubleArray& angles, std::int32_t i) {
    if (!angles.IsAllocated() || i < angles.LBound() || i > angles.UBound()) return 0;
    return angles(i);
}

// Which of the three joint rotations (indices of AttitudeToRotations) a rotational motor of
// dimension 1 (Pitch), 2 (Yaw) or 3 (Roll) turns; 0 for any other dimension.
std::int32_t TurnedRotation(std::int16_t dimension) {
    switch (dimension) {
        case 1:
            return 2;
        case 2:
            return 1;
        case 3:
            return 3;
        default:
            return 0;
    }
}

// The unit direction a linear motor of dimension 1, 2, 3 (X, Y, Z) shifts along.
typ3Point ShiftAxis(std::int16_t dimension) {
    return typ3Point{dimension == 1 ? 1.0 : 0.0, dimension == 2 ? 1.0 : 0.0,
                     dimension == 3 ? 1.0 : 0.0};
}

double& ShiftComponent(typ3Point& p, std::int16_t dimension) {
    return dimension == 1 ? p.X : (dimension == 2 ? p.Y : p.Z);
}

// The attitude a rotational motor of dimension 1, 2, 3 (Pitch, Yaw, Roll) turns.
double& TurnComponent(typAttitude& a, std::int16_t dimension) {
    return dimension == 1 ? a.Pitch : (dimension == 2 ? a.Yaw : a.Roll);
}

bool ValidDimension(std::int16_t dimension) {
    return dimension >= 1 && dimension <= 3;
}

}  // namespace

void clsPartRoom::CalculateForwardKinematics(clsSubPart& SubPart, typMotorMasks& MotorMasks,
                                             IPlacementVisitor& Visitor) {
    RequireTreeWithinLimits("be drawn", true);
    MimicPositions mimic;
    if (HoldsFollower()) {
        typMotorMasks cursor = MotorMasks;
        std::vector<MimicPositions::MotorAt> motors;
        CollectMotorPositions(cursor, motors);
        mimic = MimicPositions(motors);
    }
    PlaceTree(SubPart, MotorMasks, Visitor, mimic.Empty() ? nullptr : &mimic);
}

std::vector<std::optional<double>> clsPartRoom::FollowerMaskValues(
    const typMotorMasks& MotorMasks) const {
    if (!HoldsFollower()) return {};
    typMotorMasks cursor = MotorMasks;
    cursor.CountMasks = 1;
    std::vector<MimicPositions::MotorAt> motors;
    CollectMotorPositions(cursor, motors);
    return MimicPositions(motors).MaskValues(motors, MotorMasks.TotalMasks);
}

bool clsPartRoom::HoldsFollower() const {
    // Each room once, however often it is used: this runs before every placement.
    std::vector<const clsPartRoom*> queue{this};
    std::unordered_set<const clsPartRoom*> seen{this};
    for (std::size_t next = 0; next < queue.size(); ++next) {
        const clsPartRoom& room = *queue[next];
        if (FollowsAJoint(room.partData_.BlankXML)) return true;
        for (const auto& child : room.SubParts)
            if (child->Part && seen.insert(child->Part.get()).second)
                queue.push_back(child->Part.get());
    }
    return false;
}

void clsPartRoom::CollectMotorPositions(typMotorMasks& MotorMasks,
                                        std::vector<MimicPositions::MotorAt>& Motors) const {
    const WalkGuard guard(*this);
    const std::int32_t cursor = MotorMasks.CountMasks;
    const double position = TakeMotorPosition(MotorMasks);
    const std::int32_t mask = MotorMasks.CountMasks != cursor ? cursor : 0;
    if (MotorKindOf(partData_.MotorType) != MotorKind::None)
        Motors.push_back({this, position, mask});
    for (const auto& child : SubParts) UsedRoom(*child).CollectMotorPositions(MotorMasks, Motors);
}

void clsPartRoom::PlaceTree(clsSubPart& SubPart, typMotorMasks& MotorMasks,
                            IPlacementVisitor& Visitor, const MimicPositions* Mimic) {
    const WalkGuard guard(*this);
    const OccurrenceLevel level(Visitor, SubPart, *this);
    PlaceMe(SubPart, MotorMasks, Visitor, Mimic);
    // The positions from this use down to the selected subpart.
    std::vector<std::int32_t> toSelection;
    if (!SubPart.IsRoot)
        toSelection = SubPart.SelectedBelow;
    else if (SubPart.ActiveSubPart > 0) {
        toSelection.push_back(SubPart.ActiveSubPart);
        toSelection.insert(toSelection.end(), SubPart.SelectedBelow.begin(),
                           SubPart.SelectedBelow.end());
    }
    std::int32_t position = 1;
    for (const auto& child : SubParts) {
        const bool onTheWay = !toSelection.empty() && toSelection.front() == position;
        const bool selected = onTheWay && toSelection.size() == 1;
        // Everything below a selected subpart is highlighted too.
        const bool highlighted = selected || SubPart.IsActiveChild;
        child->IsActive = highlighted;
        child->IsActiveChild = highlighted;
        child->SelectedBelow =
            onTheWay && !selected
                ? std::vector<std::int32_t>(toSelection.begin() + 1, toSelection.end())
                : std::vector<std::int32_t>{};
        UsedRoom(*child).PlaceTree(*child, MotorMasks, Visitor, Mimic);
        ++position;
    }
}

double clsPartRoom::TakeMotorPosition(typMotorMasks& MotorMasks) const {
    // This occurrence's motor position: the k-th motorised node visited takes mask k. A mask
    // for another room is left for a later node; a table shorter than its count matches nothing.
    double position = partData_.MotorPosition;
    const std::int32_t k = MotorMasks.CountMasks;
    if (k <= MotorMasks.TotalMasks && MotorMasks.Masks.IsAllocated() &&
        k >= MotorMasks.Masks.LBound() && k <= MotorMasks.Masks.UBound() &&
        MotorMasks.Masks(k).Name == partData_.Name) {
        position += MotorMasks.Masks(k).Value;
        ++MotorMasks.CountMasks;
    }
    return position;
}

std::optional<typJointPose> clsPartRoom::MotorPose(double position) const {
    const std::int16_t dimension = partData_.MotorDimension;
    const MotorKind motor = MotorKindOf(partData_.MotorType);
    if (motor == MotorKind::Linear && ValidDimension(dimension)) {
        typJointPose pose{partData_.JointAttitude, partData_.JointTranslation,
                          partData_.JointAngles};
        ShiftComponent(pose.JointTranslation, dimension) = position;
        return pose;
    }
    if (motor != MotorKind::Rotational) return std::nullopt;
    // A rotational motor without a valid axis turns nothing but still recomputes the angles.
    typJointPose pose{partData_.JointAttitude, partData_.JointTranslation, {}};
    if (ValidDimension(dimension)) TurnComponent(pose.JointAttitude, dimension) = position;
    pose.JointAngles = AttitudeToRotations(pose.JointAttitude);
    return pose;
}

void clsPartRoom::SetJointPose(const typJointPose& InPose) {
    partData_.JointAttitude = InPose.JointAttitude;
    partData_.JointTranslation = InPose.JointTranslation;
    partData_.JointAngles = InPose.JointAngles;
}

void clsPartRoom::PlaceMe(clsSubPart& SubPart, typMotorMasks& MotorMasks,
                          IPlacementVisitor& Visitor, const MimicPositions* Mimic) {
    const typSubPartData slot = SubPart.SubPartData();
    const typPartData& part = partData_;
    const auto rotate = [this, &Visitor](const DoubleArray& angles, std::int32_t turned,
                                         double motorAngle) {
        for (std::int32_t i = 1; i <= 3; ++i) {
            const typ3Point& axis = rotationAxes_(i);
            if (i == turned)
                Visitor.Move(typJointMotion{2, axis, motorAngle});
            else
                Visitor.Rotate(AngleOrZero(angles, i), axis);
        }
    };

    // The slot's frame, then the part's own placement within it.
    Visitor.Translate(slot.RelativePosition);
    rotate(AttitudeToRotations(slot.RelativeAttitude), 0, 0);
    Visitor.Translate(part.RelativePosition);
    rotate(AttitudeToRotations(part.RelativeAttitude), 0, 0);

    double position = TakeMotorPosition(MotorMasks);
    if (Mimic) position = Mimic->For(*this).value_or(position);
    const std::int16_t dimension = part.MotorDimension;
    const MotorKind motor = MotorKindOf(part.MotorType);
    const bool linear = motor == MotorKind::Linear && ValidDimension(dimension);
    const bool rotational = motor == MotorKind::Rotational && ValidDimension(dimension);
    // The joint stands where its motor sets it; one without a motor at its stored pose.
    const std::optional<typJointPose> moved = MotorPose(position);
    if (moved) Visitor.Pose(*this, *moved);
    const DoubleArray& jointAngles = moved ? moved->JointAngles : part.JointAngles;
    const typ3Point& jointTranslation = moved ? moved->JointTranslation : part.JointTranslation;

    // The joint turns about its pivot; the axis marker stands at the pivot, unturned.
    Visitor.Translate(part.JointPosition);
    Visitor.Pivot(*this);
    rotate(jointAngles, rotational ? TurnedRotation(dimension) : 0, position);
    Visitor.Translate(
        typ3Point{-part.JointPosition.X, -part.JointPosition.Y, -part.JointPosition.Z});
    // A linear motor's shift is its own step after the joint's fixed translation.
    typ3Point partShift = jointTranslation;
    if (linear) ShiftComponent(partShift, dimension) = 0;
    const typ3Point fixedShift{slot.JointTranslation.X + partShift.X,
                               slot.JointTranslation.Y + partShift.Y,
                               slot.JointTranslation.Z + partShift.Z};
    Visitor.Translate(fixedShift);
    if (linear) Visitor.Move(typJointMotion{1, ShiftAxis(dimension), position});

    DoubleArray size = part.Size;
    std::string shapeName = part.ShapeName;
    DoubleArray color = SubPart.IsActive
                            ? DoubleArray(1, {kHighlightRed, kHighlightGreen, kHighlightBlue})
                            : part.ShapeColor;
    std::string partName = part.Name;
    std::string subPartName = SubPart.Name();
    Visitor.Shape(*this, size, shapeName, color, partName, subPartName);
}

}  // namespace torvane
