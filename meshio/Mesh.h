#pragma once
// A mesh file's surface as plain triangles: what the shape library draws, exports and measures
// for a mesh part. Coordinates are the file's own, Z up: STL and OBJ as they stand, Collada in
// metres (by its <unit>) and turned from its up axis to Z.

#include <array>
#include <cstddef>
#include <vector>

namespace meshio {

struct Point3 {
    float x = 0, y = 0, z = 0;
    friend bool operator==(const Point3&, const Point3&) = default;
};

struct Triangle {
    std::array<Point3, 3> Corners;
};

// Red, green and blue from 0 to 1.
struct Colour {
    float r = 0, g = 0, b = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

struct Box {
    Point3 Min, Max;
};

struct Mesh {
    std::vector<Triangle> Triangles;
    // One colour per corner of each triangle when the file gives the mesh colours of its own
    // (material or vertex colours); empty when the part's colour should be used.
    std::vector<std::array<Colour, 3>> Colours;
    // The box around every corner; all zero for a mesh without triangles.
    Box Bounds;

    std::size_t Bytes() const noexcept {
        return Triangles.size() * sizeof(Triangle) + Colours.size() * sizeof(Colours[0]);
    }
};

}  // namespace meshio
