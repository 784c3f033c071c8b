#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <variant>

#include "export/FiniteOutput.h"
#include "export/UrdfRobot.h"
#include "shapes/ShapeRegistry.h"

namespace mechanon {
namespace {

// The shortest text that reads back as the same double, independent of any locale.
std::string Number(double value) {
    Writable(value, false, "a number");
    if (value == 0) return "0";  // no "-0"
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

std::string Numbers(std::initializer_list<double> values) {
    std::string out;
    for (const double v : values) out += (out.empty() ? "" : " ") + Number(v);
    return out;
}

struct Rpy {
    double roll, pitch, yaw;
};

// The URDF angles of a rotation R = Rz(yaw) Ry(pitch) Rx(roll). At a pitch of a quarter turn
// roll and yaw turn about the same axis; the turn is then given to roll alone.
Rpy RpyOf(const torvane::typFrame& f) {
    const double cosPitch = std::hypot(f(0, 0), f(1, 0));
    const double pitch = std::atan2(-f(2, 0), cosPitch);
    if (cosPitch > 1e-9) return {std::atan2(f(2, 1), f(2, 2)), pitch, std::atan2(f(1, 0), f(0, 0))};
    return {std::atan2(-f(1, 2), f(1, 1)), pitch, 0};
}

// Names from an imported robot may hold any character; the exporter's own are safe already.
std::string Escaped(const std::string& text) {
    std::string out;
    for (const char ch : text) {
        if (ch == '&')
            out += "&amp;";
        else if (ch == '"')
            out += "&quot;";
        else if (ch == '<')
            out += "&lt;";
        else if (ch == '>')
            out += "&gt;";
        else
            out += ch;
    }
    return out;
}

std::string Origin(const torvane::typFrame& f) {
    const Rpy r = RpyOf(f);
    return "<origin xyz=\"" + Numbers({f(0, 3), f(1, 3), f(2, 3)}) + "\" rpy=\"" +
           Numbers({r.roll, r.pitch, r.yaw}) + "\"/>";
}

double ColorPart(const torvane::DoubleArray& color, std::int32_t i) {
    if (!color.IsAllocated() || i < color.LBound() || i > color.UBound()) return 0.5;
    const double v = color(i) / 100;
    return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.5;
}

template <typename... Visitors>
struct Overloaded : Visitors... {
    using Visitors::operator()...;
};
// Spelled out for compilers that do not yet deduce an aggregate's arguments (clang before 17).
template <typename... Visitors>
Overloaded(Visitors...) -> Overloaded<Visitors...>;

// A box, cylinder or sphere where the shape is exactly one (placed at the shape's frame), the
// link's mesh otherwise (already in the link's frame).
std::string CollisionText(const UrdfLink& link, double unit) {
    const primora::ShapeEntry* shape = primora::ShapeCatalogue().Find(link.ShapeName);
    const auto primitive =
        shape && !link.JoinedVisuals
            ? primora::CollisionPrimitiveOf(
                  *shape, primora::ShapeSize{link.Size(1), link.Size(2), link.Size(3)})
            : std::nullopt;
    if (!primitive)
        return Origin(torvane::typFrame{}) + "\n      <geometry><mesh filename=\"meshes/" +
               MeshFileName(link) + "\"/></geometry>";
    return Origin(link.LinkFromShape) + "\n      <geometry>" +
           std::visit(
               Overloaded{[unit](const primora::BoxPrimitive& box) {
                              return "<box size=\"" +
                                     Numbers({box.X * unit, box.Y * unit, box.Z * unit}) + "\"/>";
                          },
                          [unit](const primora::CylinderPrimitive& cylinder) {
                              return "<cylinder radius=\"" + Number(cylinder.Diameter * unit / 2) +
                                     "\" length=\"" + Number(cylinder.Length * unit) + "\"/>";
                          },
                          [unit](const primora::SpherePrimitive& sphere) {
                              return "<sphere radius=\"" + Number(sphere.Diameter * unit / 2) +
                                     "\"/>";
                          }},
               *primitive) +
           "</geometry>";
}

std::string LinkText(const UrdfLink& link, double unit) {
    if (link.Mesh.empty()) return "  <link name=\"" + Escaped(link.Name) + "\"/>\n";
    const std::string mesh = "<mesh filename=\"meshes/" + MeshFileName(link) + "\"/>";
    const std::string color =
        Numbers({ColorPart(link.Color, 1), ColorPart(link.Color, 2), ColorPart(link.Color, 3), 1});
    return "  <link name=\"" + Escaped(link.Name) + "\">\n    <visual>\n      <geometry>" + mesh +
           "</geometry>\n      <material name=\"" + Escaped(link.Name) +
           "_colour\"><color rgba=\"" + color +
           "\"/></material>\n    </visual>\n    <collision>\n      " + CollisionText(link, unit) +
           "\n    </collision>\n  </link>\n";
}

// What URDF asks of every revolute and prismatic joint but the model does not know: an effort,
// and a speed where the motor has no limit of its own. A number this large limits nothing.
constexpr double kNoLimit = 1e6;

// The travel the motor list gives the joint's motor, its speed limit (else the imported joint's),
// and the imported joint's effort. URDF has no prismatic joint without travel; one whose motor
// has none, and an end a revolute joint's motor leaves open, are written without that attribute
// and said so in a comment (a reader takes 0 there; the program's import takes none).
std::string LimitText(const UrdfLink& link, double unit) {
    const std::optional<torvane::typJointNote>& note = link.Note;
    const double lengths =
        link.JointType == "prismatic" && note && note->Unit ? unit / *note->Unit : 1;
    const double effort = note && note->Effort ? *note->Effort : kNoLimit;
    const double velocity = link.MaxVelocity > 0     ? link.MaxVelocity
                            : note && note->Velocity ? *note->Velocity * lengths
                                                     : kNoLimit;
    std::string travel, open;
    if (link.JointType != "continuous") {
        if (link.Lower) travel += " lower=\"" + Number(*link.Lower) + "\"";
        if (link.Upper) travel += " upper=\"" + Number(*link.Upper) + "\"";
        if (!link.Lower && !link.Upper)
            open = "    <!-- travel not limited -->\n";
        else if (!link.Lower || !link.Upper)
            open = std::string("    <!-- travel not limited ") + (link.Lower ? "above" : "below") +
                   " -->\n";
    }
    return open + "    <limit" + travel + " effort=\"" + Number(effort) + "\" velocity=\"" +
           Number(velocity) + "\"/>\n";
}

std::string MimicText(const UrdfLink& link, double unit) {
    if (!link.Note || link.Note->Mimic.empty()) return "";
    const double lengths =
        link.JointType == "prismatic" && link.Note->Unit ? unit / *link.Note->Unit : 1;
    return "    <mimic joint=\"" + Escaped(link.Note->Mimic) + "\" multiplier=\"" +
           Number(link.Note->Multiplier.value_or(1)) + "\" offset=\"" +
           Number(link.Note->Offset.value_or(0) * lengths) + "\"/>\n";
}

std::string JointText(const UrdfLink& link, const std::string& parent, double unit) {
    std::string out = "  <joint name=\"" + Escaped(link.JointName) + "\" type=\"" + link.JointType +
                      "\">\n    <parent link=\"" + Escaped(parent) + "\"/>\n    <child link=\"" +
                      Escaped(link.Name) + "\"/>\n    " + Origin(link.ParentFromJoint) + "\n";
    if (link.JointType != "fixed") {
        out += "    <axis xyz=\"" + Numbers({link.Axis.X, link.Axis.Y, link.Axis.Z}) + "\"/>\n";
        out += LimitText(link, unit) + MimicText(link, unit);
    }
    return out + "  </joint>\n";
}

std::string ParentName(const UrdfRobot& robot, const UrdfLink& link) {
    return link.Parent < 0 ? kWorldLink : robot.Links[static_cast<std::size_t>(link.Parent)].Name;
}

}  // namespace

std::string UrdfText(const UrdfRobot& robot) {
    std::string out = "<?xml version=\"1.0\"?>\n<robot name=\"" + robot.Name + "\">\n";
    if (robot.WorldLink) out += "  <link name=\"" + std::string(kWorldLink) + "\"/>\n";
    for (const UrdfLink& link : robot.Links) {
        out += LinkText(link, robot.MetresPerUnit);
        if (robot.WorldLink || link.Parent >= 0)
            out += JointText(link, ParentName(robot, link), robot.MetresPerUnit);
    }
    return out + "</robot>\n";
}

std::string PosesText(const UrdfRobot& robot) {
    std::string out;
    for (const UrdfLink& link : robot.Links)
        if (link.JointType != "fixed")
            out += "joint " + link.JointName + " " + Number(link.JointValue) + "\n";
    const auto frameLine = [](const std::string& name, const torvane::typFrame& f) {
        std::string line = "link " + name;
        for (const double v : f.M) line += " " + Number(v);
        return line + "\n";
    };
    if (robot.WorldLink) out += frameLine(kWorldLink, torvane::typFrame{});
    for (const UrdfLink& link : robot.Links) out += frameLine(link.Name, link.WorldFromLink);
    return out;
}

}  // namespace mechanon
