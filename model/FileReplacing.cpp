// Writing a file so that it is replaced whole or not at all: the bytes go to a temporary file in
// the same folder, are flushed to the disk, and the temporary file is renamed over the target.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "model/Error.h"
#include "model/RobotFile.h"

namespace torvane {
namespace {

[[noreturn]] void SaveFailure(const std::string& path, int error) {
    Raise(ErrorCode::FileError,
          "Cannot save the robot file \"" + path + "\": " + std::strerror(error) + ".");
}

// A file descriptor that is closed, and a temporary file that is removed, unless committed.
class TemporaryFile {
  public:
    explicit TemporaryFile(std::string pathTemplate) : path_(std::move(pathTemplate)) {
        fd_ = ::mkstemp(path_.data());
        if (fd_ < 0) path_.clear();
    }
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool IsOpen() const noexcept { return fd_ >= 0; }
    int Fd() const noexcept { return fd_; }
    const std::string& Path() const noexcept { return path_; }
    // Closes the descriptor; false (errno set) if the close reported a failed write.
    bool Close() {
        const int fd = std::exchange(fd_, -1);
        return ::close(fd) == 0;
    }
    // The file has been renamed into place: nothing to remove any more.
    void Commit() { path_.clear(); }

  private:
    std::string path_;
    int fd_ = -1;
};

mode_t NewFileMode(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

void WriteFileReplacing(const std::string& InPath, std::string_view InBytes) {
    namespace fs = std::filesystem;
    // Replace what a link points to, not the link itself.
    std::error_code ec;
    fs::path target = fs::weakly_canonical(fs::path(InPath), ec);
    if (ec) target = fs::path(InPath);
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    // A file the user has write-protected is not replaced behind its back, as the folder would
    // allow: it keeps its bytes, and the message names it. (Its write bits are looked at as well
    // as the access check, which lets the superuser write anything.)
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(target.c_str(), W_OK) != 0))
        Raise(ErrorCode::FileError, "Cannot save the robot file \"" + InPath +
                                        "\": the file is write-protected. Nothing was written; "
                                        "save under another name or allow writing to it.");

    TemporaryFile temp((folder / ("." + target.filename().string() + ".saving-XXXXXX")).string());
    if (!temp.IsOpen()) SaveFailure(InPath, errno);
    if (::fchmod(temp.Fd(), NewFileMode(target.string())) != 0 || !WriteAll(temp.Fd(), InBytes) ||
        ::fsync(temp.Fd()) != 0)
        SaveFailure(InPath, errno);
    if (!temp.Close()) SaveFailure(InPath, errno);
    if (::rename(temp.Path().c_str(), target.c_str()) != 0) SaveFailure(InPath, errno);
    temp.Commit();

    // Make the rename itself durable; the new file is complete either way.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace torvane
