#pragma once
// Helpers shared by the robot file tests: a byte builder that follows the file layout by
// hand (independent of the production writer), a scratch folder, the fixture robot and a
// snapshot that tells whether a collection changed.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/Records.h"
#include "model/clsRooms.h"

namespace torvane::testing {

// Little-endian bytes appended field by field.
class Bytes {
  public:
    Bytes& I16(std::int16_t v);
    Bytes& I32(std::int32_t v);
    Bytes& F64(double v);
    Bytes& Zeros(int doubles);  // that many doubles of value 0
    // A text already in code page bytes.
    Bytes& Text(const std::string& codepageBytes);
    // Dimension count 1, element count, lower bound.
    Bytes& Array(std::int32_t count, std::int32_t lower);
    // Dimension count 0.
    Bytes& Unallocated();
    Bytes& Raw(const std::string& bytes);
    const std::string& Str() const { return s_; }
    std::size_t Size() const { return s_.size(); }

  private:
    std::string s_;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }
    // Names of everything in the folder.
    std::vector<std::string> Entries() const;

  private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// The fixture robot: four rooms. "Robot Base é" uses "Arm" twice; "Arm" (rotational motor)
// uses "Gripper €" (linear motor); "Spare" stands alone and carries texts with characters
// the code page cannot hold. Masks are built and carry values.
void BuildFixture(clsRooms& rooms);
// The description of "Spare" as built, and as it comes back from a file.
extern const char* const kSpareDescription;
extern const char* const kSpareDescriptionFromFile;

// Everything a failed load must leave as it was: the records, the room objects and the
// active room.
struct RoomsSnapshot {
    typWrapRooms data;
    std::vector<std::shared_ptr<clsPartRoom>> rooms;
    std::shared_ptr<clsPartRoom> active;
    std::int32_t activeIndex = 0;
    std::int32_t total = 0;
};
RoomsSnapshot Snapshot(const clsRooms& rooms);
bool SameAs(const RoomsSnapshot& a, const RoomsSnapshot& b);

// A robot record of rooms named names[i]; uses[i] lists the room names room i uses as
// subparts (each use named "use<k>").
typWrapRooms RobotOfUses(const std::vector<std::string>& names,
                         const std::vector<std::vector<std::string>>& uses);

}  // namespace torvane::testing
