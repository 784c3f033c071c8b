#pragma once
// The one place the robot document says what changed. Commands, windows and the glue announce
// each change once, after making it; every window subscribes once and shows anew only what the
// change concerns. Subscribers are told synchronously, in the order they subscribed: the main
// window makes the parts bar, the part editor, the motor control window and then the 3D view,
// so the bar has a thumbnail for the room before the view draws the picture it is taken from.
// A subscriber that fails ends the round, and the failure reaches the announcer, whose command
// reports it as any other.

#include <functional>

#include "app/Change.h"
#include "motorio/Event.h"

namespace mechanon {

class DocumentChanges {
  public:
    using Handler = std::function<void(const Change&)>;

    // handler is told of every change until the returned subscription ends.
    [[nodiscard]] torvane::Subscription Subscribe(Handler handler);
    void Announce(const Change& change) const;

  private:
    torvane::Event<const Change&> changed_;
};

}  // namespace mechanon
