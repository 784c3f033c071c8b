#pragma once
// A set of files written all or nothing: each goes to a temporary file in its own folder first,
// and only when every one is complete are they renamed into place. Folders that had to be made
// are removed again when writing fails, so a failed export leaves the disk as it was.

#include <filesystem>
#include <string>
#include <vector>

namespace mechanon {

class OutputFiles {
  public:
    void Add(std::filesystem::path path, std::string bytes);
    // Writes every file added. Failure: a file error "cannot write PATH: REASON" and nothing of
    // this set left on disk.
    void Commit();

  private:
    struct Pending {
        std::filesystem::path path;
        std::string bytes;
    };
    std::vector<Pending> files_;
};

}  // namespace mechanon
