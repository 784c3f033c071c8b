#include "model/clsRooms.h"

#include <algorithm>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/Error.h"
#include "model/NumberText.h"
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

std::shared_ptr<clsPartRoom> clsRooms::GetRoomByName(const std::string& InName) const {
    for (std::int32_t i = 1; i <= TotalRooms; ++i)
        if (rooms_(i)->Name() == InName) return rooms_(i);
    return nullptr;
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
    std::vector<RoomPtr> rooms;
    rooms.reserve(static_cast<std::size_t>(TotalRooms) + 1);
    for (std::int32_t i = 1; i <= TotalRooms; ++i) rooms.push_back(rooms_(i));
    rooms.insert(rooms.begin() + (PartIndex - 1), NewPart);
    rooms_ = VbArray<RoomPtr>(1, std::move(rooms));
    ++TotalRooms;
}

void clsRooms::DeletePartRoom(std::int32_t PartIndex) {
    if (PartIndex < 1 || PartIndex > TotalRooms)
        Raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
    std::vector<RoomPtr> rooms;
    for (std::int32_t i = 1; i <= TotalRooms; ++i)
        if (i != PartIndex) rooms.push_back(rooms_(i));
    // With no room left the array keeps one empty slot, so position 1 can still be made
    // "active" and leaves no active room.
    if (rooms.empty()) rooms.push_back(nullptr);
    rooms_ = VbArray<RoomPtr>(1, std::move(rooms));
    --TotalRooms;
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
    // Rebuild every table; should one room fail, put back the tables already rebuilt.
    std::vector<typMotorMasks> before;
    before.reserve(static_cast<std::size_t>(TotalRooms));
    for (std::int32_t i = 1; i <= TotalRooms; ++i) before.push_back(rooms_(i)->MotorMasks());
    std::int32_t i = 1;
    try {
        for (; i <= TotalRooms; ++i) rooms_(i)->MapMotorMasks();
    } catch (...) {
        for (std::int32_t k = 1; k < i; ++k)
            rooms_(k)->SetMotorMasks(before[static_cast<std::size_t>(k - 1)]);
        throw;
    }
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
    if (const std::string cycle = DescribeCycleOfUses(); !cycle.empty()) {
        for (auto& link : links) link.sub->Part = std::move(link.before);
        Raise(ErrorCode::InvalidArgument, cycle);
    }
}

std::string clsRooms::DescribeCycleOfUses() const {
    // Depth first over the rooms without recursion (a chain of thousands of rooms must not
    // exhaust the stack), each room finished once: linear in rooms plus subparts.
    enum class Mark : unsigned char { New, OnPath, Done };
    std::unordered_map<const clsPartRoom*, Mark> marks;
    marks.reserve(static_cast<std::size_t>(std::max(TotalRooms, 0)));
    struct Step {
        const clsPartRoom* room;
        SubPartList::const_iterator next;
    };
    std::vector<Step> path;
    for (std::int32_t i = 1; i <= TotalRooms; ++i) {
        const clsPartRoom* start = rooms_(i).get();
        if (marks[start] != Mark::New) continue;
        marks[start] = Mark::OnPath;
        path.push_back({start, start->SubParts.begin()});
        while (!path.empty()) {
            Step& top = path.back();
            if (top.next == top.room->SubParts.end()) {
                marks[top.room] = Mark::Done;
                path.pop_back();
                continue;
            }
            const clsSubPart& sub = **top.next++;
            const clsPartRoom* used = sub.Part.get();
            if (!used) continue;
            Mark& mark = marks[used];
            if (mark == Mark::OnPath)
                return "The part room \"" + top.room->Name() +
                       "\" would contain itself through the subpart \"" + sub.Name() + "\".";
            if (mark == Mark::New) {
                mark = Mark::OnPath;
                path.push_back({used, used->SubParts.begin()});
            }
        }
    }
    return {};
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

void clsRooms::SetAllData(const typWrapRooms& InData) {
    if (!InData.Rooms.IsAllocated() || InData.Rooms.UBound() < 1)
        Raise(ErrorCode::SubscriptOutOfRange, "The robot holds no part room.");
    const std::int32_t total = InData.Rooms.UBound();
    std::vector<RoomPtr> rooms;
    rooms.reserve(static_cast<std::size_t>(total));
    std::set<std::string> names;
    for (std::int32_t i = 1; i <= total; ++i) {
        auto room = std::make_shared<clsPartRoom>();
        room->Shapes = Shapes;
        room->SetAllData(InData.Rooms(i));
        if (!names.insert(room->Name()).second)
            Raise(ErrorCode::DuplicateKey,
                  "Two part rooms of the robot are named \"" + room->Name() + "\".");
        rooms.push_back(std::move(room));
    }
    rooms_ = VbArray<RoomPtr>(1, std::move(rooms));
    TotalRooms = total;
    SetPartRoomIndex(1);
}

void clsRooms::ReplaceAllData(const typWrapRooms& InData) {
    clsRooms fresh;
    fresh.Shapes = Shapes;
    fresh.SetAllData(InData);
    fresh.RelinkSubPartPointers();
    fresh.MapMotorMasks();  // also fails for a subpart whose name matches no room
    rooms_ = std::move(fresh.rooms_);
    TotalRooms = fresh.TotalRooms;
    activeIndex_ = fresh.activeIndex_;
    ActivePartRoom = std::move(fresh.ActivePartRoom);
}

void clsRooms::SetSavePartNames() {
    if (TotalRooms < 1) Raise(ErrorCode::MissingObject, "The robot holds no part room.");
    for (std::int32_t i = 1; i <= TotalRooms; ++i) rooms_(i)->SetSavePartNames();
}

}  // namespace torvane
