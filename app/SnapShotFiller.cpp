#include "app/SnapShotFiller.h"

#include <algorithm>
#include <stdexcept>

#include "model/clsPartRoom.h"

namespace mechanon {

SnapShotFiller::SnapShotFiller(Steps steps) : steps_(std::move(steps)) {
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Step(); });
}

void SnapShotFiller::Queue(const std::vector<Room>& rooms) {
    waiting_.clear();
    for (const Room& room : rooms) waiting_.push_back({room, false});
    if (!waiting_.empty()) timer_.start();
}

void SnapShotFiller::Add(const std::vector<Room>& rooms) {
    for (const Room& room : rooms) {
        // A room half drawn was compiled before this change: its picture is made again.
        const bool waiting = std::any_of(waiting_.begin(), waiting_.end(), [&room](const Entry& w) {
            return !w.prepared && w.room.lock() == room;
        });
        if (room && !waiting) waiting_.push_back({room, false});
    }
    if (!waiting_.empty()) timer_.start();
}

void SnapShotFiller::AddFirst(const Room& room) {
    if (!room) return;
    // A room half drawn stays first: its second step draws what its first compiled.
    const bool keepFront =
        !waiting_.empty() && waiting_.front().prepared && waiting_.front().room.lock() != room;
    Forget(room.get());
    waiting_.insert(waiting_.begin() + (keepFront ? 1 : 0), Entry{room, false});
    timer_.start();
}

void SnapShotFiller::Forget(const torvane::clsPartRoom* room) {
    std::erase_if(waiting_, [room](const Entry& w) { return w.room.lock().get() == room; });
}

void SnapShotFiller::Step() {
    while (!waiting_.empty()) {
        const Entry next = waiting_.front();
        waiting_.pop_front();
        const Room room = next.room.lock();
        if (!room) continue;  // removed from the robot meanwhile
        try {
            if (next.prepared)
                steps_.Finish(room);
            else if (steps_.Prepare(room))
                waiting_.push_front({room, true});
        } catch (const std::exception&) {
            // A room whose tree cannot be drawn keeps no picture; the view reports the fault
            // when the user shows that room, not a background step.
        }
        break;
    }
    if (!waiting_.empty()) timer_.start();
}

}  // namespace mechanon
