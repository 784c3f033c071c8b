#pragma once
// The program's name and home page, used in captions, default titles and the Help menu.

namespace mechanon {

inline constexpr const char* kProgramName = "Mechanon";
inline constexpr const char* kHomePage = "https://mechanon.example.org/";

}  // namespace mechanon
