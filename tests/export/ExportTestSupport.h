#pragma once
// Running mechanon-cli as a user does, in a scratch folder, and reading what it wrote.

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "export/ShapeMesh.h"
#include "model/Records.h"

namespace mechanon::testing {

struct CliResult {
    int status = -1;
    std::string out, err;
};

// A fresh folder removed with everything in it at the end of the test.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Every file and folder below, relative, sorted.
    std::vector<std::string> Listing() const;

  private:
    std::filesystem::path path_;
};

// mechanon-cli with the given arguments, each passed as one word.
CliResult RunCli(const std::vector<std::string>& args);

std::string ReadFile(const std::filesystem::path& path);
void SaveRobot(const torvane::typWrapRooms& robot, const std::filesystem::path& path);

struct Poses {
    std::map<std::string, double> joints;
    std::vector<std::pair<std::string, std::array<double, 16>>> links;
};
Poses ParsePoses(const std::string& text);

// "1.5,-2,0" for the values.
std::string PositionList(const std::vector<double>& values);

// True when the corners of a and b pair up (in any order) within tolerance, relative to the
// coordinate's size above 1 (single-precision files hold about seven digits).
bool SameTriangle(const MeshTriangle& a, const MeshTriangle& b, double tolerance);

}  // namespace mechanon::testing
