#include "app/motion/JointJog.h"

#include <QTimer>

#include "app/clsBots.h"
#include "app/motion/MotionCommand.h"
#include "app/motion/PoseLegs.h"
#include "app/motion/RoomMotors.h"
#include "app/motion/RunningCommand.h"
#include "app/motion/ToolPathCommand.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {
namespace {

// The animation period handed to a cut; a cut runs on the control timing and does not use it.
constexpr double kCutPeriod = 0.05;

}  // namespace

JointJog::JointJog(clsBots& bots, std::function<void(End)> ended)
    : bots_(bots), ended_(std::move(ended)) {}

JointJog::~JointJog() {
    pending_.reset();
    if (command_) command_->Stop();
}

void JointJog::MoveTo(std::vector<double> values) {
    pending_ = std::move(values);
    if (command_) {
        // The motors turn towards the new values from wherever the stop leaves them.
        retargeting_ = true;
        command_->Stop();
    }
    if (running_ || scheduled_) return;
    // Not from inside the slider's own event: the drive lets events through while it runs.
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] { RunPending(); });
}

void JointJog::Stop() {
    pending_.reset();
    if (command_) command_->Stop();
}

void JointJog::RunPending() {
    scheduled_ = false;
    if (running_) return;
    running_ = true;
    struct EndOfRun {
        JointJog& jog;
        ~EndOfRun() { jog.running_ = false; }
    } endOfRun{*this};
    while (pending_) {
        const std::vector<double> values = std::move(*pending_);
        pending_.reset();
        retargeting_ = false;
        bool arrived = true;
        if (!RunMotionCommand([&] { arrived = DriveTo(values); })) {
            pending_.reset();
            if (ended_) ended_(End::Failed);
            return;
        }
        if (!arrived && !retargeting_) {
            pending_.reset();
            if (ended_) ended_(End::Stopped);
            return;
        }
    }
}

bool JointJog::DriveTo(const std::vector<double>& values) {
    if (RunningCommand::RefuseIfRunning()) throw CommandStopped();
    UseActiveRoomMotors(bots_);
    torvane::clsToolPath& toolPath = bots_.ToolPathControl();
    ToolPathCommand command(toolPath);
    command_ = &command;
    struct EndOfDrive {
        JointJog& jog;
        ~EndOfDrive() { jog.command_ = nullptr; }
    } endOfDrive{*this};
    const std::vector<double> from =
        IntoTravel(toolPath, WhereMotorsStand(toolPath, static_cast<int>(values.size())));
    const std::string path = JogPath(toolPath, from, values);
    if (path.empty() || pending_) return !command.StopRequested();
    UseActiveRoomMotorsFor(bots_, path);
    toolPath.DriveXMLToolPath(path, false, kCutPeriod);
    return !command.StopRequested();
}

}  // namespace mechanon
