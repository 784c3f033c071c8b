#include "model/clsPartRoom.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "model/Error.h"

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

void clsPartRoom::Init(bool AsGrid) {
    partData_.ShapeName = AsGrid ? "Grid" : "AirPlane";
    partData_.Size = AsGrid ? Triple(10, 10, 1) : Triple(1, 1, 1);
    partData_.ShapeColor = Triple(50, 50, 50);
    SubParts.Clear();
    partData_.Name = "Base";
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

void clsPartRoom::SetAllData(const typWrapRoom& InData) {
    // Build the new list aside, so a record the list refuses leaves the room as it was.
    std::vector<SubPartList::Entry> entries;
    if (InData.SubParts.IsAllocated())
        for (std::int32_t i = 1; i <= InData.SubParts.UBound(); ++i)
            entries.push_back(std::make_shared<clsSubPart>(InData.SubParts(i)));
    SubPartList staging;
    staging.AddAll(entries);
    partData_ = InData.Part;
    motorMasks_ = InData.MotorMasks;
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

void clsPartRoom::BuildMotorMasksMap(typMotorMasks& BuildMasks) const {
    RequireTreeWithinLimits("have its motors mapped", false);
    AppendMotorMasks(BuildMasks);
}

void clsPartRoom::AppendMotorMasks(typMotorMasks& BuildMasks) const {
    const WalkGuard guard(*this);
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
    for (const auto& sub : SubParts) UsedRoom(*sub).AppendMotorMasks(BuildMasks);
}

void clsPartRoom::MapMotorMasks() {
    typMotorMasks fresh;
    fresh.Masks = VbArray<typMotorMask>(1, {typMotorMask{}});
    BuildMotorMasksMap(fresh);

    typMotorMasks table = motorMasks_;
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
    // Depth-first search with a visited set: a room used many times is searched once, and
    // a cycle made by hand cannot keep the search going.
    std::unordered_set<const clsPartRoom*> visited;
    std::vector<const clsPartRoom*> pending{this};
    while (!pending.empty()) {
        const clsPartRoom* current = pending.back();
        pending.pop_back();
        if (current == &room) return true;
        if (!visited.insert(current).second) continue;
        for (const auto& sub : current->SubParts)
            if (sub->Part) pending.push_back(sub->Part.get());
    }
    return false;
}

clsPartRoom::TreeSize clsPartRoom::MeasureTree() const {
    const auto add = [](TreeSize& parent, const TreeSize& child) {
        constexpr std::uint64_t kOver = kMaxExpandedPartOccurrences + 1;
        parent.occurrences = std::min(kOver, parent.occurrences + child.occurrences);
        parent.depth = std::max(parent.depth, child.depth + 1);
    };
    // Depth first without recursion; a room seen before adds its finished size again, a room
    // still on the path closes a cycle.
    struct Seen {
        bool finished = false;
        TreeSize size;
    };
    std::unordered_map<const clsPartRoom*, Seen> seen;
    struct Step {
        const clsPartRoom* room;
        SubPartList::const_iterator next;
        TreeSize size;
    };
    std::vector<Step> path{{this, SubParts.begin(), {}}};
    seen[this] = {};
    for (;;) {
        Step& top = path.back();
        if (top.next != top.room->SubParts.end()) {
            const clsPartRoom* used = (*top.next++)->Part.get();
            if (!used) continue;
            const auto [it, fresh] = seen.try_emplace(used);
            if (fresh) {
                path.push_back({used, used->SubParts.begin(), {}});
            } else if (!it->second.finished) {
                Raise(ErrorCode::InvalidArgument, "The part room \"" + used->Name() +
                                                      "\" contains itself through its subparts.");
            } else {
                add(top.size, it->second.size);
            }
            continue;
        }
        const TreeSize done = top.size;
        seen[top.room] = {true, done};
        path.pop_back();
        if (path.empty()) return done;
        add(path.back().size, done);
    }
}

void clsPartRoom::RequireTreeWithinLimits(const char* operation, bool forDrawing) const {
    const TreeSize size = MeasureTree();
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

}  // namespace torvane
