#pragma once
// Follows the placement walk and splits the world into rigid groups: the walk's first frame is
// group 0, and every occurrence of a room with a motor opens a group of its own at its shape,
// holding that shape and the occurrence's whole subtree (down to the next motor). Within a
// group everything is recorded relative to the group's frame: a change of motor values moves
// whole groups and changes nothing inside them. Recording draws nothing; a walk for the frames
// alone records only where each group stands.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/Frame.h"
#include "model/IShapes.h"
#include "model/JointPoses.h"
#include "model/PlacementVisitor.h"
#include "render/GlPlacementVisitor.h"

namespace torvane {

// One part's drawing in its group's frame (column-major At), or, for a shapes object that draws
// its markers where they stand, one axis marker there.
struct typRecordedShape {
    IShapes* Shapes = nullptr;
    std::array<double, 16> At{};
    bool Marker = false;
    double PixelsPerUnit = 0;  // a marker's, as the walk saw it
    DoubleArray Size;
    DoubleArray Color;
    std::string ShapeName;
    std::string PartName;
    std::string SubPartName;
};

// The markers one shapes object draws after everything else, in the group's frame.
using MarkerBatch = std::pair<IShapes*, std::vector<typAxisMarkerPlace>>;

struct typRigidGroup {
    typFrame WorldFromGroup;        // relative to the walk's first frame
    std::size_t OpenedAtShape = 0;  // the count of shapes the walk had passed when it opened
    std::vector<typRecordedShape> Shapes;
    std::vector<MarkerBatch> Markers;
};

class GroupingVisitor final : public IPlacementVisitor {
  public:
    // record false: only the groups' frames (and the joint poses, given drawn).
    GroupingVisitor(const typScreenScale& view, bool record, JointPoses* drawn = nullptr);

    void Enter(const clsSubPart& use, clsPartRoom& room) override;
    void Leave() override;
    void Translate(const typ3Point& by) override;
    void Rotate(double degrees, const typ3Point& axis) override;
    void Move(const typJointMotion& motion) override;
    void Pose(clsPartRoom& room, const typJointPose& pose) override;
    void Pivot(clsPartRoom& room) override;
    void Shape(clsPartRoom& room, DoubleArray& size, std::string& shapeName, DoubleArray& color,
               std::string& partName, std::string& subPartName) override;

    std::vector<typRigidGroup>& Groups() { return groups_; }
    // The shapes the walk passed, drawn or not.
    std::size_t ShapesPassed() const noexcept { return shapesPassed_; }

  private:
    struct Level {
        std::size_t group;
        typFrame groupFromHere;
    };
    void Follow(const typFrame& step);
    std::array<double, 16> HereColumns() const;
    typFrame WorldFromHere() const;

    typScreenScale view_;
    bool record_;
    JointPoses* drawn_;
    std::vector<Level> levels_;
    std::vector<typRigidGroup> groups_;
    std::size_t shapesPassed_ = 0;
};

}  // namespace torvane
