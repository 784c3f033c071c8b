#include "cli/DriveProgress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace mechanon::cli {
std::string Figure(double value, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

DriveProgress::DriveProgress(std::vector<std::string> names, std::ostream& out)
    : names_(std::move(names)), out_(out), largest_(names_.size(), 0.0) {}

void DriveProgress::Started(Clock::time_point now) {
    started_ = true;
    start_ = now;
    lastLine_ = now;
    out_ << "driving " << names_.size() << " motors\n" << std::flush;
}

void DriveProgress::Round(double s, const torvane::DoubleArray& targets,
                          const torvane::DoubleArray& measured) {
    s_ = s;
    ++rounds_;
    if (!targets.IsAllocated() || !measured.IsAllocated()) return;
    const std::int32_t last = std::min(targets.UBound(), measured.UBound());
    for (std::int32_t i = std::max(1, targets.LBound()); i <= last; ++i) {
        const auto motor = static_cast<std::size_t>(i);
        if (motor > largest_.size()) largest_.resize(motor, 0.0);
        const double error = std::abs(targets(i) - measured(i));
        if (std::isfinite(error)) largest_[motor - 1] = std::max(largest_[motor - 1], error);
    }
}

void DriveProgress::Tick(Clock::time_point now) {
    if (!started_ || now - lastLine_ < std::chrono::seconds(1)) return;
    lastLine_ = now;
    out_ << "S " << Figure(s_, 4) << "  time " << Figure(Seconds(now), 3)
         << " s  largest following error " << Figure(LargestOfAll(), 4) << "\n"
         << std::flush;
}

void DriveProgress::Summary(Clock::time_point now, std::optional<int> pieces) const {
    const std::string seconds = Figure(started_ ? Seconds(now) : 0.0, 3);
    if (pieces)
        out_ << "drove " << *pieces << (*pieces == 1 ? " piece" : " pieces") << " in " << seconds
             << " s";
    else
        out_ << "ended after " << seconds << " s at S " << Figure(s_, 4);
    out_ << " (" << rounds_ << " control rounds)\n";
    for (std::size_t i = 0; i < largest_.size(); ++i)
        out_ << "motor " << (i + 1) << " \"" << (i < names_.size() ? names_[i] : std::string())
             << "\" largest following error " << Figure(largest_[i], 4) << "\n";
    out_ << std::flush;
}

double DriveProgress::LargestError(std::size_t motor) const {
    return motor >= 1 && motor <= largest_.size() ? largest_[motor - 1] : 0.0;
}

double DriveProgress::Seconds(Clock::time_point now) const {
    return std::chrono::duration<double>(now - start_).count();
}

double DriveProgress::LargestOfAll() const {
    return largest_.empty() ? 0.0 : *std::max_element(largest_.begin(), largest_.end());
}

}  // namespace mechanon::cli
