#include "export/JointValues.h"

#include <map>
#include <set>

#include "export/PosedRoom.h"
#include "model/Error.h"
#include "model/JointNotes.h"

namespace mechanon {
namespace {

[[noreturn]] void Refuse(const std::string& message) {
    torvane::Raise(torvane::ErrorCode::InvalidArgument, message);
}

double ModelValue(const torvane::typPlacedOccurrence& o, const torvane::typJointNote& note,
                  double urdfValue) {
    return torvane::MotorPositionOfUrdf(torvane::MotorKindOf(o.MotorType), note, urdfValue);
}

}  // namespace

std::vector<double> PositionsForJoints(torvane::clsPartRoom& room,
                                       const std::vector<std::pair<std::string, double>>& joints) {
    std::map<std::string, double> wanted;
    for (const auto& [name, value] : joints)
        if (!wanted.emplace(name, value).second)
            Refuse("the joint \"" + name + "\" is given twice");
    std::vector<double> positions;
    std::set<std::string> used;
    for (const torvane::typPlacedOccurrence& o : PlaceRoom(room, {})) {
        if (o.MotorType <= 0) continue;
        positions.push_back(0);
        const auto note = torvane::ReadJointNotes(o.RoomNotes).Joint;
        if (!note) continue;
        const auto found = wanted.find(note->Name);
        if (found == wanted.end() || !used.insert(note->Name).second) continue;
        if (!note->Mimic.empty())
            Refuse("the joint \"" + note->Name + "\" follows \"" + note->Mimic +
                   "\" and cannot be set on its own");
        // The walk adds the mask value to the room's own motor position.
        positions.back() = ModelValue(o, *note, found->second) - o.MotorPosition;
    }
    for (const auto& [name, value] : wanted)
        if (!used.count(name)) Refuse("the robot has no moving joint named \"" + name + "\"");
    return positions;
}

std::optional<double> ImportedUnit(torvane::clsPartRoom& room) {
    for (const torvane::typPlacedOccurrence& o : PlaceRoom(room, {}))
        if (const auto note = torvane::ReadJointNotes(o.RoomNotes).Joint; note && note->Unit)
            return note->Unit;
    return std::nullopt;
}

}  // namespace mechanon
