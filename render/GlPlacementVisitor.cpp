#include "render/GlPlacementVisitor.h"

#include <GL/gl.h>

#include <cmath>

#include "model/clsPartRoom.h"
#include "render/GlMatrixAt.h"
#include "render/WalkSteps.h"

namespace torvane {

double PixelsPerUnitAt(const typScreenScale& view, const typ3Point& point) {
    const double dx = point.X - view.Eye.X, dy = point.Y - view.Eye.Y, dz = point.Z - view.Eye.Z;
    const double depth = dx * view.Forward.X + dy * view.Forward.Y + dz * view.Forward.Z;
    if (!(depth >= view.NearClip) || depth <= 0) return 0;
    // Off the line of sight a ball's image stretches outwards: its long half-axis is the
    // centre's f * distance / depth squared, which is f / depth on the line of sight.
    const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    return view.PixelsAtUnitDepth * distance / (depth * depth);
}

void GlPlacementVisitor::Enter(const clsSubPart&, clsPartRoom&) {
    if (!view_) {
        glPushMatrix();
        return;
    }
    worldFromHere_.push_back(worldFromHere_.empty() ? typFrame{} : worldFromHere_.back());
}

void GlPlacementVisitor::Leave() {
    if (!view_) {
        glPopMatrix();
        return;
    }
    if (!worldFromHere_.empty()) worldFromHere_.pop_back();
}

void GlPlacementVisitor::Follow(const typFrame& step) {
    if (!worldFromHere_.empty()) worldFromHere_.back() = worldFromHere_.back() * step;
}

std::array<double, 16> GlPlacementVisitor::HereColumns() const {
    return ColumnsOf(worldFromHere_.empty() ? typFrame{} : worldFromHere_.back());
}

// A step that moves nothing (most of an occurrence's steps: unturned attitudes, a joint at the
// origin) is skipped. Without a view each step recorded is a command the list replays and, after
// a shape's vertices, a break that ends their batch; with one it is arithmetic only.
void GlPlacementVisitor::Translate(const typ3Point& by) {
    if (by.X == 0 && by.Y == 0 && by.Z == 0) return;
    if (view_)
        Follow(typFrame::Translation(by));
    else
        glTranslated(by.X, by.Y, by.Z);
}

void GlPlacementVisitor::Rotate(double degrees, const typ3Point& axis) {
    if (degrees == 0) return;
    if (view_)
        Follow(typFrame::Rotation(degrees, axis));
    else
        glRotated(degrees, axis.X, axis.Y, axis.Z);
}

void GlPlacementVisitor::Move(const typJointMotion& motion) {
    MoveByTurnOrShift(*this, motion);
}

void GlPlacementVisitor::Pose(clsPartRoom& room, const typJointPose& pose) {
    if (drawn_) drawn_->Add(room, pose);
}

double GlPlacementVisitor::PixelsPerUnitHere() const {
    if (!view_ || worldFromHere_.empty()) return 0;
    const typFrame& here = worldFromHere_.back();
    return PixelsPerUnitAt(*view_, typ3Point{here(0, 3), here(1, 3), here(2, 3)});
}

void GlPlacementVisitor::Pivot(clsPartRoom& room) {
    IShapes& shapes = ShapesOf(room);
    // Without a view the walk does not follow the frames: the matrix is already there.
    if (!view_) {
        shapes.DrawAxes(1, 1, 1, 0);
        return;
    }
    if (!shapes.DrawsMarkersLast()) {
        const MatrixAt there(HereColumns());
        shapes.DrawAxes(1, 1, 1, PixelsPerUnitHere());
        return;
    }
    if (!shapes.ShowAxis()) return;
    typAxisMarkerPlace place;
    place.Columns = HereColumns();
    place.PixelsPerUnit = PixelsPerUnitHere();
    if (markersLast_.empty() || markersLast_.back().first != &shapes)
        markersLast_.push_back({&shapes, {}});
    markersLast_.back().second.push_back(place);
}

void GlPlacementVisitor::DrawMarkersLast() {
    for (auto& [shapes, places] : markersLast_)
        shapes->DrawAxisMarkers(places, IShapes::MarkerParts::Whole);
    markersLast_.clear();
}

void GlPlacementVisitor::Shape(clsPartRoom& room, DoubleArray& size, std::string& shapeName,
                               DoubleArray& color, std::string& partName,
                               std::string& subPartName) {
    IShapes& shapes = ShapesOf(room);
    if (!view_) return shapes.SelectShape(size, shapeName, color, partName, subPartName);
    if (shapes.PlacesShapes())
        return shapes.SelectShapeAt(HereColumns(), size, shapeName, color, partName, subPartName);
    const MatrixAt there(HereColumns());
    shapes.SelectShape(size, shapeName, color, partName, subPartName);
}

}  // namespace torvane
