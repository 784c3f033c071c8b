#pragma once
// The robot document: all part rooms in order (positions 1 to TotalRooms), the active
// room, and the shapes object every room draws through. Room names are unique within the
// collection, compared exactly (letter case matters).
//
// The document operations below are the changes the windows make to a robot. Each is one
// change, checked before anything is changed (a refused change leaves the document as it was),
// keeps the motor mask tables in step with the trees, and returns what it replaced, so that the
// change can be put back. They keep the robot within the limits the robot file is read with
// (kMaxExpandedPartOccurrences over all rooms together), so every robot they build can be saved
// and opened again.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/IShapes.h"
#include "model/Records.h"
#include "model/VbArray.h"
#include "model/clsPartRoom.h"

namespace torvane {

class clsRooms {
  public:
    // The room at the active position; kept equal to Rooms(PartRoomIndex()) by every
    // SetPartRoomIndex. Empty while the collection has no rooms.
    std::shared_ptr<clsPartRoom> ActivePartRoom;
    std::int32_t TotalRooms = 0;
    // Given to every room the collection makes.
    std::shared_ptr<IShapes> Shapes;

    // Swap the active room with its right (left) neighbour and keep it active. At the end
    // a message box says it cannot move further, and nothing changes.
    void MoveRoomRight();
    void MoveRoomLeft();
    // Rebuilds the motor mask table of every room. On failure no table is changed.
    void MapMotorMasks();
    // Points every subpart at the room named by its SavePartName (none if no room has that
    // name). Links that would make a room use itself are refused: an invalid-argument error
    // and every link stays as it was.
    void RelinkSubPartPointers();
    // The first room named exactly InName, or empty.
    std::shared_ptr<clsPartRoom> GetRoomByName(const std::string& InName) const;

    // The collection as the robot file stores it: rooms 1..TotalRooms, or an unallocated
    // array when there are none.
    typWrapRooms AllData() const;
    // Rebuilds the rooms from InData (elements 1..upper bound, the shapes object given to
    // each, subparts left unlinked) and makes the first room active. Fails, leaving the
    // collection unchanged, when InData holds no room (subscript error) or two rooms of
    // the same name (duplicate-key error).
    void SetAllData(typWrapRooms InData);
    // Replaces the whole room set at once, as loading a robot needs it: SetAllData,
    // RelinkSubPartPointers and MapMotorMasks are all done on a fresh room set, and only
    // when every step has succeeded is it swapped in. Any failure (no rooms, duplicate
    // names, a subpart naming no room, a cycle of uses) leaves the collection unchanged.
    // Shapes is kept.
    void ReplaceAllData(typWrapRooms InData);

    // Robot file: Save writes the collection to InPath, Load replaces the rooms by those
    // in the file (through ReplaceAllData, so a failed load changes nothing; running out of
    // memory is a file error).
    void Save(const std::string& InPath);
    void Load(const std::string& InPath);

    // Writes into every subpart of every room the name of the room it uses.
    void SetSavePartNames();

    // The active position: 0 before any room was made active.
    std::int32_t PartRoomIndex() const noexcept { return activeIndex_; }
    // Makes the room at Index active. Index must address the rooms array (1..TotalRooms,
    // or 1 right after the last room was deleted, which leaves no active room); a
    // subscript error otherwise, and nothing changes.
    void SetPartRoomIndex(std::int32_t Index);

    // Makes a new room named NewName at the end and makes it active. With an empty NewName
    // the user is asked for a name (proposed "Part <TotalRooms + 1>"); the answer is
    // written back to NewName. Result: "" on success or when no name was given (NewName
    // then empty, nothing made), "Error" when the name is in use (message shown).
    std::string CreatePartRoom(std::string& NewName, bool AsGrid);
    // Inserts NewPart at PartIndex (1..TotalRooms + 1), moving later rooms up. The active
    // position is not changed. Fails, changing nothing, for an index outside that range
    // (subscript error), no room (missing-object error) or a name already in use
    // (duplicate-key error).
    void InsertPartRoom(const std::shared_ptr<clsPartRoom>& NewPart, std::int32_t PartIndex);
    // Removes the room at PartIndex (1..TotalRooms, a subscript error otherwise) and makes
    // the first room active (none when the last room went). Subparts that used the room
    // are not touched.
    void DeletePartRoom(std::int32_t PartIndex);
    // The room at position Index; a subscript error outside the rooms array.
    std::shared_ptr<clsPartRoom> Rooms(std::int32_t Index) const;

    // ---- Document operations ----

    // Motor mask tables an operation rewrote: each room with its table as it was before.
    using MotorTables = std::vector<std::pair<std::shared_ptr<clsPartRoom>, typMotorMasks>>;
    // Puts tables back as an operation returned them.
    static void RestoreMotorTables(const MotorTables& InTables);

    // True when no room of the collection but InRoom is named InName (exact comparison).
    bool PartRoomNameFree(const clsPartRoom& InRoom, const std::string& InName) const;
    // The rooms of the collection, in order, whose trees hold InRoom (InRoom included): the only
    // rooms a change to InRoom's record or subparts can reach (their tables, their pictures).
    // Every room while the uses form a cycle, so that a rebuild reports it.
    std::vector<std::shared_ptr<clsPartRoom>> RoomsHolding(const clsPartRoom& InRoom) const;
    // The editor's write of a part record, with what it replaced.
    struct PartRecordChange {
        typPartData Before;
        MotorTables Tables;
    };
    // Writes InData into InRoom. When the name or the motor kind changes, the tables follow:
    // masks of the old name take the new one (keeping their values), then every table is
    // rebuilt from its tree. A name another room has fails with a duplicate-key error.
    PartRecordChange SetPartRecord(clsPartRoom& InRoom, const typPartData& InData);

    // Attaches InSub (which names the room it uses) at the end of InRoom's subparts. Fails,
    // changing nothing, with a missing-object error when InSub or its room is missing or InRoom
    // is not in the collection, a duplicate-key error when InRoom has a subpart of that name
    // (case ignored), and an invalid-argument error when the use would close a cycle or take the
    // robot beyond kMaxExpandedPartOccurrences. Returns the tables it rewrote.
    MotorTables AttachSubPart(clsPartRoom& InRoom, const std::shared_ptr<clsSubPart>& InSub);
    struct RemovedSubPart {
        std::shared_ptr<clsSubPart> SubPart;
        std::int32_t Position = 0;
        MotorTables Tables;
    };
    // Removes subpart InIndex (1..count, a subscript error otherwise) of InRoom.
    RemovedSubPart RemoveSubPart(clsPartRoom& InRoom, std::int32_t InIndex);
    // Swaps subpart InIndex with the one above (InUp) or below it; the positions must exist
    // (a subscript error otherwise). The tables follow the new walk order.
    MotorTables MoveSubPart(clsPartRoom& InRoom, std::int32_t InIndex, bool InUp);
    // Writes InData into subpart InIndex of InRoom; its name must not be that of another
    // subpart of the room, letter case aside (a duplicate-key error). Returns the old record.
    typSubPartData SetSubPartRecord(clsPartRoom& InRoom, std::int32_t InIndex,
                                    const typSubPartData& InData);
    // Every use of a room: the room holding the subpart, its position and the subpart.
    struct Use {
        std::shared_ptr<clsPartRoom> Holder;
        std::int32_t Position = 0;
        std::shared_ptr<clsSubPart> SubPart;
    };
    // How many subparts of the collection use InRoom.
    std::int32_t CountUses(const clsPartRoom& InRoom) const;
    struct RemovedRoom {
        std::shared_ptr<clsPartRoom> Room;
        std::int32_t Position = 0;
        std::vector<Use> Uses;  // in the order removed: rooms first to last, last use first
        MotorTables Tables;
    };
    // Removes the room at InIndex and every use of it in the other rooms, makes the first room
    // active (DeletePartRoom) and rebuilds the tables that listed its motors. The last room
    // cannot be removed this way (a missing-object error): a robot needs one.
    RemovedRoom RemovePartRoom(std::int32_t InIndex);

    // The inverses of RemoveSubPart and RemovePartRoom, for a document that is as the removal
    // left it: the subpart (room) goes back to its position, a room's uses go back into their
    // holders at their positions, the tables the removal rebuilt are rebuilt again from the
    // restored trees, and those it returned are put back as they were before it. A position that no
    // longer exists or a name now in use fails, changing nothing.
    void RestoreSubPart(clsPartRoom& InRoom, const RemovedSubPart& InRemoved);
    void RestorePartRoom(const RemovedRoom& InRemoved);
    // The position (1..TotalRooms) of InRoom, or 0 when it is not a room of the collection.
    std::int32_t PositionOf(const clsPartRoom& InRoom) const;

    // Fails with an invalid-argument error, naming operation, when the rooms' trees together
    // expand to more than kMaxExpandedPartOccurrences occurrences.
    void RequireWithinLimits(const std::string& operation) const;

  private:
    // "" when no room uses itself through the current links; otherwise a message naming a
    // room and the subpart through which it would contain itself.
    std::string DescribeCycleOfUses() const;
    std::vector<const clsPartRoom*> RoomList() const;
    // Rebuilds the tables of InRooms (distinct rooms of the collection, in collection order) as
    // MapMotorMasks would, all or none, and returns those that changed, as they were.
    // Without InRestorable, nothing is kept to put back (for a room set that a failure discards):
    // the tables are then left as far as they got, and none is returned.
    static MotorTables RebuildMotorTables(const std::vector<std::shared_ptr<clsPartRoom>>& InRooms,
                                          bool InRestorable = true);
    // What the removing operations rebuild, done again when their removal is put back: the
    // tables of the rooms whose trees hold InRoom (InRoom's own only when InWithRoom), when a use
    // of InUsed brings motors into them.
    void RebuildTablesAbove(const clsPartRoom& InRoom, const std::shared_ptr<clsPartRoom>& InUsed,
                            bool InWithRoom);

    // The name index: exact name -> room, the first room of a name winning. Re-read after any
    // room was renamed; look-ups scan instead while two rooms share a name.
    void RefreshNames() const;
    void IndexNames() const;
    void WatchNames(const std::shared_ptr<clsPartRoom>& room);
    mutable std::unordered_map<std::string, std::shared_ptr<clsPartRoom>> byName_;
    mutable bool sharedNames_ = false;
    mutable std::uint64_t namesIndexedAt_ = 0;
    NameChanges renames_ = std::make_shared<std::uint64_t>(0);

    // What the expansion limit is checked against: the occurrences of all trees together and,
    // per room, how often it occurs in them. Kept up by the operations that change the uses,
    // forgotten by the others (the next check then walks the whole graph again); links set by
    // hand are seen once the collection relinks or is rebuilt.
    struct Expansion {
        std::uint64_t total = 0;
        std::unordered_map<const clsPartRoom*, std::uint64_t> inclusions;
    };
    const Expansion& MeasuredExpansion() const;
    void ForgetExpansion() noexcept { expansion_.reset(); }
    mutable std::optional<Expansion> expansion_;

    // Positions 1..TotalRooms; a single empty slot at 1 after the last room was deleted;
    // unallocated in a new collection.
    VbArray<std::shared_ptr<clsPartRoom>> rooms_;
    std::int32_t activeIndex_ = 0;
};

}  // namespace torvane
