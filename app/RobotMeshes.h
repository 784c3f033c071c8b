#pragma once
// The mesh files of the open robot as the document commands need them: which cannot be shown
// when a robot opens, and their names made ready for the folder a robot is saved into.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "export/MeshFolder.h"

namespace torvane {
class clsRooms;
}

namespace mechanon {

// Why each mesh file the rooms name cannot be shown (a message naming the file), each file once,
// in the order of the rooms.
std::vector<std::string> UnreadableMeshes(const torvane::clsRooms& rooms);
// The one message that lists them all.
std::string UnreadableMeshesMessage(const std::vector<std::string>& problems);

// The rooms' mesh names rewritten for saving as robotFile (their files copied along where they
// lie outside its folder, see TakeMeshesAlong), for as long as this lives: unless Keep is called
// (the robot was written), the old names come back and the copies made are removed again.
// Copying failures throw with the rooms and files as they were.
class MeshNamesForSave {
  public:
    MeshNamesForSave(torvane::clsRooms& rooms, const std::filesystem::path& fromFolder,
                     const std::filesystem::path& robotFile);
    ~MeshNamesForSave();
    MeshNamesForSave(const MeshNamesForSave&) = delete;
    MeshNamesForSave& operator=(const MeshNamesForSave&) = delete;

    void Keep() noexcept { kept_ = true; }
    // Mesh files that did not exist: their names were left as they were.
    const std::vector<std::string>& MissingFiles() const noexcept { return missing_; }

  private:
    void Undo();

    torvane::clsRooms& rooms_;
    std::vector<std::pair<std::int32_t, std::string>> oldNames_;  // room index, shape name
    MeshCopies copies_;  // what the folder of copies held before
    std::vector<std::string> missing_;
    bool kept_ = false;
};

}  // namespace mechanon
