#pragma once
// Mesh files travel with the robot file that names them. A mesh shape is named "mesh:" followed
// by the file's path, relative to the robot file's folder with '/' separators (an absolute path
// while the robot has no file yet).

#include <filesystem>
#include <string>
#include <vector>

#include "model/Records.h"

namespace mechanon {

inline constexpr const char* kMeshShapePrefix = "mesh:";

// True for a shape name that names a mesh file.
bool IsMeshShapeName(const std::string& shapeName);
// The file a mesh shape names, resolved against the folder of the robot file (or as it stands
// when absolute).
std::filesystem::path MeshFileOf(const std::string& shapeName,
                                 const std::filesystem::path& robotFolder);

// Makes the rooms ready to be saved as robotFile, whose names were relative to fromFolder (empty
// for a robot that was never saved: its mesh names are absolute). A mesh that lies in robotFile's
// folder or below keeps its file; any other is copied into the folder "meshes" beside robotFile
// (a different file of the same name there gets a numbered name), and every mesh name is
// rewritten relative to robotFile's folder. A mesh file that does not exist keeps its name and is
// listed in the result. All or nothing: when a copy fails, the files copied so far are removed,
// the rooms are unchanged, and torvane::Error names the file.
struct MeshMove {
    std::vector<std::string> MissingFiles;
};
MeshMove TakeMeshesAlong(torvane::typWrapRooms& rooms, const std::filesystem::path& fromFolder,
                         const std::filesystem::path& robotFile);

// The folder "meshes" beside a robot file as it is when this is made, so that the copies a save
// puts there can be taken back when the robot itself cannot be written: TakeBack removes the
// files that came since, and the folder when it was not there before.
class MeshCopies {
  public:
    explicit MeshCopies(const std::filesystem::path& robotFile);
    void TakeBack() const noexcept;

  private:
    std::filesystem::path folder_;
    bool folderExisted_ = false;
    std::vector<std::filesystem::path> filesBefore_;
};

}  // namespace mechanon
