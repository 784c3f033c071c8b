// The document operations of the room collection: the changes the windows make to a robot, each
// checked first, keeping the motor tables in step and returning what it replaced.

#include <algorithm>
#include <utility>

#include "model/Error.h"
#include "model/TextCompare.h"
#include "model/UseGraph.h"
#include "model/clsRooms.h"

namespace torvane {
namespace {

const std::string kOccurrenceLimit = std::to_string(kMaxExpandedPartOccurrences);

// A subpart's room, its tree and how often each room occurs in that tree.
struct Below {
    UseGraph graph;
    UseGraph::Measure measure;
    std::vector<std::uint64_t> paths;
};

Below MeasureBelow(const clsPartRoom& room) {
    Below below{UseGraph::OfRooms({&room}), {}, {}};
    below.measure = below.graph.Walk();
    if (below.measure.cycle)
        Raise(ErrorCode::InvalidArgument,
              "The part room \"" + below.graph.Room(below.measure.cycle->path.front())->Name() +
                  "\" contains itself through its subparts.");
    below.paths = below.graph.Inclusions(below.measure, {1});
    return below;
}

// True when a use of the measured tree's root can change the tables above it: the tree holds a
// motor (it adds masks) or a subpart that uses no room (no table above can be mapped).
bool ReachesTables(const Below& below) {
    return clsPartRoom::MotorWalkMarks(below.graph, below.measure)[0] != 0;
}

bool ReachesTables(const std::shared_ptr<clsPartRoom>& used) {
    if (!used) return true;
    const UseGraph graph = UseGraph::OfRooms({used.get()});
    const UseGraph::Measure measure = graph.Walk();
    return measure.cycle || clsPartRoom::MotorWalkMarks(graph, measure)[0] != 0;
}

// Fails with a missing-object error, naming it, for a subpart of the tree that uses no room.
void RequireLinked(const UseGraph& graph) {
    for (UseGraph::Node n = 0; n < static_cast<UseGraph::Node>(graph.Size()); ++n) {
        const auto& uses = graph.Uses(n);
        const auto unlinked = std::find(uses.begin(), uses.end(), UseGraph::kNoRoom);
        if (unlinked == uses.end()) continue;
        const clsPartRoom& room = *graph.Room(n);
        const auto position = static_cast<std::int32_t>(unlinked - uses.begin()) + 1;
        Raise(ErrorCode::MissingObject, "The subpart \"" + room.SubParts(position).Name() +
                                            "\" of \"" + room.Name() + "\" uses no part room.");
    }
}

}  // namespace

const clsRooms::Expansion& clsRooms::MeasuredExpansion() const {
    if (expansion_) return *expansion_;
    const UseGraph graph = UseGraph::OfRooms(RoomList());
    const UseGraph::Measure measure = graph.Walk();
    if (measure.cycle) Raise(ErrorCode::InvalidArgument, DescribeCycleOfUses());
    const auto rooms = static_cast<std::size_t>(std::max(TotalRooms, 0));
    const std::vector<std::uint64_t> inclusions =
        graph.Inclusions(measure, std::vector<std::uint64_t>(rooms, 1));
    Expansion measured;
    measured.inclusions.reserve(graph.Size());
    for (std::size_t n = 0; n < graph.Size(); ++n) {
        if (n < rooms) measured.total = UseGraph::Add(measured.total, measure.occurrences[n]);
        measured.inclusions.emplace(graph.Room(static_cast<UseGraph::Node>(n)), inclusions[n]);
    }
    return expansion_.emplace(std::move(measured));
}

void clsRooms::RequireWithinLimits(const std::string& operation) const {
    if (MeasuredExpansion().total <= kMaxExpandedPartOccurrences) return;
    Raise(ErrorCode::InvalidArgument,
          "The robot cannot " + operation + ": its part rooms expand to more than " +
              kOccurrenceLimit +
              " part occurrences when every use is followed, more than a robot file can hold.");
}

void clsRooms::RestoreMotorTables(const MotorTables& InTables) {
    for (const auto& [room, table] : InTables) room->SetMotorMasks(table);
}

clsRooms::MotorTables clsRooms::RebuildMotorTables(
    const std::vector<std::shared_ptr<clsPartRoom>>& InRooms, bool InRestorable) {
    MotorTables before;
    before.reserve(InRestorable ? InRooms.size() : 0);
    std::vector<const clsPartRoom*> roots;
    roots.reserve(InRooms.size());
    for (const auto& room : InRooms) {
        if (InRestorable) before.emplace_back(room, room->MotorMasks());
        roots.push_back(room.get());
    }
    // One walk of the rooms' trees together serves every table; roots are nodes 0, 1, ...
    const UseGraph graph = UseGraph::OfRooms(roots);
    const UseGraph::Measure measure = graph.Walk();
    const std::vector<char> descend = clsPartRoom::MotorWalkMarks(graph, measure);
    std::size_t done = 0;
    try {
        for (; done < InRooms.size(); ++done)
            InRooms[done]->MapMotorMasks(graph, measure, static_cast<UseGraph::Node>(done),
                                         descend);
    } catch (...) {
        if (InRestorable)
            RestoreMotorTables(
                MotorTables(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(done)));
        throw;
    }
    std::erase_if(before,
                  [](const auto& entry) { return entry.first->MotorMasks() == entry.second; });
    return before;
}

std::vector<std::shared_ptr<clsPartRoom>> clsRooms::RoomsHolding(const clsPartRoom& InRoom) const {
    const UseGraph graph = UseGraph::OfRooms(RoomList());
    const UseGraph::Measure measure = graph.Walk();
    std::vector<char> marks(graph.Size(), 0);
    const std::optional<UseGraph::Node> node = graph.Find(InRoom);
    if (node) marks[static_cast<std::size_t>(*node)] = 1;
    if (!measure.cycle) marks = graph.TreesHolding(measure, std::move(marks));
    std::vector<std::shared_ptr<clsPartRoom>> holding;
    for (std::int32_t i = 1; i <= TotalRooms; ++i)
        if (measure.cycle || marks[static_cast<std::size_t>(i - 1)]) holding.push_back(rooms_(i));
    return holding;
}

void clsRooms::RebuildTablesAbove(const clsPartRoom& InRoom,
                                  const std::shared_ptr<clsPartRoom>& InUsed, bool InWithRoom) {
    if (!ReachesTables(InUsed)) return;
    std::vector<std::shared_ptr<clsPartRoom>> holding = RoomsHolding(InRoom);
    if (!InWithRoom)
        std::erase_if(holding, [&](const auto& room) { return room.get() == &InRoom; });
    RebuildMotorTables(holding, false);
}

bool clsRooms::PartRoomNameFree(const clsPartRoom& InRoom, const std::string& InName) const {
    const auto named = GetRoomByName(InName);
    if (!named || named.get() == &InRoom) {
        if (!sharedNames_) return true;
        // Two rooms share a name already: look past the first of them.
        for (std::int32_t i = 1; i <= TotalRooms; ++i)
            if (rooms_(i).get() != &InRoom && rooms_(i)->Name() == InName) return false;
        return true;
    }
    return false;
}

clsRooms::PartRecordChange clsRooms::SetPartRecord(clsPartRoom& InRoom, const typPartData& InData) {
    if (InData.Name != InRoom.Name() && !PartRoomNameFree(InRoom, InData.Name))
        Raise(ErrorCode::DuplicateKey,
              "The name " + InData.Name + " is in use by another part room.");
    PartRecordChange change{InRoom.PartData(), {}};
    InRoom.SetPartData(InData);
    const std::string& oldName = change.Before.Name;
    if (InData.MotorType == change.Before.MotorType && InData.Name == oldName) return change;
    // A renamed motor keeps its values: the masks name the room they drive.
    for (std::int32_t i = 1; i <= TotalRooms; ++i) {
        const auto room = rooms_(i);
        typMotorMasks masks = room->MotorMasks();
        if (!masks.Masks.IsAllocated() || oldName.empty() || oldName == InData.Name) continue;
        bool renamed = false;
        for (typMotorMask& mask : masks.Masks.Items())
            if (mask.Name == oldName) {
                mask.Name = InData.Name;
                renamed = true;
            }
        if (!renamed) continue;
        change.Tables.emplace_back(room, room->MotorMasks());
        room->SetMotorMasks(masks);
    }
    MotorTables rebuilt = RebuildMotorTables(RoomsHolding(InRoom));
    // A table both renamed and rebuilt is put back as it was before the rename.
    for (auto& entry : rebuilt)
        if (std::none_of(change.Tables.begin(), change.Tables.end(),
                         [&](const auto& kept) { return kept.first == entry.first; }))
            change.Tables.push_back(std::move(entry));
    return change;
}

clsRooms::MotorTables clsRooms::AttachSubPart(clsPartRoom& InRoom,
                                              const std::shared_ptr<clsSubPart>& InSub) {
    if (!InSub) Raise(ErrorCode::MissingObject, "No subpart was given to attach.");
    if (!InSub->Part)
        Raise(ErrorCode::MissingObject, "The subpart \"" + InSub->Name() + "\" uses no part room.");
    if (GetRoomByName(InRoom.Name()).get() != &InRoom)
        Raise(ErrorCode::MissingObject,
              "The part room \"" + InRoom.Name() + "\" is not a part room of this robot.");
    if (InRoom.SubParts.Contains(InSub->Name()))
        Raise(ErrorCode::DuplicateKey, "A subpart named \"" + InSub->Name() +
                                           "\" is already in the part room \"" + InRoom.Name() +
                                           "\".");
    const Below below = MeasureBelow(*InSub->Part);
    RequireLinked(below.graph);  // no table above could be mapped with it
    const Expansion& measured = MeasuredExpansion();
    const std::uint64_t here = measured.inclusions.at(&InRoom);
    const std::uint64_t grown =
        UseGraph::Add(measured.total, UseGraph::Times(below.measure.occurrences[0], here));
    if (!below.graph.Find(InRoom) && grown > kMaxExpandedPartOccurrences)
        Raise(ErrorCode::InvalidArgument,
              "The subpart \"" + InSub->Name() + "\" cannot be attached to \"" + InRoom.Name() +
                  "\": with it the robot's part rooms would expand to more than " +
                  kOccurrenceLimit +
                  " part occurrences when every use is followed, more than a robot file can "
                  "hold.");
    InRoom.AttachSubPart(InSub);  // refuses a use that closes a cycle
    Expansion& kept = *expansion_;
    kept.total = grown;
    for (std::size_t n = 0; n < below.graph.Size(); ++n) {
        std::uint64_t& count = kept.inclusions[below.graph.Room(static_cast<UseGraph::Node>(n))];
        count = UseGraph::Add(count, UseGraph::Times(here, below.paths[n]));
    }
    // A tree without motors adds no mask: every table stays as it is.
    if (!ReachesTables(below)) return {};
    return RebuildMotorTables(RoomsHolding(InRoom));
}

clsRooms::RemovedSubPart clsRooms::RemoveSubPart(clsPartRoom& InRoom, std::int32_t InIndex) {
    RemovedSubPart removed{InRoom.SubParts.Item(InIndex), InIndex, {}};
    const auto& used = removed.SubPart->Part;
    const bool reaches = ReachesTables(used);
    // The counts shrink by what the use added, unless they had saturated on the way.
    if (expansion_ && used && expansion_->total <= kMaxExpandedPartOccurrences &&
        expansion_->inclusions.contains(&InRoom)) {
        const Below below = MeasureBelow(*used);
        const std::uint64_t here = expansion_->inclusions.at(&InRoom);
        expansion_->total -= below.measure.occurrences[0] * here;
        for (std::size_t n = 0; n < below.graph.Size(); ++n)
            expansion_->inclusions[below.graph.Room(static_cast<UseGraph::Node>(n))] -=
                here * below.paths[n];
    } else {
        ForgetExpansion();
    }
    InRoom.SubParts.Remove(InIndex);
    if (reaches) removed.Tables = RebuildMotorTables(RoomsHolding(InRoom));
    return removed;
}

clsRooms::MotorTables clsRooms::MoveSubPart(clsPartRoom& InRoom, std::int32_t InIndex, bool InUp) {
    if (InUp)
        InRoom.MoveSubPartUp(InIndex);
    else
        InRoom.MoveSubPartDown(InIndex);
    // The table lists occurrences in walk order, which has just changed; it changes only when
    // both subparts add masks (or cannot be mapped).
    const std::int32_t other = InUp ? InIndex - 1 : InIndex + 1;
    if (!ReachesTables(InRoom.SubParts(InIndex).Part) ||
        !ReachesTables(InRoom.SubParts(other).Part))
        return {};
    return RebuildMotorTables(RoomsHolding(InRoom));
}

typSubPartData clsRooms::SetSubPartRecord(clsPartRoom& InRoom, std::int32_t InIndex,
                                          const typSubPartData& InData) {
    clsSubPart& sub = InRoom.SubParts(InIndex);
    if (!InRoom.SubPartNameFree(InData.Name, InIndex))
        Raise(ErrorCode::DuplicateKey,
              "The subpart name " + InData.Name + " is already in use in this part room.");
    typSubPartData before = sub.SubPartData();
    sub.SetSubPartData(InData);
    return before;
}

std::int32_t clsRooms::CountUses(const clsPartRoom& InRoom) const {
    std::int32_t uses = 0;
    for (std::int32_t i = 1; i <= TotalRooms; ++i)
        for (const auto& sub : rooms_(i)->SubParts) uses += sub->Part.get() == &InRoom ? 1 : 0;
    return uses;
}

clsRooms::RemovedRoom clsRooms::RemovePartRoom(std::int32_t InIndex) {
    if (TotalRooms <= 1)
        Raise(ErrorCode::MissingObject,
              "You can't delete the last part room.  A robot needs at least one part room.");
    RemovedRoom removed{rooms_(InIndex), InIndex, {}, {}};
    // The rooms that use the deleted one lose its motors: their tables follow their trees.
    std::vector<std::shared_ptr<clsPartRoom>> holding;
    if (ReachesTables(removed.Room)) {
        holding = RoomsHolding(*removed.Room);
        std::erase(holding, removed.Room);
    }
    for (std::int32_t i = 1; i <= TotalRooms; ++i) {
        const auto room = rooms_(i);
        for (std::int32_t k = room->SubParts.Count(); k >= 1; --k)
            if (room->SubParts(k).Part == removed.Room) {
                removed.Uses.push_back({room, k, room->SubParts.Item(k)});
                room->SubParts.Remove(k);
            }
        if (room->ActiveSubIndex > room->SubParts.Count()) room->ActiveSubIndex = 0;
    }
    DeletePartRoom(InIndex);
    removed.Tables = RebuildMotorTables(holding);
    return removed;
}

}  // namespace torvane
