#pragma once
// The mesh shape: a part whose shape name is "mesh:" followed by a mesh file's path (STL, OBJ or
// Collada) shows that file's surface, its coordinates multiplied per axis by the part's sizes
// (1, 1, 1 is the file's own size; see meshio/MeshReader.h for the units). The prefix is matched
// in any case, the path as written after blanks are trimmed.
//
// A relative path is resolved against one mesh folder, the folder of the robot file being shown:
// the program sets it when it opens or saves a robot, the command line after loading one. Until
// it is set, relative paths resolve against the working folder.
//
// Each file is read once, on first use, and kept for the rest of the run, keyed by its resolved
// path; every occurrence of it draws one shared display list (see CompilePendingMeshLists). A
// file that cannot be read draws as a small box at the part's origin, exports and measures as
// no surface, and never throws while drawing; it is tried again when the mesh folder is next set.

#include <filesystem>
#include <optional>
#include <string>

#include "shapes/PrimoraApi.h"

namespace primora {

class ShapeRegistry;

inline constexpr const char* kMeshShapePrefix = "mesh:";
// The edge of the box a mesh that cannot be read is drawn as, model units.
inline constexpr double kMissingMeshMarker = 0.5;

// Sets the folder relative paths resolve against; files that could not be read are tried again.
PRIMORA_API void SetMeshFolder(const std::filesystem::path& folder);
PRIMORA_API std::filesystem::path MeshFolder();

// True for a name that names a mesh file.
PRIMORA_API bool IsMeshShapeName(const std::string& shapeName);
// The file a mesh shape name names, resolved against the mesh folder.
PRIMORA_API std::filesystem::path MeshFileOfShape(const std::string& shapeName);
// The shape name for a mesh file as a part stores it: its path relative to the mesh folder with
// '/' separators (it may climb out of the folder with ".."), absolute while no folder is set.
PRIMORA_API std::string MeshShapeNameFor(const std::filesystem::path& file);
// Files that could not be read are tried again at their next use (one may have been put in place).
PRIMORA_API void RetryUnreadableMeshes();
// Reads the named mesh unless it was read before; why it cannot be shown (a message naming the
// file), or nullopt when it can.
PRIMORA_API std::optional<std::string> MeshShapeProblem(const std::string& shapeName);

// Shared mesh lists. Without them every occurrence draws its mesh in place (into the list being
// compiled, if any): always right, but a big mesh then fills every list that shows it. A host
// that starts them in its context gets one list per mesh file, shared by every occurrence, and
// in return calls CompilePendingMeshLists after every list it compiles, before that list is
// shown: a list cannot be compiled inside another, so a mesh first met while one is compiled
// only reserves its list's name there and is filled in afterwards. Outside a compilation a
// mesh's list is compiled when first drawn.
//
// StartMeshLists begins them in the current context (the names of any earlier context mean
// nothing there); StopMeshLists goes back to drawing in place, for a host whose context goes.
PRIMORA_API void StartMeshLists();
PRIMORA_API void StopMeshLists();
PRIMORA_API void CompilePendingMeshLists();

// The catalogue's mesh family; used by RegisterBuiltInShapes.
void RegisterMeshShapes(ShapeRegistry& registry);

}  // namespace primora
