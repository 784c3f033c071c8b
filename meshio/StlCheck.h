#pragma once
// What STL bytes are before any parser sees them. A binary STL says in its header how many
// triangles follow; a parser that believes a count the bytes do not back reads past the end or
// reserves gigabytes, so the count is checked against the size here.

#include <cstdint>
#include <string>
#include <string_view>

namespace meshio {

enum class StlKind { Binary, Ascii };

// The size of the header and of each triangle record of a binary STL, in bytes.
inline constexpr std::uint64_t kStlHeaderBytes = 84;
inline constexpr std::uint64_t kStlTriangleBytes = 50;

// Binary when the size is exactly the header plus the count's records; ASCII when it is not
// and the text starts with "solid" and reads as text; MeshError naming name otherwise (a count
// that lies, a truncated file, too many triangles, too short to be an STL file).
StlKind CheckStl(std::string_view bytes, const std::string& name);

}  // namespace meshio
