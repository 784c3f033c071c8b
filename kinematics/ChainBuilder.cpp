#include "kinematics/ChainBuilder.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "export/PosedRoom.h"
#include "kinematics/ChainLinks.h"
#include "model/Error.h"
#include "model/JointNotes.h"
#include "model/clsPartRoom.h"

namespace mechanon {
namespace {

using torvane::typPlacedOccurrence;

constexpr double kDegree = std::numbers::pi / 180;
// A motor moves a joint when one unit of it moves the joint by more than this.
constexpr double kMovesJoint = 1e-12;

std::vector<double> UnitTable(std::size_t entry) {
    std::vector<double> table(entry + 1, 0);
    table[entry] = 1;
    return table;
}

torvane::typMotorMasks MasksAt(const torvane::clsPartRoom& room, const std::vector<double>& table) {
    torvane::typMotorMasks masks = room.MotorMasks();
    for (std::int32_t k = 1;
         k <= masks.TotalMasks && masks.Masks.IsAllocated() && k <= masks.Masks.UBound(); ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        masks.Masks(k).Value = i < table.size() ? table[i] : 0;
    }
    return masks;
}

// The occurrence that owns the link named tip, or the one whose occurrence path is tip.
std::size_t TipOccurrence(const PlacedLinks& placed, const std::string& tip,
                          const std::string& roomName) {
    for (std::size_t i = 0; i < placed.Occurrences.size(); ++i)
        if (placed.Robot.Links[placed.LinkOf[i]].Name == tip) return i;
    for (std::size_t i = 0; i < placed.Occurrences.size(); ++i)
        if (OccurrencePathOf(placed.Occurrences[i]) == tip) {
            // A visual's link is its parent's: the chain ends at the link's own occurrence.
            std::size_t owner = 0;
            while (placed.LinkOf[owner] != placed.LinkOf[i]) ++owner;
            return owner;
        }
    torvane::Raise(torvane::ErrorCode::InvalidArgument,
                   "the room \"" + roomName + "\" has no link or occurrence named \"" + tip + "\"");
}

// The moving occurrences from the room down to the tip, base first.
std::vector<std::size_t> MovingPath(const PlacedLinks& placed, std::size_t tip) {
    std::vector<std::size_t> path;
    for (auto at = static_cast<std::int32_t>(tip); at >= 0;
         at = placed.Occurrences[static_cast<std::size_t>(at)].Parent)
        if (placed.Occurrences[static_cast<std::size_t>(at)].Moves)
            path.insert(path.begin(), static_cast<std::size_t>(at));
    return path;
}

// The mask table entry each motor occurrence of the walk takes (motor i takes entry i), by
// occurrence; and by joint name, the first occurrence that carries the joint (it leads).
struct MotorEntries {
    std::map<std::size_t, std::size_t> entryOf;
    std::map<std::string, std::size_t> jointLeader;
};

MotorEntries EntriesOf(const std::vector<typPlacedOccurrence>& occurrences) {
    MotorEntries entries;
    for (std::size_t i = 0; i < occurrences.size(); ++i) {
        if (occurrences[i].MotorType <= 0) continue;
        const std::size_t entry = entries.entryOf.size();
        entries.entryOf[i] = entry;
        if (const auto note = torvane::ReadJointNotes(occurrences[i].RoomNotes).Joint)
            entries.jointLeader.emplace(note->Name, i);
    }
    return entries;
}

// The entries that may drive the joints of path: each joint's own and, for a follower, its
// leader's (and so on up its leaders).
std::vector<std::size_t> CandidateEntries(const std::vector<typPlacedOccurrence>& occurrences,
                                          const std::vector<std::size_t>& path,
                                          const MotorEntries& entries) {
    std::vector<std::size_t> candidates;
    const auto add = [&candidates, &entries](std::size_t occurrence) {
        const auto found = entries.entryOf.find(occurrence);
        if (found != entries.entryOf.end() &&
            std::find(candidates.begin(), candidates.end(), found->second) == candidates.end())
            candidates.push_back(found->second);
    };
    for (const std::size_t joint : path) {
        add(joint);
        std::size_t at = joint;
        for (std::size_t depth = 0; depth < occurrences.size(); ++depth) {
            const auto note = torvane::ReadJointNotes(occurrences[at].RoomNotes).Joint;
            const auto leader =
                note ? entries.jointLeader.find(note->Mimic) : entries.jointLeader.end();
            if (!note || note->Mimic.empty() || leader == entries.jointLeader.end()) break;
            at = leader->second;
            add(at);
        }
    }
    std::sort(candidates.begin(), candidates.end());
    return candidates;
}

KDL::Frame ToKdl(const RigidFrame& frame) {
    const Eigen::Matrix3d& r = frame.Rotation;
    return KDL::Frame(
        KDL::Rotation(r(0, 0), r(0, 1), r(0, 2), r(1, 0), r(1, 1), r(1, 2), r(2, 0), r(2, 1),
                      r(2, 2)),
        KDL::Vector(frame.Translation(0), frame.Translation(1), frame.Translation(2)));
}

void BuildKdlChain(RobotChain::Impl& chain) {
    chain.Kdl = KDL::Chain();
    chain.Kdl.addSegment(
        KDL::Segment("base", KDL::Joint("base", KDL::Joint::None), ToKdl(chain.Base)));
    for (std::size_t i = 0; i < chain.Joints.size(); ++i) {
        const ChainJoint& joint = chain.Joints[i];
        const std::string name = "joint" + std::to_string(i + 1);
        const KDL::Joint kdlJoint(
            name, KDL::Vector::Zero(), KDL::Vector(joint.Axis(0), joint.Axis(1), joint.Axis(2)),
            joint.Rotational ? KDL::Joint::RotAxis : KDL::Joint::TransAxis, joint.Scale);
        // KDL's joints about or along an axis leave their offset out: the step at 0 goes into
        // the frame after the joint, where it turns or shifts along the same axis.
        RigidFrame offset;
        if (joint.Rotational)
            offset.Rotation = Eigen::AngleAxisd(joint.Offset, joint.Axis).toRotationMatrix();
        else
            offset.Translation = joint.Axis * joint.Offset;
        chain.Kdl.addSegment(
            KDL::Segment("link" + std::to_string(i + 1), kdlJoint, ToKdl(offset * joint.After)));
    }
}

class ChainBuilder {
  public:
    ChainBuilder(torvane::clsPartRoom& room, const std::string& tip)
        : room_(room), placed_(LinksOf(PlaceRoom(room, {}), room.Name())) {
        const std::size_t tipAt = TipOccurrence(placed_, tip, room.Name());
        path_ = MovingPath(placed_, tipAt);
        tipFrame_ = ToRigid(placed_.Robot.Links[placed_.LinkOf[tipAt]].WorldFromLink);
        const auto masks = room.MotorMasks();
        chain_.TableSize = static_cast<std::size_t>(std::max(masks.TotalMasks, 0));
    }

    RobotChain::Impl Build() {
        const MotorEntries entries = EntriesOf(placed_.Occurrences);
        const auto ranges = torvane::MotorRangesOf(room_);
        for (const std::size_t entry : CandidateEntries(placed_.Occurrences, path_, entries))
            if (entry < chain_.TableSize) AddMotor(entry, entries, ranges);
        PlaceJoints();
        MoveFollowers();
        MarkPeriodicMotors();
        BuildKdlChain(chain_);
        return std::move(chain_);
    }

  private:
    // Probes how one unit of the motor at entry moves each joint of the path.
    void AddMotor(std::size_t entry, const MotorEntries& entries,
                  const std::vector<torvane::typMotorRange>& ranges) {
        const auto moved = PlaceRoom(room_, UnitTable(entry));
        std::vector<double> factors;
        bool movesAny = false;
        for (const std::size_t joint : path_) {
            factors.push_back(moved[joint].Motion.Value - placed_.Occurrences[joint].Motion.Value);
            movesAny = movesAny || std::abs(factors.back()) > kMovesJoint;
        }
        if (!movesAny) return;
        const std::size_t motor = chain_.Motors.size();
        chain_.Motors.push_back(static_cast<int>(entry + 1));
        chain_.Ranges.push_back(entry < ranges.size() ? ranges[entry] : torvane::typMotorRange{});
        bool rotational = false;
        for (const auto& [occurrence, e] : entries.entryOf)
            if (e == entry) rotational = placed_.Occurrences[occurrence].MotorType == 2;
        chain_.MotorRotational.push_back(rotational);
        chain_.NaturalScale.push_back(rotational ? kDegree : 1.0);
        for (std::size_t j = 0; j < path_.size(); ++j)
            if (std::abs(factors[j]) > kMovesJoint) {
                if (factorOf_.count(j))
                    torvane::Raise(torvane::ErrorCode::InvalidArgument,
                                   "a joint of the chain moves with two motors");
                factorOf_[j] = {motor, factors[j]};
            }
    }

    // The joints the motors move, with the frames between them as the walk placed them with
    // every motor at 0; a joint no motor moves stays where it stands, inside those frames.
    void PlaceJoints() {
        std::vector<std::size_t> driven;
        for (std::size_t j = 0; j < path_.size(); ++j)
            if (factorOf_.count(j)) driven.push_back(j);
        chain_.Base = tipFrame_;
        double reach = 0;
        Eigen::Vector3d last = Eigen::Vector3d::Zero();
        for (std::size_t n = 0; n < driven.size(); ++n) {
            const typPlacedOccurrence& o = placed_.Occurrences[path_[driven[n]]];
            const RigidFrame joint = ToRigid(o.WorldFromJoint);
            const RigidFrame next =
                n + 1 < driven.size()
                    ? ToRigid(placed_.Occurrences[path_[driven[n + 1]]].WorldFromJoint)
                    : tipFrame_;
            if (n == 0) chain_.Base = joint;
            ChainJoint c;
            c.Rotational = o.Motion.MotorType == 2;
            const double unit = c.Rotational ? kDegree : 1.0;
            const torvane::typ3Point& a = o.Motion.Axis;
            c.Axis = Eigen::Vector3d(a.X, a.Y, a.Z).normalized();
            c.Motor = factorOf_[driven[n]].first;
            c.Scale = factorOf_[driven[n]].second * unit;
            c.Offset = o.Motion.Value * unit;
            c.After = ToRigid(o.WorldFromMoved).Inverse() * next;
            chain_.Joints.push_back(c);
            reach += (joint.Translation - last).norm() * (n > 0);
            last = joint.Translation;
        }
        if (!driven.empty()) reach += (tipFrame_.Translation - last).norm();
        chain_.Reach = reach > 1e-9 ? reach : 1;
    }

    // The table entries of followers that the chain's motors lead, as the motor table shows them.
    void MoveFollowers() {
        const auto base = room_.FollowerMaskValues(MasksAt(room_, {}));
        if (base.empty()) return;
        for (std::size_t m = 0; m < chain_.Motors.size(); ++m) {
            const auto entry = static_cast<std::size_t>(chain_.Motors[m] - 1);
            const auto moved = room_.FollowerMaskValues(MasksAt(room_, UnitTable(entry)));
            for (std::size_t e = 0; e < base.size() && e < moved.size(); ++e)
                if (base[e] && moved[e] && std::abs(*moved[e] - *base[e]) > kMovesJoint)
                    chain_.Followers.push_back({e, m, *base[e], *moved[e] - *base[e]});
        }
    }

    void MarkPeriodicMotors() {
        chain_.Periodic.assign(chain_.Motors.size(), true);
        for (std::size_t m = 0; m < chain_.Motors.size(); ++m)
            chain_.Periodic[m] = chain_.MotorRotational[m];
        for (const FollowerRule& rule : chain_.Followers) chain_.Periodic[rule.Motor] = false;
        for (const ChainJoint& joint : chain_.Joints)
            if (!joint.Rotational ||
                std::abs(std::abs(joint.Scale) - chain_.NaturalScale[joint.Motor]) > 1e-12)
                chain_.Periodic[joint.Motor] = false;
    }

    torvane::clsPartRoom& room_;
    PlacedLinks placed_;
    std::vector<std::size_t> path_;
    RigidFrame tipFrame_;
    std::map<std::size_t, std::pair<std::size_t, double>> factorOf_;  // by index into path_
    RobotChain::Impl chain_;
};

}  // namespace

RobotChain::Impl BuildChain(torvane::clsPartRoom& room, const std::string& tip) {
    return ChainBuilder(room, tip).Build();
}

}  // namespace mechanon
