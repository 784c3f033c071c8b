#pragma once
// Times and medians for the benchmarks that time their repetitions themselves.

#include <algorithm>
#include <chrono>
#include <vector>

namespace mechanon::bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// The middle value; the mean of the two middle ones for an even count; 0 for none.
inline double MedianOf(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace mechanon::bench
