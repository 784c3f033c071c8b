#pragma once
// Re-timing of a whole tool-path text, shared by the motor control and tool-path windows.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

class clsToolPath;

// What a re-timing made: its legs and time-based pieces, their duration and the motors of the
// motor list (from 1, each once, in the order found) whose own limits set the time of a leg.
struct RetimeSummary {
    int Legs = 0;
    int Pieces = 0;
    double Duration = 0;  // seconds
    std::vector<std::int32_t> LimitingMotors;
};

// Every DRIVE block of InText, inside or outside legs, cut into its trapezoidal pieces with the
// tool-path object's default limits (read afresh for each block), lowered where a motor of its
// motor list carries limits of its own so that no motor exceeds them; each block becomes one leg
// holding its two or three time-based DRIVE blocks. WAIT blocks and leg boundaries are dropped.
// Any failure raises before a result exists; nothing partial is returned. A text without a DRIVE
// block raises a file-format error: there is nothing to re-time. Summary, when given, is filled.
std::string ExpandToTripleStops(clsToolPath& ToolPath, std::string_view InText,
                                RetimeSummary* Summary = nullptr);

}  // namespace torvane
