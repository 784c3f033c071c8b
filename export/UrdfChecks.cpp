#include "export/UrdfChecks.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <set>

#include "model/Error.h"

namespace mechanon {
namespace {

using tinyxml2::XMLElement;

constexpr const char* kJointTypes[] = {"revolute", "continuous", "prismatic",
                                       "fixed",    "floating",   "planar"};

struct JointEnds {
    std::string name, parent, child;
    int line = 0;
};

class Checker {
  public:
    explicit Checker(std::string fileName) : fileName_(std::move(fileName)) {}

    [[noreturn]] void Fail(const std::string& what, int line) const {
        throw torvane::Error(torvane::ErrorCode::FileFormat,
                             fileName_ + ", line " + std::to_string(line) + ": " + what)
            .At(line);
    }

    std::string Name(const XMLElement& e, const char* kind) const {
        const char* name = e.Attribute("name");
        if (!name || !*name)
            Fail(std::string("a <") + kind + "> element has no name", e.GetLineNum());
        return name;
    }

    void CheckVersion(const XMLElement& robot) const {
        const char* version = robot.Attribute("version");
        if (!version) return;
        const std::string v = version;
        const auto dot = v.find('.');
        const auto digits = [](const std::string& s) {
            return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
        };
        if (dot == std::string::npos || !digits(v.substr(0, dot)) || !digits(v.substr(dot + 1)))
            Fail("the <robot> version \"" + v + "\" is not of the form x.y", robot.GetLineNum());
        if (v.substr(0, dot) != "1")
            Fail("the <robot> version \"" + v + "\" is not supported (only 1.x)",
                 robot.GetLineNum());
    }

    // Every blank-separated piece of the attributes that hold numbers must be one.
    void CheckNumbers(const XMLElement& e) const {
        static const std::set<std::string> numeric{
            "xyz",   "rpy",    "size",     "scale",      "rgba",   "radius",  "length",  "lower",
            "upper", "effort", "velocity", "multiplier", "offset", "damping", "friction"};
        for (const tinyxml2::XMLAttribute* a = e.FirstAttribute(); a; a = a->Next()) {
            if (!numeric.count(a->Name())) continue;
            const std::string value = a->Value();
            std::size_t at = 0;
            while (at < value.size()) {
                while (at < value.size() && std::isspace(static_cast<unsigned char>(value[at])))
                    ++at;
                std::size_t end = at;
                while (end < value.size() && !std::isspace(static_cast<unsigned char>(value[end])))
                    ++end;
                if (end > at && !IsNumber(value.substr(at, end - at)))
                    Fail("<" + std::string(e.Name()) + "> " + a->Name() + "=\"" + value + "\": \"" +
                             value.substr(at, end - at) + "\" is not a number",
                         e.GetLineNum());
                at = end;
            }
        }
        for (const XMLElement* child = e.FirstChildElement(); child;
             child = child->NextSiblingElement())
            CheckNumbers(*child);
    }

    static bool IsNumber(const std::string& text) {
        double value = 0;
        const char* first = text.data();
        if (*first == '+') ++first;
        const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
        return error == std::errc() && end == text.data() + text.size();
    }

    void CheckMeshes(const XMLElement& link) const {
        for (const char* kind : {"visual", "collision"})
            for (const XMLElement* v = link.FirstChildElement(kind); v;
                 v = v->NextSiblingElement(kind))
                if (const XMLElement* g = v->FirstChildElement("geometry"))
                    if (const XMLElement* mesh = g->FirstChildElement("mesh");
                        mesh && !mesh->Attribute("filename"))
                        Fail("a <mesh> of link \"" + Name(link, "link") + "\" has no filename",
                             mesh->GetLineNum());
    }

    std::string EndLink(const XMLElement& joint, const char* end, const std::string& name) const {
        const XMLElement* e = joint.FirstChildElement(end);
        const char* link = e ? e->Attribute("link") : nullptr;
        if (!link || !*link)
            Fail("joint \"" + name + "\" has no <" + end + " link=\"...\"/>", joint.GetLineNum());
        return link;
    }

    JointEnds Joint(const XMLElement& joint) const {
        JointEnds ends{Name(joint, "joint"), "", "", joint.GetLineNum()};
        const char* type = joint.Attribute("type");
        const std::string t = type ? type : "";
        if (std::find(std::begin(kJointTypes), std::end(kJointTypes), t) == std::end(kJointTypes))
            Fail("joint \"" + ends.name + "\" has the unknown type \"" + t + "\"", ends.line);
        if ((t == "revolute" || t == "prismatic") && !joint.FirstChildElement("limit"))
            Fail(
                "joint \"" + ends.name + "\" is " + t + " but has no <limit> (effort and velocity)",
                ends.line);
        ends.parent = EndLink(joint, "parent", ends.name);
        ends.child = EndLink(joint, "child", ends.name);
        return ends;
    }

    std::string fileName_;
};

void CheckTree(const Checker& check, const std::map<std::string, int>& links,
               const std::vector<JointEnds>& joints, UrdfOutline& outline) {
    std::map<std::string, const JointEnds*> parentOf;
    for (const JointEnds& j : joints) {
        for (const auto& [end, link] : {std::pair{"parent", j.parent}, {"child", j.child}})
            if (!links.count(link))
                check.Fail("joint \"" + j.name + "\" names the " + end + " link \"" + link +
                               "\", but the robot has no such link",
                           j.line);
        if (j.parent == j.child)
            check.Fail("joint \"" + j.name + "\" makes link \"" + j.child + "\" its own parent",
                       j.line);
        const auto [known, fresh] = parentOf.emplace(j.child, &j);
        if (fresh) continue;
        if (known->second->parent != j.parent)
            check.Fail("link \"" + j.child + "\" has two parents: \"" + known->second->parent +
                           "\" (joint \"" + known->second->name + "\") and \"" + j.parent +
                           "\" (joint \"" + j.name + "\")",
                       j.line);
        outline.Warnings.push_back("joints \"" + known->second->name + "\" and \"" + j.name +
                                   "\" both join link \"" + j.child + "\" to \"" + j.parent +
                                   "\"; only one of them is used");
    }
    std::vector<std::string> roots;
    for (const auto& [link, line] : links)
        if (!parentOf.count(link)) roots.push_back(link);
    if (roots.size() > 1)
        check.Fail("the robot has more than one root link: \"" + roots[0] + "\" and \"" + roots[1] +
                       "\" have no parent",
                   links.at(roots[1]));
    // Every link must reach the root through its parents.
    for (const auto& [link, line] : links) {
        std::set<std::string> seen{link};
        for (auto up = parentOf.find(link); up != parentOf.end();
             up = parentOf.find(up->second->parent))
            if (!seen.insert(up->second->parent).second)
                check.Fail("the links form a cycle through link \"" + link + "\" and joint \"" +
                               up->second->name + "\"",
                           up->second->line);
    }
}

std::string XmlFault(tinyxml2::XMLError error) {
    switch (error) {
        case tinyxml2::XML_ERROR_EMPTY_DOCUMENT:
            return "the file holds no element";
        case tinyxml2::XML_ERROR_MISMATCHED_ELEMENT:
            return "an element is closed by the end tag of another";
        case tinyxml2::XML_ERROR_PARSING_ELEMENT:
            return "an element cannot be read (a broken tag)";
        case tinyxml2::XML_ERROR_PARSING_ATTRIBUTE:
            return "an attribute cannot be read";
        case tinyxml2::XML_ERROR_PARSING_TEXT:
        case tinyxml2::XML_ERROR_PARSING_CDATA:
        case tinyxml2::XML_ERROR_PARSING_COMMENT:
        case tinyxml2::XML_ERROR_PARSING_DECLARATION:
        case tinyxml2::XML_ERROR_PARSING_UNKNOWN:
        case tinyxml2::XML_ERROR_PARSING:
            return "text, a comment or a declaration is not closed";
        case tinyxml2::XML_ELEMENT_DEPTH_EXCEEDED:
            return "elements are nested too deeply";
        default:
            return tinyxml2::XMLDocument::ErrorIDToName(error);
    }
}

}  // namespace

UrdfOutline CheckUrdfText(const std::string& text, const std::string& fileName) {
    const Checker check(fileName);
    tinyxml2::XMLDocument document;
    if (document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS)
        check.Fail("not well-formed XML: " + XmlFault(document.ErrorID()),
                   std::max(document.ErrorLineNum(), 1));
    const XMLElement* robot = document.FirstChildElement("robot");
    if (!robot) check.Fail("the file has no <robot> element", 1);
    check.CheckVersion(*robot);
    // Only what the URDF parser reads: other tools' extensions may hold anything.
    for (const char* kind : {"link", "joint", "material"})
        for (const XMLElement* e = robot->FirstChildElement(kind); e;
             e = e->NextSiblingElement(kind))
            check.CheckNumbers(*e);
    UrdfOutline outline;
    for (const XMLElement* link = robot->FirstChildElement("link"); link;
         link = link->NextSiblingElement("link")) {
        const std::string name = check.Name(*link, "link");
        if (!outline.LinkLines.emplace(name, link->GetLineNum()).second)
            check.Fail("link \"" + name + "\" is defined twice", link->GetLineNum());
        check.CheckMeshes(*link);
    }
    if (outline.LinkLines.empty()) check.Fail("the robot has no <link>", robot->GetLineNum());
    std::vector<JointEnds> joints;
    std::set<std::string> jointNames;
    for (const XMLElement* joint = robot->FirstChildElement("joint"); joint;
         joint = joint->NextSiblingElement("joint")) {
        joints.push_back(check.Joint(*joint));
        if (!jointNames.insert(joints.back().name).second)
            check.Fail("joint \"" + joints.back().name + "\" is defined twice",
                       joint->GetLineNum());
        outline.JointOrder.push_back(joints.back().name);
        if (const XMLElement* limit = joint->FirstChildElement("limit")) {
            if (!limit->Attribute("lower")) outline.NoLower.insert(joints.back().name);
            if (!limit->Attribute("upper")) outline.NoUpper.insert(joints.back().name);
        }
    }
    CheckTree(check, outline.LinkLines, joints, outline);
    return outline;
}

}  // namespace mechanon
