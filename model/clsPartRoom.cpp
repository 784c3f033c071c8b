#include "model/clsPartRoom.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "model/Error.h"
#include "model/TextCompare.h"
#include "model/UseGraph.h"

namespace torvane {
namespace {

// The placement walk and the file rely on joint angles, sizes and colours at indices 1..3.
DoubleArray Triple(double a, double b, double c) {
    return DoubleArray(1, {a, b, c});
}

}  // namespace

clsPartRoom::WalkGuard::WalkGuard(const clsPartRoom& room) : room_(room) {
    if (room_.onWalk_)
        Raise(ErrorCode::InvalidArgument,
              "The part room \"" + room_.Name() + "\" contains itself through its subparts.");
    room_.onWalk_ = true;
}

clsPartRoom::WalkGuard::~WalkGuard() {
    room_.onWalk_ = false;
}

clsPartRoom::clsPartRoom() : rotationAxes_(RotationNormals()) {}

void clsPartRoom::SetName(const std::string& InName) {
    if (InName == partData_.Name) return;
    partData_.Name = InName;
    Names.Changed();
}

void clsPartRoom::SetPartData(const typPartData& InData) {
    const bool renamed = InData.Name != partData_.Name;
    partData_ = InData;
    if (renamed) Names.Changed();
}

void clsPartRoom::Init(bool AsGrid) {
    partData_.ShapeName = AsGrid ? "Grid" : "AirPlane";
    partData_.Size = AsGrid ? Triple(10, 10, 1) : Triple(1, 1, 1);
    partData_.ShapeColor = Triple(50, 50, 50);
    SubParts.Clear();
    SetName("Base");
    partData_.JointAngles = Triple(0, 0, 0);
    partData_.Camera = typCamera{-12, -10, 8, 0, 0, 0};
}

typWrapRoom clsPartRoom::AllData() const {
    typWrapRoom out;
    out.Part = partData_;
    out.MotorMasks = motorMasks_;
    if (SubParts.Empty()) {
        // The file always holds at least one subpart record; this one is never read back.
        out.SubParts = VbArray<typSubPartData>(0, {typSubPartData{}});
        return out;
    }
    std::vector<typSubPartData> records;
    records.reserve(static_cast<std::size_t>(SubParts.Count()));
    for (const auto& sub : SubParts) records.push_back(sub->SubPartData());
    out.SubParts = VbArray<typSubPartData>(1, std::move(records));
    return out;
}

void clsPartRoom::SetAllData(typWrapRoom InData) {
    // Build the new list aside, so a record the list refuses leaves the room as it was.
    std::vector<SubPartList::Entry> entries;
    if (InData.SubParts.IsAllocated())
        for (std::int32_t i = 1; i <= InData.SubParts.UBound(); ++i)
            entries.push_back(std::make_shared<clsSubPart>(std::move(InData.SubParts(i))));
    SubPartList staging;
    staging.AddAll(entries);
    const bool renamed = InData.Part.Name != partData_.Name;
    partData_ = std::move(InData.Part);
    if (renamed) Names.Changed();
    motorMasks_ = std::move(InData.MotorMasks);
    SubParts = std::move(staging);
}

void clsPartRoom::AttachSubPart(const std::shared_ptr<clsSubPart>& InNewPart) {
    if (InNewPart && InNewPart->Part && InNewPart->Part->CanReach(*this)) {
        const std::string used = InNewPart->Part->Name();
        Raise(ErrorCode::InvalidArgument,
              InNewPart->Part.get() == this
                  ? "The part room \"" + Name() + "\" cannot be used as a subpart of itself."
                  : "The part room \"" + used + "\" cannot be used as a subpart of \"" + Name() +
                        "\" because it already contains \"" + Name() + "\".");
    }
    SubParts.Add(InNewPart);
}

bool clsPartRoom::SubPartNameFree(const std::string& InName, std::int32_t InExcept) const {
    const std::int32_t found = SubParts.IndexOf(InName);
    if (found == 0) return true;
    if (found != InExcept) return false;
    // The name is the excepted subpart's own; only another of the same name would take it.
    for (std::int32_t j = found + 1; j <= SubParts.Count(); ++j)
        if (SameTextIgnoringCase(SubParts(j).Name(), InName)) return false;
    return true;
}

void clsPartRoom::AttachSubPartFromData(const typSubPartData& InData) {
    SubParts.Add(std::make_shared<clsSubPart>(InData));
}

void clsPartRoom::MoveSubPartUp(std::int32_t MoveMe) {
    if (MoveMe < 2 || MoveMe > SubParts.Count())
        Raise(ErrorCode::SubscriptOutOfRange, "Subpart " + std::to_string(MoveMe) +
                                                  " cannot move up in a list of " +
                                                  std::to_string(SubParts.Count()) + ".");
    SubParts.Swap(MoveMe - 1, MoveMe);
}

void clsPartRoom::MoveSubPartDown(std::int32_t MoveMe) {
    if (MoveMe < 1 || MoveMe > SubParts.Count() - 1)
        Raise(ErrorCode::SubscriptOutOfRange, "Subpart " + std::to_string(MoveMe) +
                                                  " cannot move down in a list of " +
                                                  std::to_string(SubParts.Count()) + ".");
    SubParts.Swap(MoveMe, MoveMe + 1);
}

std::int32_t clsPartRoom::GetSubIndexByName(const std::string& InName) const {
    if (InName == Name()) return 0;
    std::int32_t i = 1;
    for (const auto& sub : SubParts) {
        if (sub->Name() == InName) return i;
        ++i;
    }
    return -1;
}

std::int32_t clsPartRoom::GetSubIndexByPartName(const std::string& InName) const {
    if (InName == Name()) return 0;
    std::int32_t i = 1;
    for (const auto& sub : SubParts) {
        // A subpart that uses no room matches no name: this look-up never fails.
        if (sub->Part && sub->Part->Name() == InName) return i;
        ++i;
    }
    return -1;
}

clsPartRoom& clsPartRoom::UsedRoom(const clsSubPart& sub) const {
    if (!sub.Part)
        Raise(ErrorCode::MissingObject,
              "The subpart \"" + sub.Name() + "\" of \"" + Name() + "\" uses no part room.");
    return *sub.Part;
}

void clsPartRoom::SetSavePartNames() {
    RequireTreeWithinLimits("have its subparts named for saving", false);
    WriteSavePartNames();
}

void clsPartRoom::WriteSavePartNames() {
    const WalkGuard guard(*this);
    for (const auto& sub : SubParts) {
        clsPartRoom& used = UsedRoom(*sub);
        sub->SetSavePartName(used.Name());
        used.WriteSavePartNames();
    }
}

void clsPartRoom::ZeroMotor() {
    partData_.JointAttitude = typAttitude{};
    partData_.JointTranslation = typ3Point{};
}

std::vector<char> clsPartRoom::MotorWalkMarks(const UseGraph& graph,
                                              const UseGraph::Measure& measure) {
    std::vector<char> marks(graph.Size(), 0);
    for (UseGraph::Node n = 0; n < static_cast<UseGraph::Node>(graph.Size()); ++n) {
        const auto& uses = graph.Uses(n);
        marks[static_cast<std::size_t>(n)] =
            graph.Room(n)->MotorType() > 0 ||
            std::find(uses.begin(), uses.end(), UseGraph::kNoRoom) != uses.end();
    }
    return graph.TreesHolding(measure, std::move(marks));
}

void clsPartRoom::BuildMotorMasksMap(typMotorMasks& BuildMasks) const {
    const UseGraph graph = UseGraph::OfRooms({this});
    const UseGraph::Measure measure = graph.Walk();
    RequireTreeWithinLimits("have its motors mapped", false, SizeOf(graph, measure, 0));
    AppendMotorMasks(BuildMasks, graph, 0, MotorWalkMarks(graph, measure));
}

void clsPartRoom::AppendMotorMasks(typMotorMasks& BuildMasks, const UseGraph& graph,
                                   UseGraph::Node self, const std::vector<char>& descend) const {
    if (MotorType() > 0) {
        ++BuildMasks.TotalMasks;
        // An unallocated table starts at index 1, as every mask table does.
        if (BuildMasks.Masks.IsAllocated())
            BuildMasks.Masks.ReDimPreserve(BuildMasks.TotalMasks);
        else
            BuildMasks.Masks.ReDim(1, BuildMasks.TotalMasks);
        typMotorMask& added = BuildMasks.Masks(BuildMasks.TotalMasks);
        added.Name = Name();
        added.Value = 0;
    }
    // Trees without a motor add nothing; they are not gone through occurrence by occurrence.
    const std::vector<UseGraph::Node>& uses = graph.Uses(self);
    std::size_t k = 0;
    for (const auto& sub : SubParts) {
        const UseGraph::Node used = uses[k++];
        if (used != UseGraph::kNoRoom && !descend[static_cast<std::size_t>(used)]) continue;
        UsedRoom(*sub).AppendMotorMasks(BuildMasks, graph, used, descend);
    }
}

void clsPartRoom::MapMotorMasks() {
    const UseGraph graph = UseGraph::OfRooms({this});
    const UseGraph::Measure measure = graph.Walk();
    MapMotorMasks(graph, measure, 0, MotorWalkMarks(graph, measure));
}

void clsPartRoom::MapMotorMasks(const UseGraph& graph, const UseGraph::Measure& measure,
                                UseGraph::Node self, const std::vector<char>& descend) {
    RequireTreeWithinLimits("have its motors mapped", false, SizeOf(graph, measure, self));
    typMotorMasks fresh;
    fresh.Masks = VbArray<typMotorMask>(1, {typMotorMask{}});
    AppendMotorMasks(fresh, graph, self, descend);

    // The old table is not needed past this point: nothing below can fail.
    typMotorMasks table = std::move(motorMasks_);
    if (table.TotalMasks == fresh.TotalMasks) {
        for (std::int32_t i = 1; i <= fresh.TotalMasks; ++i) {
            // A stored table may be shorter than its count says; such a mask keeps nothing.
            if (!table.Masks.IsAllocated() || i < table.Masks.LBound() || i > table.Masks.UBound())
                continue;
            if (table.Masks(i).Name == fresh.Masks(i).Name)
                fresh.Masks(i).Value = table.Masks(i).Value;
        }
    }
    table.Masks = std::move(fresh.Masks);
    table.TotalMasks = fresh.TotalMasks;
    motorMasks_ = std::move(table);
}

bool clsPartRoom::CanReach(const clsPartRoom& room) const {
    return UseGraph::OfRooms({this}).Find(room).has_value();
}

clsPartRoom::TreeSize clsPartRoom::MeasureTree() const {
    const UseGraph graph = UseGraph::OfRooms({this});
    return SizeOf(graph, graph.Walk(), 0);
}

clsPartRoom::TreeSize clsPartRoom::SizeOf(const UseGraph& graph, const UseGraph::Measure& measure,
                                          UseGraph::Node self) {
    if (measure.cycle)
        Raise(ErrorCode::InvalidArgument, "The part room \"" +
                                              graph.Room(measure.cycle->path.front())->Name() +
                                              "\" contains itself through its subparts.");
    const auto at = static_cast<std::size_t>(self);
    return {measure.occurrences[at], measure.depth[at]};
}

void clsPartRoom::RequireTreeWithinLimits(const char* operation, bool forDrawing) const {
    RequireTreeWithinLimits(operation, forDrawing, MeasureTree());
}

void clsPartRoom::RequireTreeWithinLimits(const char* operation, bool forDrawing,
                                          TreeSize size) const {
    if (size.occurrences > kMaxExpandedPartOccurrences)
        Raise(ErrorCode::InvalidArgument,
              "The part room \"" + Name() + "\" cannot " + operation +
                  ": with every use of its subparts followed it holds more than " +
                  std::to_string(kMaxExpandedPartOccurrences) +
                  " part occurrences, too many to go through in reasonable time.");
    if (forDrawing && size.depth > kMaxPlacementDepth)
        Raise(ErrorCode::InvalidArgument,
              "The part room \"" + Name() + "\" cannot " + operation + ": its subparts nest " +
                  std::to_string(size.depth) + " levels deep, and at most " +
                  std::to_string(kMaxPlacementDepth) + " levels can be placed.");
}

DoubleArray clsPartRoom::AttitudeToRotations(const typAttitude& InAttitude) const {
    return Triple(InAttitude.Yaw, InAttitude.Pitch, InAttitude.Roll);
}

VbArray<typ3Point> clsPartRoom::RotationNormals() const {
    return VbArray<typ3Point>(1, {typ3Point{0, 0, -1}, typ3Point{0, -1, 0}, typ3Point{1, 0, 0}});
}

void clsPartRoom::SelectPath(const std::vector<std::int32_t>& path) {
    ActiveSubIndex = path.empty() ? 0 : path.front();
    const bool deeper =
        path.size() > 1 && ActiveSubIndex >= 1 && ActiveSubIndex <= SubParts.Count();
    selectedBelow_ = deeper ? std::vector<std::int32_t>(path.begin() + 1, path.end())
                            : std::vector<std::int32_t>{};
    selectedUnder_ = deeper ? &SubParts(ActiveSubIndex) : nullptr;
}

std::vector<std::int32_t> clsPartRoom::SelectedPath() const {
    if (ActiveSubIndex < 1 || ActiveSubIndex > SubParts.Count()) return {};
    std::vector<std::int32_t> path{ActiveSubIndex};
    // The steps below count only under the subpart they were chosen in.
    if (selectedUnder_ != &SubParts(ActiveSubIndex)) return path;
    const clsPartRoom* room = SubParts(ActiveSubIndex).Part.get();
    for (const std::int32_t position : selectedBelow_) {
        if (!room || position < 1 || position > room->SubParts.Count()) break;
        path.push_back(position);
        room = room->SubParts(position).Part.get();
    }
    return path;
}

std::pair<std::shared_ptr<clsPartRoom>, std::int32_t> SubPartAtPath(
    const std::shared_ptr<clsPartRoom>& room, const std::vector<std::int32_t>& path) {
    std::shared_ptr<clsPartRoom> holder = room;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const std::int32_t position = path[i];
        if (!holder || position < 1 || position > holder->SubParts.Count()) return {room, 0};
        if (i + 1 == path.size()) return {holder, position};
        holder = holder->SubParts(position).Part;
    }
    return {room, 0};
}

}  // namespace torvane
