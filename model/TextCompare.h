#pragma once
// Name comparison without regard to letter case, as subpart keys need it. Names are UTF-8;
// letters of ASCII, Latin-1 and Latin Extended-A (which covers everything the robot file's
// code page can hold) fold to lower case before comparing, everything else compares as is.

#include <string>
#include <string_view>

namespace torvane {

// The text with every foldable letter in lower case.
std::string FoldCase(std::string_view text);
// True when a and b differ at most in letter case ("Arm", "ARM", "arm").
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace torvane
