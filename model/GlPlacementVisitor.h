#pragma once
// Follows the placement walk on the GL model-view stack: one push per occurrence, the steps as
// translations and rotations, the axis marker and the shape drawn through each room's shapes
// object. During a world list rebuild the calls are recorded into the list.

#include "model/PlacementVisitor.h"

namespace torvane {

class GlPlacementVisitor final : public IPlacementVisitor {
  public:
    void Enter(const clsSubPart& use, clsPartRoom& room) override;
    void Leave() override;
    void Translate(const typ3Point& by) override;
    void Rotate(double degrees, const typ3Point& axis) override;
    void Move(const typJointMotion& motion) override;
    void Pivot(clsPartRoom& room) override;
    void Shape(clsPartRoom& room, DoubleArray& size, std::string& shapeName, DoubleArray& color,
               std::string& partName, std::string& subPartName) override;
};

}  // namespace torvane
