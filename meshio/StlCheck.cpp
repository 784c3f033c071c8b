#include "meshio/StlCheck.h"

#include <algorithm>
#include <cctype>

#include "meshio/MeshError.h"
#include "meshio/MeshReader.h"

namespace meshio {
namespace {

std::uint32_t LittleEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

// Text that starts with "solid" (after blanks) and whose first bytes are printable or blanks:
// a binary header may start with "solid" too, but its records are not text.
bool LooksLikeAsciiStl(std::string_view bytes) {
    const std::size_t start = bytes.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || bytes.size() - start < 5) return false;
    std::string word(bytes.substr(start, 5));
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (word != "solid") return false;
    const std::string_view head = bytes.substr(0, std::min(bytes.size(), kStlHeadBytes));
    return std::all_of(head.begin(), head.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c >= 0x20 || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
    });
}

}  // namespace

StlKind CheckStl(std::string_view bytes, std::uint64_t size, const std::string& name) {
    if (size >= kStlHeaderBytes && bytes.size() >= kStlHeaderBytes) {
        const std::uint64_t count = LittleEndian32(bytes, 80);
        if (kStlHeaderBytes + count * kStlTriangleBytes == size) {
            if (count > kMaxTriangles)
                throw MeshError(name + ": holds " + std::to_string(count) +
                                " triangles, more than the " + std::to_string(kMaxTriangles) +
                                " a mesh part may have");
            return StlKind::Binary;
        }
        if (LooksLikeAsciiStl(bytes)) return StlKind::Ascii;
        throw MeshError(name + ": says it holds " + std::to_string(count) + " triangles (" +
                        std::to_string(kStlHeaderBytes + count * kStlTriangleBytes) +
                        " bytes) but is " + std::to_string(size) +
                        " bytes long: the file is truncated or damaged");
    }
    if (LooksLikeAsciiStl(bytes)) return StlKind::Ascii;
    throw MeshError(name + ": too short to be an STL file (" + std::to_string(size) + " bytes)");
}

}  // namespace meshio
