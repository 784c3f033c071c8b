#include "toolpath/MotionRecorder.h"

#include <algorithm>
#include <string>

#include "model/Error.h"
#include "model/NumberText.h"
#include "motorio/DrivenJoints.h"
#include "platform/Clock.h"

namespace torvane {

MotionRecorder::MotionRecorder(DrivenJoints& Joints, std::int32_t Motors, double Period)
    : joints_(Joints), motors_(Motors) {
    timing_.Period = Period;
    // Reading the encoders takes microseconds; a round this late found a port that hangs.
    timing_.Deadline = std::max(0.5, 10 * Period);
    CheckControlTiming(timing_);
}

MotionRecorder::~MotionRecorder() {
    if (!loop_) return;
    stop_.request_stop();
    try {
        loop_->Wait({});
    } catch (...) {
        // The samples and their error go with the recorder.
    }
}

void MotionRecorder::Start(const std::vector<bool>& LetGo) {
    if (loop_)
        Raise(ErrorCode::InvalidArgument,
              "Invalid procedure call or argument: the recording has already started");
    if (motors_ < 1)
        Raise(ErrorCode::InvalidArgument,
              "Invalid procedure call or argument: there is no motor to record; the motor list "
              "names none");
    if (joints_.Count() < motors_)
        Raise(ErrorCode::InvalidArgument,
              "Invalid procedure call or argument: the recording needs " + std::to_string(motors_) +
                  " motors, but " + std::to_string(joints_.Count()) + " are open");
    if (LetGo.empty())
        joints_.AllOff();
    else if (!joints_.LetGo(LetGo))
        Raise(ErrorCode::InvalidArgument,
              "The motors to keep could not be kept where they stand, so nothing is recorded");
    {
        const std::lock_guard lock(mutex_);
        samples_.clear();
        count_.store(0);
    }
    measured_.assign(static_cast<std::size_t>(motors_), 0);
    stop_ = std::stop_source();
    ControlLoop::Steps steps;
    steps.Begin = [this] { joints_.DriveFrom(std::this_thread::get_id()); };
    steps.Round = [this] {
        TakeSample();
        return true;
    };
    steps.End = [this] { Finish(); };
    steps.Overrun = [this] { joints_.EmergencyOff(); };
    sampling_.store(true);
    loop_ = std::make_unique<ControlLoop>(timing_, stop_, std::move(steps));
}

void MotionRecorder::TakeSample() {
    if (!joints_.Read(measured_))
        Raise(ErrorCode::SubscriptOutOfRange,
              "Subscript out of range: the motor ports were closed during the recording");
    const double now = SystemClock().Seconds();
    const std::lock_guard lock(mutex_);
    samples_.push_back({now, measured_});
    count_.store(samples_.size());
}

void MotionRecorder::Finish() noexcept {
    joints_.AllOff();
    joints_.DriveFrom(std::thread::id{});
    sampling_.store(false);
}

std::vector<typMotionSample> MotionRecorder::Stop() {
    if (!loop_) return {};
    stop_.request_stop();
    const std::unique_ptr<ControlLoop> loop = std::move(loop_);
    loop->Wait({});  // raises what ended the sampling early
    if (loop->Overran())
        Raise(ErrorCode::InvalidArgument,
              "Reading the encoders took longer than " + TrimmedNumberText(timing_.Deadline) +
                  " s, so the recording was stopped with every line off");
    std::vector<typMotionSample> samples;
    {
        const std::lock_guard lock(mutex_);
        samples.swap(samples_);
        count_.store(0);
    }
    if (!samples.empty()) {
        const double first = samples.front().T;
        for (typMotionSample& s : samples) s.T -= first;
    }
    return samples;
}

double MotionRecorder::Rate() const {
    const std::lock_guard lock(mutex_);
    if (samples_.size() < 2) return 0;
    const double span = samples_.back().T - samples_.front().T;
    return span > 0 ? static_cast<double>(samples_.size() - 1) / span : 0;
}

}  // namespace torvane
