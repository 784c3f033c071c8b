#pragma once
// The limits that keep a robot drawable and its operations quick. Each has a name so that every
// message and test that refers to it uses the same number.

#include <cstdint>

namespace torvane {

// The most part occurrences the trees of a robot may hold when every use is expanded. Mapping
// the motor masks walks every room's tree and drawing walks the active room's, so beyond this a
// robot could not be shown or mapped in reasonable time (forty rooms each using the next twice
// expand to a trillion occurrences). A robot file may hold this many over all its rooms
// together; a single room's tree is held to it before it is walked.
inline constexpr std::uint64_t kMaxExpandedPartOccurrences = 1'000'000;

// The deepest nesting of subparts the placement walk draws, counting the room itself as level
// 1. Every level holds one entry of the GL model-view stack, of which every implementation
// offers at least 32; the base entry, the camera entry the display pushes around the world list
// and the entry a shape pushes while it draws take the other three. Deeper trees would overflow
// the stack and be drawn in the wrong places, so the walk refuses them.
inline constexpr std::int32_t kMaxPlacementDepth = 29;

}  // namespace torvane
