#include "meshio/SceneTriangles.h"

#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "meshio/MeshError.h"
#include "meshio/MeshReader.h"

namespace meshio {
namespace {

// Parts of a file that name no colour of their own when others do.
constexpr Colour kNeutralGrey{0.7f, 0.7f, 0.7f};

// A material's plain diffuse colour, unless it is the importer's stand-in for a file without
// materials or its colour comes from a texture this program does not draw.
std::optional<Colour> OwnColour(const aiMaterial& material) {
    aiString name;
    if (material.Get(AI_MATKEY_NAME, name) == AI_SUCCESS &&
        std::string(name.C_Str()) == AI_DEFAULT_MATERIAL_NAME)
        return std::nullopt;
    if (material.GetTextureCount(aiTextureType_DIFFUSE) > 0) return std::nullopt;
    aiColor4D diffuse;
    if (material.Get(AI_MATKEY_COLOR_DIFFUSE, diffuse) != AI_SUCCESS) return std::nullopt;
    const auto unit = [](float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 0.5f; };
    return Colour{unit(diffuse.r), unit(diffuse.g), unit(diffuse.b)};
}

bool HasOwnColours(const aiScene& scene) {
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& mesh = *scene.mMeshes[m];
        if (mesh.HasVertexColors(0)) return true;
        if (mesh.mMaterialIndex < scene.mNumMaterials &&
            OwnColour(*scene.mMaterials[mesh.mMaterialIndex]))
            return true;
    }
    return false;
}

std::size_t TriangleCount(const aiScene& scene) {
    std::size_t count = 0;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& mesh = *scene.mMeshes[m];
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) count += mesh.mFaces[f].mNumIndices == 3;
    }
    return count;
}

class Collector {
  public:
    Collector(bool yUp, bool coloured, const std::string& name)
        : yUp_(yUp), coloured_(coloured), name_(name) {}

    void Add(const aiScene& scene, const aiMesh& mesh) {
        const std::optional<Colour> material =
            mesh.mMaterialIndex < scene.mNumMaterials
                ? OwnColour(*scene.mMaterials[mesh.mMaterialIndex])
                : std::nullopt;
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices != 3) continue;  // points and lines are no surface
            Triangle triangle;
            std::array<Colour, 3> colours{};
            for (int i = 0; i < 3; ++i) {
                const unsigned index = face.mIndices[i];
                if (index >= mesh.mNumVertices)
                    throw MeshError(name_ + ": a face names a vertex the mesh does not have");
                triangle.Corners[i] = Place(mesh.mVertices[index]);
                colours[i] = CornerColour(mesh, index, material);
            }
            mesh_.Triangles.push_back(triangle);
            if (coloured_) mesh_.Colours.push_back(colours);
        }
    }

    Mesh Take() && {
        Bound();
        return std::move(mesh_);
    }
    void Reserve(std::size_t triangles) {
        mesh_.Triangles.reserve(triangles);
        if (coloured_) mesh_.Colours.reserve(triangles);
    }

  private:
    Point3 Place(const aiVector3D& v) const {
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            throw MeshError(name_ + ": a coordinate is not a finite number");
        // Y up to Z up: the file's Y becomes Z, its Z points towards -Y.
        return yUp_ ? Point3{v.x, -v.z, v.y} : Point3{v.x, v.y, v.z};
    }

    static Colour CornerColour(const aiMesh& mesh, unsigned index,
                               const std::optional<Colour>& material) {
        if (mesh.HasVertexColors(0)) {
            const aiColor4D& c = mesh.mColors[0][index];
            const auto unit = [](float v) {
                return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 0.5f;
            };
            return {unit(c.r), unit(c.g), unit(c.b)};
        }
        return material.value_or(kNeutralGrey);
    }

    void Bound() {
        if (mesh_.Triangles.empty()) return;
        Box box{mesh_.Triangles[0].Corners[0], mesh_.Triangles[0].Corners[0]};
        for (const Triangle& t : mesh_.Triangles)
            for (const Point3& p : t.Corners) {
                box.Min = {std::min(box.Min.x, p.x), std::min(box.Min.y, p.y),
                           std::min(box.Min.z, p.z)};
                box.Max = {std::max(box.Max.x, p.x), std::max(box.Max.y, p.y),
                           std::max(box.Max.z, p.z)};
            }
        mesh_.Bounds = box;
    }

    bool yUp_;
    bool coloured_;
    const std::string& name_;
    Mesh mesh_;
};

}  // namespace

Mesh SceneTriangles(const aiScene& scene, bool yUp, const std::string& name) {
    const std::size_t count = TriangleCount(scene);
    if (count == 0) throw MeshError(name + ": holds no triangles");
    if (count > kMaxTriangles)
        throw MeshError(name + ": holds " + std::to_string(count) + " triangles, more than the " +
                        std::to_string(kMaxTriangles) + " a mesh part may have");
    Collector collector(yUp, HasOwnColours(scene), name);
    collector.Reserve(count);
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) collector.Add(scene, *scene.mMeshes[m]);
    return std::move(collector).Take();
}

}  // namespace meshio
