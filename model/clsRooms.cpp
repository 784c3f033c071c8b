#include "model/clsRooms.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "model/Error.h"
#include "model/NumberText.h"
#include "model/UseGraph.h"
#include "platform/UserInterface.h"

namespace torvane {
namespace {

using RoomPtr = std::shared_ptr<clsPartRoom>;

}  // namespace

void clsRooms::SetPartRoomIndex(std::int32_t Index) {
    RoomPtr room = rooms_(Index);  // checked first: a bad index changes nothing
    activeIndex_ = Index;
    ActivePartRoom = std::move(room);
}

std::shared_ptr<clsPartRoom> clsRooms::Rooms(std::int32_t Index) const {
    return rooms_(Index);
}

void clsRooms::IndexNames() const {
    byName_.clear();
    byName_.reserve(static_cast<std::size_t>(std::max(TotalRooms, 0)));
    sharedNames_ = false;
    for (std::int32_t i = 1; i <= TotalRooms; ++i)
        sharedNames_ |= !byName_.emplace(rooms_(i)->Name(), rooms_(i)).second;
    namesIndexedAt_ = *renames_;
}

void clsRooms::RefreshNames() const {
    if (namesIndexedAt_ != *renames_) IndexNames();
}

void clsRooms::WatchNames(const std::shared_ptr<clsPartRoom>& room) {
    room->Names.Watch(renames_);
}

std::shared_ptr<clsPartRoom> clsRooms::GetRoomByName(const std::string& InName) const {
    RefreshNames();
    if (sharedNames_) {
        for (std::int32_t i = 1; i <= TotalRooms; ++i)
            if (rooms_(i)->Name() == InName) return rooms_(i);
        return nullptr;
    }
    const auto it = byName_.find(InName);
    return it == byName_.end() ? nullptr : it->second;
}

std::string clsRooms::CreatePartRoom(std::string& NewName, bool AsGrid) {
    if (NewName.empty()) {
        // Number text keeps its leading blank, which gives "Part 3".
        NewName = Host().InputBox("Enter a name for the new PartRoom.",
                                  "Part" + NumberText(TotalRooms + 1));
        if (NewName.empty()) return "";
    }
    if (GetRoomByName(NewName)) {
        Host().MsgBox("The name you have entered is in use.  Operation has been aborted.",
                      MsgButtons::OK);
        return "Error";
    }
    auto room = std::make_shared<clsPartRoom>();
    room->Shapes = Shapes;
    room->Init(AsGrid);
    room->SetName(NewName);
    // A new room is first seen from where the user was looking.
    if (activeIndex_ > 0 && ActivePartRoom) {
        typPartData data = room->PartData();
        data.Camera = ActivePartRoom->PartData().Camera;
        room->SetPartData(data);
    }
    InsertPartRoom(room, TotalRooms + 1);
    SetPartRoomIndex(TotalRooms);
    return "";
}

void clsRooms::InsertPartRoom(const std::shared_ptr<clsPartRoom>& NewPart, std::int32_t PartIndex) {
    if (PartIndex < 1 || PartIndex > TotalRooms + 1)
        Raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
    if (!NewPart) Raise(ErrorCode::MissingObject, "No part room was given to insert.");
    if (GetRoomByName(NewPart->Name()))
        Raise(ErrorCode::DuplicateKey,
              "A part room named \"" + NewPart->Name() + "\" is already in the robot.");
    // A room without subparts that no room uses adds one occurrence, itself; anything else is
    // measured afresh at the next check.
    bool leaf = NewPart->SubParts.Empty();
    if (leaf) {
        const Expansion& measured = MeasuredExpansion();
        leaf = !measured.inclusions.contains(NewPart.get());
        if (leaf && measured.total >= kMaxExpandedPartOccurrences)
            Raise(ErrorCode::InvalidArgument,
                  "The part room \"" + NewPart->Name() + "\" cannot be added: the robot holds " +
                      std::to_string(kMaxExpandedPartOccurrences) +
                      " part occurrences with every use followed, as many as a robot file can "
                      "hold.");
    }
    if (!rooms_.IsAllocated()) rooms_ = VbArray<RoomPtr>(1, std::vector<RoomPtr>{});
    std::vector<RoomPtr>& items = rooms_.Items();
    if (TotalRooms == 0) items.clear();  // the empty slot left by deleting the last room
    items.insert(items.begin() + (PartIndex - 1), NewPart);
    ++TotalRooms;
    WatchNames(NewPart);
    RefreshNames();
    sharedNames_ |= !byName_.emplace(NewPart->Name(), NewPart).second;
    if (PartIndex != TotalRooms) IndexNames();  // the first of a name may have changed
    if (!leaf) {
        ForgetExpansion();
    } else if (expansion_) {
        ++expansion_->total;
        expansion_->inclusions.emplace(NewPart.get(), 1);
    }
}

void clsRooms::DeletePartRoom(std::int32_t PartIndex) {
    if (PartIndex < 1 || PartIndex > TotalRooms)
        Raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
    std::vector<RoomPtr>& items = rooms_.Items();
    items.erase(items.begin() + (PartIndex - 1));
    // With no room left the array keeps one empty slot, so position 1 can still be made
    // "active" and leaves no active room.
    if (items.empty()) items.push_back(nullptr);
    --TotalRooms;
    IndexNames();
    ForgetExpansion();
    SetPartRoomIndex(1);
}

void clsRooms::MoveRoomRight() {
    if (activeIndex_ >= TotalRooms) {
        Host().MsgBox("You Can't move the active room any further to the right.", MsgButtons::OK);
        return;
    }
    if (activeIndex_ < 1) Raise(ErrorCode::MissingObject, "There is no active room to move.");
    std::swap(rooms_(activeIndex_), rooms_(activeIndex_ + 1));
    SetPartRoomIndex(activeIndex_ + 1);
}

void clsRooms::MoveRoomLeft() {
    if (activeIndex_ == 1) {
        Host().MsgBox("You Can't move the active room any further to the left.", MsgButtons::OK);
        return;
    }
    if (activeIndex_ < 1 || activeIndex_ > TotalRooms)
        Raise(ErrorCode::MissingObject, "There is no active room to move.");
    std::swap(rooms_(activeIndex_), rooms_(activeIndex_ - 1));
    SetPartRoomIndex(activeIndex_ - 1);
}

void clsRooms::MapMotorMasks() {
    std::vector<RoomPtr> all;
    all.reserve(static_cast<std::size_t>(std::max(TotalRooms, 0)));
    for (std::int32_t i = 1; i <= TotalRooms; ++i) all.push_back(rooms_(i));
    RebuildMotorTables(all);
}

void clsRooms::RelinkSubPartPointers() {
    // One pass to index the rooms by name (the first room of a name wins, as GetRoomByName
    // finds it) and one to link, so relinking a large robot takes time in proportion to its
    // size rather than to rooms times subparts.
    std::unordered_map<std::string, RoomPtr> byName;
    byName.reserve(static_cast<std::size_t>(std::max(TotalRooms, 0)));
    for (std::int32_t i = 1; i <= TotalRooms; ++i) byName.emplace(rooms_(i)->Name(), rooms_(i));

    struct Link {
        std::shared_ptr<clsSubPart> sub;
        RoomPtr before;
    };
    std::vector<Link> links;
    for (std::int32_t i = 1; i <= TotalRooms; ++i)
        for (const auto& sub : rooms_(i)->SubParts) {
            links.push_back({sub, sub->Part});
            const auto found = byName.find(sub->SavePartName());
            sub->Part = found == byName.end() ? nullptr : found->second;
        }
    // Names may describe a cycle (a damaged file, or names edited by hand): refuse it and
    // put every link back, rather than keep a robot whose walks could never end.
    ForgetExpansion();
    if (const std::string cycle = DescribeCycleOfUses(); !cycle.empty()) {
        for (auto& link : links) link.sub->Part = std::move(link.before);
        Raise(ErrorCode::InvalidArgument, cycle);
    }
}

std::vector<const clsPartRoom*> clsRooms::RoomList() const {
    std::vector<const clsPartRoom*> rooms;
    rooms.reserve(static_cast<std::size_t>(std::max(TotalRooms, 0)));
    for (std::int32_t i = 1; i <= TotalRooms; ++i) rooms.push_back(rooms_(i).get());
    return rooms;
}

std::string clsRooms::DescribeCycleOfUses() const {
    const UseGraph graph = UseGraph::OfRooms(RoomList());
    const UseGraph::Measure measure = graph.Walk();
    if (!measure.cycle) return {};
    const clsPartRoom& closing = *graph.Room(measure.cycle->path.back());
    const auto position = static_cast<std::int32_t>(measure.cycle->closingUse) + 1;
    return "The part room \"" + closing.Name() + "\" would contain itself through the subpart \"" +
           closing.SubParts(position).Name() + "\".";
}

typWrapRooms clsRooms::AllData() const {
    typWrapRooms out;
    if (TotalRooms < 1) return out;
    std::vector<typWrapRoom> rooms;
    rooms.reserve(static_cast<std::size_t>(TotalRooms));
    for (std::int32_t i = 1; i <= TotalRooms; ++i) rooms.push_back(rooms_(i)->AllData());
    out.Rooms = VbArray<typWrapRoom>(1, std::move(rooms));
    return out;
}

void clsRooms::SetAllData(typWrapRooms InData) {
    if (!InData.Rooms.IsAllocated() || InData.Rooms.UBound() < 1)
        Raise(ErrorCode::SubscriptOutOfRange, "The robot holds no part room.");
    if (InData.Rooms.LBound() > 1)
        Raise(ErrorCode::SubscriptOutOfRange, "The robot's part rooms do not start at 1.");
    const std::int32_t total = InData.Rooms.UBound();
    std::vector<RoomPtr> rooms;
    rooms.reserve(static_cast<std::size_t>(total));
    std::unordered_set<std::string_view> names;
    names.reserve(static_cast<std::size_t>(total));
    // Taken from the last record to the first, each record's storage given back once its room
    // is built, so that a large robot is not held twice over.
    std::vector<typWrapRoom>& records = InData.Rooms.Items();
    for (std::int32_t i = total; i >= 1; --i) {
        auto room = std::make_shared<clsPartRoom>();
        room->Shapes = Shapes;
        room->SetAllData(std::move(records.back()));
        records.pop_back();
        if (records.size() < records.capacity() / 2)  // (shrink_to_fit would hide a failure)
            std::vector<typWrapRoom>(std::make_move_iterator(records.begin()),
                                     std::make_move_iterator(records.end()))
                .swap(records);
        if (!names.insert(room->Name()).second)
            Raise(ErrorCode::DuplicateKey,
                  "Two part rooms of the robot are named \"" + room->Name() + "\".");
        rooms.push_back(std::move(room));
    }
    std::reverse(rooms.begin(), rooms.end());
    rooms_ = VbArray<RoomPtr>(1, std::move(rooms));
    TotalRooms = total;
    for (const RoomPtr& room : rooms_.Items()) WatchNames(room);
    IndexNames();
    ForgetExpansion();
    SetPartRoomIndex(1);
}

void clsRooms::ReplaceAllData(typWrapRooms InData) {
    clsRooms fresh;
    fresh.Shapes = Shapes;
    fresh.SetAllData(std::move(InData));
    fresh.RelinkSubPartPointers();
    // Also fails for a subpart whose name matches no room; the fresh set then goes as a whole.
    RebuildMotorTables(fresh.rooms_.Items(), false);
    rooms_ = std::move(fresh.rooms_);
    TotalRooms = fresh.TotalRooms;
    activeIndex_ = fresh.activeIndex_;
    ActivePartRoom = std::move(fresh.ActivePartRoom);
    byName_ = std::move(fresh.byName_);
    sharedNames_ = fresh.sharedNames_;
    renames_ = std::move(fresh.renames_);
    namesIndexedAt_ = fresh.namesIndexedAt_;
    ForgetExpansion();
}

void clsRooms::SetSavePartNames() {
    if (TotalRooms < 1) Raise(ErrorCode::MissingObject, "The robot holds no part room.");
    for (std::int32_t i = 1; i <= TotalRooms; ++i) rooms_(i)->SetSavePartNames();
}

}  // namespace torvane
