#pragma once
// A part room: the definition of one rigid part (shape, size, colour, placement, optional
// motor) and the ordered list of its subparts, each a use of another part room. Part rooms
// are shared (std::shared_ptr): the room collection holds them, and every subpart that
// uses a room holds it too. The graph of uses is kept free of cycles: AttachSubPart refuses
// a use that would close one, and every recursive walk stops with an error instead of
// recursing forever should a cycle have been made by hand.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/IShapes.h"
#include "model/MimicPositions.h"
#include "model/ModelLimits.h"
#include "model/NameWatch.h"
#include "model/PlacementVisitor.h"
#include "model/Records.h"
#include "model/SubPartList.h"
#include "model/UseGraph.h"
#include "model/VbArray.h"
#include "model/clsSubPart.h"

namespace torvane {

class clsPartRoom {
  public:
    clsPartRoom();

    // The subparts in drawing order, positions from 1, keyed by name ignoring case.
    SubPartList SubParts;
    // What the part is drawn through; given by the room collection when it makes the room.
    std::shared_ptr<IShapes> Shapes;
    // The small picture of the room the host shows in its parts bar; the model never reads it.
    std::shared_ptr<void> SnapShot;
    // The selection in the part editor: 0 = the room itself, 1..count = that subpart, or a
    // subpart further down that subpart's tree (SelectPath).
    std::int32_t ActiveSubIndex = 0;

    // Selects the subpart at path: the position of a subpart of this room, then the position
    // of a subpart in the room that one uses, and so on; empty selects the room itself.
    void SelectPath(const std::vector<std::int32_t>& path);
    // The selection as a path from this room: {ActiveSubIndex}, longer when a subpart further
    // down was selected under the same ActiveSubIndex; its steps that no longer exist are left
    // out. Empty when the room itself is selected.
    std::vector<std::int32_t> SelectedPath() const;

    // Defaults of a new room: AsGrid gives a 10 x 10 x 1 "Grid", otherwise a 1 x 1 x 1
    // "AirPlane"; both grey (50, 50, 50), named "Base", joint angles (0, 0, 0), camera at
    // (-12, -10, 8) looking at the origin, no subparts. Motor and placements are kept.
    void Init(bool AsGrid);

    const std::string& Name() const { return partData_.Name; }
    void SetName(const std::string& InName);

    // A full copy of the part record in either direction.
    typPartData PartData() const { return partData_; }
    // The part record's free text (where an imported room keeps its joint notes).
    const std::string& BlankXML() const { return partData_.BlankXML; }
    void SetPartData(const typPartData& InData);
    // The room collections that find this room by name, told when the name changes.
    NameWatch Names;

    // The room as the robot file stores it. Read: the part record, the motor masks and the
    // subpart records at 1..count, or a single empty record at index 0 when there are none.
    // Write: replaces record, masks and subparts (elements 1..upper bound; element 0 is
    // never read). The new subparts use no room yet; the collection relinks them by
    // SavePartName. A failing write (duplicate subpart names) leaves the room unchanged.
    typWrapRoom AllData() const;
    void SetAllData(typWrapRoom InData);

    // Appends InNewPart under its Name. Fails, leaving the list unchanged, with a
    // missing-object error for no subpart, a duplicate-key error when the name is already
    // present (case ignored), and an invalid-argument error when the room it uses is this
    // room or contains it (the use would close a cycle).
    void AttachSubPart(const std::shared_ptr<clsSubPart>& InNewPart);
    // True when no subpart of this room but the one at position InExcept (0: none) is named
    // InName, letter case aside ("Arm" and "ARM" are one name).
    bool SubPartNameFree(const std::string& InName, std::int32_t InExcept = 0) const;
    // Attaches a new subpart holding a copy of InData and using no room yet.
    void AttachSubPartFromData(const typSubPartData& InData);

    // Swap positions MoveMe - 1 and MoveMe (up) or MoveMe and MoveMe + 1 (down). MoveMe must
    // lie in 2..count (up) or 1..count - 1 (down); otherwise a subscript error and
    // the order is kept.
    void MoveSubPartUp(std::int32_t MoveMe);
    void MoveSubPartDown(std::int32_t MoveMe);

    // 0 when InName is this room's own name (exact comparison), else the position of the
    // first subpart whose name (GetSubIndexByName) or whose room's name
    // (GetSubIndexByPartName) equals InName exactly, else -1. Never fail.
    std::int32_t GetSubIndexByName(const std::string& InName) const;
    std::int32_t GetSubIndexByPartName(const std::string& InName) const;

    // Writes into every subpart, through the whole tree, the name of the room it uses.
    // A subpart that uses no room fails with a missing-object error; a tree of more than
    // kMaxExpandedPartOccurrences occurrences fails with an invalid-argument error before
    // anything is written.
    void SetSavePartNames();

    // Zeroes the joint's current attitude and translation; motor position and joint
    // angles stay as they are until the poses of a placement are next stored.
    void ZeroMotor();
    // 0 none, 1 linear, 2 rotational.
    std::int32_t MotorType() const { return partData_.MotorType; }
    // 1, 2, 3: X/Y/Z for a linear motor, Pitch/Yaw/Roll for a rotational one.
    std::int16_t MotorDimension() const { return partData_.MotorDimension; }
    // The motor's own position, which the value of its mask adds to.
    double MotorPosition() const { return partData_.MotorPosition; }

    // Appends one mask per motorised room of this room's tree to BuildMasks, depth first,
    // parent before children, children in list order (the order the placement walk visits
    // them). A subpart that uses no room fails with a missing-object error, a tree of more
    // than kMaxExpandedPartOccurrences occurrences with an invalid-argument error.
    void BuildMotorMasksMap(typMotorMasks& BuildMasks) const;
    // Rebuilds this room's table from its tree. Values are kept only when the number of
    // occurrences is unchanged, and then only where the same name stands at the same place.
    // CountMasks and the three texts are kept. On failure the table is unchanged.
    void MapMotorMasks();
    // MapMotorMasks with the use graph given, as the collection does it for all its rooms at
    // once: graph holds this room as node self, measure is its walk, and descend marks the nodes
    // whose trees hold a motor or a subpart without room (only those are followed).
    void MapMotorMasks(const UseGraph& graph, const UseGraph::Measure& measure, UseGraph::Node self,
                       const std::vector<char>& descend);
    // The descend marks of MapMotorMasks for graph; a cycle in it fails as MeasureTree does.
    static std::vector<char> MotorWalkMarks(const UseGraph& graph,
                                            const UseGraph::Measure& measure);
    // A copy of the room's motor mask table in either direction.
    typMotorMasks MotorMasks() const { return motorMasks_; }
    void SetMotorMasks(const typMotorMasks& InMasks) { motorMasks_ = InMasks; }

    // True when room is this room or is used anywhere below it through subparts. Attaching
    // a subpart that uses R to room P closes a cycle exactly when R.CanReach(P).
    bool CanReach(const clsPartRoom& room) const;

    // Placement walk: places SubPart (a use of this room) and its whole tree, applying the
    // motor masks, and reports it to Visitor: every frame step, motor motion, joint pose and
    // shape in walk order. It reads the rooms and writes nothing into them but the subparts'
    // highlight flags. A tree nested deeper than kMaxPlacementDepth levels or holding more than
    // kMaxExpandedPartOccurrences occurrences is refused with an invalid-argument error
    // before anything is placed or reported.
    void CalculateForwardKinematics(clsSubPart& SubPart, typMotorMasks& MotorMasks,
                                    IPlacementVisitor& Visitor);
    // The same walk drawn on the GL model-view stack through Shapes, with the poses it sets
    // stored in the rooms (also those set before a failure), as the view's drawing stores them.
    // Defined with the GL drawing in render/.
    void CalculateForwardKinematics(clsSubPart& SubPart, typMotorMasks& MotorMasks);
    // One node of the walk: the frame, the joint motion and the shape of this room.
    // Followers (see MimicPositions) take the position Mimic gives them.
    void PlaceMe(clsSubPart& SubPart, typMotorMasks& MotorMasks, IPlacementVisitor& Visitor,
                 const MimicPositions* Mimic = nullptr);
    // For each entry of MotorMasks (index 0 for entry 1), the value that puts a joint that
    // follows another where its leader's entry says (see MimicPositions); none for the others.
    // Empty when no room of the tree follows another. The walk places followers so anyway; the
    // motor table shows these and writes them, so that what drives the motors agrees.
    std::vector<std::optional<double>> FollowerMaskValues(const typMotorMasks& MotorMasks) const;
    // The joint's pose in the part record: what the robot file holds and what a joint without
    // a motor is placed at.
    void SetJointPose(const typJointPose& InPose);
    // (Yaw, Pitch, Roll) of InAttitude at indices 1..3, degrees.
    DoubleArray AttitudeToRotations(const typAttitude& InAttitude) const;
    // The axes the three rotations turn about, indices 1..3: (0,0,-1), (0,-1,0), (1,0,0).
    VbArray<typ3Point> RotationNormals() const;

  private:
    // Marks this room as being on the current recursive walk for the guard's lifetime.
    // Entering a room that is already on the walk means the uses form a cycle; the guard
    // then fails with an invalid-argument error instead of letting the walk recurse
    // without end. Every recursive operation holds one for the room it is working in.
    class WalkGuard {
      public:
        explicit WalkGuard(const clsPartRoom& room);
        ~WalkGuard();
        WalkGuard(const WalkGuard&) = delete;
        WalkGuard& operator=(const WalkGuard&) = delete;

      private:
        const clsPartRoom& room_;
    };

    // The room sub uses; a missing-object error when it uses none.
    clsPartRoom& UsedRoom(const clsSubPart& sub) const;

    // The tree below this room with every use expanded: its occurrences (this room counts
    // one; saturating just above kMaxExpandedPartOccurrences) and its depth in levels (this
    // room alone is 1). Each room is measured once, so the cost is in proportion to rooms and
    // subparts, not to occurrences. Subparts that use no room are not counted; a cycle of
    // uses fails with an invalid-argument error.
    struct TreeSize {
        std::uint64_t occurrences = 1;
        std::int32_t depth = 1;
    };
    TreeSize MeasureTree() const;
    // The size of node self of a measured graph; a cycle fails as MeasureTree describes.
    static TreeSize SizeOf(const UseGraph& graph, const UseGraph::Measure& measure,
                           UseGraph::Node self);
    // Fails with an invalid-argument error that says what cannot be done and why when the
    // tree holds more than kMaxExpandedPartOccurrences occurrences or, for drawing, is nested
    // deeper than kMaxPlacementDepth levels.
    void RequireTreeWithinLimits(const char* operation, bool forDrawing) const;
    void RequireTreeWithinLimits(const char* operation, bool forDrawing, TreeSize size) const;

    // The recursive steps of the public operations, run once the tree has been measured.
    void WriteSavePartNames();
    void AppendMotorMasks(typMotorMasks& BuildMasks, const UseGraph& graph, UseGraph::Node self,
                          const std::vector<char>& descend) const;
    void PlaceTree(clsSubPart& SubPart, typMotorMasks& MotorMasks, IPlacementVisitor& Visitor,
                   const MimicPositions* Mimic);
    // Whether a room of the tree follows another's joint, and the motor positions the walk
    // would give (in walk order, the table's cursor moved as the walk moves it).
    bool HoldsFollower() const;
    void CollectMotorPositions(typMotorMasks& MotorMasks,
                               std::vector<MimicPositions::MotorAt>& Motors) const;
    // This occurrence's motor position (the room's plus its mask's value) and the table's cursor
    // moved past the mask it took.
    double TakeMotorPosition(typMotorMasks& MotorMasks) const;
    // The pose the motor at position gives the joint, from the stored one; none when the
    // motor sets nothing (no motor, an unknown kind, a linear motor without a valid axis).
    std::optional<typJointPose> MotorPose(double position) const;

    typPartData partData_;
    typMotorMasks motorMasks_;
    // The rotation axes, filled from RotationNormals at construction.
    VbArray<typ3Point> rotationAxes_;
    mutable bool onWalk_ = false;
    // The steps of the selection below ActiveSubIndex, and the subpart they were chosen under.
    std::vector<std::int32_t> selectedBelow_;
    const clsSubPart* selectedUnder_ = nullptr;
};

// The room that holds the subpart at path below room (room itself for a path of one step) and
// the subpart's position in it; room and 0 for an empty path or one that leads nowhere.
std::pair<std::shared_ptr<clsPartRoom>, std::int32_t> SubPartAtPath(
    const std::shared_ptr<clsPartRoom>& room, const std::vector<std::int32_t>& path);

}  // namespace torvane
