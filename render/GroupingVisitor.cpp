#include "render/GroupingVisitor.h"

#include "model/clsPartRoom.h"
#include "render/WalkSteps.h"

namespace torvane {
GroupingVisitor::GroupingVisitor(const typScreenScale& view, bool record, JointPoses* drawn)
    : view_(view), record_(record), drawn_(drawn) {
    groups_.push_back({});
}

void GroupingVisitor::Enter(const clsSubPart&, clsPartRoom&) {
    levels_.push_back(levels_.empty() ? Level{0, typFrame{}} : levels_.back());
}

void GroupingVisitor::Leave() {
    if (!levels_.empty()) levels_.pop_back();
}

void GroupingVisitor::Follow(const typFrame& step) {
    if (!levels_.empty()) levels_.back().groupFromHere = levels_.back().groupFromHere * step;
}

// As the view's walk does, a step that moves nothing is skipped, so a group's frames are the
// products the single list's walk forms.
void GroupingVisitor::Translate(const typ3Point& by) {
    if (by.X == 0 && by.Y == 0 && by.Z == 0) return;
    Follow(typFrame::Translation(by));
}

void GroupingVisitor::Rotate(double degrees, const typ3Point& axis) {
    if (degrees == 0) return;
    Follow(typFrame::Rotation(degrees, axis));
}

void GroupingVisitor::Move(const typJointMotion& motion) {
    MoveByTurnOrShift(*this, motion);
}

void GroupingVisitor::Pose(clsPartRoom& room, const typJointPose& pose) {
    if (drawn_) drawn_->Add(room, pose);
}

std::array<double, 16> GroupingVisitor::HereColumns() const {
    return ColumnsOf(levels_.empty() ? typFrame{} : levels_.back().groupFromHere);
}

typFrame GroupingVisitor::WorldFromHere() const {
    if (levels_.empty()) return {};
    const Level& here = levels_.back();
    return groups_[here.group].WorldFromGroup * here.groupFromHere;
}

void GroupingVisitor::Pivot(clsPartRoom& room) {
    IShapes& shapes = ShapesOf(room);
    if (!record_ || levels_.empty() || !shapes.ShowAxis()) return;
    const typFrame world = WorldFromHere();
    const double pixels = PixelsPerUnitAt(view_, typ3Point{world(0, 3), world(1, 3), world(2, 3)});
    typRigidGroup& group = groups_[levels_.back().group];
    if (!shapes.DrawsMarkersLast()) {
        typRecordedShape marker;
        marker.Shapes = &shapes;
        marker.At = HereColumns();
        marker.Marker = true;
        marker.PixelsPerUnit = pixels;
        group.Shapes.push_back(std::move(marker));
        return;
    }
    if (group.Markers.empty() || group.Markers.back().first != &shapes)
        group.Markers.push_back({&shapes, {}});
    group.Markers.back().second.push_back({HereColumns(), pixels});
}

void GroupingVisitor::Shape(clsPartRoom& room, DoubleArray& size, std::string& shapeName,
                            DoubleArray& color, std::string& partName, std::string& subPartName) {
    IShapes& shapes = ShapesOf(room);
    if (levels_.empty()) return;
    // A moving part starts a group at its own frame, which its subtree inherits.
    if (MotorKindOf(room.PartData().MotorType) != MotorKind::None) {
        typRigidGroup opened;
        opened.WorldFromGroup = WorldFromHere();
        opened.OpenedAtShape = shapesPassed_;
        groups_.push_back(std::move(opened));
        levels_.back() = Level{groups_.size() - 1, typFrame{}};
    }
    ++shapesPassed_;
    if (!record_) return;
    typRecordedShape shape;
    shape.Shapes = &shapes;
    shape.At = HereColumns();
    shape.Size = size;
    shape.Color = color;
    shape.ShapeName = shapeName;
    shape.PartName = partName;
    shape.SubPartName = subPartName;
    groups_[levels_.back().group].Shapes.push_back(std::move(shape));
}

}  // namespace torvane
