#include "toolpath/clsXML.h"

#include <vector>

#include "model/Error.h"
#include "model/NumberText.h"
#include "toolpath/TextHelpers.h"
#include "toolpath/VectorMath.h"

namespace torvane {
namespace {

constexpr std::string_view kUntagged = "Untagged";
constexpr std::string_view kLineBreak = "\r\n";
// Lines of a DRIVE block after the opening tag's line: StartS, EndS, points, equations.
constexpr std::int32_t kStartSLine = 1;
constexpr std::int32_t kEndSLine = 2;
constexpr std::int32_t kPointsLine = 3;
constexpr std::int32_t kEquationsLine = 4;

// A listed tag found at a "<": where its contents begin and end and where scanning resumes.
struct TagMatch {
    const std::string* name = nullptr;
    std::size_t contentsBegin = 0;
    std::size_t contentsEnd = 0;
    std::size_t resume = 0;
};

// Tries the tag names in order at position lt (a "<"). The closing tag is searched from the end
// of the opening tag, so the contents can never run backwards even when a tag name makes the
// closing tag overlap the opening one.
bool MatchTag(std::string_view text, std::size_t lt, const StringArray& names, TagMatch& match) {
    for (const std::string& name : names.Items()) {
        const std::string opening = "<" + name + ">";
        if (text.compare(lt, opening.size(), opening) != 0) continue;
        const std::string closing = "</" + name + ">";
        const std::size_t begin = lt + opening.size();
        const std::size_t close = text.find(closing, begin);
        if (close == std::string_view::npos) continue;
        match = {&name, begin, close, close + closing.size()};
        return true;
    }
    return false;
}

std::string BlockLine(std::int32_t block, std::int32_t line) {
    return "DRIVE block " + std::to_string(block) + ": line " + std::to_string(line);
}

// Numbers of a block's line; the only failure, a value beyond the range of a double, names the
// block and the line.
template <typename Read>
auto ReadNumbers(std::int32_t block, std::int32_t line, Read read) {
    try {
        return read();
    } catch (const Error& e) {
        if (e.Code() != ErrorCode::Overflow) throw;
        Raise(ErrorCode::Overflow,
              BlockLine(block, line) + " holds a number too large for a double (Overflow)");
    }
}

// The number after the first "=" of a key line ("StartS= 0"); the words before it are not checked.
double KeyValue(const StringArray& lines, std::int32_t line, std::int32_t block) {
    const StringArray parts = SplitText(lines(line), "=");
    if (parts.UBound() < 1)
        Raise(ErrorCode::SubscriptOutOfRange,
              BlockLine(block, line) + " \"" + lines(line) + "\" has no \"=\" before its value");
    return ReadNumbers(block, line, [&] { return NumberValue(parts(1)); });
}

bool HasBareLineFeed(std::string_view text) {
    for (std::size_t at = text.find('\n'); at != std::string_view::npos;
         at = text.find('\n', at + 1))
        if (at == 0 || text[at - 1] != '\r') return true;
    return false;
}

StringArray FromOne(StringArray fromZero) {
    return StringArray(1, std::move(fromZero.Items()));
}

}  // namespace

VbArray<typXML> clsXML::SplitXML(std::string_view InString, std::string_view Tags) const {
    const StringArray names = SplitText(Tags, ",");
    std::vector<typXML> pieces;
    std::size_t p = 0;
    while (true) {
        const std::size_t lt = InString.find('<', p);
        if (lt == std::string_view::npos) break;
        TagMatch match;
        if (!MatchTag(InString, lt, names, match)) break;
        pieces.push_back({std::string(InString.substr(p, lt - p)), std::string(kUntagged)});
        pieces.push_back({std::string(InString.substr(match.contentsBegin,
                                                      match.contentsEnd - match.contentsBegin)),
                          *match.name});
        p = match.resume;
    }
    if (p < InString.size())
        pieces.push_back({std::string(InString.substr(p)), std::string(kUntagged)});
    return VbArray<typXML>(1, std::move(pieces));
}

VbArray<typToolPathSubLeg> clsXML::ParseXMLSublegs(std::string_view InLeg) const {
    const VbArray<typXML> pieces = SplitXML(InLeg, "DRIVE");
    std::vector<typToolPathSubLeg> sublegs;
    std::int32_t block = 0;
    for (const typXML& piece : pieces.Items()) {
        if (piece.Tag != "DRIVE") continue;
        ++block;
        const StringArray lines = RemoveTabs(SplitText(piece.Contents, kLineBreak));
        if (lines.UBound() < kEquationsLine) {
            // Text from an editor that writes bare line feeds holds all its lines in one.
            const bool bareLineFeeds = HasBareLineFeed(piece.Contents);
            Raise(ErrorCode::SubscriptOutOfRange,
                  "DRIVE block " + std::to_string(block) + " has " + std::to_string(lines.Count()) +
                      " lines; it needs the opening tag's line, \"StartS=\", \"EndS=\", the start "
                      "points and the equations, each on a line of its own" +
                      (bareLineFeeds ? " ending in CR LF" : ""));
        }
        typToolPathSubLeg subleg;
        subleg.StartS = KeyValue(lines, kStartSLine, block);
        subleg.EndS = KeyValue(lines, kEndSLine, block);
        subleg.StartPoints = ReadNumbers(block, kPointsLine, [&] {
            return StringsToDoubles(SplitText(lines(kPointsLine), ","));
        });
        subleg.ParametricEQs = FromOne(SplitText(lines(kEquationsLine), ","));
        sublegs.push_back(std::move(subleg));
    }
    return VbArray<typToolPathSubLeg>(1, std::move(sublegs));
}

StringArray clsXML::RemoveTabs(const StringArray& InStrs) const {
    StringArray out = InStrs;
    for (std::string& s : out.Items())
        if (!s.empty() && s.front() == '\t') s.erase(0, 1);
    return out;
}

DoubleArray clsXML::StringsToDoubles(const StringArray& InStrings) const {
    DoubleArray out = DoubleArray::WithBounds(InStrings.LBound() + 1, InStrings.UBound() + 1);
    for (std::int32_t k = InStrings.LBound(); k <= InStrings.UBound(); ++k)
        out(k + 1) = NumberValue(InStrings(k));
    return out;
}

std::string clsXML::WriteDrive(double StartS, double EndS, const DoubleArray& StartPoints,
                               const StringArray& Eqs) const {
    std::string equations;
    for (std::int32_t i = Eqs.LBound(); i <= Eqs.UBound(); ++i) {
        if (i > Eqs.LBound()) equations += ",";
        equations += Eqs(i);
    }
    std::string out = "<DRIVE>\r\n";
    out += "\tStartS= " + NumberText(StartS) + "\r\n";
    out += "\tEndS= " + NumberText(EndS) + "\r\n";
    out += "\t" + JoinDoubles(StartPoints) + "\r\n";
    out += "\t" + equations + "\r\n";
    out += "</DRIVE>\r\n";
    return out;
}

std::string clsXML::WriteLine(const DoubleArray& InStartPoints,
                              const DoubleArray& InEndPoints) const {
    double distance = 0;
    const StringArray equations = ParametricLineFromEndPoints(InStartPoints, InEndPoints, distance);
    return WriteDrive(0, distance, InStartPoints, equations);
}

std::string clsXML::JoinDoubles(const DoubleArray& InDoubles) const {
    std::string out;
    for (std::int32_t i = InDoubles.LBound(); i <= InDoubles.UBound(); ++i) {
        if (i > InDoubles.LBound()) out += " , ";
        out += NumberText(InDoubles(i));
    }
    return out;
}

StringArray clsXML::ParametricLineFromEndPoints(const DoubleArray& InStartPoints,
                                                const DoubleArray& InEndPoints,
                                                double& OutEndS) const {
    const double distance = VectorDistance(InStartPoints, InEndPoints);
    if (distance == 0)
        Raise(ErrorCode::DivisionByZero,
              "Division by zero: a straight line needs two different end points");
    const std::int32_t upper = InStartPoints.UBound();
    StringArray equations = StringArray::WithBounds(1, upper < 0 ? 0 : upper);
    for (std::int32_t i = 1; i <= upper; ++i)
        equations(i) = NumberText((InEndPoints(i) - InStartPoints(i)) / distance) + "*S";
    OutEndS = distance;
    return equations;
}

}  // namespace torvane
