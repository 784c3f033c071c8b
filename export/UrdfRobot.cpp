#include "export/UrdfRobot.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

#include "export/JointAxisFrame.h"
#include "model/Error.h"
#include "shapes/ShapeGeometry.h"
#include "toolpath/MotorPropertiesText.h"
#include "toolpath/RoomMotorList.h"

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

// The URDF joint an imported room was made from, where its motor still fits it: the joint frame
// and link frame are the room's turned back by the alignment the import placed it with.
void FillNotedJoint(UrdfLink& link, const torvane::typPlacedOccurrence& o,
                    const torvane::typFrame& worldFromParent, double unit) {
    const torvane::typJointNote& note = *link.Note;
    if (!o.Moves || !note.Axis || (note.Type == "prismatic") != (o.Motion.MotorType == 1)) return;
    const torvane::typFrame linkFromRoom = Alignment(o.Motion.Axis, *note.Axis).RigidInverse();
    link.ParentFromJoint =
        worldFromParent.RigidInverse() * ScaledFrame(o.WorldFromJoint * linkFromRoom, unit);
    link.Axis = *note.Axis;
    link.JointType = note.Type;
    link.WorldFromLink = ScaledFrame(o.WorldFromMoved * linkFromRoom, unit);
}

struct MotorTravel {
    torvane::typMotorRange Range;
    double MaxV = 0;
};

// Each motor occurrence's travel and speed limit, in mask order (the walk's order of motorised
// occurrences), from the motor list of the room the walk started from.
std::vector<MotorTravel> MotorTravels(
    const std::vector<torvane::typPlacedOccurrence>& occurrences) {
    std::vector<MotorTravel> out;
    if (occurrences.empty()) return out;
    const std::string& stored = occurrences.front().MotorsText;
    if (stored.find_first_not_of(" \t\r\n") == std::string::npos) {
        for (const torvane::typPlacedOccurrence& o : occurrences)
            if (o.MotorType > 0)
                out.push_back({torvane::NotedTravel(o.RoomNotes, o.MotorType, o.MotorPosition), 0});
        return out;
    }
    try {
        for (const torvane::typMotorProperties& m :
             torvane::ParseMotorPropertiesText(stored).motors)
            out.push_back({{m.Lower, m.Upper}, m.MaxV});
    } catch (const torvane::Error& e) {
        throw torvane::Error(e.Code(), std::string("the motor list of the room \"") +
                                           occurrences.front().RoomName +
                                           "\" cannot be read: " + e.what());
    }
    return out;
}

// The joint of link as its motor's travel allows it to move, in URDF units.
void FillTravel(UrdfLink& link, const torvane::typPlacedOccurrence& o, const MotorTravel& travel,
                double unit) {
    const torvane::MotorKind kind = torvane::MotorKindOf(o.MotorType);
    const auto urdf = [&](const std::optional<double>& end) -> std::optional<double> {
        if (!end) return std::nullopt;
        return torvane::UrdfValueOfMotorPosition(kind, unit, o.MotorPosition + *end);
    };
    link.Lower = urdf(travel.Range.Lower);
    link.Upper = urdf(travel.Range.Upper);
    link.MaxVelocity =
        travel.MaxV > 0 ? torvane::UrdfValueOfMotorPosition(kind, unit, travel.MaxV) : 0;
    if (kind == torvane::MotorKind::Rotational)
        link.JointType = link.Lower || link.Upper ? "revolute" : "continuous";
}

bool MadeByImport(const std::vector<torvane::typPlacedOccurrence>& occurrences) {
    if (occurrences.empty() || occurrences.front().Moves) return false;
    return std::any_of(occurrences.begin(), occurrences.end(), [](const auto& o) {
        return torvane::ReadJointNotes(o.RoomNotes).Joint.has_value();
    });
}

// The triangles of a visual's room, carried into the frame of the link it belongs to.
void JoinVisual(UrdfLink& link, const torvane::typPlacedOccurrence& o, double unit) {
    const torvane::typFrame linkFromShape =
        link.WorldFromLink.RigidInverse() * ScaledFrame(o.WorldFromShape, unit);
    torvane::typFrame shapeInLink = linkFromShape;
    for (int r = 0; r < 3; ++r) shapeInLink(r, 3) /= unit;
    const auto mesh = ShapeTriangles(o.ShapeName, o.Size, shapeInLink, unit);
    link.Mesh.insert(link.Mesh.end(), mesh.begin(), mesh.end());
    link.JoinedVisuals = !link.ShapeName.empty();
    if (link.ShapeName.empty()) {
        link.ShapeName = o.ShapeName;
        link.Size = o.Size;
        link.Color = o.Color;
        link.LinkFromShape = linkFromShape;
    }
}

UrdfLink PlacedLink(const torvane::typPlacedOccurrence& o, const torvane::typFrame& worldFromParent,
                    double unit) {
    UrdfLink link;
    FillJoint(link, o, worldFromParent, unit);
    link.WorldFromLink = ScaledFrame(o.Moves ? o.WorldFromMoved : o.WorldFromShape, unit);
    return link;
}

void FillShape(UrdfLink& link, const torvane::typPlacedOccurrence& o, double unit) {
    link.LinkFromShape = link.WorldFromLink.RigidInverse() * ScaledFrame(o.WorldFromShape, unit);
    link.ShapeName = o.ShapeName;
    link.Size = o.Size;
    link.Color = o.Color;
    // The mesh is built in metres from the shape's own frame, then carried into the link's.
    torvane::typFrame shapeInLink = link.LinkFromShape;
    for (int r = 0; r < 3; ++r) shapeInLink(r, 3) /= unit;
    link.Mesh = ShapeTriangles(o.ShapeName, o.Size, shapeInLink, unit);
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
    // An imported link keeps its URDF name, which may hold any character.
    return SafeName(link.Name) + ".stl";
}

UrdfRobot BuildUrdfRobot(const std::vector<torvane::typPlacedOccurrence>& occurrences,
                         const std::string& robotName, double metresPerUnit, LinkMeshes meshes) {
    if (!(metresPerUnit > 0) || !std::isfinite(metresPerUnit))
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "the unit must be a positive number of metres per model unit");
    UrdfRobot robot;
    robot.Name = SafeName(robotName);
    robot.MetresPerUnit = metresPerUnit;
    robot.WorldLink = !MadeByImport(occurrences);
    std::set<std::string> taken;
    if (robot.WorldLink) taken.insert(kWorldLink);
    std::set<std::string> jointsTaken;
    // The link each occurrence belongs to: its own, or for a visual the link it shows.
    std::vector<std::int32_t> linkOf;
    const std::vector<MotorTravel> travels = MotorTravels(occurrences);
    std::size_t motors = 0;  // the motorised occurrences so far
    for (const torvane::typPlacedOccurrence& o : occurrences) {
        const std::size_t motor = o.MotorType > 0 ? motors++ : travels.size();
        const torvane::typJointNotes notes =
            robot.WorldLink ? torvane::typJointNotes{} : torvane::ReadJointNotes(o.RoomNotes);
        const std::int32_t parent = o.Parent < 0 ? -1 : linkOf[static_cast<std::size_t>(o.Parent)];
        if (!notes.VisualOf.empty() && parent >= 0 && !o.Moves) {
            if (meshes == LinkMeshes::Built)
                JoinVisual(robot.Links[static_cast<std::size_t>(parent)], o, metresPerUnit);
            linkOf.push_back(parent);
            continue;
        }
        const torvane::typFrame worldFromParent =
            parent < 0 ? torvane::typFrame{}
                       : robot.Links[static_cast<std::size_t>(parent)].WorldFromLink;
        UrdfLink link = PlacedLink(o, worldFromParent, metresPerUnit);
        link.Parent = parent;
        if (robot.WorldLink) {
            link.Name = UniqueName(PathName(o.Path), taken);
            link.JointName = link.Name + "_joint";
        } else {
            link.Name = UniqueName(notes.LinkName.empty() ? o.RoomName : notes.LinkName, taken);
            link.Note = notes.Joint;
            if (link.Note) FillNotedJoint(link, o, worldFromParent, metresPerUnit);
            link.JointName =
                UniqueName(link.Note ? link.Note->Name : link.Name + "_joint", jointsTaken);
        }
        // A motor the list does not reach has no travel limits.
        if (o.Moves)
            FillTravel(link, o, motor < travels.size() ? travels[motor] : MotorTravel{},
                       metresPerUnit);
        if (meshes == LinkMeshes::Built) FillShape(link, o, metresPerUnit);
        linkOf.push_back(static_cast<std::int32_t>(robot.Links.size()));
        robot.Links.push_back(std::move(link));
    }
    return robot;
}

}  // namespace mechanon
