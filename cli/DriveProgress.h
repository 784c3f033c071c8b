#pragma once
// What a drive from the command line reports: how the path was re-timed, a line when the motors
// start, then once a second the parameter S of the piece being driven, the time since the start
// and the largest following error so far, and at the end a summary with the largest following
// error of each motor. As JSON, only the summary is written, as one document holding the
// re-timing too.

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "model/VbArray.h"

namespace mechanon::cli {

// value with digits significant digits ("0.5", "6.045"), as the drive's lines write numbers.
std::string Figure(double value, int digits);

class DriveProgress {
  public:
    using Clock = std::chrono::steady_clock;

    enum class Format { Text, Json };

    // names[i] names motor i + 1; out receives the lines (or the document).
    DriveProgress(std::vector<std::string> names, std::ostream& out, Format format = Format::Text);

    // The path was re-timed into pieces lasting seconds in all.
    void Retimed(int legs, int pieces, double seconds);
    // The motors are about to move: the clock starts.
    void Started(Clock::time_point now);
    // One control round: the piece's parameter, and each motor's target and measured position
    // (indices from 1).
    void Round(double s, const torvane::DoubleArray& targets, const torvane::DoubleArray& measured);
    // Prints a progress line when a second has passed since the last one.
    void Tick(Clock::time_point now);
    // The summary: the pieces driven when the whole path was, none when the drive ended early.
    void Summary(Clock::time_point now, std::optional<int> pieces) const;

    bool HasStarted() const { return started_; }
    const std::vector<std::string>& Names() const { return names_; }
    // The largest following error of motor (from 1) so far; 0 before its first round.
    double LargestError(std::size_t motor) const;

  private:
    struct Retiming {
        int Legs = 0;
        int Pieces = 0;
        double Seconds = 0;
    };

    double Seconds(Clock::time_point now) const;
    double LargestOfAll() const;
    void SummaryText(double seconds, std::optional<int> pieces) const;
    void SummaryJson(double seconds, std::optional<int> pieces) const;

    std::vector<std::string> names_;
    std::ostream& out_;
    Format format_;
    std::optional<Retiming> retimed_;
    std::vector<double> largest_;
    bool started_ = false;
    Clock::time_point start_;
    Clock::time_point lastLine_;
    double s_ = 0;
    std::int64_t rounds_ = 0;
};

}  // namespace mechanon::cli
