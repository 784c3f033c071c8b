#pragma once
// The program's name, used in captions and default titles.

namespace mechanon {

inline constexpr const char* kProgramName = "Mechanon";

}  // namespace mechanon
