#include "model/FramePlacementVisitor.h"

#include "model/clsPartRoom.h"

namespace torvane {

void FramePlacementVisitor::Enter(const clsSubPart& use, clsPartRoom& room) {
    typPlacedOccurrence occurrence;
    occurrence.RoomName = room.Name();
    occurrence.RoomNotes = room.BlankXML();
    occurrence.MotorType = room.MotorType();
    occurrence.MotorPosition = room.MotorPosition();
    if (stack_.empty()) {
        occurrence.Path = {room.Name()};
        occurrence.MotorsText = room.MotorMasks().XMLProperties;
        stack_.push_back({typFrame{}, 0});
    } else {
        const std::int32_t parent = stack_.back().occurrence;
        occurrence.Parent = parent;
        occurrence.Path = placed_[static_cast<std::size_t>(parent)].Path;
        occurrence.Path.push_back(use.Name());
        stack_.push_back({stack_.back().worldFromHere, static_cast<std::int32_t>(placed_.size())});
    }
    placed_.push_back(std::move(occurrence));
}

void FramePlacementVisitor::Leave() {
    stack_.pop_back();
}

void FramePlacementVisitor::Translate(const typ3Point& by) {
    typFrame& here = stack_.back().worldFromHere;
    here = here * typFrame::Translation(by);
}

void FramePlacementVisitor::Rotate(double degrees, const typ3Point& axis) {
    typFrame& here = stack_.back().worldFromHere;
    here = here * typFrame::Rotation(degrees, axis);
}

void FramePlacementVisitor::Move(const typJointMotion& motion) {
    typPlacedOccurrence& occurrence = Current();
    occurrence.Moves = true;
    occurrence.Motion = motion;
    occurrence.WorldFromJoint = stack_.back().worldFromHere;
    const typ3Point& a = motion.Axis;
    if (motion.MotorType == 2)
        Rotate(motion.Value, a);
    else
        Translate(typ3Point{a.X * motion.Value, a.Y * motion.Value, a.Z * motion.Value});
    occurrence.WorldFromMoved = stack_.back().worldFromHere;
}

void FramePlacementVisitor::Pose(clsPartRoom& room, const typJointPose& pose) {
    if (poses_) poses_->Add(room, pose);
}

void FramePlacementVisitor::Shape(clsPartRoom&, DoubleArray& size, std::string& shapeName,
                                  DoubleArray& color, std::string&, std::string&) {
    typPlacedOccurrence& occurrence = Current();
    occurrence.ShapeName = shapeName;
    occurrence.Size = size;
    occurrence.Color = color;
    occurrence.WorldFromShape = stack_.back().worldFromHere;
    if (!occurrence.Moves) {
        occurrence.WorldFromJoint = occurrence.WorldFromShape;
        occurrence.WorldFromMoved = occurrence.WorldFromShape;
    }
}

}  // namespace torvane
