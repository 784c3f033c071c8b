#pragma once
// The robot document: all part rooms in order (positions 1 to TotalRooms), the active
// room, and the shapes object every room draws through. Room names are unique within the
// collection, compared exactly (letter case matters).

#include <cstdint>
#include <memory>
#include <string>

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
    void SetAllData(const typWrapRooms& InData);
    // Replaces the whole room set at once, as loading a robot needs it: SetAllData,
    // RelinkSubPartPointers and MapMotorMasks are all done on a fresh room set, and only
    // when every step has succeeded is it swapped in. Any failure (no rooms, duplicate
    // names, a subpart naming no room, a cycle of uses) leaves the collection unchanged.
    // Shapes is kept.
    void ReplaceAllData(const typWrapRooms& InData);

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

  private:
    // "" when no room uses itself through the current links; otherwise a message naming a
    // room and the subpart through which it would contain itself.
    std::string DescribeCycleOfUses() const;

    // Positions 1..TotalRooms; a single empty slot at 1 after the last room was deleted;
    // unallocated in a new collection.
    VbArray<std::shared_ptr<clsPartRoom>> rooms_;
    std::int32_t activeIndex_ = 0;
};

}  // namespace torvane
