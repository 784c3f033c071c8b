#pragma once
// One mesh file as the catalogue holds it: read on first use and then kept, the catalogue entry
// that draws, exports and measures it, and its display list in the current context.

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "meshio/Mesh.h"
#include "shapes/ShapeRegistry.h"

namespace primora {

class MeshSlot {
  public:
    explicit MeshSlot(std::filesystem::path file);
    MeshSlot(const MeshSlot&) = delete;
    MeshSlot& operator=(const MeshSlot&) = delete;

    const std::filesystem::path& File() const noexcept { return file_; }
    const ShapeEntry& Entry() const noexcept { return entry_; }
    // The mesh, read on the first call; null when it cannot be read.
    std::shared_ptr<const meshio::Mesh> Mesh();
    // Why the mesh cannot be read (reading it first if need be), or nullopt.
    std::optional<std::string> Problem();
    // A file that could not be read is tried again at its next use.
    void RetryIfFailed();

    // The list that draws the mesh in the current context: its name and the context generation
    // it belongs to, and whether it still waits for its contents.
    unsigned List = 0;
    unsigned ListGeneration = 0;
    bool ListPending = false;

  private:
    void ReadOnce();

    std::filesystem::path file_;
    ShapeEntry entry_;
    std::mutex mutex_;
    bool tried_ = false;
    std::shared_ptr<const meshio::Mesh> mesh_;
    std::string problem_;
};

}  // namespace primora
