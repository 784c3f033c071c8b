#pragma once
// Joints that follow another (an imported URDF's mimic joints): for one placement of a room's
// tree, the motor position of every follower computed from its leader's position, as
// q = multiplier * q_leader + offset in URDF units (radians, metres), then back in the model's
// units (degrees, model units).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/Records.h"

namespace torvane {

class clsPartRoom;

class MimicPositions {
  public:
    // A motor occurrence of the walk in order: its room and its own motor position.
    struct MotorAt {
        const clsPartRoom* room;
        double position;
        std::int32_t mask;  // the mask table entry the occurrence took; 0 for none
    };

    MimicPositions() = default;
    // From the motor positions of a tree's occurrences in walk order. The first occurrence of
    // a joint name leads.
    explicit MimicPositions(const std::vector<MotorAt>& motors);

    bool Empty() const noexcept { return followers_.empty(); }
    // The position the follower's room takes instead of its own; none for a room that follows
    // no joint of the tree.
    std::optional<double> For(const clsPartRoom& room) const;
    // For each entry of a mask table (index 0 for entry 1), the value that puts its follower
    // where its leader says; none for an entry that is no follower's.
    std::vector<std::optional<double>> MaskValues(const std::vector<MotorAt>& motors,
                                                  std::int32_t entries) const;

  private:
    std::map<const clsPartRoom*, double> followers_;
};

// True when the room's notes say it follows another joint.
bool FollowsAJoint(const std::string& blankXml);

}  // namespace torvane
