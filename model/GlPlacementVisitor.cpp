#include "model/GlPlacementVisitor.h"

#include <GL/gl.h>

#include "model/Error.h"
#include "model/clsPartRoom.h"

namespace torvane {
namespace {

IShapes& ShapesOf(const clsPartRoom& room) {
    if (!room.Shapes)
        Raise(ErrorCode::MissingObject,
              "The part room \"" + room.Name() + "\" has no shapes object to draw with.");
    return *room.Shapes;
}

}  // namespace

void GlPlacementVisitor::Enter(const clsSubPart&, clsPartRoom&) {
    glPushMatrix();
}

void GlPlacementVisitor::Leave() {
    glPopMatrix();
}

void GlPlacementVisitor::Translate(const typ3Point& by) {
    glTranslated(by.X, by.Y, by.Z);
}

void GlPlacementVisitor::Rotate(double degrees, const typ3Point& axis) {
    glRotated(degrees, axis.X, axis.Y, axis.Z);
}

void GlPlacementVisitor::Move(const typJointMotion& motion) {
    const typ3Point& a = motion.Axis;
    if (motion.MotorType == 2)
        glRotated(motion.Value, a.X, a.Y, a.Z);
    else
        glTranslated(a.X * motion.Value, a.Y * motion.Value, a.Z * motion.Value);
}

void GlPlacementVisitor::Pivot(clsPartRoom& room) {
    ShapesOf(room).DrawAxes(1, 1, 1);
}

void GlPlacementVisitor::Shape(clsPartRoom& room, DoubleArray& size, std::string& shapeName,
                               DoubleArray& color, std::string& partName,
                               std::string& subPartName) {
    ShapesOf(room).SelectShape(size, shapeName, color, partName, subPartName);
}

}  // namespace torvane
