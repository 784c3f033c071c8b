#pragma once
// What STL bytes are before any parser sees them. A binary STL says in its header how many
// triangles follow; a parser that believes a count the bytes do not back reads past the end or
// reserves gigabytes, so the count is checked against the size here.

#include <cstddef>
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
// that lies, a truncated file, too many triangles, too short to be an STL file). head is the
// start of the file (its first kStlHeadBytes bytes or all of it), size the whole file's, so a file
// can be judged before it is read.
StlKind CheckStl(std::string_view head, std::uint64_t size, const std::string& name);

// How much of a file's start CheckStl looks at.
inline constexpr std::size_t kStlHeadBytes = 1024;

}  // namespace meshio
