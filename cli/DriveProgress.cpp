#include "cli/DriveProgress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "cli/JsonText.h"

namespace mechanon::cli {
std::string Figure(double value, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

DriveProgress::DriveProgress(std::vector<std::string> names, std::ostream& out, Format format)
    : names_(std::move(names)), out_(out), format_(format), largest_(names_.size(), 0.0) {}

void DriveProgress::Retimed(int legs, int pieces, double seconds) {
    retimed_ = Retiming{legs, pieces, seconds};
    if (format_ == Format::Text)
        out_ << "re-timed: " << legs << " legs, " << pieces << " pieces, " << Figure(seconds, 4)
             << " s\n"
             << std::flush;
}

void DriveProgress::Started(Clock::time_point now) {
    started_ = true;
    start_ = now;
    lastLine_ = now;
    if (format_ == Format::Text) out_ << "driving " << names_.size() << " motors\n" << std::flush;
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
    if (format_ != Format::Text || !started_ || now - lastLine_ < std::chrono::seconds(1)) return;
    lastLine_ = now;
    out_ << "S " << Figure(s_, 4) << "  time " << Figure(Seconds(now), 3)
         << " s  largest following error " << Figure(LargestOfAll(), 4) << "\n"
         << std::flush;
}

void DriveProgress::Summary(Clock::time_point now, std::optional<int> pieces) const {
    const double seconds = started_ ? Seconds(now) : 0.0;
    if (format_ == Format::Json)
        SummaryJson(seconds, pieces);
    else
        SummaryText(seconds, pieces);
    out_ << std::flush;
}

void DriveProgress::SummaryText(double seconds, std::optional<int> pieces) const {
    if (pieces)
        out_ << "drove " << *pieces << (*pieces == 1 ? " piece" : " pieces") << " in "
             << Figure(seconds, 3) << " s";
    else
        out_ << "ended after " << Figure(seconds, 3) << " s at S " << Figure(s_, 4);
    out_ << " (" << rounds_ << " control rounds)\n";
    for (std::size_t i = 0; i < largest_.size(); ++i)
        out_ << "motor " << (i + 1) << " \"" << (i < names_.size() ? names_[i] : std::string())
             << "\" largest following error " << Figure(largest_[i], 4) << "\n";
}

void DriveProgress::SummaryJson(double seconds, std::optional<int> pieces) const {
    Json motors = Json::array();
    for (std::size_t i = 0; i < largest_.size(); ++i)
        motors.push_back({{"index", i + 1},
                          {"name", i < names_.size() ? names_[i] : std::string()},
                          {"largest_following_error", largest_[i]}});
    const Json retimed = retimed_ ? Json{{"legs", retimed_->Legs},
                                         {"pieces", retimed_->Pieces},
                                         {"seconds", retimed_->Seconds}}
                                  : Json(nullptr);
    out_ << JsonText({{"completed", pieces.has_value()},
                      {"pieces", pieces ? Json(*pieces) : Json(nullptr)},
                      {"seconds", seconds},
                      {"s", s_},
                      {"control_rounds", rounds_},
                      {"retimed", retimed},
                      {"motors", motors}});
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
