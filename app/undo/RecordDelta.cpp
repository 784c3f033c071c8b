#include "app/undo/RecordDelta.h"

namespace mechanon {

std::span<const PartDelta::Member> PartFields() {
    using R = torvane::typPartData;
    static const PartDelta::Member kFields[] = {
        &R::Name,          &R::ParentName,       &R::ShapeName,        &R::Size,
        &R::ShapeColor,    &R::RelativePosition, &R::RelativeAttitude, &R::JointPosition,
        &R::JointAttitude, &R::JointTranslation, &R::MotorPosition,    &R::JointAngles,
        &R::MotorType,     &R::MotorDimension,   &R::Description,      &R::BlankXML,
        &R::Camera,        &R::Picture,
    };
    return kFields;
}

std::span<const PartDelta::Member> PoseFields() {
    using R = torvane::typPartData;
    static const PartDelta::Member kFields[] = {
        &R::JointAttitude,
        &R::JointTranslation,
        &R::JointAngles,
    };
    return kFields;
}

std::span<const SubPartDelta::Member> SubPartFields() {
    using S = torvane::typSubPartData;
    static const SubPartDelta::Member kFields[] = {
        &S::RelativePosition, &S::RelativeAttitude, &S::Name,    &S::SavePartName,
        &S::Description,      &S::BlankXML,         &S::Unused,  &S::JointAttitude,
        &S::JointTranslation, &S::JointAngles,      &S::Picture,
    };
    return kFields;
}

}  // namespace mechanon
