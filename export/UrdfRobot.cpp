#include "export/UrdfRobot.h"

#include <cmath>
#include <numbers>
#include <set>

#include "model/Error.h"
#include "shapes/ShapeGeometry.h"

namespace mechanon {
namespace {

std::string UniqueName(const std::string& wanted, std::set<std::string>& taken) {
    std::string name = wanted;
    for (int n = 2; taken.count(name) > 0; ++n) name = wanted + "_" + std::to_string(n);
    taken.insert(name);
    return name;
}

std::string PathName(const std::vector<std::string>& path) {
    std::string name;
    for (const std::string& part : path) name += (name.empty() ? "" : "__") + SafeName(part);
    return name;
}

void FillJoint(UrdfLink& link, const torvane::typPlacedOccurrence& o,
               const torvane::typFrame& worldFromParent, double unit) {
    const torvane::typFrame worldFromJoint = ScaledFrame(o.WorldFromJoint, unit);
    link.ParentFromJoint = worldFromParent.RigidInverse() * worldFromJoint;
    link.JointType = !o.Moves ? "fixed" : (o.Motion.MotorType == 2 ? "revolute" : "prismatic");
    link.Axis = o.Motion.Axis;
    link.JointValue =
        o.Motion.MotorType == 2 ? o.Motion.Value * std::numbers::pi / 180 : o.Motion.Value * unit;
}

}  // namespace

std::string SafeName(const std::string& text) {
    std::string out;
    for (const char ch : text) {
        const bool keep = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                          (ch >= '0' && ch <= '9') || ch == '_' || ch == '-';
        out.push_back(keep ? ch : '_');
    }
    return out.empty() ? "part" : out;
}

std::string MeshFileName(const UrdfLink& link) {
    return link.Name + ".stl";
}

UrdfRobot BuildUrdfRobot(const std::vector<torvane::typPlacedOccurrence>& occurrences,
                         const std::string& robotName, double metresPerUnit) {
    if (!(metresPerUnit > 0) || !std::isfinite(metresPerUnit))
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "the unit must be a positive number of metres per model unit");
    UrdfRobot robot;
    robot.Name = SafeName(robotName);
    robot.MetresPerUnit = metresPerUnit;
    std::set<std::string> taken{kWorldLink};
    for (const torvane::typPlacedOccurrence& o : occurrences) {
        UrdfLink link;
        link.Name = UniqueName(PathName(o.Path), taken);
        link.JointName = link.Name + "_joint";
        link.Parent = o.Parent;
        const torvane::typFrame worldFromParent =
            o.Parent < 0 ? torvane::typFrame{}
                         : robot.Links[static_cast<std::size_t>(o.Parent)].WorldFromLink;
        FillJoint(link, o, worldFromParent, metresPerUnit);
        link.WorldFromLink =
            ScaledFrame(o.Moves ? o.WorldFromMoved : o.WorldFromShape, metresPerUnit);
        link.LinkFromShape =
            link.WorldFromLink.RigidInverse() * ScaledFrame(o.WorldFromShape, metresPerUnit);
        link.ShapeName = o.ShapeName;
        link.Size = o.Size;
        link.Color = o.Color;
        // The mesh is built in metres from the shape's own frame, then carried into the link's.
        torvane::typFrame shapeInLink = link.LinkFromShape;
        for (int r = 0; r < 3; ++r) shapeInLink(r, 3) /= metresPerUnit;
        link.Mesh = ShapeTriangles(o.ShapeName, o.Size, shapeInLink, metresPerUnit);
        robot.Links.push_back(std::move(link));
    }
    return robot;
}

}  // namespace mechanon
