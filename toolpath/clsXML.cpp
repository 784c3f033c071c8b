#include "toolpath/clsXML.h"

#include <algorithm>
#include <vector>

#include "model/Error.h"
#include "model/NumberText.h"
#include "toolpath/StrayTags.h"
#include "toolpath/TextHelpers.h"
#include "toolpath/VectorMath.h"

namespace torvane {
namespace {

constexpr std::string_view kUntagged = "Untagged";
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

// A DRIVE block being read: its number among the blocks of the leg and the line of the text its
// opening tag stands on, so that every failure names the line it lies on.
struct BlockPlace {
    std::int32_t block = 0;
    std::size_t firstLine = 1;

    int LineOf(std::int32_t line) const { return static_cast<int>(firstLine) + line; }
    [[noreturn]] void Fail(ErrorCode code, std::int32_t line, const std::string& why) const {
        throw Error(code, "DRIVE block " + std::to_string(block) + ", line " +
                              std::to_string(LineOf(line)) + ": " + why)
            .At(LineOf(line));
    }
};

// Numbers of a block's line; the only failure, a value beyond the range of a double, names the
// block and the line.
template <typename Read>
auto ReadNumbers(const BlockPlace& place, std::int32_t line, Read read) {
    try {
        return read();
    } catch (const Error& e) {
        if (e.Code() != ErrorCode::Overflow) throw;
        place.Fail(ErrorCode::Overflow, line, "holds a number too large for a double (Overflow)");
    }
}

// The number after the first "=" of a key line ("StartS= 0"); the words before it are not checked.
double KeyValue(const StringArray& lines, std::int32_t line, const BlockPlace& place,
                std::string_view key) {
    const StringArray parts = SplitText(lines(line), "=");
    if (parts.UBound() < 1)
        place.Fail(ErrorCode::SubscriptOutOfRange, line,
                   "\"" + lines(line) +
                       "\" has no \"=\" before its value; the line after the "
                       "opening tag holds \"StartS=\", the next \"EndS=\" (is \"" +
                       std::string(key) + "=\" missing?)");
    return ReadNumbers(place, line, [&] { return NumberValue(parts(1)); });
}

// The lines of a block, each without its line end: CR LF, a bare line feed and a mix of the two
// read alike, whatever editor wrote the text.
StringArray LinesOf(std::string_view contents) {
    StringArray lines = SplitText(contents, "\n");
    for (std::string& line : lines.Items())
        if (!line.empty() && line.back() == '\r') line.pop_back();
    return lines;
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

VbArray<typToolPathSubLeg> clsXML::ParseXMLSublegs(std::string_view InLeg,
                                                   std::size_t FirstLine) const {
    const VbArray<typXML> pieces = SplitXML(InLeg, "DRIVE");
    std::vector<typToolPathSubLeg> sublegs;
    BlockPlace place;
    std::size_t line = FirstLine;  // the line each piece begins on, counted on piece by piece
    for (const typXML& piece : pieces.Items()) {
        const bool drive = piece.Tag == "DRIVE";
        const std::size_t pieceLine = line;
        line += static_cast<std::size_t>(
            std::count(piece.Contents.begin(), piece.Contents.end(), '\n'));
        if (!drive) {
            RefuseStrayTags(piece.Contents, pieceLine, "between the DRIVE blocks", kLegStrayTags);
            continue;
        }
        ++place.block;
        place.firstLine = pieceLine;
        RefuseStrayTags(piece.Contents, pieceLine,
                        "inside the DRIVE block of line " + std::to_string(pieceLine),
                        kAllPathTags);
        const StringArray lines = RemoveTabs(LinesOf(piece.Contents));
        if (lines.UBound() < kEquationsLine)
            place.Fail(ErrorCode::SubscriptOutOfRange, 0,
                       "the block has " + std::to_string(lines.Count()) +
                           " lines; it needs the opening tag's line, \"StartS=\", \"EndS=\", the "
                           "start points and the equations, each on a line of its own");
        typToolPathSubLeg subleg;
        subleg.StartS = KeyValue(lines, kStartSLine, place, "StartS");
        subleg.EndS = KeyValue(lines, kEndSLine, place, "EndS");
        subleg.StartPoints = ReadNumbers(place, kPointsLine, [&] {
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
