#pragma once
// The bytes a test binary holds through operator new, and the most it held since the last
// ResetHeapPeak. Linking HeapCount.cpp into a test binary replaces the global operator new and
// delete there with counting ones (the sizes come from the allocator, so deletes without a size
// count right too).

#include <cstddef>

namespace mechanon::testing {

std::size_t HeapInUse();
std::size_t HeapPeak();
// Starts a new peak at what is held now.
void ResetHeapPeak();

}  // namespace mechanon::testing
