#pragma once
// Records a motion moved by hand: with every motor's lines off, the measured positions of a set
// of driven joints are read on a thread of their own at a steady period (the drive's control
// loop, ControlLoop.h) until Stop, each sample stamped with the installed clock's time. The
// joints belong to that thread while it samples (DrivenJoints::DriveFrom), as during a drive.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stop_token>
#include <vector>

#include "toolpath/ControlLoop.h"
#include "toolpath/RecordedPath.h"

namespace torvane {

class DrivenJoints;

class MotionRecorder {
  public:
    // 200 samples a second.
    static constexpr double kDefaultPeriod = 0.005;

    // Samples joints 1 to Motors of Joints, which must be open and outlive the recorder.
    MotionRecorder(DrivenJoints& Joints, std::int32_t Motors, double Period = kDefaultPeriod);
    // Ends the sampling, lines off.
    ~MotionRecorder();
    MotionRecorder(const MotionRecorder&) = delete;
    MotionRecorder& operator=(const MotionRecorder&) = delete;

    // Switches every line off (or, given LetGo, lets go of the motors marked there, motor 1
    // first, and keeps the others where they stand) and starts sampling. Raises an
    // invalid-argument error, starting nothing, when it already samples, when Motors is below 1,
    // when fewer joints are open, or when a motor to keep could not be kept.
    void Start(const std::vector<bool>& LetGo = {});
    // Ends the sampling (every line off) and hands over the samples, timed from the first. The
    // error that ended the sampling early (the ports closed under it) is raised here, once.
    std::vector<typMotionSample> Stop();

    // True from Start until the sampling ends, by Stop or by an error.
    bool Sampling() const noexcept { return sampling_.load(); }
    std::size_t SampleCount() const noexcept { return count_.load(); }
    // Samples per second so far: one less than their count over the time they span; 0 before two.
    double Rate() const;

  private:
    void TakeSample();
    void Finish() noexcept;

    DrivenJoints& joints_;
    const std::int32_t motors_;
    ControlTiming timing_;
    std::stop_source stop_;
    std::unique_ptr<ControlLoop> loop_;
    std::vector<double> measured_;  // the sampling thread's own
    mutable std::mutex mutex_;
    std::vector<typMotionSample> samples_;
    std::atomic<std::size_t> count_{0};
    std::atomic<bool> sampling_{false};
};

}  // namespace torvane
