#pragma once
// Binary STL: an 80-byte header, the triangle count and per triangle its unit normal (from the
// corners' winding) and three corners, single-precision little-endian.

#include <string>
#include <vector>

#include "export/ShapeMesh.h"

namespace mechanon {

std::string BinaryStl(const std::vector<MeshTriangle>& triangles, const std::string& header);
// The triangles of a binary STL; a file-format error when the bytes are not one.
std::vector<MeshTriangle> ReadBinaryStl(const std::string& bytes);

}  // namespace mechanon
