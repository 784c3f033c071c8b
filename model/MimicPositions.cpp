#include "model/MimicPositions.h"

#include <numbers>

#include "model/JointNotes.h"
#include "model/clsPartRoom.h"

namespace torvane {
namespace {

struct Joint {
    typJointNote note;
    MotorKind kind = MotorKind::None;
    double position = 0;
};

double UnitOf(const typJointNote& note) {
    return note.Unit && *note.Unit > 0 ? *note.Unit : 1;
}

// Model units (degrees, model units) to URDF units (radians, metres), and back.
double ToUrdf(const Joint& j, double value) {
    return j.kind == MotorKind::Rotational ? value * std::numbers::pi / 180
                                           : value * UnitOf(j.note);
}
double FromUrdf(const Joint& j, double value) {
    return j.kind == MotorKind::Rotational ? value * 180 / std::numbers::pi
                                           : value / UnitOf(j.note);
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
    for (const auto& [room, follower] : followers) {
        const auto leader = leaders.find(follower.note.Mimic);
        if (leader == leaders.end() || leader->second.note.Name == follower.note.Name) continue;
        const double q =
            follower.note.Multiplier.value_or(1) * ToUrdf(leader->second, leader->second.position) +
            follower.note.Offset.value_or(0);
        followers_.emplace(room, FromUrdf(follower, q));
    }
}

std::optional<double> MimicPositions::For(const clsPartRoom& room) const {
    const auto found = followers_.find(&room);
    if (found == followers_.end()) return std::nullopt;
    return found->second;
}

}  // namespace torvane
