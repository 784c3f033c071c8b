#include "model/MimicPositions.h"

#include <algorithm>

#include "model/JointNotes.h"
#include "model/clsPartRoom.h"

namespace torvane {
namespace {

struct Joint {
    typJointNote note;
    MotorKind kind = MotorKind::None;
    double position = 0;
};

// Model units (degrees, model units) to URDF units (radians, metres), and back.
double ToUrdf(const Joint& j, double value) {
    return UrdfValueOfMotorPosition(j.kind, j.note, value);
}
double FromUrdf(const Joint& j, double value) {
    return MotorPositionOfUrdf(j.kind, j.note, value);
}

// A joint's value in URDF units: a follower's from its leader's, which may follow another in
// turn; a chain that comes back to itself is cut where it does.
double UrdfValue(const std::map<std::string, Joint>& joints, const Joint& joint, int depth) {
    const auto leader = joint.note.Mimic.empty() ? joints.end() : joints.find(joint.note.Mimic);
    if (leader == joints.end() || depth > static_cast<int>(joints.size()))
        return ToUrdf(joint, joint.position);
    return joint.note.Multiplier.value_or(1) * UrdfValue(joints, leader->second, depth + 1) +
           joint.note.Offset.value_or(0);
}

}  // namespace

bool FollowsAJoint(const std::string& blankXml) {
    return blankXml.find("mimic=\"") != std::string::npos;
}

MimicPositions::MimicPositions(const std::vector<MotorAt>& motors) {
    std::map<std::string, Joint> leaders;
    std::vector<std::pair<const clsPartRoom*, Joint>> followers;
    for (const MotorAt& m : motors) {
        const typJointNotes notes = ReadJointNotes(m.room->BlankXML());
        if (!notes.Joint) continue;
        const Joint joint{*notes.Joint, MotorKindOf(static_cast<std::int16_t>(m.room->MotorType())),
                          m.position};
        leaders.emplace(joint.note.Name, joint);
        if (!joint.note.Mimic.empty()) followers.emplace_back(m.room, joint);
    }
    // A joint whose leader the tree lacks (or that names itself) moves on its own.
    for (const auto& [room, follower] : followers)
        if (follower.note.Mimic != follower.note.Name && leaders.count(follower.note.Mimic))
            followers_.emplace(room, FromUrdf(follower, UrdfValue(leaders, follower, 0)));
}

std::vector<std::optional<double>> MimicPositions::MaskValues(const std::vector<MotorAt>& motors,
                                                              std::int32_t entries) const {
    std::vector<std::optional<double>> values(static_cast<std::size_t>(std::max(entries, 0)));
    for (const MotorAt& m : motors) {
        const auto position = For(*m.room);
        if (position && m.mask >= 1 && m.mask <= entries)
            values[static_cast<std::size_t>(m.mask - 1)] =
                *position - m.room->PartData().MotorPosition;
    }
    return values;
}

std::optional<double> MimicPositions::For(const clsPartRoom& room) const {
    const auto found = followers_.find(&room);
    if (found == followers_.end()) return std::nullopt;
    return found->second;
}

}  // namespace torvane
