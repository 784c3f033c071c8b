#pragma once
// A small closed mesh file for the tests of mesh parts: a tetrahedron with corners (0,0,0)
// (1,0,0) (0,2,0) (0,0,3), each facet wound counter-clockwise seen from outside, as ASCII STL.

namespace mechanon::testing {

inline constexpr const char* kTetrahedronStl =
    "solid t\nfacet normal 0 0 0\nouter loop\nvertex 0 0 0\nvertex 0 2 0\nvertex 1 0 0\n"
    "endloop\nendfacet\nfacet normal 0 0 0\nouter loop\nvertex 0 0 0\nvertex 1 0 0\n"
    "vertex 0 0 3\nendloop\nendfacet\nfacet normal 0 0 0\nouter loop\nvertex 0 0 0\n"
    "vertex 0 0 3\nvertex 0 2 0\nendloop\nendfacet\nfacet normal 0 0 0\nouter loop\n"
    "vertex 1 0 0\nvertex 0 2 0\nvertex 0 0 3\nendloop\nendfacet\nendsolid t\n";

}  // namespace mechanon::testing
