#pragma once
// The checks a URDF text gets before the URDF parser sees it, so that a refusal names the element
// and its line: well-formed XML, a <robot> root, unique link and joint names, known joint types,
// joints naming links that exist, every link but one with exactly one parent, no cycles, numbers
// where numbers belong, and meshes with a file name.

#include <map>
#include <set>
#include <string>
#include <vector>

namespace mechanon {

struct UrdfOutline {
    // Joint names in the order of the file, and for each link the line of its element.
    std::vector<std::string> JointOrder;
    std::map<std::string, int> LinkLines;
    // The joints whose <limit> gives no lower, and those whose <limit> gives no upper: their
    // travel is not limited at that end (the parser would read 0 there, and a joint with neither
    // could not move).
    std::set<std::string> NoLower;
    std::set<std::string> NoUpper;
    // Things that did not stop the reading.
    std::vector<std::string> Warnings;
};

// Fails with a file-format torvane::Error naming fileName, the element and its line.
UrdfOutline CheckUrdfText(const std::string& text, const std::string& fileName);

}  // namespace mechanon
