#pragma once
// Re-timing of a whole tool-path text, shared by the motor control and tool-path windows.

#include <string>
#include <string_view>

namespace torvane {

class clsToolPath;

// Every DRIVE block of InText, inside or outside legs, cut into its trapezoidal pieces with the
// tool-path object's default limits (read afresh for each block), lowered where a motor of its
// motor list carries limits of its own so that no motor exceeds them; each block becomes one leg
// holding its two or three time-based DRIVE blocks. WAIT blocks and leg boundaries are dropped.
// Any failure raises before a result exists; nothing partial is returned.
std::string ExpandToTripleStops(clsToolPath& ToolPath, std::string_view InText);

}  // namespace torvane
