#pragma once
// Small text operations shared by the tool-path classes: cutting a text at a delimiter the way
// tool-path text is cut (pieces indexed from 0) and replacing every occurrence of a text.

#include <string>
#include <string_view>

#include "model/VbArray.h"

namespace torvane {

// Cuts text at every occurrence of delimiter. The pieces are indexed from 0; an empty text gives
// an allocated array with no elements (bounds 0 to -1), so callers can always read the bounds.
StringArray SplitText(std::string_view text, std::string_view delimiter);

// Every occurrence of find replaced by replacement, scanning left to right and never re-scanning
// replaced text. Exact and case-sensitive; an empty find leaves the text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement);

}  // namespace torvane
