// The placement walk drawn at the current GL matrix: a room's tree drawn on the model-view stack
// through its shapes objects, the joint poses it sets stored in the rooms as the view stores
// the poses it shows.

#include "model/JointPoses.h"
#include "model/clsPartRoom.h"
#include "render/GlPlacementVisitor.h"

namespace torvane {

void clsPartRoom::CalculateForwardKinematics(clsSubPart& SubPart, typMotorMasks& MotorMasks) {
    JointPoses::StoreSetBy([&](JointPoses& drawn) {
        GlPlacementVisitor gl(&drawn);
        CalculateForwardKinematics(SubPart, MotorMasks, gl);
    });
}

}  // namespace torvane
