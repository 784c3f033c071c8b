// The placement walk: builds every part's frame on the GL model-view stack, applies the motors
// (forward kinematics), marks the selected subtree and draws each part through the shapes
// object. It issues only matrix-stack, translation and rotation calls itself; during a world
// list rebuild they are recorded into the list rather than executed.

#include <GL/gl.h>

#include "model/Error.h"
#include "model/clsPartRoom.h"

namespace torvane {
namespace {

// Red, green, blue in percent of the selected subtree.
constexpr double kHighlightRed = 75;
constexpr double kHighlightGreen = 25;
constexpr double kHighlightBlue = 25;

// One push per node and the matching pop on every way out, so a failed walk leaves the
// model-view stack as deep as it found it.
class MatrixLevel {
  public:
    MatrixLevel() { glPushMatrix(); }
    ~MatrixLevel() { glPopMatrix(); }
    MatrixLevel(const MatrixLevel&) = delete;
    MatrixLevel& operator=(const MatrixLevel&) = delete;
};

void Translate(const typ3Point& by) {
    glTranslated(by.X, by.Y, by.Z);
}

// A joint angle that a stored record lacks turns nothing: a robot file may hold joint angles
// without elements, and a missing angle must not make the whole robot undrawable.
double AngleOrZero(const DoubleArray& angles, std::int32_t i) {
    if (!angles.IsAllocated() || i < angles.LBound() || i > angles.UBound()) return 0;
    return angles(i);
}

}  // namespace

void clsPartRoom::CalculateForwardKinematics(clsSubPart& SubPart, typMotorMasks& MotorMasks) {
    RequireTreeWithinLimits("be drawn", true);
    PlaceTree(SubPart, MotorMasks);
}

void clsPartRoom::PlaceTree(clsSubPart& SubPart, typMotorMasks& MotorMasks) {
    const WalkGuard guard(*this);
    const MatrixLevel level;
    PlaceMe(SubPart, MotorMasks);
    std::int32_t position = 1;
    for (const auto& child : SubParts) {
        const bool selected = SubPart.IsRoot && SubPart.ActiveSubPart == position;
        // Everything below a selected subpart is highlighted too.
        const bool highlighted = selected || SubPart.IsActiveChild;
        child->IsActive = highlighted;
        child->IsActiveChild = highlighted;
        UsedRoom(*child).PlaceTree(*child, MotorMasks);
        ++position;
    }
}

void clsPartRoom::PlaceMe(clsSubPart& SubPart, typMotorMasks& MotorMasks) {
    const typSubPartData slot = SubPart.SubPartData();
    typPartData& part = partData_;
    const auto rotate = [this](const DoubleArray& angles) {
        for (std::int32_t i = 1; i <= 3; ++i) {
            const typ3Point& axis = rotationAxes_(i);
            glRotated(AngleOrZero(angles, i), axis.X, axis.Y, axis.Z);
        }
    };

    // The slot's frame, then the part's own placement within it.
    Translate(slot.RelativePosition);
    rotate(AttitudeToRotations(slot.RelativeAttitude));
    Translate(part.RelativePosition);
    rotate(AttitudeToRotations(part.RelativeAttitude));

    // This occurrence's motor position: the k-th motorised node visited takes mask k. A mask
    // for another room is left for a later node; a table shorter than its count matches nothing.
    double position = part.MotorPosition;
    const std::int32_t k = MotorMasks.CountMasks;
    if (k <= MotorMasks.TotalMasks && MotorMasks.Masks.IsAllocated() &&
        k >= MotorMasks.Masks.LBound() && k <= MotorMasks.Masks.UBound() &&
        MotorMasks.Masks(k).Name == part.Name) {
        position += MotorMasks.Masks(k).Value;
        ++MotorMasks.CountMasks;
    }

    const MotorKind motor = MotorKindOf(part.MotorType);
    if (motor == MotorKind::Linear) {
        switch (part.MotorDimension) {
            case 1:
                part.JointTranslation.X = position;
                break;
            case 2:
                part.JointTranslation.Y = position;
                break;
            case 3:
                part.JointTranslation.Z = position;
                break;
            default:
                break;
        }
    } else if (motor == MotorKind::Rotational) {
        switch (part.MotorDimension) {
            case 1:
                part.JointAttitude.Pitch = position;
                break;
            case 2:
                part.JointAttitude.Yaw = position;
                break;
            case 3:
                part.JointAttitude.Roll = position;
                break;
            default:
                break;
        }
        part.JointAngles = AttitudeToRotations(part.JointAttitude);
    }

    if (!Shapes)
        Raise(ErrorCode::MissingObject,
              "The part room \"" + part.Name + "\" has no shapes object to draw with.");

    // The joint turns about its pivot; the axis marker stands at the pivot, unturned.
    Translate(part.JointPosition);
    Shapes->DrawAxes(1, 1, 1);
    rotate(part.JointAngles);
    Translate(typ3Point{-part.JointPosition.X, -part.JointPosition.Y, -part.JointPosition.Z});
    Translate(typ3Point{slot.JointTranslation.X + part.JointTranslation.X,
                        slot.JointTranslation.Y + part.JointTranslation.Y,
                        slot.JointTranslation.Z + part.JointTranslation.Z});

    DoubleArray size = part.Size;
    std::string shapeName = part.ShapeName;
    DoubleArray color = SubPart.IsActive
                            ? DoubleArray(1, {kHighlightRed, kHighlightGreen, kHighlightBlue})
                            : part.ShapeColor;
    std::string partName = part.Name;
    std::string subPartName = SubPart.Name();
    Shapes->SelectShape(size, shapeName, color, partName, subPartName);
}

}  // namespace torvane
