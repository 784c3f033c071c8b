#pragma once
// Gaps between the control rounds of a drive, from the subleg parameter of every round (the
// time since the subleg started, which both control loops hand on with each round): median,
// 99th and 99.9th percentile and the largest, in milliseconds.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace mechanon::bench {

struct GapFigures {
    double median = 0, p99 = 0, p999 = 0, largest = 0;  // milliseconds
    std::size_t gaps = 0;
};

inline GapFigures GapFiguresOf(const std::vector<double>& roundTimes) {
    std::vector<double> gaps;
    for (std::size_t k = 1; k < roundTimes.size(); ++k)
        gaps.push_back((roundTimes[k] - roundTimes[k - 1]) * 1e3);
    GapFigures f;
    if (gaps.empty()) return f;
    std::sort(gaps.begin(), gaps.end());
    const auto at = [&](double q) {
        return gaps[std::min(gaps.size() - 1, static_cast<std::size_t>(q * (gaps.size() - 1)))];
    };
    f.median = at(0.5);
    f.p99 = at(0.99);
    f.p999 = at(0.999);
    f.largest = gaps.back();
    f.gaps = gaps.size();
    return f;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace mechanon::bench
