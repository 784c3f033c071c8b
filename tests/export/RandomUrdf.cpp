#include "tests/export/RandomUrdf.h"

#include <charconv>
#include <cmath>
#include <numbers>
#include <vector>

namespace mechanon::testing {
namespace {

std::string Num(double v) {
    char buffer[40];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
}

std::string Triple(double a, double b, double c) {
    return Num(a) + " " + Num(b) + " " + Num(c);
}

}  // namespace

std::string RandomUrdf::Origin() {
    const double pi = std::numbers::pi;
    const double pitch = Pick(0, 5) == 0 ? (Pick(0, 1) ? pi / 2 : -pi / 2) : Uniform(-pi, pi);
    return "<origin xyz=\"" + Triple(Uniform(-0.2, 0.2), Uniform(-0.2, 0.2), Uniform(-0.2, 0.2)) +
           "\" rpy=\"" + Triple(Uniform(-pi, pi), pitch, Uniform(-pi, pi)) + "\"/>";
}

std::string RandomUrdf::Axis() {
    static const std::vector<std::string> principal{"1 0 0",  "-1 0 0", "0 1 0",
                                                    "0 -1 0", "0 0 1",  "0 0 -1"};
    if (Pick(0, 2) > 0) return principal[static_cast<std::size_t>(Pick(0, 5))];
    // Not normalised on purpose: the importer must normalise it as KDL does.
    return Triple(Uniform(-2, 2), Uniform(-2, 2), Uniform(-2, 2));
}

std::string RandomUrdf::Visual(int index) {
    std::string geometry;
    switch (Pick(0, 2)) {
        case 0:
            geometry = "<box size=\"" +
                       Triple(Uniform(0.01, 0.1), Uniform(0.01, 0.1), Uniform(0.01, 0.1)) + "\"/>";
            break;
        case 1:
            geometry = "<cylinder radius=\"" + Num(Uniform(0.01, 0.05)) + "\" length=\"" +
                       Num(Uniform(0.01, 0.1)) + "\"/>";
            break;
        default:
            geometry = "<sphere radius=\"" + Num(Uniform(0.01, 0.05)) + "\"/>";
    }
    const std::string material =
        index % 2 == 0
            ? "<material name=\"shared\"/>"
            : "<material name=\"own" + std::to_string(index) + "\"><color rgba=\"" +
                  Triple(Uniform(0, 1), Uniform(0, 1), Uniform(0, 1)) + " 1\"/></material>";
    const std::string origin = Pick(0, 3) == 0 ? "" : Origin();
    return "    <visual>" + origin + "<geometry>" + geometry + "</geometry>" + material +
           "</visual>\n";
}

std::string RandomUrdf::Joint(int child, int parent, std::string& lastMoving) {
    static const std::vector<std::string> types{"revolute", "continuous", "prismatic", "fixed",
                                                "revolute"};
    const std::string type = types[static_cast<std::size_t>(Pick(0, 4))];
    const std::string name = "j" + std::to_string(child);
    std::string out = "  <joint name=\"" + name + "\" type=\"" + type +
                      "\">\n    <parent link=\"l" + std::to_string(parent) +
                      "\"/>\n    <child link=\"l" + std::to_string(child) + "\"/>\n    " +
                      (Pick(0, 4) == 0 ? "" : Origin()) + "\n";
    if (type == "fixed") return out + "  </joint>\n";
    out += "    <axis xyz=\"" + Axis() + "\"/>\n";
    const double travel = type == "prismatic" ? 0.1 : 2.5;
    out += "    <limit lower=\"" + Num(-travel) + "\" upper=\"" + Num(travel) +
           "\" effort=\"5\" velocity=\"1.5\"/>\n";
    if (!lastMoving.empty() && Pick(0, 3) == 0)
        out += "    <mimic joint=\"" + lastMoving + "\" multiplier=\"" + Num(Uniform(-2, 2)) +
               "\" offset=\"" + Num(Uniform(-0.1, 0.1)) + "\"/>\n";
    lastMoving = name;
    return out + "  </joint>\n";
}

std::string RandomUrdf::Make(int links) {
    std::string out = "<?xml version=\"1.0\"?>\n<robot name=\"generated\">\n";
    out += "  <material name=\"shared\"><color rgba=\"0.2 0.4 0.6 1\"/></material>\n";
    int visuals = 0;
    for (int i = 0; i < links; ++i) {
        out += "  <link name=\"l" + std::to_string(i) + "\">\n";
        for (int v = Pick(0, 3); v > 0; --v) out += Visual(visuals++);
        out += "  </link>\n";
    }
    std::string lastMoving;
    for (int i = 1; i < links; ++i) out += Joint(i, Pick(0, i - 1), lastMoving);
    return out + "</robot>\n";
}

}  // namespace mechanon::testing
