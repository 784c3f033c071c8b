#pragma once
// Follows the placement walk with matrices instead of the GL stack and keeps, for every
// occurrence of the room's tree, where it stands: its path of names, its parent, its shape and
// the frames around its motor. Nothing is drawn; no GL context is needed.

#include <cstdint>
#include <string>
#include <vector>

#include "model/Frame.h"
#include "model/JointPoses.h"
#include "model/PlacementVisitor.h"

namespace torvane {

struct typPlacedOccurrence {
    // The room's own name first, then the name of each use on the way down.
    std::vector<std::string> Path;
    std::int32_t Parent = -1;  // index of the parent occurrence; -1 for the room itself
    std::string RoomName;
    std::string RoomNotes;  // the room's BlankXML, where an imported room keeps its joint notes
    std::int16_t MotorType = 0;  // the room's: 0 none, 1 linear, 2 rotational
    double MotorPosition = 0;    // the room's own motor position, which a mask value adds to
    // For the room the walk starts from, its stored motor list (the properties text of its mask
    // table; empty when it stores none); empty for every other occurrence.
    std::string MotorsText;
    std::string ShapeName;
    DoubleArray Size;   // full sizes, indices 1..3
    DoubleArray Color;  // percent, indices 1..3
    typFrame WorldFromShape;
    // A motor that moves: the frame before its step, the step, the frame after it. Without one
    // both frames are WorldFromShape.
    bool Moves = false;
    typJointMotion Motion;
    typFrame WorldFromJoint;
    typFrame WorldFromMoved;
};

class FramePlacementVisitor final : public IPlacementVisitor {
  public:
    // Given placed, the joint poses the walk sets are kept there, for a caller that stores them.
    explicit FramePlacementVisitor(JointPoses* placed = nullptr) : poses_(placed) {}

    void Enter(const clsSubPart& use, clsPartRoom& room) override;
    void Leave() override;
    void Translate(const typ3Point& by) override;
    void Rotate(double degrees, const typ3Point& axis) override;
    void Move(const typJointMotion& motion) override;
    void Pose(clsPartRoom& room, const typJointPose& pose) override;
    void Pivot(clsPartRoom&) override {}
    void Shape(clsPartRoom& room, DoubleArray& size, std::string& shapeName, DoubleArray& color,
               std::string& partName, std::string& subPartName) override;

    // In walk order: parents before children, children in list order.
    const std::vector<typPlacedOccurrence>& Occurrences() const noexcept { return placed_; }

  private:
    struct Level {
        typFrame worldFromHere;
        std::int32_t occurrence;
    };
    typPlacedOccurrence& Current() {
        return placed_[static_cast<std::size_t>(stack_.back().occurrence)];
    }

    std::vector<Level> stack_;
    std::vector<typPlacedOccurrence> placed_;
    JointPoses* poses_ = nullptr;
};

}  // namespace torvane
