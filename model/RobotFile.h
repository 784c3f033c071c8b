#pragma once
// The robot file (.bot): one typWrapRooms record and nothing else. No header, no magic number,
// no padding, no record lengths; every number little-endian:
//   double          8 bytes, IEEE 754 binary64
//   32-bit integer  4 bytes, 16-bit integer 2 bytes, two's complement
//   text            16-bit length L, then L bytes in the Windows-1252 code page
//   record          its fields one after another, nothing around them
//   growable array  16-bit dimension count D (0 = unallocated, else 1), then for the one
//                   dimension a 32-bit element count and a 32-bit lower bound, then the elements
//
// Writing and reading are mirrored function pairs in RobotFile.cpp. Reading never trusts the
// file: every count is checked against the bytes left before anything is allocated, and
// CheckRobotStructure refuses what the room collection could not rebuild (no rooms, duplicate
// names, unknown or cyclic uses, trees too large to expand) before the document is touched.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/ModelLimits.h"
#include "model/Records.h"

namespace torvane {

// The largest file the loader reads. Robots of thousands of rooms take a few tens of
// megabytes; anything beyond this is refused before it is read into memory.
inline constexpr std::uint64_t kMaxRobotFileBytes = std::uint64_t{256} << 20;

// The most motor masks all the tables of one robot file may hold together. A table lists the
// motor occurrences of its room's tree (or one empty mask when there is none), so a robot within
// kMaxExpandedPartOccurrences has fewer; more would cost memory out of all proportion to the file
// (ten bytes in the file, some fifty in memory) for tables that are rebuilt from the trees anyway.
inline constexpr std::uint64_t kMaxRobotMotorMasks = 2 * kMaxExpandedPartOccurrences;

// The longest text, in code page bytes, that the 16-bit length of the file can announce.
inline constexpr std::size_t kMaxRobotTextBytes = 32'767;

// The bytes of InRobot. Texts are converted to the code page; a text longer than
// kMaxRobotTextBytes fails with an invalid-argument error naming the room and the field.
std::string EncodeRobot(const typWrapRooms& InRobot);

// Reads one record from the start of InBytes; bytes after its end are ignored. Anything that
// cannot be read fails with a file-format error naming InSourceName, the byte offset, where
// in the record it happened and why.
typWrapRooms DecodeRobot(std::string_view InBytes, const std::string& InSourceName);

// Refuses, with a file-format error that says why, a robot the room collection cannot be
// rebuilt from: no room at index 1 and up, rooms numbered from above 1, two rooms of one
// name, two subparts of one room whose names differ at most in letter case, a subpart naming
// no room, rooms that use each other in a cycle, or trees that expand to more than
// kMaxExpandedPartOccurrences occurrences.
void CheckRobotStructure(const typWrapRooms& InRobot, const std::string& InSourceName);

// Encodes InRobot completely, then replaces InPath through a temporary file in the same folder
// (written, flushed to disk, renamed over the target), so a failure at any point leaves what
// was on disk as it was. Encoding errors are raised before any file is touched; file errors
// are file errors naming the path.
void WriteRobotFile(const std::string& InPath, const typWrapRooms& InRobot);

// Reads InPath whole, decodes it and checks its structure. A path that cannot be read is a
// file error; content that cannot be used, or a file larger than kMaxRobotFileBytes, is a
// file-format error.
typWrapRooms ReadRobotFile(const std::string& InPath);

// Replaces InPath by InBytes as WriteRobotFile does.
void WriteFileReplacing(const std::string& InPath, std::string_view InBytes);

}  // namespace torvane
