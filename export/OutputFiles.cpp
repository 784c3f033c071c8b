#include "export/OutputFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "model/Error.h"

namespace mechanon {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void CannotWrite(const fs::path& path, const std::string& why) {
    torvane::Raise(torvane::ErrorCode::FileError, "cannot write " + path.string() + ": " + why);
}

// Made folders and temporary files, undone unless the whole set was written.
class Undo {
  public:
    ~Undo() {
        std::error_code ignored;
        for (const fs::path& t : temporaries_) fs::remove(t, ignored);
        for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) fs::remove(*it, ignored);
    }
    void MakeFolder(const fs::path& folder) {
        if (folder.empty()) return;
        std::error_code error;
        if (fs::is_directory(folder, error)) return;
        MakeFolder(folder.parent_path());
        if (!fs::create_directory(folder, error) && !fs::is_directory(folder))
            CannotWrite(folder, error ? error.message() : "not a folder");
        folders_.push_back(folder);
    }
    void Temporary(const fs::path& t) { temporaries_.push_back(t); }
    void Keep() {
        temporaries_.clear();
        folders_.clear();
    }

  private:
    std::vector<fs::path> temporaries_;
    std::vector<fs::path> folders_;
};

// Writes bytes to a new temporary file beside path and returns its name.
fs::path WriteTemporary(const fs::path& path, const std::string& bytes, Undo& undo) {
    std::string pattern =
        (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) CannotWrite(path, std::strerror(errno));
    undo.Temporary(pattern);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = errno;
            ::close(fd);
            CannotWrite(path, std::strerror(error));
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, 0644) != 0 || ::close(fd) != 0) CannotWrite(path, std::strerror(errno));
    return pattern;
}

}  // namespace

void OutputFiles::Add(std::filesystem::path path, std::string bytes) {
    files_.push_back({std::move(path), std::move(bytes)});
}

void OutputFiles::Commit() {
    Undo undo;
    std::vector<fs::path> temporaries;
    for (const Pending& file : files_) {
        const fs::path folder = file.path.parent_path();
        undo.MakeFolder(folder.empty() ? fs::path(".") : folder);
        if (fs::is_directory(file.path)) CannotWrite(file.path, "it is a folder");
        temporaries.push_back(WriteTemporary(file.path, file.bytes, undo));
    }
    for (std::size_t i = 0; i < files_.size(); ++i) {
        std::error_code error;
        fs::rename(temporaries[i], files_[i].path, error);
        if (error) CannotWrite(files_[i].path, error.message());
    }
    undo.Keep();
    files_.clear();
}

}  // namespace mechanon
