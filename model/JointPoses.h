#pragma once
// The joint poses one placement walk set, kept aside: the walk leaves the rooms' records alone,
// and the caller decides whether the robot is to hold them. The program stores the poses of the
// walks that show the active room (the view's drawing, and the export and picking walks that
// place it at the same motor values), so the robot file holds the pose the view last showed; a
// picture drawn in the background stores nothing.

#include <functional>
#include <unordered_map>

#include "model/PlacementVisitor.h"

namespace torvane {

class clsPartRoom;

class JointPoses {
  public:
    // The pose of an occurrence of room; a later occurrence of the same room replaces it.
    void Add(clsPartRoom& room, const typJointPose& pose);
    // Writes every kept pose into its room's part record. The rooms must still live: store the
    // poses of a walk right after it, also after a walk that failed half way.
    void Store() const;
    bool Empty() const noexcept { return poses_.empty(); }

    // Runs walk, which keeps the poses it sets in the JointPoses it is given, and stores them:
    // after the walk, or when it fails half way the poses it set until then, its error going on
    // to the caller.
    static void StoreSetBy(const std::function<void(JointPoses&)>& walk);

  private:
    std::unordered_map<clsPartRoom*, typJointPose> poses_;
};

}  // namespace torvane
