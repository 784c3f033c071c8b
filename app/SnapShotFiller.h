#pragma once
// Makes part-room snapshots in the background: the rooms queued here get their pictures in
// short timer steps, two per room, so a robot of many rooms opens with its view drawn first and the
// parts bar's thumbnails filling in while the window answers the user. A room removed meanwhile is
// passed over; a room whose picture was made another way meanwhile is not drawn again.

#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace torvane {
class clsPartRoom;
}

namespace mechanon {

class SnapShotFiller {
  public:
    using Room = std::shared_ptr<torvane::clsPartRoom>;
    // A room's snapshot in two steps, both called from the event loop, never from Queue: Prepare
    // does the first half (false when there is nothing to draw), Finish the rest in the next
    // step, so that no single step holds the window for the whole of a big room.
    struct Steps {
        std::function<bool(const Room&)> Prepare;
        std::function<void(const Room&)> Finish;
    };

    explicit SnapShotFiller(Steps steps);
    SnapShotFiller(const SnapShotFiller&) = delete;
    SnapShotFiller& operator=(const SnapShotFiller&) = delete;

    // Replaces what waits with rooms, drawn in this order from the next pass of the event loop.
    void Queue(const std::vector<Room>& rooms);
    // Adds rooms after those waiting, each only once; a room half drawn is drawn again after.
    void Add(const std::vector<Room>& rooms);
    // room next, before those waiting (after a room half drawn).
    void AddFirst(const Room& room);
    // room has its picture already: it leaves the queue.
    void Forget(const torvane::clsPartRoom* room);
    // Rooms still waiting for their picture.
    int Waiting() const { return static_cast<int>(waiting_.size()); }

  private:
    struct Entry {
        std::weak_ptr<torvane::clsPartRoom> room;
        bool prepared = false;
    };
    void Step();

    std::deque<Entry> waiting_;
    Steps steps_;
    QTimer timer_;
};

}  // namespace mechanon
