#include "shapes/MeshShape.h"

#include <map>
#include <memory>
#include <mutex>

#include "shapes/MeshSlot.h"
#include "shapes/ShapeRegistry.h"

namespace primora {
namespace {

// Every mesh file used in this run, keyed by its resolved path. Slots are never removed: the
// catalogue hands out pointers to their entries.
class MeshLibrary {
  public:
    void SetFolder(const std::filesystem::path& folder) {
        const std::lock_guard lock(mutex_);
        folder_ = folder;
        RetryLocked();
    }
    void Retry() {
        const std::lock_guard lock(mutex_);
        RetryLocked();
    }
    std::filesystem::path Folder() {
        const std::lock_guard lock(mutex_);
        return folder_;
    }
    std::filesystem::path Resolve(const std::string& path) {
        if (path.empty()) return {};
        const std::filesystem::path file(path);
        if (file.is_absolute()) return file.lexically_normal();
        const std::lock_guard lock(mutex_);
        return (folder_ / file).lexically_normal();
    }
    MeshSlot& SlotFor(const std::string& path) {
        const std::filesystem::path file = Resolve(path);
        const std::lock_guard lock(mutex_);
        auto& slot = slots_[file.string()];
        if (!slot) slot = std::make_unique<MeshSlot>(file);
        return *slot;
    }

  private:
    void RetryLocked() {
        for (auto& [path, slot] : slots_) slot->RetryIfFailed();
    }

    std::mutex mutex_;
    std::filesystem::path folder_;
    std::map<std::string, std::unique_ptr<MeshSlot>> slots_;
};

MeshLibrary& Library() {
    static MeshLibrary library;
    return library;
}

// The path a mesh shape name gives, trimmed of blanks; nullopt for any other name.
std::optional<std::string> MeshPathOf(const std::string& shapeName) {
    const std::string prefix = kMeshShapePrefix;
    const auto first = shapeName.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    const std::string lead = shapeName.substr(first);
    if (NormalisedShapeName(lead.substr(0, prefix.size())) != prefix) return std::nullopt;
    const std::string rest = lead.substr(prefix.size());
    const auto from = rest.find_first_not_of(' ');
    if (from == std::string::npos) return std::string();
    return rest.substr(from, rest.find_last_not_of(' ') - from + 1);
}

}  // namespace

void SetMeshFolder(const std::filesystem::path& folder) {
    Library().SetFolder(folder);
}

void RetryUnreadableMeshes() {
    Library().Retry();
}

std::filesystem::path MeshFolder() {
    return Library().Folder();
}

bool IsMeshShapeName(const std::string& shapeName) {
    return MeshPathOf(shapeName).has_value();
}

std::filesystem::path MeshFileOfShape(const std::string& shapeName) {
    const auto path = MeshPathOf(shapeName);
    return path ? Library().Resolve(*path) : std::filesystem::path();
}

std::string MeshShapeNameFor(const std::filesystem::path& file) {
    const std::filesystem::path absolute = std::filesystem::absolute(file).lexically_normal();
    const std::filesystem::path folder = Library().Folder();
    if (folder.empty()) return kMeshShapePrefix + absolute.generic_string();
    const std::filesystem::path relative =
        absolute.lexically_relative(std::filesystem::absolute(folder).lexically_normal());
    return kMeshShapePrefix + (relative.empty() ? absolute : relative).generic_string();
}

std::optional<std::string> MeshShapeProblem(const std::string& shapeName) {
    const auto path = MeshPathOf(shapeName);
    if (!path) return std::nullopt;
    return Library().SlotFor(*path).Problem();
}

void RegisterMeshShapes(ShapeRegistry& registry) {
    registry.RegisterFamily(
        kMeshShapePrefix, [](const std::string& path) { return &Library().SlotFor(path).Entry(); });
}

}  // namespace primora
