#pragma once
// Reads mesh files into triangles: binary and ASCII STL, OBJ (with the colours of its material
// library when one sits beside it) and Collada. The format is chosen by the name's extension
// (.stl, .obj, .dae, any case).
//
// Bad input fails with MeshError naming the file and never crashes: a missing, unreadable or
// truncated file, a binary STL whose triangle count does not match its size, more than
// kMaxTriangles triangles or a file larger than kMaxFileBytes, coordinates that are not finite
// numbers, a file holding no triangles at all.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "meshio/Mesh.h"
#include "meshio/MeshError.h"

namespace meshio {

enum class MeshFormat { Stl, Obj, Collada };

// More triangles than any part a user can see the difference on; a count above this is a file
// that lies or one that would take gigabytes to hold.
inline constexpr std::size_t kMaxTriangles = 20'000'000;
// A binary STL of kMaxTriangles triangles is about 1 GB; text formats need a few times more.
inline constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{4} << 30;

// The format a file name's extension names; MeshError for any other extension.
MeshFormat FormatOf(const std::filesystem::path& file);

// Reads the file.
Mesh ReadMeshFile(const std::filesystem::path& file);

// Reads bytes as a file of the given format; name is only used in messages. An OBJ read from
// bytes finds no material library beside it.
Mesh ReadMeshBytes(std::string_view bytes, MeshFormat format, const std::string& name);

}  // namespace meshio
