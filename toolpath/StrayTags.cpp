#include "toolpath/StrayTags.h"

#include <algorithm>
#include <string>

#include "model/Error.h"

namespace torvane {
namespace {

bool IsCode(std::string_view tag) {
    return tag == "EVALCODE" || tag == "ADDCODE";
}

std::string Why(std::string_view tag, bool closing) {
    const std::string t(tag);
    if (IsCode(tag))
        return "is script code that no command runs there; put the code block on lines of its "
               "own outside the legs and run the script to expand it";
    if (closing) return "closes no \"<" + t + ">\"";
    return "has no closing \"</" + t + ">\"";
}

}  // namespace

TextPlace PlaceIn(std::string_view Text, std::size_t Pos, std::size_t FirstLine) {
    const std::string_view before = Text.substr(0, std::min(Pos, Text.size()));
    const std::size_t lineStart = before.rfind('\n');
    TextPlace place;
    place.Line = static_cast<int>(FirstLine) +
                 static_cast<int>(std::count(before.begin(), before.end(), '\n'));
    place.Column =
        static_cast<int>(lineStart == std::string_view::npos ? Pos : Pos - lineStart - 1) + 1;
    return place;
}

void RefuseStrayTags(std::string_view Text, std::size_t FirstLine, std::string_view What,
                     std::span<const std::string_view> Tags) {
    for (std::size_t lt = Text.find('<'); lt != std::string_view::npos;
         lt = Text.find('<', lt + 1)) {
        const bool closing = Text.compare(lt + 1, 1, "/") == 0;
        const std::size_t name = lt + (closing ? 2 : 1);
        for (std::string_view tag : Tags) {
            if (Text.compare(name, tag.size(), tag) != 0 ||
                Text.compare(name + tag.size(), 1, ">") != 0)
                continue;
            const TextPlace at = PlaceIn(Text, lt, FirstLine);
            const std::string shown = std::string(closing ? "</" : "<") + std::string(tag) + ">";
            throw Error(ErrorCode::FileFormat, "Line " + std::to_string(at.Line) + ": \"" + shown +
                                                   "\" " + std::string(What) + " " +
                                                   Why(tag, closing) + ".")
                .At(at.Line, at.Column);
        }
    }
}

}  // namespace torvane
