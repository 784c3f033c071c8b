#include "model/JointNotes.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <map>
#include <numbers>
#include <vector>

namespace torvane {
namespace {

using Attributes = std::map<std::string, std::string>;

struct Tag {
    std::size_t begin = std::string::npos;  // where "<name" starts
    std::size_t end = std::string::npos;    // one past "/>"
    Attributes attributes;
};

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char ch : text) switch (ch) {
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += ch;
        }
    return out;
}

std::string Unescaped(const std::string& text) {
    static const std::vector<std::pair<std::string, char>> entities{
        {"&amp;", '&'}, {"&quot;", '"'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [entity, ch] : entities)
            if (text.compare(i, entity.size(), entity) == 0) {
                out += ch;
                i += entity.size();
                replaced = true;
                break;
            }
        if (!replaced) out += text[i++];
    }
    return out;
}

bool Blank(char ch) {
    return std::isspace(static_cast<unsigned char>(ch)) != 0;
}

// Reads name="value" pairs from at up to "/>"; nothing when the tag is not closed that way.
std::optional<Tag> ReadAttributes(const std::string& text, std::size_t at, Tag tag) {
    while (true) {
        while (at < text.size() && Blank(text[at])) ++at;
        if (text.compare(at, 2, "/>") == 0) {
            tag.end = at + 2;
            return tag;
        }
        const std::size_t equals = text.find('=', at);
        if (equals == std::string::npos || equals + 1 >= text.size() || text[equals + 1] != '"')
            return std::nullopt;
        const std::size_t close = text.find('"', equals + 2);
        if (close == std::string::npos) return std::nullopt;
        std::string name = text.substr(at, equals - at);
        while (!name.empty() && Blank(name.back())) name.pop_back();
        if (name.empty()) return std::nullopt;
        tag.attributes[name] = Unescaped(text.substr(equals + 2, close - equals - 2));
        at = close + 1;
    }
}

std::optional<Tag> FindTag(const std::string& text, const std::string& name) {
    const std::string opening = "<" + name;
    for (std::size_t at = text.find(opening); at != std::string::npos;
         at = text.find(opening, at + 1)) {
        const std::size_t after = at + opening.size();
        if (after >= text.size() || !Blank(text[after])) continue;
        Tag tag;
        tag.begin = at;
        if (auto read = ReadAttributes(text, after, tag)) return read;
    }
    return std::nullopt;
}

std::string Number(double value) {
    if (value == 0) return "0";
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

std::optional<double> NumberOf(const std::string& text) {
    double value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    while (first < last && Blank(*first)) ++first;
    if (first < last && *first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<double> NumberAttribute(const Attributes& a, const std::string& name) {
    const auto found = a.find(name);
    return found == a.end() ? std::nullopt : NumberOf(found->second);
}

std::string TextAttribute(const Attributes& a, const std::string& name) {
    const auto found = a.find(name);
    return found == a.end() ? std::string() : found->second;
}

std::optional<typ3Point> PointOf(const std::string& text) {
    std::vector<double> values;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && Blank(text[at])) ++at;
        std::size_t end = at;
        while (end < text.size() && !Blank(text[end])) ++end;
        if (end > at) {
            const auto value = NumberOf(text.substr(at, end - at));
            if (!value) return std::nullopt;
            values.push_back(*value);
        }
        at = end;
    }
    if (values.size() != 3) return std::nullopt;
    return typ3Point{values[0], values[1], values[2]};
}

typJointNote JointOf(const Attributes& a) {
    typJointNote joint;
    joint.Name = TextAttribute(a, "name");
    joint.Type = TextAttribute(a, "type");
    joint.Lower = NumberAttribute(a, "lower");
    joint.Upper = NumberAttribute(a, "upper");
    joint.Velocity = NumberAttribute(a, "velocity");
    joint.Effort = NumberAttribute(a, "effort");
    joint.Mimic = TextAttribute(a, "mimic");
    joint.Multiplier = NumberAttribute(a, "multiplier");
    joint.Offset = NumberAttribute(a, "offset");
    if (const auto axis = a.find("axis"); axis != a.end()) joint.Axis = PointOf(axis->second);
    joint.Unit = NumberAttribute(a, "unit");
    return joint;
}

std::string JointLine(const typJointNote& joint) {
    std::string line =
        "<joint name=\"" + Escaped(joint.Name) + "\" type=\"" + Escaped(joint.Type) + "\"";
    const auto number = [&line](const char* name, const std::optional<double>& value) {
        if (value) line += std::string(" ") + name + "=\"" + Number(*value) + "\"";
    };
    number("lower", joint.Lower);
    number("upper", joint.Upper);
    number("velocity", joint.Velocity);
    number("effort", joint.Effort);
    if (!joint.Mimic.empty()) line += " mimic=\"" + Escaped(joint.Mimic) + "\"";
    number("multiplier", joint.Multiplier);
    number("offset", joint.Offset);
    if (joint.Axis)
        line += " axis=\"" + Number(joint.Axis->X) + " " + Number(joint.Axis->Y) + " " +
                Number(joint.Axis->Z) + "\"";
    number("unit", joint.Unit);
    return line + "/>";
}

// text without the first tag of that name (and the line break after it).
std::string Without(std::string text, const std::string& name) {
    const auto tag = FindTag(text, name);
    if (!tag) return text;
    std::size_t end = tag->end;
    if (end < text.size() && text[end] == '\r') ++end;
    if (end < text.size() && text[end] == '\n') ++end;
    return text.erase(tag->begin, end - tag->begin);
}

}  // namespace

typJointNotes ReadJointNotes(const std::string& blankXml) {
    typJointNotes notes;
    if (const auto joint = FindTag(blankXml, "joint")) notes.Joint = JointOf(joint->attributes);
    if (const auto link = FindTag(blankXml, "link"))
        notes.LinkName = TextAttribute(link->attributes, "name");
    if (const auto visual = FindTag(blankXml, "visual"))
        notes.VisualOf = TextAttribute(visual->attributes, "link");
    return notes;
}

std::string WithJointNotes(const std::string& blankXml, const typJointNotes& notes) {
    std::string rest = Without(Without(Without(blankXml, "joint"), "link"), "visual");
    std::string out;
    if (notes.Joint) out += JointLine(*notes.Joint) + "\n";
    if (!notes.LinkName.empty()) out += "<link name=\"" + Escaped(notes.LinkName) + "\"/>\n";
    if (!notes.VisualOf.empty()) out += "<visual link=\"" + Escaped(notes.VisualOf) + "\"/>\n";
    return out + rest;
}

namespace {

double MetresPerUnit(const typJointNote& note) {
    return note.Unit && *note.Unit > 0 ? *note.Unit : 1;
}

}  // namespace

double MotorPositionOfUrdf(MotorKind kind, const typJointNote& note, double urdfValue) {
    return kind == MotorKind::Rotational ? urdfValue * 180 / std::numbers::pi
                                         : urdfValue / MetresPerUnit(note);
}

double UrdfValueOfMotorPosition(MotorKind kind, const typJointNote& note, double position) {
    return UrdfValueOfMotorPosition(kind, MetresPerUnit(note), position);
}

double UrdfValueOfMotorPosition(MotorKind kind, double metresPerUnit, double position) {
    return kind == MotorKind::Rotational ? position * std::numbers::pi / 180
                                         : position * metresPerUnit;
}

std::string NotedLinkName(const typPartData& part) {
    const typJointNotes notes = ReadJointNotes(part.BlankXML);
    return notes.LinkName.empty() ? part.Name : notes.LinkName;
}

}  // namespace torvane
