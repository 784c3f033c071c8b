#pragma once
// Random changes of every kind the history records, made through the windows as a user makes
// them (menus, the part editor's boxes and buttons, the motor control window, the 3D view's
// camera slot). Each edit is chosen from the robot as it stands and kept as a closure of plain
// positions and values, so the same edit can be made again on the same robot opened afresh.

#include <functional>
#include <random>
#include <string>

namespace torvane {
class ScriptedUserInterface;
}

namespace mechanon {
class MDIForm1;
class clsBots;
}  // namespace mechanon

namespace mechanon::testing {

class RandomEdits {
  public:
    using Edit = std::function<void()>;
    RandomEdits(MDIForm1& main, clsBots& bots, torvane::ScriptedUserInterface& ui, unsigned seed);
    // An edit that fits the robot as it is now.
    Edit Next();

  private:
    Edit CreateRoom();
    Edit DeleteRoom();
    Edit MoveRoom();
    Edit PartFields();
    Edit RenameRoom();
    Edit Motor();
    Edit AddSubPart();
    Edit DeleteSubPart();
    Edit MoveSubPart();
    Edit SubPartFields();
    Edit Camera();
    Edit MaskValue();
    Edit ToolPathText();
    // The room at position room made active as a thumbnail click does, with the tree node
    // node clicked (1: the room itself, k + 1: subpart k).
    void Select(int room, int node) const;
    int Pick(int count) { return std::uniform_int_distribution<int>(1, count)(rng_); }
    double Value() { return std::uniform_int_distribution<int>(-40, 40)(rng_) / 4.0; }
    std::string Fresh(const char* prefix) { return prefix + std::to_string(++names_); }
    int Rooms() const;
    int SubParts(int room) const;

    MDIForm1& main_;
    clsBots& bots_;
    torvane::ScriptedUserInterface& ui_;
    std::mt19937 rng_;
    int names_ = 0;
};

// The robot as File > Save writes it, with the pose drawn as Open draws it: every room in turn,
// then the first. The file keeps the pose the view drew last, which follows what was looked
// at rather than what was changed.
std::string SavedBytes(MDIForm1& main, clsBots& bots, const std::string& path);
// Where two robot files differ, in words ("" when they are byte for byte the same): the room
// and the field, or "bytes" when the records agree and the files do not.
std::string RobotDifference(const std::string& a, const std::string& b);

}  // namespace mechanon::testing
