#include "app/DocumentState.h"

#include <QElapsedTimer>
#include <algorithm>

#include "app/clsBots.h"
#include "app/undo/DocumentHistory.h"
#include "model/RobotFile.h"
#include "model/clsRooms.h"

namespace mechanon {
namespace {

// How often the caption follows the document, at the least; a large robot is compared less
// often, so the comparison never takes more than a small share of the time.
constexpr int kRefreshMilliseconds = 300;
constexpr int kMostShareOfTime = 50;

}  // namespace

DocumentState::DocumentState(clsBots& bots, std::function<void(bool)> ShowModified, QObject* parent)
    : QObject(parent), bots_(bots), showModified_(std::move(ShowModified)) {
    timer_.setInterval(kRefreshMilliseconds);
    connect(&timer_, &QTimer::timeout, this, [this] {
        QElapsedTimer took;
        took.start();
        Refresh();
        const auto spent = static_cast<int>(took.elapsed());
        timer_.setInterval(std::max(kRefreshMilliseconds, spent * kMostShareOfTime));
    });
    timer_.start();
}

std::string DocumentState::Bytes(bool withPose) const {
    try {
        torvane::typWrapRooms robot = bots_.PartRooms().AllData();
        for (torvane::typWrapRoom& room : robot.Rooms.Items()) {
            // Where each room is looked at from is kept in the file, but it is not work to lose.
            room.Part.Camera = {};
            if (withPose) continue;
            room.Part.JointAttitude = {};
            room.Part.JointTranslation = {};
            room.Part.JointAngles = {};
        }
        return torvane::EncodeRobot(robot);
    } catch (const std::exception&) {
        return {};
    }
}

void DocumentState::MarkClean() {
    clean_ = Bytes(true);
    cleanWithoutPose_ = Bytes(false);
    shown_ = false;
    if (showModified_) showModified_(false);
}

void DocumentState::MarkNeverSaved() {
    // No document's bytes are empty, so nothing compares equal to these.
    clean_.clear();
    cleanWithoutPose_.clear();
    Refresh();
}

bool DocumentState::IsModified() const {
    const std::string now = Bytes(true);
    if (!now.empty() && now == clean_) return false;
    if (now.empty() || !bots_.History().AtCleanButForCameras()) return true;
    return Bytes(false) != cleanWithoutPose_;
}

void DocumentState::Refresh() {
    const bool modified = IsModified();
    if (modified == shown_) return;
    shown_ = modified;
    if (showModified_) showModified_(modified);
}

}  // namespace mechanon
