#include "model/clsMiscInterface.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "model/Codepage.h"
#include "model/Error.h"
#include "model/NumberText.h"
#include "platform/UserInterface.h"

namespace torvane {
namespace {

namespace fs = std::filesystem;

void RequireElements(std::size_t count) {
    if (count == 0) Raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
}

[[noreturn]] void FileFailure(const std::string& what, const std::string& path) {
    Raise(ErrorCode::FileError, what + " \"" + path + "\".");
}

// The pieces of text between commas, indexed from 0; none at all for empty text.
StringArray SplitAtCommas(const std::string& text) {
    std::vector<std::string> pieces;
    if (!text.empty()) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = text.find(',', start);
            pieces.push_back(text.substr(start, comma - start));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    return StringArray(0, std::move(pieces));
}

// The three number values of "a, b, c" (blank pieces dropped), or nothing: empty text shows
// the given message, any other count of pieces is silently no triple.
bool ParseTriple(const std::string& text, const char* emptyMessage, double (&out)[3]) {
    const StringArray pieces = SplitAtCommas(text);
    if (pieces.Count() == 0) {
        Host().MsgBox(emptyMessage, MsgButtons::OK);
        return false;
    }
    const StringArray kept = clsMiscInterface{}.RemoveSpaceNulls(pieces);
    if (kept.Count() != 3) return false;
    for (std::int32_t i = 0; i < 3; ++i) out[i] = NumberValue(kept(kept.LBound() + i));
    return true;
}

}  // namespace

void clsMiscInterface::GetPathFromUser(std::string& PassPath, bool ShowSave,
                                       const std::string& InFilter) const {
    // The dialog answers "" on cancel, which is exactly what callers test for. A dialog that
    // fails counts as a cancel too: callers know only "no path means no file was chosen".
    try {
        PassPath = Host().FileDialog(ShowSave, PassPath, InFilter);
    } catch (const std::exception&) {
        PassPath.clear();
    }
}

std::string clsMiscInterface::LoadString(const std::string& InPath) const {
    if (InPath.empty()) FileFailure("No file name was given to read", InPath);
    std::error_code ec;
    const fs::file_status status = fs::status(InPath, ec);
    if (status.type() == fs::file_type::not_found) {
        // A missing file in an existing folder reads as empty text, and is not created;
        // a missing folder is a bad path.
        const fs::path folder = fs::path(InPath).parent_path();
        if (folder.empty() || fs::is_directory(folder, ec)) return {};
        FileFailure("The folder of this file does not exist", InPath);
    }
    if (status.type() == fs::file_type::directory) FileFailure("This path is a folder", InPath);
    std::ifstream in(InPath, std::ios::binary);
    if (!in) FileFailure("Cannot open the file for reading", InPath);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) FileFailure("Cannot read the file", InPath);
    return CodepageToUtf8(bytes);
}

void clsMiscInterface::SaveString(const std::string& InPath, const std::string& InString) const {
    if (InPath.empty()) FileFailure("No file name was given to write", InPath);
    const std::string bytes = Utf8ToCodepage(InString);
    std::ofstream out(InPath, std::ios::binary | std::ios::trunc);
    if (!out) FileFailure("Cannot open the file for writing", InPath);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) FileFailure("Cannot write the file", InPath);
}

std::string clsMiscInterface::JoinDoubles(const DoubleArray& InDoubles) const {
    RequireElements(InDoubles.Count());
    std::string out;
    for (std::int32_t i = InDoubles.LBound(); i < InDoubles.UBound(); ++i)
        out += NumberText(InDoubles(i)) + " , ";
    return out + NumberText(InDoubles(InDoubles.UBound()));
}

std::string clsMiscInterface::JoinAttitude(const typAttitude& InPoint) const {
    return TrimmedNumberText(InPoint.Pitch) + ", " + TrimmedNumberText(InPoint.Yaw) + ", " +
           TrimmedNumberText(InPoint.Roll);
}

std::string clsMiscInterface::Join3Vector(const typ3Point& InPoint) const {
    return TrimmedNumberText(InPoint.X) + ", " + TrimmedNumberText(InPoint.Y) + ", " +
           TrimmedNumberText(InPoint.Z);
}

DoubleArray clsMiscInterface::StringsToDoubles(const StringArray& InStrings) const {
    RequireElements(InStrings.Count());
    std::vector<double> values;
    values.reserve(InStrings.Count());
    for (const std::string& s : InStrings.Items()) values.push_back(NumberValue(s));
    return DoubleArray(InStrings.LBound() + 1, std::move(values));
}

typ3Point clsMiscInterface::Parse3Vector(const std::string& InString) const {
    double v[3] = {0, 0, 0};
    if (!ParseTriple(InString,
                     "You need to enter three numbers separated by commas to define a position.",
                     v))
        return {};
    return typ3Point{v[0], v[1], v[2]};
}

typAttitude clsMiscInterface::ParseAttitude(const std::string& InString) const {
    double v[3] = {0, 0, 0};
    if (!ParseTriple(
            InString,
            "You need to enter three numbers separated by commas to define an orientation.", v))
        return {};
    return typAttitude{v[0], v[1], v[2]};
}

StringArray clsMiscInterface::RemoveSpaceNulls(const StringArray& InStrings) const {
    RequireElements(InStrings.Count());
    std::vector<std::string> kept;
    for (const std::string& s : InStrings.Items())
        if (!TrimSpaces(s).empty()) kept.push_back(s);
    if (kept.empty()) kept.assign(InStrings.Count(), std::string{});
    return StringArray(InStrings.LBound(), std::move(kept));
}

}  // namespace torvane
