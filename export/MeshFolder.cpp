#include "export/MeshFolder.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <system_error>

#include "model/Error.h"

namespace mechanon {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMeshFolderName = "meshes";

std::string Trimmed(const std::string& text) {
    const auto blank = [](unsigned char ch) { return std::isspace(ch) != 0; };
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

// The path part of a mesh shape name, or nothing for any other shape.
std::optional<std::string> MeshPathOf(const std::string& shapeName) {
    const std::string name = Trimmed(shapeName);
    const std::string prefix = kMeshShapePrefix;
    if (name.size() < prefix.size()) return std::nullopt;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != prefix[i]) return std::nullopt;
    return name.substr(prefix.size());
}

// The same file seen from anywhere: absolute, with "." and ".." and links resolved as far as
// the file system allows.
fs::path Canonical(const fs::path& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    const fs::path resolved = fs::weakly_canonical(ec ? path : absolute, ec);
    return (ec ? absolute : resolved).lexically_normal();
}

// The path of file relative to folder when it lies in that folder or below it.
std::optional<fs::path> InsideFolder(const fs::path& file, const fs::path& folder) {
    const fs::path relative = file.lexically_relative(folder);
    if (relative.empty() || relative.is_absolute()) return std::nullopt;
    if (*relative.begin() == "..") return std::nullopt;
    return relative;
}

bool SameContent(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::file_size(a, ec) != fs::file_size(b, ec) || ec) return false;
    std::ifstream left(a, std::ios::binary), right(b, std::ios::binary);
    if (!left || !right) return false;
    return std::equal(std::istreambuf_iterator<char>(left), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(right), std::istreambuf_iterator<char>());
}

// Copies made so far; removed again unless the whole move succeeds.
class CopiedFiles {
  public:
    CopiedFiles() = default;
    CopiedFiles(const CopiedFiles&) = delete;
    CopiedFiles& operator=(const CopiedFiles&) = delete;
    ~CopiedFiles() {
        if (kept_) return;
        std::error_code ec;
        for (const fs::path& file : files_) fs::remove(file, ec);
        if (!createdFolder_.empty()) fs::remove(createdFolder_, ec);
    }

    void EnsureFolder(const fs::path& folder) {
        std::error_code ec;
        if (fs::is_directory(folder, ec)) return;
        if (!fs::create_directory(folder, ec) || ec)
            torvane::Raise(torvane::ErrorCode::FileError,
                           "The mesh folder \"" + folder.string() +
                               "\" could not be created: " + ec.message());
        createdFolder_ = folder;
    }

    void Copy(const fs::path& from, const fs::path& to) {
        std::error_code ec;
        fs::copy_file(from, to, fs::copy_options::none, ec);
        if (ec) {
            fs::remove(to, ec);
            torvane::Raise(torvane::ErrorCode::FileError, "The mesh file \"" + from.string() +
                                                              "\" could not be copied to \"" +
                                                              to.string() + "\".");
        }
        files_.push_back(to);
    }

    void Keep() { kept_ = true; }

  private:
    std::vector<fs::path> files_;
    fs::path createdFolder_;
    bool kept_ = false;
};

class MeshMover {
  public:
    MeshMover(const fs::path& fromFolder, const fs::path& robotFile)
        : fromFolder_(fromFolder), robotFolder_(Canonical(robotFile).parent_path()) {}

    // The new shape name of a mesh, copying its file when it lies outside the robot's folder.
    std::string Moved(const std::string& shapeName, MeshMove& result) {
        const fs::path source = Canonical(MeshFileOf(shapeName, fromFolder_));
        std::error_code ec;
        if (!fs::is_regular_file(source, ec)) {
            const std::string missing = source.string();
            if (std::find(result.MissingFiles.begin(), result.MissingFiles.end(), missing) ==
                result.MissingFiles.end())
                result.MissingFiles.push_back(missing);
            return shapeName;
        }
        const fs::path target = Target(source);
        return kMeshShapePrefix + InsideFolder(target, robotFolder_)->generic_string();
    }

    void Keep() { copies_.Keep(); }

  private:
    fs::path Target(const fs::path& source) {
        if (InsideFolder(source, robotFolder_)) return source;
        if (const auto known = targets_.find(source); known != targets_.end()) return known->second;
        const fs::path folder = robotFolder_ / kMeshFolderName;
        copies_.EnsureFolder(folder);
        const fs::path target = FreeName(folder, source);
        std::error_code ec;
        if (!fs::exists(target, ec)) copies_.Copy(source, target);
        targets_.emplace(source, target);
        return target;
    }

    // The file's name in folder, numbered when a different file already has it; the name of
    // an identical file is taken as it stands, so saving twice copies nothing twice.
    fs::path FreeName(const fs::path& folder, const fs::path& source) {
        const std::string stem = source.stem().string();
        const std::string extension = source.extension().string();
        fs::path candidate = folder / source.filename();
        for (int n = 2;; ++n) {
            std::error_code ec;
            const bool claimed = Claimed(candidate);
            if (!claimed && !fs::exists(candidate, ec)) return candidate;
            if (!claimed && SameContent(source, candidate)) return candidate;
            candidate = folder / (stem + "_" + std::to_string(n) + extension);
        }
    }

    bool Claimed(const fs::path& candidate) const {
        return std::any_of(targets_.begin(), targets_.end(),
                           [&](const auto& entry) { return entry.second == candidate; });
    }

    fs::path fromFolder_;
    fs::path robotFolder_;
    std::map<fs::path, fs::path> targets_;
    CopiedFiles copies_;
};

}  // namespace

bool IsMeshShapeName(const std::string& shapeName) {
    return MeshPathOf(shapeName).has_value();
}

fs::path MeshFileOf(const std::string& shapeName, const fs::path& robotFolder) {
    const fs::path file = fs::path(MeshPathOf(shapeName).value_or(std::string()));
    if (file.is_absolute() || robotFolder.empty()) return file.lexically_normal();
    return (robotFolder / file).lexically_normal();
}

MeshMove TakeMeshesAlong(torvane::typWrapRooms& rooms, const fs::path& fromFolder,
                         const fs::path& robotFile) {
    MeshMove result;
    torvane::typWrapRooms moved = rooms;
    MeshMover mover(fromFolder, robotFile);
    if (moved.Rooms.IsAllocated())
        for (std::int32_t i = moved.Rooms.LBound(); i <= moved.Rooms.UBound(); ++i) {
            std::string& shape = moved.Rooms(i).Part.ShapeName;
            if (IsMeshShapeName(shape)) shape = mover.Moved(shape, result);
        }
    mover.Keep();
    rooms = std::move(moved);
    return result;
}

MeshCopies::MeshCopies(const fs::path& robotFile) : folder_(robotFile.parent_path() / "meshes") {
    std::error_code error;
    folderExisted_ = fs::is_directory(folder_, error);
    if (folderExisted_)
        for (const auto& entry : fs::directory_iterator(folder_, error))
            filesBefore_.push_back(entry.path());
}

void MeshCopies::TakeBack() const noexcept {
    try {
        std::error_code error;
        if (!fs::is_directory(folder_, error)) return;
        std::vector<fs::path> copies;
        for (const auto& entry : fs::directory_iterator(folder_, error))
            if (std::find(filesBefore_.begin(), filesBefore_.end(), entry.path()) ==
                filesBefore_.end())
                copies.push_back(entry.path());
        for (const auto& copy : copies) fs::remove(copy, error);
        if (!folderExisted_) fs::remove(folder_, error);  // only when empty
    } catch (...) {
        // Out of memory while listing: the copies stay, and the names still point at the originals.
    }
}

}  // namespace mechanon
