#pragma once
// Draws the placement walk through each room's shapes object. Without a view it follows the walk
// on the GL model-view stack: one push per occurrence, the steps as translations and rotations,
// the axis marker and the shape drawn in place. With a view it follows the frames itself and
// leaves the matrix alone between parts: shapes objects that place their parts get each part's
// frame, the others get the matrix moved to it for that part only. During a world list rebuild
// the calls are recorded into the list.

#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "model/Frame.h"
#include "model/IShapes.h"
#include "model/JointPoses.h"
#include "model/PlacementVisitor.h"

namespace torvane {

// Where the world is seen from, so the walk can tell how large each axis marker will appear:
// the eye and the unit direction it looks along (model units), the near clipping distance, and
// the pixels one model unit covers at a depth of one unit (half the viewport's height over the
// tangent of half the vertical field of view).
struct typScreenScale {
    typ3Point Eye;
    typ3Point Forward;
    double NearClip = 0;
    double PixelsAtUnitDepth = 0;
};

// Pixels per model unit on screen for something small at point (model units) seen from view; 0
// for a point in front of the near plane or a view without a size, where it means nothing.
double PixelsPerUnitAt(const typScreenScale& view, const typ3Point& point);

class GlPlacementVisitor final : public IPlacementVisitor {
  public:
    // Without a view every marker is drawn at its finest. Given drawn, the joint poses the walk
    // sets are kept there, for a caller that stores the poses it shows.
    explicit GlPlacementVisitor(JointPoses* drawn = nullptr) : drawn_(drawn) {}
    explicit GlPlacementVisitor(const typScreenScale& view, JointPoses* drawn = nullptr)
        : view_(view), drawn_(drawn) {}

    void Enter(const clsSubPart& use, clsPartRoom& room) override;
    void Leave() override;
    void Translate(const typ3Point& by) override;
    void Rotate(double degrees, const typ3Point& axis) override;
    void Move(const typJointMotion& motion) override;
    void Pose(clsPartRoom& room, const typJointPose& pose) override;
    void Pivot(clsPartRoom& room) override;
    void Shape(clsPartRoom& room, DoubleArray& size, std::string& shapeName, DoubleArray& color,
               std::string& partName, std::string& subPartName) override;
    // Draws the markers whose shapes object draws them last (IShapes::DrawsMarkersLast), each
    // at the frame the walk had at it; call it once after the walk, also after a walk that
    // failed half way, at the frame the walk started in.
    void DrawMarkersLast();

  private:
    // PixelsPerUnitAt the current frame's origin; 0 without a view.
    double PixelsPerUnitHere() const;
    void Follow(const typFrame& step);
    // The current frame relative to the walk's first, column-major; only with a view.
    std::array<double, 16> HereColumns() const;

    std::optional<typScreenScale> view_;
    JointPoses* drawn_ = nullptr;
    // The frames of the walk's open occurrences, followed only when there is a view.
    std::vector<typFrame> worldFromHere_;
    // The markers still to draw, by the shapes object that draws them, in walk order.
    std::vector<std::pair<IShapes*, std::vector<typAxisMarkerPlace>>> markersLast_;
};

}  // namespace torvane
