#include "model/JointPoses.h"

#include "model/clsPartRoom.h"

namespace torvane {

void JointPoses::Add(clsPartRoom& room, const typJointPose& pose) {
    poses_[&room] = pose;
}

void JointPoses::Store() const {
    for (const auto& [room, pose] : poses_) room->SetJointPose(pose);
}

void JointPoses::StoreSetBy(const std::function<void(JointPoses&)>& walk) {
    JointPoses set;
    try {
        walk(set);
    } catch (...) {
        set.Store();
        throw;
    }
    set.Store();
}

}  // namespace torvane
