#pragma once
// Tags a reader of tool-path text cannot use where they stand: a block left open ("<DRIVE>" with
// no "</DRIVE>" after it), a closing tag that closes nothing, or script code ("<EVALCODE>",
// "<ADDCODE>") inside a leg or a DRIVE block, where nothing would run it. Without this check such
// text reads as nothing at all (the splitter stops at the first tag it cannot match) or as start
// values of 0, and a command would draw or write a path nobody asked for.

#include <cstddef>
#include <span>
#include <string_view>

namespace torvane {

// The 1-based line and column of position Pos in Text, whose first line is line FirstLine.
struct TextPlace {
    int Line = 1;
    int Column = 1;
};
TextPlace PlaceIn(std::string_view Text, std::size_t Pos, std::size_t FirstLine = 1);

// Raises a file-format error at the first of the listed tags (opening or closing) that Text
// holds, naming its line and What (where the text stands, e.g. "in the LEG block of line 3"); the
// error carries the line and column. Text begins on line FirstLine.
void RefuseStrayTags(std::string_view Text, std::size_t FirstLine, std::string_view What,
                     std::span<const std::string_view> Tags);

// Every tag of tool paths and scripts, and those a script's leg may not hold.
inline constexpr std::string_view kAllPathTags[] = {"LEG", "WAIT", "DRIVE", "ADDCODE", "EVALCODE"};
inline constexpr std::string_view kScriptCodeTags[] = {"LEG", "ADDCODE", "EVALCODE"};
// Those a leg may not hold between its DRIVE blocks (a leg handed over with its own tags is read).
inline constexpr std::string_view kLegStrayTags[] = {"DRIVE", "ADDCODE", "EVALCODE"};

}  // namespace torvane
