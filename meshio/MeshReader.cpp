#include "meshio/MeshReader.h"

#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <fstream>
#include <iterator>
#include <system_error>

#include "meshio/ColladaCheck.h"
#include "meshio/SceneTriangles.h"
#include "meshio/StlCheck.h"

namespace meshio {
namespace {

// Node transforms baked into the vertices, every polygon cut into triangles, points and lines
// dropped, and the importer's own consistency check (indices in range and the like).
constexpr unsigned kImportSteps = aiProcess_Triangulate | aiProcess_PreTransformVertices |
                                  aiProcess_SortByPType | aiProcess_ValidateDataStructure;

const char* Hint(MeshFormat format) {
    switch (format) {
        case MeshFormat::Stl:
            return "stl";
        case MeshFormat::Obj:
            return "obj";
        case MeshFormat::Collada:
            return "dae";
    }
    return "";
}

void PrepareImporter(Assimp::Importer& importer) {
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE,
                                aiPrimitiveType_POINT | aiPrimitiveType_LINE);
}

Mesh FromScene(const aiScene* scene, const Assimp::Importer& importer, MeshFormat format,
               const std::string& name) {
    if (!scene || !scene->mRootNode) {
        const std::string why = importer.GetErrorString();
        throw MeshError(name + ": cannot be read" + (why.empty() ? "" : " (" + why + ")"));
    }
    // The importer gives Collada files Y up, whatever up axis they declared.
    return SceneTriangles(*scene, format == MeshFormat::Collada, name);
}

// The file's bytes, after what can be judged without reading them all: its size and, for an STL
// file, whether the triangle count in its header matches that size.
std::string ReadAll(const std::filesystem::path& file, MeshFormat format, const std::string& name) {
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (error || !std::filesystem::exists(status))
        throw MeshError(name + ": the file does not exist");
    if (!std::filesystem::is_regular_file(status)) throw MeshError(name + ": is not a file");
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) throw MeshError(name + ": cannot be read (" + error.message() + ")");
    if (size > kMaxFileBytes)
        throw MeshError(name + ": is " + std::to_string(size >> 20) +
                        " MB, too large for a mesh part");
    std::ifstream in(file, std::ios::binary);
    if (!in) throw MeshError(name + ": cannot be opened for reading");
    if (format == MeshFormat::Stl && size > 0) {
        std::string head(static_cast<std::size_t>(std::min<std::uintmax_t>(size, kStlHeadBytes)),
                         '\0');
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        CheckStl(head, size, name);
        in.seekg(0);
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (in.gcount() != static_cast<std::streamsize>(size))
        throw MeshError(name + ": cannot be read to its end");
    return bytes;
}

// OBJ is plain text: control characters other than tabs and line ends have no place in it, and
// the importer's OBJ parser reads past its line buffer on some of them.
void CheckObjText(std::string_view text, const std::string& name) {
    const auto bad = std::find_if(text.begin(), text.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c < 0x20 && c != '\t' && c != '\n' && c != '\r';
    });
    if (bad == text.end()) return;
    const auto line = std::count(text.begin(), bad, '\n') + 1;
    throw MeshError(name + ": not an OBJ text file (a control character on line " +
                    std::to_string(line) + ")");
}

}  // namespace

MeshFormat FormatOf(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".stl") return MeshFormat::Stl;
    if (extension == ".obj") return MeshFormat::Obj;
    if (extension == ".dae") return MeshFormat::Collada;
    throw MeshError(file.string() + ": not a mesh file this program reads (STL, OBJ or DAE)");
}

Mesh ReadMeshBytes(std::string_view bytes, MeshFormat format, const std::string& name) {
    if (bytes.empty()) throw MeshError(name + ": the file is empty");
    if (bytes.size() > kMaxFileBytes) throw MeshError(name + ": too large for a mesh part");
    if (format == MeshFormat::Stl) CheckStl(bytes.substr(0, kStlHeadBytes), bytes.size(), name);
    if (format == MeshFormat::Collada) CheckCollada(bytes, name);
    if (format == MeshFormat::Obj) CheckObjText(bytes, name);
    Assimp::Importer importer;
    PrepareImporter(importer);
    const aiScene* scene =
        importer.ReadFileFromMemory(bytes.data(), bytes.size(), kImportSteps, Hint(format));
    return FromScene(scene, importer, format, name);
}

Mesh ReadMeshFile(const std::filesystem::path& file) {
    const std::string name = file.string();
    const MeshFormat format = FormatOf(file);
    const std::string bytes = ReadAll(file, format, name);
    if (format != MeshFormat::Obj) return ReadMeshBytes(bytes, format, name);
    // An OBJ names its material library by a path relative to itself: the importer reads it
    // from the folder.
    if (bytes.empty()) throw MeshError(name + ": the file is empty");
    CheckObjText(bytes, name);
    Assimp::Importer importer;
    PrepareImporter(importer);
    const aiScene* scene = importer.ReadFile(file.string(), kImportSteps);
    return FromScene(scene, importer, format, name);
}

}  // namespace meshio
